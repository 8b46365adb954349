# Sourced by the screenshot scripts with the default picture's name: OUTPUT.png and BUILD_DIR
# from their arguments, the program built, and the script run again inside Xvfb; there it sets
# $root, $output, $build and a scratch folder $work removed at the end.
root="$(cd "$(dirname "$0")/.." && pwd)"
output="$(realpath -m "${1:-$root/docs/$screenshot_name}")"
build="$(realpath -m "${2:-$root/build}")"

if [ -z "${VORNIX_IN_XVFB:-}" ]; then
  cmake --build "$build" --target vornix
  mkdir -p "$(dirname "$output")"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env VORNIX_IN_XVFB=1 bash "$0" "$output" "$build"
fi

work=$(mktemp -d)
vornix=""
trap '[ -n "$vornix" ] && kill "$vornix" 2>/dev/null; rm -rf "$work"' EXIT

# Starts the program on the demo scene with the demo configuration and sets $window to its panel
# once the meter reads 20 and the demo hand is on the surface.
start_demo_panel() {
  cp "$root/share/demo/Vornix配置文件.ini" "$work/"
  "$build/src/app/vornix" --source demo --pointer none --config "$work/Vornix配置文件.ini" &
  vornix=$!
  sleep 6
  window=$(xdotool search --onlyvisible --name "Vornix驱平台" | head -1)
  [ -n "$window" ] || { echo "$(basename "$0"): the panel did not appear" >&2; exit 1; }
}
