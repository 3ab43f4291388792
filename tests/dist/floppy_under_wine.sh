#!/usr/bin/env bash
# "setup.exe *TODISK" under Wine: the loader starts the install program with -f, which copies the
# distribution to drive A:. A: is first a roomy folder (everything on one disk), then a real
# 1.44 MB file system (a tmpfs; mounting needs root) where the disk prompt comes and Cancel ends
# the transfer with "Aborted by user" after setup.exe and setup.1 were written.
# Usage: floppy_under_wine.sh VANTOREL WIN64_TREE
set -uo pipefail
vantorel=$1 win64=$2
skip() {
  if [ "${CI:-}" = true ]; then echo "FAILED (CI): $*"; exit 1; fi
  echo "SKIPPED: $*"; exit 77
}
[ -x "$vantorel" ] || skip "no native vantorel at $vantorel"
[ -f "$win64/apps/vtsetup.exe" ] || skip "no win64 tree at $win64 (make win64)"
command -v wine >/dev/null || skip "wine is not installed"

work=$(mktemp -d /tmp/vantorel-floppy-XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1
  mountpoint -q "$work/floppy" && umount "$work/floppy"
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/src" "$work/big" "$work/floppy"
head -c 4000000 /dev/urandom >"$work/src/data.bin"  # does not compress: about 4 MB of archive
cat >"$work/floppy.vform" <<FORM
object Form1: TForm1
  object Install1: TInstall
    DestDir = '\Floppy Example'
    DestDirType = psProgramFiles
  end
  object Data: TInstallFile
    Container = Install1
    DestDirType = psContainerDestDir
    ArchiveFileType = psContainerArchiveFile
    FileName = 'data.bin'
    IncludeFromDir = 'Z:$work/src'
    UniqueID = 1
  end
  object psContainerDestDir: TpsContainerDestDir
  end
  object psContainerArchiveFile: TpsContainerArchiveFile
  end
  object psProgramFiles: TpsProgramFiles
  end
  object psMainArchiveFile: TpsMainArchiveFile
  end
end
FORM
sed -i 's|Z:/|Z:\\|; s|/|\\|g' "$work/floppy.vform"
sed -i 's|^object Form1: TForm1$|object Form1: TForm1|' "$work/floppy.vform"
"$vantorel" build "$work/floppy.vform" -o "$work/dist" --self-extracting \
  --engine "$win64/apps/vtsetup.exe" --library "$win64/apps" >/dev/null 2>&1 ||
  { echo "FAILED: vantorel build"; exit 1; }
setup="$work/dist/setup.exe"
loader_size=$(stat -c %s "$win64/apps/VantorelLoadProgram.exe")
wine wineboot >/dev/null 2>&1
failed=0
check() { if "$@"; then echo "ok    $*"; else echo "FAIL  $*"; failed=1; fi; }

echo "== A: is a roomy folder: everything goes to disk 1"
rm -f "$WINEPREFIX/dosdevices/a:"; ln -s "$work/big" "$WINEPREFIX/dosdevices/a:"
VANTOREL_UI=headless VANTOREL_TRANSCRIPT="$work/t1.txt" wine "$setup" '*TODISK'
status=$?
echo "exit status $status"
check test $status -eq 0
check cmp -n "$loader_size" "$setup" "$work/big/setup.exe"
check test "$(stat -c %s "$work/big/setup.exe")" -eq "$loader_size"
check test -s "$work/big/setup.1"
check test -s "$work/big/files.1"

echo "== A: is a 1.44 MB file system; Cancel at the first disk prompt"
if ! mount -t tmpfs -o size=1440k tmpfs "$work/floppy" 2>/dev/null; then
  [ $failed -eq 0 ] || exit 1
  skip "cannot mount a 1.44 MB tmpfs (needs root)"
fi
rm -f "$WINEPREFIX/dosdevices/a:"; ln -s "$work/floppy" "$WINEPREFIX/dosdevices/a:"
printf 'Setup: Cancel\n' >"$work/answers.txt"
VANTOREL_UI=headless VANTOREL_ANSWERS="$work/answers.txt" VANTOREL_TRANSCRIPT="$work/t2.txt" \
  wine "$setup" '*TODISK'
status=$?
echo "exit status $status"
check test $status -eq 1
check grep -q 'Please insert disk 2' "$work/t2.txt"
check grep -q 'Aborted by user' "$work/t2.txt"
check cmp "$work/big/setup.exe" "$work/floppy/setup.exe"
check cmp "$work/big/setup.1" "$work/floppy/setup.1"
[ $failed -eq 0 ] && echo "PASSED" || { echo "FAILED"; cat "$work/t2.txt"; }
exit $failed
