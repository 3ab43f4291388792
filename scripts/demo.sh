#!/usr/bin/env bash
# The demo of the README: build the example's install program and run it under Wine, headless.
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/demo
mkdir -p "$out"
rm -f "$out/transcript.txt"

echo "== vantorel check examples/minimal.vform"
build/host/apps/vantorel check examples/minimal.vform

echo
echo "== vantorel program examples/minimal.vform -o $out/minimal.exe"
build/host/apps/vantorel program examples/minimal.vform -o "$out/minimal.exe" \
  --engine build/win64/apps/vtsetup.exe

echo
echo "== wine $out/minimal.exe -d \"-sC:\\dist\"   (headless; transcript in $out/transcript.txt)"
set +e
VANTOREL_UI=headless VANTOREL_TRANSCRIPT="$out/transcript.txt" \
  scripts/wine-run "$out/minimal.exe" -d '-sC:\dist'
status=$?
set -e
echo "exit status: $status (0 installed, 1 failed, 2 cancelled, 3 restart pending)"
echo
echo "== what the install showed"
cat "$out/transcript.txt" 2>/dev/null || echo "(nothing)"
echo
echo "== its install record after the run (gone when the run ended)"
scripts/wine-run reg query 'HKLM\SOFTWARE\Vantorel' 2>&1 | tr -d '\r' | sed '/^$/d' || true

# The example with dialogs: a welcome page, the copy progress window, the status window and the
# completion page (examples/dialogs.vform). Its archives are made by the win64 test program until
# the builder front end builds distributions; the pages are answered headless here (see
# tests/wine/dialogs_xvfb.sh for the same install with real windows and clicks). Once the
# translator lands, a TTranslator in the example turns the same pages into the user's language.
echo
echo "== the dialogs example: examples/dialogs.vform, headless (transcript in $out/dialogs.txt)"
rm -f "$out/dialogs.txt"
dist_win='C:\vtdemo-dialogs'
here_win="Z:${PWD//\//\\}"
VANTOREL_DIALOGS_DIR=$dist_win VANTOREL_SOURCE_DIR=$here_win VANTOREL_BINARY_DIR="$here_win\\build\\win64" \
  scripts/wine-run build/win64/tests/test_wine.exe \
  --gtest_filter=DialogsExample.PrepareForRealWindows >/dev/null
set +e
VANTOREL_UI=headless VANTOREL_TRANSCRIPT="$out/dialogs.txt" \
  scripts/wine-run 'C:\vtdemo-dialogs\setup.exe' -d "-s$dist_win"
status=$?
set -e
echo "exit status: $status"
echo "== the pages it showed (the copy window once per file)"
grep -E '^(form|  label|  button|  pressed)' "$out/dialogs.txt" | uniq || echo "(nothing)"
