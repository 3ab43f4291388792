#!/usr/bin/env bash
# The demo of the README: the main job of the product, end to end. The example product is built
# from source, `vantorel build` makes its self-extracting setup.exe natively, and setup.exe is
# started under Wine as a customer would (headless): the loader unpacks the install program, which
# installs every file from inside setup.exe. Then the installed program runs, and what was
# installed is shown, and the product is removed again by its own uninstaller, leaving nothing.
# Each step prints its exit status.
set -uo pipefail
cd "$(dirname "$0")/.."
out=build/demo
vantorel=build/host/apps/vantorel
product=build/win64/examples/product
export WINEPREFIX="$PWD/$out/wineprefix"
rm -rf "$out/drive-c" "$out/dist" "$out/customer download" "$out/transcript.txt" \
  "$out/uninstall-transcript.txt"
mkdir -p "$out"
failed=0
step() {  # step TITLE COMMAND...: runs a step and reports its status
  local title=$1
  shift
  echo
  echo "== $title"
  "$@"
  local status=$?
  echo "-- exit status $status"
  [ $status -eq 0 ] || failed=1
  return $status
}

step "1. the example product, built from source by the win64 tree" \
  ls -l "$product/hello.exe" "$product/shared.dll" "$product/readme.txt" "$product/example.hlp"

# The project names its files under C:\VantorelExample\files; natively drive C: is a folder.
# The uninstaller it carries is the builder's own uninstall.exe, from the win64 tree.
mkdir -p "$out/drive-c/VantorelExample/files"
cp -p "$product/hello.exe" "$product/shared.dll" "$product/readme.txt" "$product/example.hlp" \
  build/win64/apps/uninstall.exe "$out/drive-c/VantorelExample/files/"
export VANTOREL_DRIVE_C="$PWD/$out/drive-c"
step "2. vantorel build examples/product.vform -o $out/dist --self-extracting" \
  "$vantorel" build examples/product.vform -o "$out/dist" --self-extracting
unset VANTOREL_DRIVE_C

step "3. vantorel list setup.exe (the main archive inside it)" "$vantorel" list "$out/dist/setup.exe"
step "   vantorel list --setup setup.exe (the install program inside it)" \
  "$vantorel" list --setup "$out/dist/setup.exe"

# The customer gets setup.exe alone, into a folder whose name holds a space.
mkdir -p "$out/customer download"
cp "$out/dist/setup.exe" "$out/customer download/"
step "4. wine \"$out/customer download/setup.exe\"   (headless; transcript in $out/transcript.txt)" \
  env VANTOREL_UI=headless VANTOREL_TRANSCRIPT="$out/transcript.txt" \
  scripts/wine-run "$out/customer download/setup.exe"
echo "   (0 installed, 1 failed, 2 cancelled, 3 restart pending)"
echo "   what the install showed:"
sed 's/^/   | /' "$out/transcript.txt" 2>/dev/null
leftover=$(find "$WINEPREFIX/drive_c/users" -maxdepth 5 -type d -name 'vtl*' 2>/dev/null)
echo "   working folders left in the temporary folder: ${leftover:-none}"
[ -z "$leftover" ] || failed=1

step "5. the installed program: C:\\Program Files\\Vantorel Files Example\\hello.exe" \
  scripts/wine-run 'C:\Program Files\Vantorel Files Example\hello.exe'

dest="$WINEPREFIX/drive_c/Program Files/Vantorel Files Example"
echo
echo "== 6. what was installed"
(cd "$dest" 2>/dev/null && find . -type f -printf '   %-22p %8s bytes  %TY-%Tm-%Td %TH:%TM\n' | sort) ||
  { echo "   (nothing under $dest)"; failed=1; }
echo "   the uninstall key:"
scripts/wine-run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Files Example' \
  /s 2>&1 | tr -d '\r' | sed '/^$/d; s/^/   /'
echo "   wine uninstaller --list (the system's list of installed programs):"
scripts/wine-run uninstaller --list 2>/dev/null | tr -d '\r' | sed 's/^/   /'

