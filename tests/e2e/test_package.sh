#!/usr/bin/env bash
# The Debian package as an installer gets it: built from this build with CPack, inspected with
# dpkg-deb (files, Depends from shlibdeps, no build-tree path in any installed file), unpacked
# into a scratch root whose program runs on its own as an ordinary user, its first start writing
# the configuration file, its desktop entry and user unit validated.
set -euo pipefail

source "$(dirname "$0")/e2e.sh"
for tool in cpack dpkg-deb readelf desktop-file-validate systemd-analyze; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done

# Every check runs; the test fails at the end.
failures=0
fail() { echo "FAIL: $*"; failures=1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/vornix_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "vornix_${version}_amd64.deb" ] || fail "package file named $(basename "$deb")"

# Depends comes from dpkg-shlibdeps: it names the Qt 6, OpenCV and X libraries the program uses.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6 libopencv-core406 libopencv-videoio406 libx11-6 libxtst6; do
  grep -qE "(^|, )$library( |,|$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/vornix usr/share/vornix/demo/Vornix配置文件.ini usr/share/vornix/web/touches.html usr/share/applications/vornix.desktop \
            usr/share/icons/hicolor/scalable/apps/vornix.svg usr/lib/udev/rules.d/60-vornix-uinput.rules \
            usr/lib/systemd/user/vornix.service usr/share/man/man1/vornix.1.gz; do
  [ -f "$root/$file" ] || fail "the package has no /$file"
done
cmp -s "$root/usr/lib/udev/rules.d/60-vornix-uinput.rules" "$source_dir/share/udev/60-vornix-uinput.rules" ||
  fail "the packaged udev rule differs from share/udev/60-vornix-uinput.rules"

# No installed file names the source or build tree: no RPATH, no debug information.
readelf -d "$root/usr/bin/vornix" | grep -qE 'RPATH|RUNPATH' && fail "the program carries an RPATH"
for tree in "$source_dir" "$build"; do
  hits=$(grep -rlaF "$tree" "$root" || true)
  [ -z "$hits" ] || fail "installed files name $tree: $hits"
  zcat "$root/usr/share/man/man1/vornix.1.gz" | grep -qF "$tree" && fail "the manual page names $tree"
done
zcat "$root/usr/share/man/man1/vornix.1.gz" | grep -q -- 'list\\-sources' || fail "the manual page lacks --list-sources"

desktop-file-validate "$root/usr/share/applications/vornix.desktop" || fail "desktop-file-validate"

# systemd-analyze checks that ExecStart names an executable on this machine; unless the package
# is installed, that one finding is expected and nothing else may be reported.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unit="$root/usr/lib/systemd/user/vornix.service"
verify=$(systemd-analyze --user verify --man=no "$unit" 2>&1) || true
[ -x /usr/bin/vornix ] || verify=$(grep -v '^vornix.service: Command /usr/bin/vornix is not executable' <<<"$verify" || true)
[ -z "$verify" ] || fail "systemd-analyze verify: $verify"
grep -qx 'ExecStart=/usr/bin/vornix --pointer auto' "$unit" || fail "the unit does not start /usr/bin/vornix --pointer auto"

# The unpacked program runs without the build tree, from a folder of its own.
bin="$root/usr/bin/vornix"
cd "$work"
[ "$("$bin" --version)" = "vornix $version" ] || fail "--version does not say vornix $version"
if ls /dev/video* >/dev/null 2>&1; then
  "$bin" --list-sources | grep -vq '^/dev/video' && fail "--list-sources printed a line that names no device"
else
  [ "$("$bin" --list-sources)" = "no video device was found" ] || fail "--list-sources without a camera"
fi

# The first start of a new user: an ordinary user (root could write every folder), no
# configuration file yet. The program writes one with the panel's defaults into the user's
# configuration folder, shows no message box, and a later start leaves that file as it is.
chmod 755 "$work"
mkdir -m 777 "$work/home"
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
config="$work/home/.config/vornix/Vornix配置文件.ini"
start_as_user() {
  : >"$work/trace"
  timeout 120 "${as_user[@]}" env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    "$bin" --headless --trace --source demo --pointer none >"$work/trace" 2>"$work/stderr" &
  vornix=$!
  # Two meter readings: two seconds of running (a busy machine may take a while to start it).
  wait_until 60 two_readings || true
  stop_vornix
}
two_readings() { [ "$(in_trace ' fps ')" -ge 2 ]; }

start_as_user
two_readings || { fail "no fps lines from the unpacked program"; cat "$work/stderr"; }
[ "$(in_trace " config created $config")" -eq 1 ] || fail "the first start did not trace 'config created $config'"
[ "$(grep -c 'created the configuration file' "$work/stderr" || true)" -eq 1 ] || fail "the first start did not say on stderr that it created the file"
[ "$(in_trace ' msgbox ')" -eq 0 ] || fail "the first start showed a message box: $(grep ' msgbox ' "$work/trace")"
py - "$config" <<'PY' || fail "the created file is not the panel's defaults in GBK with CRLF"
import configparser, sys
raw = open(sys.argv[1], "rb").read()
assert raw.count(b"\n") == raw.count(b"\r\n") > 0, raw[:80]
parser = configparser.ConfigParser()
parser.read_string(raw.decode("gbk"))
assert parser["多图合成"]["通信端口"] == "1", dict(parser["多图合成"])
assert parser["鼠标活动范围"]["宽度"] == "1024" and parser["射像机"]["x3"] == "320"
assert parser["系统"]["投影方式"] == "1"
PY
created=$(stat -c %Y.%s "$config"; md5sum <"$config")
sleep 1
start_as_user
[ "$(in_trace ' config created ')" -eq 0 ] || fail "a later start created the file again"
[ "$(stat -c %Y.%s "$config"; md5sum <"$config")" = "$created" ] || fail "a later start rewrote the file"

[ "$failures" -eq 0 ] && echo "ok: $(basename "$deb"): files, Depends, no build paths, runs unpacked as a user, first start, entry and unit valid"
exit "$failures"
