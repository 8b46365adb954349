#!/usr/bin/env bash
# Fails when a core folder includes a Qt Widgets or an X11 header, src/platform a Qt Widgets
# header, or an include runs up the layers.
src=${1:?source folder}
widgets='#\s*include\s*[<"](QtWidgets/|Q(Widget|Application|MessageBox|MainWindow|Dialog|PushButton|Label|LineEdit|CheckBox|RadioButton|GroupBox)\b)'
hits=$(grep -rnE "$widgets|#\s*include\s*[<\"]X11/" \
  "$src"/base "$src"/form "$src"/panel "$src"/engine "$src"/output "$src"/server "$src"/capture "$src"/tracking "$src"/system 2>/dev/null)
hits+=$(grep -rnE "$widgets" "$src"/platform 2>/dev/null)
if [ -n "$hits" ]; then echo "core folders must not include Widgets or X11 headers, nor platform Widgets:"; echo "$hits"; exit 1; fi

# Includes point down the layers: base < form < panel < capture, server, tracking < output < engine <
# system < platform, ui < app; platform and ui (the ports' backends and the views) include no
# engine or system.
rank() { case "$1" in base) echo 1;; form) echo 2;; panel) echo 3;; capture|server|tracking) echo 4;; output) echo 5;;
  engine) echo 6;; system) echo 7;; platform|ui) echo 8;; app) echo 9;; *) echo 0;; esac; }
allowed() {  # allowed FROM INCLUDED
  case "$1:$2" in platform:engine|platform:system|ui:engine|ui:system) return 1;; esac
  [ "$(rank "$2")" -le "$(rank "$1")" ]
}
up=""
for f in $(find "$src" -name '*.h' -o -name '*.cpp'); do
  from=$(basename "$(dirname "$f")")
  for inc in $(grep -oE '^#include "[a-z_]+/' "$f" | sed 's/#include "//; s#/##' | sort -u); do
    allowed "$from" "$inc" || up="$up${f#$src/} includes $inc/
"
  done
done
if [ -n "$up" ]; then echo "includes must point down the layers:"; printf '%s' "$up"; exit 1; fi
echo "includes point down the layers"