# The product is removed as Windows' list of installed programs removes it: by the command its
# key holds, exactly as it stands, run by cmd. Headless, the confirmation is answered Yes.
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Files Example'
uninstall=$(scripts/wine-run reg query "$key" /v UninstallString 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *UninstallString *REG_SZ *//p')
printf 'Uninstall: Yes\nUninstall: OK\n' >"$out/answers.txt"
rm -f "$out/uninstall-transcript.txt"
# Wine's launcher would escape the quotes of a command given to cmd as one argument, so cmd gets
# it from a batch file, as the line stands.
printf '@%s\r\n@exit %%errorlevel%%\r\n' "$uninstall" >"$WINEPREFIX/drive_c/remove-product.cmd"
step "7. remove it again (headless): wine cmd /c C:\\remove-product.cmd, which runs the key's
   UninstallString ${uninstall:-(none)}" \
  env VANTOREL_UI=headless VANTOREL_ANSWERS="$PWD/$out/answers.txt" \
  VANTOREL_TRANSCRIPT="$PWD/$out/uninstall-transcript.txt" scripts/wine-run cmd /c 'C:\remove-product.cmd'
rm -f "$WINEPREFIX/drive_c/remove-product.cmd"
echo "   (0 removed, 1 failed, 2 cancelled, 3 removed, some files at the next restart)"
echo "   what the removal showed:"
sed 's/^/   | /' "$out/uninstall-transcript.txt" 2>/dev/null
# uninstall.exe runs from a copy of itself, which deletes the program and its folder last.
for _ in $(seq 50); do [ -e "$dest" ] || break; sleep 0.2; done
echo "   what is left:"
if [ -e "$dest" ]; then
  echo "   the install folder: still there:"; find "$dest" | sed 's/^/     /'; failed=1
else
  echo "   the install folder: gone"
fi
if scripts/wine-run reg query "$key" >/dev/null 2>&1; then
  echo "   the uninstall key: still there"; failed=1
else
  echo "   the uninstall key: gone"
fi
listed=$(scripts/wine-run uninstaller --list 2>/dev/null | tr -d '\r')
if grep -q '|||Files Example$' <<<"$listed"; then
  echo "   wine uninstaller --list: still lists Files Example"; failed=1
else
  echo "   wine uninstaller --list: Files Example is no longer listed (${listed:-an empty list})"
fi

echo
echo "== the minimal project still loads and runs: vantorel check examples/minimal.vform"
"$vantorel" check examples/minimal.vform >/dev/null && echo "-- exit status 0" ||
  { echo "-- failed"; failed=1; }

echo
# The example with dialogs: a welcome page, the copy progress window, the status window and the
# completion page (examples/dialogs.vform). Its archives are made by the win64 test program; the
# pages are answered headless here (tests/wine/dialogs_xvfb.sh runs the same install with real
# windows and clicks).
rm -f "$out/dialogs.txt"
dist_win='C:\vtdemo-dialogs'
here_win="Z:${PWD//\//\\}"
VANTOREL_DIALOGS_DIR=$dist_win VANTOREL_SOURCE_DIR=$here_win VANTOREL_BINARY_DIR="$here_win\\build\\win64" \
  scripts/wine-run build/win64/tests/test_wine.exe \
  --gtest_filter=DialogsExample.PrepareForRealWindows >/dev/null
step "8. the dialogs example: examples/dialogs.vform, headless (transcript in $out/dialogs.txt)" \
  env VANTOREL_UI=headless VANTOREL_TRANSCRIPT="$out/dialogs.txt" \
  scripts/wine-run 'C:\vtdemo-dialogs\setup.exe' -d "-s$dist_win"
echo "   the pages it showed (the copy window once per file):"
grep -E '^(form|  label|  button|  pressed)' "$out/dialogs.txt" | uniq | sed 's/^/   | /' || echo "   (nothing)"

echo
[ $failed -eq 0 ] && echo "demo: every step succeeded" || echo "demo: a step failed (see above)"
exit $failed
