#!/usr/bin/env bash
# Where the program looks for its configuration when --config is not given, as its `config load`
# trace line names it: the file beside the program when it is there (even in a read-only
# folder), beside the program in a writable folder (a copied build folder), else
# $XDG_CONFIG_HOME/vornix/ or ~/.config/vornix/; --config wins over all of them. The program is
# copied into folders of its own and run as an unprivileged user, for whom read-only means it.
set -euo pipefail

source "$(dirname "$0")/e2e.sh"
need_program
name="Vornix配置文件.ini"
chmod 755 "$work"

as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)

# A folder holding a copy of the program; mode 555 for read-only, 777 for writable by anyone.
program_in() {
  mkdir -p "$work/$1"
  cp "$bin" "$work/$1/vornix"
  [ -n "${3:-}" ] && : >"$work/$1/$name"
  chmod "$2" "$work/$1"
  echo "$work/$1/vornix"
}

# The file named by the first `config load` line of a short headless run.
loaded() {
  local out="$work/trace.$RANDOM"
  # setpriv and env hand their process over to the program, so the signal below reaches it.
  "${as_user[@]}" env "$@" --headless --trace --source demo --pointer none >"$out" 2>&1 &
  local pid=$!
  wait_until 30 grep -q '^[0-9]* config load ' "$out" || true
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  sed -n 's/^[0-9]* config load //p' "$out" | head -1
}

mkdir -p "$work/home" "$work/xdg"
chmod 777 "$work/home" "$work/xdg"
failures=0
expect() {
  local what=$1 want=$2; shift 2
  local got
  got=$(loaded "$@")
  if [ "$got" = "$want" ]; then echo "ok: $what"; else echo "FAIL: $what: loads '$got', expected '$want'"; failures=1; fi
}

beside=$(program_in beside 555 with-file)
expect "file beside the program in a read-only folder" "$work/beside/$name" \
  HOME="$work/home" XDG_CONFIG_HOME="$work/xdg" "$beside"

writable=$(program_in writable 777)
expect "writable folder without a file" "$work/writable/$name" \
  HOME="$work/home" XDG_CONFIG_HOME="$work/xdg" "$writable"

readonly=$(program_in readonly 555)
expect "read-only folder, XDG_CONFIG_HOME set" "$work/xdg/vornix/$name" \
  HOME="$work/home" XDG_CONFIG_HOME="$work/xdg" "$readonly"
expect "read-only folder, XDG_CONFIG_HOME unset" "$work/home/.config/vornix/$name" \
  -u XDG_CONFIG_HOME HOME="$work/home" "$readonly"
expect "--config wins" "$work/site.ini" \
  HOME="$work/home" XDG_CONFIG_HOME="$work/xdg" "$beside" --config "$work/site.ini"

exit $failures
