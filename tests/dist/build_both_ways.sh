#!/usr/bin/env bash
# The same project built natively (vantorel build) and by its install program under Wine (-b
# with BUILD.INF) gives the same distribution, byte for byte. Both sides see the project's files
# under the same drive letter, D:, and pack the same install program file with the same date.
# The native side deflates with zlib, as -b does (libdeflate would make other bytes).
# Usage: build_both_ways.sh VANTOREL WIN64_TREE SOURCE_DIR
set -uo pipefail
vantorel=$1 win64=$2 source=$3
skip() {
  # Under CI the set-up must provide what this test needs: a skip there is a failure.
  if [ "${CI:-}" = true ]; then echo "FAILED (CI): $*"; exit 1; fi
  echo "SKIPPED: $*"; exit 77
}
[ -x "$vantorel" ] || skip "no native vantorel at $vantorel"
[ -f "$win64/apps/vtsetup.exe" ] || skip "no win64 tree at $win64 (make win64)"
[ -f "$win64/apps/VantorelLoadProgram.exe" ] || skip "no loader in $win64/apps"
[ -f "$win64/apps/uninstall.exe" ] || skip "no uninstall.exe in $win64/apps"
command -v wine >/dev/null || skip "wine is not installed"

work=$(mktemp -d /tmp/vantorel-both-XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { wineserver -k >/dev/null 2>&1; [ -n "${KEEP:-}" ] || rm -rf "$work"; }
trap cleanup EXIT
d="$work/drive d"
mkdir -p "$d/src" "$d/prog" "$d/lib"
stamp=202504111200
printf 'read me\r\n' >"$d/src/readme.txt"
cp "$win64/apps/uninstall.exe" "$d/src/"  # the project's uninstaller, beside its other files
head -c 40000 /dev/zero | tr '\0' 'h' >"$d/src/example.hlp"
if [ -f "$win64/tests/data/payloads/vtver15/vtver.dll" ]; then
  cp "$win64/tests/data/payloads/vtver15/vtver.dll" "$d/src/shared.dll"  # a real version resource
else
  printf 'a shared library' >"$d/src/shared.dll"
fi
sed 's/C:\\VantorelExample\\files/D:\\src/' "$source/examples/files.vform" >"$d/files.vform"
"$vantorel" program "$d/files.vform" -o "$d/prog/files.exe" --engine "$win64/apps/vtsetup.exe" \
  >/dev/null || { echo "FAILED: vantorel program"; exit 1; }
cp "$win64/apps/VantorelLoadProgram.exe" "$d/lib/"
: >"$d/lib/T32V35.TXT"
touch -t $stamp "$d"/src/* "$d/prog/files.exe" "$d/lib"/*

echo "== native: vantorel build --program D:\\prog\\files.exe -o D:\\native --self-extracting --deflate zlib"
VANTOREL_DRIVE_D="$d" VANTOREL_REGISTRY="$work/registry.reg" "$vantorel" build "$d/files.vform" \
  -o 'D:\native' --program 'D:\prog\files.exe' --library 'D:\lib' --self-extracting \
  --deflate zlib
native=$?
echo "exit status $native"
[ $native -eq 0 ] || { echo "FAILED: native build"; exit 1; }

echo "== Wine: files.exe -b (BUILD.INF names D:\\wine)"
wine wineboot >/dev/null 2>&1
ln -s "$d" "$WINEPREFIX/dosdevices/d:"
printf 'D:\\wine\r\n' >"$d/prog/BUILD.INF"
wine reg add 'HKCU\Software\Borland\Delphi\3.0\Library' /v SearchPath /d 'D:\lib' /f >/dev/null 2>&1
VANTOREL_UI=headless VANTOREL_TRANSCRIPT="$work/transcript.txt" wine 'D:\prog\files.exe' -b
status=$?
echo "exit status $status"
[ $status -eq 0 ] || { echo "FAILED: -b under Wine"; cat "$work/transcript.txt" 2>/dev/null; exit 1; }

echo "== cmp of every file"
failed=0
for f in $(cd "$d/native" && find . -type f | sort); do
  if cmp "$d/native/$f" "$d/wine/$f"; then echo "same  $f"; else failed=1; fi
done
extra=$(cd "$d/wine" && find . -type f | sort | while read -r f; do [ -f "$d/native/$f" ] || echo "$f"; done)
[ -z "$extra" ] || { echo "only under Wine: $extra"; failed=1; }

echo "== the independent reading: vantorel list setup.exe, and --setup"
listing=$("$vantorel" list "$d/native/setup.exe") || failed=1
echo "$listing"
grep -q '^self-extracting file:' <<<"$listing" || { echo "FAILED: no trailer found"; failed=1; }
setup_listing=$("$vantorel" list --setup "$d/native/setup.exe") || failed=1
echo "$setup_listing"
grep -q 'setup.1 at offset' <<<"$setup_listing" && grep -q 'files.exe' <<<"$setup_listing" || {
  echo "FAILED: setup.1 does not list the install program"; failed=1; }
[ $failed -eq 0 ] && echo "PASSED: identical distributions" || echo "FAILED: the distributions differ"
exit $failed
