#!/usr/bin/env bash
# The example's install with real windows under Xvfb, driven by real mouse clicks (xdotool): the
# welcome page, the copy window with its bars moving, the completion page; then the same install
# cancelled on the copy window. Screenshots of every window go to the screenshot folder for a
# person to look at.
# Usage: dialogs_xvfb.sh <wine-run> <test_wine.exe> <screenshot folder> <same, as Windows sees it>
set -u
wine_run=$1 tests=$2 shots=$3 win_shots=$4
source "$(dirname "$0")/xvfb_common.sh"
dist_win='C:\vtdialogs'
dist=$prefix/drive_c/vtdialogs

VANTOREL_UI=$ui VANTOREL_DIALOGS_DIR=$dist_win "$wine_run" "$tests" --gtest_filter=DialogsExample.PrepareForRealWindows \
  >"$shots/prepare.log" 2>&1 || { cat "$shots/prepare.log" >&2; echo "cannot prepare the distribution" >&2; exit 1; }
[ -f "$dist/setup.exe" ] || { echo "no setup.exe in $dist" >&2; exit 1; }

# ---- a whole install -----------------------------------------------------------------------------
rm -rf "$dest"
VANTOREL_SCREENSHOT_DIR=$win_shots "$wine_run" "$dist/setup.exe" -d "-s$dist_win" &
pid=$!
for _ in $(seq 1 600); do [ -e "$shots/status.ready" ] && break; sleep 0.1; done
if [ -e "$shots/status.ready" ]; then
  sleep 2
  shot status
  painted_middle status || fail "the status window is not painted"
else
  fail "the status window never came up"
fi
touch "$shots/status.done"
if w=$(wait_window Welcome 60); then
  sleep 1
  shot welcome
  click "$w" 325 345  # Next >
else
  fail "no welcome page"
fi
if c=$(wait_window "Copying installation files" 60); then
  sleep 0.6
  shot copy1
  sleep 1.8
  shot copy2
  diff=$(compare -metric AE "$shots/copy1.png" "$shots/copy2.png" null: 2>&1 || true)
  echo "copy window: $diff pixels changed between the two screenshots"
  [ "${diff%% *}" != "0" ] || fail "the copy window did not change"
else
  fail "no copy window"
fi
if g=$(wait_window "Setup complete" 120); then
  sleep 1
  shot complete
  click "$g" 421 345  # Finish
else
  fail "no completion page"
fi
wait "$pid"
status=$?
echo "install: exit status $status"
[ "$status" -eq 0 ] || fail "the install ended with $status, not 0"
for f in shared.dll Docs/readme.txt Docs/example.hlp; do
  [ -s "$dest/$f" ] || fail "$f was not installed"
  cmp -s "$dest/$f" "$dist/src/$(basename "$f")" || fail "$f differs from its source"
done

# ---- the same install, cancelled on the copy window ----------------------------------------------
rm -rf "$dest"
"$wine_run" "$dist/setup.exe" -d "-s$dist_win" &
pid=$!
if w=$(wait_window Welcome 60); then sleep 1; click "$w" 325 345; else fail "no welcome page (cancel run)"; fi
if c=$(wait_window "Copying installation files" 60); then
  sleep 0.8
  shot copy-before-cancel
  click "$c" 417 22  # Cancel
else
  fail "no copy window (cancel run)"
fi
if b=$(wait_window "Setup incomplete" 60); then
  sleep 1
  shot failure
  titles=$(visible_titles)
  echo "windows on the screen: $(echo "$titles" | tr '\n' '|')"
  unexpected=$(echo "$titles" | grep -v -x -e "Setup incomplete" -e "Dialogs example setup" -e "Default IME" || true)
  [ -z "$unexpected" ] || fail "unexpected windows: $unexpected"
  click "$b" 421 345  # Finish
else
  fail "no failure page"
fi
wait "$pid"
status=$?
echo "cancelled install: exit status $status"
[ "$status" -eq 2 ] || fail "the cancelled install ended with $status, not 2"
left=$(find "$dest" -type f 2>/dev/null)
[ -z "$left" ] || fail "files left behind: $left"

echo "screenshots in $shots"
[ "$failures" -eq 0 ]
