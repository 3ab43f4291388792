#!/usr/bin/env bash
# The example's windows in other languages, as real windows under Xvfb: for each language the
# status window, the welcome page, the copy window and the completion page of a whole install, and
# the failure page of one cancelled on the copy window. German, Russian and Greek follow the
# user's language (the example's translator says vlUser; Wine takes it from LANG); Japanese is
# asked for by the project itself while the user's Windows is English, so that its texts are
# shown in their own code page on a system whose code page is another.
# Usage: dialogs_languages_xvfb.sh <wine-run> <test_wine.exe> <screenshot folder> <same, as Windows sees it>
set -u
wine_run=$1 tests=$2 shots=$3 win_shots=$4
here=$(cd "$(dirname "$0")" && pwd)
languages=$here/../../languages
source "$here/xvfb_common.sh"
dist_win='C:\vtlanguages'
dist=$prefix/drive_c/vtlanguages

# The text of a GLID in a language file, as UTF-8 (X window titles are UTF-8).
text_of() {
  local file=$languages/vtri$1.txt code_page=$2 glid=$3
  iconv -f "CP$code_page" -t UTF-8 "$file" | tr -d '\r' | sed -n "s/^$glid;\\([^;]*\\).*/\\1/p" | head -1
}

# language, code page, LANG of the run, what the project asks for
runs=(
  "English 1252 en_US.UTF-8 vlUser"
  "German 1252 de_DE.UTF-8 vlUser"
  "Russian 1251 ru_RU.UTF-8 vlUser"
  "Greek 1253 el_GR.UTF-8 vlUser"
  "Japanese 932 en_US.UTF-8 vlJapanese"
)
for run in "${runs[@]}"; do
  read -r language code_page locale asked <<<"$run"
  tag=$(echo "$language" | tr 'A-Z' 'a-z')
  welcome=$(text_of "$language" "$code_page" 100)
  copying=$(text_of "$language" "$code_page" 103)
  complete=$(text_of "$language" "$code_page" 101)
  incomplete=$(text_of "$language" "$code_page" 102)
  echo "== $language ($locale, $asked): \"$welcome\", \"$copying\", \"$complete\", \"$incomplete\""
  VANTOREL_UI=$ui VANTOREL_DIALOGS_DIR=$dist_win VANTOREL_DIALOGS_LANGUAGE=$asked \
    "$wine_run" "$tests" --gtest_filter=DialogsExample.PrepareForRealWindows >"$shots/prepare-$tag.log" 2>&1 ||
    { cat "$shots/prepare-$tag.log" >&2; fail "cannot prepare the distribution ($language)"; continue; }
  export LANG=$locale LC_ALL=$locale

  rm -rf "$dest" "$shots"/status.ready "$shots"/status.done
  VANTOREL_SCREENSHOT_DIR=$win_shots "$wine_run" "$dist/setup.exe" -d "-s$dist_win" &
  pid=$!
  for _ in $(seq 1 600); do [ -e "$shots/status.ready" ] && break; sleep 0.1; done
  if [ -e "$shots/status.ready" ]; then
    sleep 2
    shot "$tag-status"
    painted_middle "$tag-status" || fail "$language: the status window is not painted"
  else
    fail "$language: no status window"
  fi
  touch "$shots/status.done"
  if w=$(wait_window "$welcome" 60); then sleep 1; shot "$tag-welcome"; click "$w" 325 345;
  else fail "$language: no welcome page \"$welcome\""; fi
  if wait_window "$copying" 60 >/dev/null; then sleep 1; shot "$tag-copy"; else fail "$language: no copy window"; fi
  if g=$(wait_window "$complete" 120); then sleep 1; shot "$tag-complete"; click "$g" 421 345;
  else fail "$language: no completion page \"$complete\""; fi
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || fail "$language: the install ended with $status, not 0"

  rm -rf "$dest"
  "$wine_run" "$dist/setup.exe" -d "-s$dist_win" &
  pid=$!
  if w=$(wait_window "$welcome" 60); then sleep 1; click "$w" 325 345; else fail "$language: no welcome page (cancel run)"; fi
  if c=$(wait_window "$copying" 60); then sleep 0.8; click "$c" 417 22;  # Cancel
  else fail "$language: no copy window (cancel run)"; fi
  if b=$(wait_window "$incomplete" 60); then sleep 1; shot "$tag-failure"; click "$b" 421 345;
  else fail "$language: no failure page \"$incomplete\""; fi
  wait "$pid"
  status=$?
  [ "$status" -eq 2 ] || fail "$language: the cancelled install ended with $status, not 2"
  unset LANG LC_ALL
done
rm -rf "$dest"
echo "screenshots in $shots"
[ "$failures" -eq 0 ]
