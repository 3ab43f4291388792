# Sourced by the scripts that drive real windows under Xvfb: their common start, screenshots,
# finding a window by its title and clicking into it. Needs $shots (the screenshot folder),
# $WINEPREFIX and $DISPLAY.

command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/status.ready "$shots"/status.done
prefix=${WINEPREFIX:?}
dest="$prefix/drive_c/Program Files/Vantorel Dialogs Example"
failures=0
# The test's environment runs programs headless; these windows are real.
ui=${VANTOREL_UI:-}
unset VANTOREL_UI
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

shot() { xwd -root -display "$DISPLAY" -silent | convert xwd:- "$shots/$1.png"; }
# The id of the visible window with exactly this title, waiting for it up to $2 seconds. Titles
# are compared as xdotool prints them (UTF-8), not through its pattern, which sees only the
# Latin-1 titles when the C library has no UTF-8 locale.
wait_window() {
  local i id
  for i in $(seq 1 $((${2:-30} * 10))); do
    for id in $(xdotool search --onlyvisible --class '.' 2>/dev/null); do
      if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}
# A click at x, y of a window's client area (without a window manager the X window of a Wine
# window is its client area).
click() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local left=$((X + $2)) top=$((Y + $3))
  xdotool mousemove "$left" "$top" sleep 0.2 click 1
}
visible_titles() {
  local id
  for id in $(xdotool search --onlyvisible --class '.' 2>/dev/null); do xdotool getwindowname "$id"; done | sort -u
}
# Whether the middle of the screen in a screenshot shows a painted window (where the status
# window sits), not the black of an unpainted one: mean brightness of a band across the middle.
painted_middle() {
  local mean
  mean=$(convert "$shots/$1.png" -gravity center -crop 160x24+0+0 -colorspace gray -format "%[fx:mean]" info: 2>/dev/null)
  awk -v m="${mean:-0}" 'BEGIN { exit !(m > 0.5) }'
}
