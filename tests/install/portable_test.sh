#!/usr/bin/env bash
# The portable folder, as a user gets it: the zip unpacked into a folder with blanks in its path,
# in a prefix where Kolo_Reg is not registered. The program calculates and keeps its settings,
# so its manifest alone led CoCreateInstance to the library beside it.
# Arguments: the portable folder, its zip, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX.
set -euo pipefail
folder=$1 zip=$2 probe=$3
. "$(dirname "$0")/common.sh"

# Nothing registered, no settings from earlier runs.
if registered; then
  echo "Kolo_Reg was registered; taking the registration away" >&2
  remove_registration
fi
registered && fail "Kolo_Reg is still registered"
wine reg delete "$company_key" /f >/dev/null 2>&1 || true

profile=$(shell_folder USERPROFILE)
target="$profile\\Portable Tallyra"
unix_target=$(unix_path "$target")
[ -n "$unix_target" ] || fail "no Unix path for $target"
rm -rf "$unix_target"
trap 'close_program "$probe"; rm -rf "$unix_target"' EXIT
mkdir -p "$unix_target"
unzip -q "$zip" -d "$unix_target"
name=$(basename "$folder")
diff -r "$folder" "$unix_target/$name" || fail "the zip does not hold the portable folder"
for f in Tallyra.exe Kolo_Reg.dll LICENSE.txt 読んでください.txt help/index.html; do
  [ -f "$unix_target/$name/$f" ] || fail "$f missing from the zip"
done
lines=$(wc -l < "$unix_target/$name/LICENSE.txt")
[ "$(grep -c $'\r$' "$unix_target/$name/LICENSE.txt")" = "$lines" ] ||
  fail "LICENSE.txt has not CRLF line ends"

wine "$target\\$name\\Tallyra.exe" & program=$!
# Without its settings library the program would say so before its window opens.
for _ in $(seq 30); do
  wine "$probe" wait 1 && break
  message=$(wine "$probe" dismiss 0.1 || true)
  [ -z "$message" ] || fail "the program said: $message"
done
wine "$probe" wait 0.1 || fail "no window"
calculate "$probe" '6*7' 42
wine "$probe" close
wait $program || true
registered && fail "running the portable folder registered Kolo_Reg"
settings=$(wine reg query "$settings_key" 2>/dev/null | tr -d '\r' || true)
echo "$settings"
grep -q 'UnitConvert *REG_DWORD' <<<"$settings" || fail "no settings written to $settings_key"
echo "portable folder checks passed"
