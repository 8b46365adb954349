#!/usr/bin/env bash
# Fails when a core folder includes a Qt Widgets or an X11 header.
src=${1:?source folder}
hits=$(grep -rnE '#\s*include\s*[<"](QtWidgets/|X11/|Q(Widget|Application|MessageBox|MainWindow|Dialog|PushButton|Label|LineEdit|CheckBox|RadioButton|GroupBox)\b)' \
  "$src"/base "$src"/form "$src"/panel "$src"/engine "$src"/output "$src"/server "$src"/capture 2>/dev/null)
if [ -n "$hits" ]; then echo "core folders must not include Widgets or X11 headers:"; echo "$hits"; exit 1; fi
echo "core folders are free of Widgets and X11 headers"
