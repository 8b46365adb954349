#!/usr/bin/env bash
# Fails when a core folder includes a Qt Widgets or an X11 header, or an include runs up the layers.
src=${1:?source folder}
hits=$(grep -rnE '#\s*include\s*[<"](QtWidgets/|X11/|Q(Widget|Application|MessageBox|MainWindow|Dialog|PushButton|Label|LineEdit|CheckBox|RadioButton|GroupBox)\b)' \
  "$src"/base "$src"/form "$src"/panel "$src"/engine "$src"/output "$src"/server "$src"/capture "$src"/system 2>/dev/null)
if [ -n "$hits" ]; then echo "core folders must not include Widgets or X11 headers:"; echo "$hits"; exit 1; fi

# Includes point down the layers: base < form < panel < capture, output, server < engine < system
# < platform, ui < app.
rank() { case "$1" in base) echo 1;; form) echo 2;; panel) echo 3;; capture|output|server) echo 4;; engine) echo 5;; system) echo 6;; platform|ui) echo 7;; app) echo 8;; *) echo 0;; esac; }
up=""
for f in $(find "$src" -name '*.h' -o -name '*.cpp'); do
  from=$(basename "$(dirname "$f")"); rf=$(rank "$from")
  for inc in $(grep -oE '^#include "[a-z_]+/' "$f" | sed 's/#include "//; s#/##' | sort -u); do
    [ "$(rank "$inc")" -gt "$rf" ] && up="$up${f#$src/} includes $inc/
"
  done
done
if [ -n "$up" ]; then echo "includes must point down the layers:"; printf '%s' "$up"; exit 1; fi
echo "includes point down the layers"
