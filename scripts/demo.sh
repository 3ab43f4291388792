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
