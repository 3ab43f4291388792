#!/usr/bin/env bash
# "setup.exe *TODISK" under Wine: the loader starts the install program with -f, which copies the
# distribution to drive A:. A: is first a roomy folder (everything on one disk), then a real
# 1.44 MB file system (a tmpfs; mounting needs root) where the disk prompt comes and Cancel ends
# the transfer with "Aborted by user" after setup.exe and setup.1 were written; then the whole
# distribution goes onto several disks, swapped at each prompt, and "wine A:\setup.exe" installs
# from them, asking for each disk in turn. The headless answers wait for the test to swap the
# disk ("@wait" in the answer script).
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
# A new prefix is complete only when every process of its first boot has ended.
wine wineboot >/dev/null 2>&1
wineserver -w
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
# Windows sees the test's folder through drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# The disks are folders beside the drive; the one in the drive is in the folder A: maps to.
in_drive=0 drive="$work/floppy"
eject() {
  [ "$in_drive" -gt 0 ] || return 0
  mkdir -p "$work/disks/$in_drive" && mv "$drive"/* "$work/disks/$in_drive"/ ||
    echo "FAIL  could not take disk $in_drive out"
  in_drive=0
}
insert() {
  eject
  mkdir -p "$work/disks/$1" && mv "$work/disks/$1"/* "$drive"/ 2>/dev/null
  in_drive=$1
}
# Runs wine with headless answers that wait for the test: each disk prompt is written to the
# transcript with a "waiting" line; the test reads which disk it asks for, swaps the disk and
# lets the answer be given. The disks asked for are left in $work/asked, one a line.
# Usage: run_swapping TRANSCRIPT CAPTION_GLOB wine ARGS...
run_swapping() {
  local transcript=$1 glob=$2
  shift 2
  : >"$work/asked"
  rm -f "$work"/go.*
  : >"$work/answers.txt"
  for k in $(seq 1 12); do
    printf '@wait 120 %s\n%s: OK\n' "$(winpath "$work/go.$k")" "$glob" >>"$work/answers.txt"
  done
  VANTOREL_UI=headless VANTOREL_ANSWERS="$work/answers.txt" VANTOREL_TRANSCRIPT="$transcript" \
    "$@" &
  local pid=$! seen=0 deadline=$((SECONDS + 600))
  while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    local waiting
    waiting=$(grep -c '^  waiting ' "$transcript" 2>/dev/null)
    if [ "${waiting:-0}" -gt "$seen" ]; then
      seen=$((seen + 1))
      # The text of the window that waits: the last text line before the seen-th wait.
      local text disk
      text=$(awk -v n="$seen" '/^  text /{t=$0} /^  waiting /{if(++k==n){print t; exit}}' \
        "$transcript")
      disk=$(printf '%s' "$text" | sed -n 's/.*Please insert disk #\{0,1\}\([0-9][0-9]*\).*/\1/p')
      if [ -z "$disk" ]; then
        echo "not a disk prompt: $text"
      else
        echo "$disk" >>"$work/asked"
        insert "$disk"
      fi
      : >"$work/go.$seen"
    fi
    sleep 0.2
  done
  kill -0 "$pid" 2>/dev/null && { echo "still running after 600 s"; kill "$pid"; }
  wait "$pid"
}

echo "== A: is a 1.44 MB file system; the disks are swapped at each prompt"
rm -rf "$work/floppy"/* "$work/disks"
in_drive=0
insert 1
run_swapping "$work/t3.txt" Setup wine "$setup" '*TODISK'
status=$?
eject
echo "exit status $status; disks asked for: $(tr '\n' ' ' <"$work/asked")"
check test $status -eq 0
disks=$(sort -n "$work/asked" | tail -1)
check test "${disks:-0}" -ge 3
check cmp "$work/big/setup.exe" "$work/disks/1/setup.exe"
check cmp "$work/big/setup.1" "$work/disks/1/setup.1"
for d in $(seq 1 "${disks:-0}"); do
  used=$(find "$work/disks/$d" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
  check test "$used" -gt 0 -a "$used" -le $((1440 * 1024))
done

echo "== Installing from the disks: disk 1 in the drive, each next disk asked for in turn"
# Read from a plain folder: the loader runs from A: and its image stays open, so on a tmpfs the
# space of the disk taken out would stay taken and the next disk could not be put in.
drive="$work/drive"
mkdir -p "$drive"
rm -f "$WINEPREFIX/dosdevices/a:"; ln -s "$drive" "$WINEPREFIX/dosdevices/a:"
insert 1
run_swapping "$work/t4.txt" '*' wine 'A:\setup.exe'
status=$?
echo "exit status $status; disks asked for: $(tr '\n' ' ' <"$work/asked")"
check test $status -eq 0
check test "$(tr '\n' ' ' <"$work/asked")" = "$(seq -s ' ' 2 "${disks:-2}") "
check cmp "$work/src/data.bin" "$WINEPREFIX/drive_c/Program Files/Floppy Example/data.bin"

[ $failed -eq 0 ] && echo "PASSED" || { echo "FAILED"; cat "$work/t2.txt" "$work/t3.txt" "$work/t4.txt"; }
exit $failed
