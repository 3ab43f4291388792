#!/usr/bin/env bash
# uninstall.exe with real windows under Xvfb: a product is listed, the uninstaller is started as
# the list of installed programs starts it, its confirmation and its closing message are saved
# as pictures for a person to look at, and Enter presses their default buttons (Yes, OK).
# Afterwards the product's file, its folder, its key and uninstall.exe itself must be gone.
# Usage: uninstall_screenshot.sh <wine-run> <uninstall.exe> <screenshot folder>
set -u
wine_run=$1 program=$2 dir=$3
: "${WINEPREFIX:?needs a Wine prefix of its own}"
mkdir -p "$dir"
rm -f "$dir/uninstall-confirm.png" "$dir/uninstall-end.png"
product="Screenshot Example"
key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
app="$WINEPREFIX/drive_c/Vantorel Screenshot"
fail() { echo "uninstall_screenshot: $*" >&2; status=1; }
status=0

"$wine_run" wineboot >/dev/null 2>&1
mkdir -p "$app"
echo "a file of the product" >"$app/file.txt"
cp "$program" "$app/uninstall.exe"
reg() { "$wine_run" reg "$@" >/dev/null 2>&1; }
reg add "$key" /v DisplayName /d "$product" /f
reg add "$key" /v UninstallString /d "\"C:\\Vantorel Screenshot\\uninstall.exe\" $product" /f
reg add "$key\\Files" /v Entries /d 1 /f
reg add "$key\\Files" /v File1 /d "C:\\Vantorel Screenshot\\file.txt" /f

# The window of that caption that is not `$2`, once it is there.
wait_window() {
  for _ in $(seq 1 300); do
    for id in $(xdotool search --name "^$1\$" 2>/dev/null); do
      [ "$id" != "${2:-}" ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
shot() { sleep 1; xwd -root -display "$DISPLAY" -silent | convert xwd:- "$dir/$1"; }

env -u VANTOREL_UI "$wine_run" 'C:\Vantorel Screenshot\uninstall.exe' $product &
pid=$!
if confirm=$(wait_window Uninstall); then
  shot uninstall-confirm.png || fail "no picture of the confirmation"
  xdotool windowactivate --sync "$confirm" key Return 2>/dev/null || xdotool key Return
  if end=$(wait_window Uninstall "$confirm"); then
    shot uninstall-end.png || fail "no picture of the closing message"
    xdotool windowactivate --sync "$end" key Return 2>/dev/null || xdotool key Return
  else
    fail "the closing message never came up"
  fi
else
  fail "the confirmation never came up"
fi
wait "$pid"
code=$?
[ "$code" -eq 0 ] || fail "exit status $code, not 0"
for _ in $(seq 1 100); do [ -e "$app" ] || break; sleep 0.1; done
[ -e "$app" ] && fail "left behind: $(ls -A "$app")"
if "$wine_run" reg query "$key" >/dev/null 2>&1; then fail "the key $key is still there"; fi
# The server of this prefix was started here; it goes with the screen it drew on.
WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
exit $status
