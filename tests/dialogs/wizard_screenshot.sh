#!/usr/bin/env bash
# Shows the real wizard host under Xvfb and saves a picture of it for a person to look at.
# Usage: wizard_screenshot.sh <wine-run> <test program> <screenshot folder> <same, as Windows sees it>
set -eu
wine_run=$1 program=$2 dir=$3 win_dir=$4
mkdir -p "$dir"
rm -f "$dir/wizard.ready" "$dir/wizard.done"
VANTOREL_SCREENSHOT_DIR=$win_dir "$wine_run" "$program" --gtest_filter='NativeWizard.*' &
pid=$!
for _ in $(seq 1 600); do
  [ -e "$dir/wizard.ready" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
status=0
if [ -e "$dir/wizard.ready" ]; then
  sleep 1  # let the window paint
  xwd -root -display "$DISPLAY" -silent | convert xwd:- "$dir/wizard.png" || status=1
  touch "$dir/wizard.done"
else
  echo "the wizard never came up" >&2
  status=1
fi
wait "$pid" || status=1
exit $status
