#!/usr/bin/env bash
# The formula box and the variables panel worked with real X key events, in a German locale
# (a comma before the decimals): the history list closed from the keyboard, the caret after a
# repeated formula, Enter in a value box, and a kill right after two calculations that loses
# neither of them. Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX.
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

keys() { xdotool key --delay 120 "$@"; sleep 0.4; }
type_text() { xdotool type --delay 100 "$1"; sleep 0.3; }
replace_formula() { keys alt+t End shift+Home; type_text "$1"; }

# A German locale, built for this run: Wine takes the user's locale from the environment, and
# its first process in that locale writes the locale's separators to the user's settings.
locales="$(dirname "$WINEPREFIX")/locale"
[ -d "$locales/de_DE.UTF-8" ] || { mkdir -p "$locales" && localedef -i de_DE -f UTF-8 "$locales/de_DE.UTF-8" ||
  fail "no German locale (Debian package locales)"; }
wine() { env LOCPATH="$locales" LC_ALL=de_DE.UTF-8 wine "$@"; }

wine reg delete "$company" /f >/dev/null 2>&1 || true
for value in SaveFormation SaveVariable VariableList; do
  wine reg add "$key" /v $value /t REG_DWORD /d 0xffffffff /f >/dev/null
done

start_tallyra
sleep 1
focus_tallyra

# A formula that repeats an earlier one leaves the caret at the end of the box.
type_text '5+5'
keys Return
for formula in '6+6' '5+5'; do
  replace_formula "$formula"
  keys Return
done
type_text '*2'
keys Return
expect_text '5+5*2' 15 "caret after a repeated formula"

# Enter in the open history list closes it with the entry picked, and only the next Enter
# calculates; Esc closes it too.
keys alt+t End shift+Home BackSpace F4 Down Down Return
expect_text '5+5' 15 "Enter in the history list"
keys Return
expect_text '5+5' 10 "Enter after the history list"
keys F4 Down Escape End shift+Home
type_text '7*7'
keys Return
expect_text '7*7' 49 "Esc in the history list"

# Enter in a value box commits it first, with the locale's separator; a text that is not a
# number keeps the focus there and calculates nothing.
replace_formula 'a*2'
keys alt+l
type_text '2,5'
probe values | head -n 1 | grep -qx '2,5' || fail "the comma was not taken"
keys Return
expect_text 'a*2' 5 "Enter in a value box"
keys alt+l
type_text '-'
keys Return
expect_text 'a*2' 5 "an invalid value box"
type_text '1'
keys Return
expect_text 'a*2' -2 "the focus stayed in the value box"

# Killed right after two calculations: both are in the saved history, the register too.
replace_formula 'x=6*7'
keys Return
replace_formula 'x+1'
keys Return
expect_text 'x+1' 43 "the last calculation"
wine taskkill /f /im Tallyra.exe >/dev/null 2>&1 || kill -9 $program
wait $program 2>/dev/null || true
saved=$(wine reg query "$key" /s | tr -d '\r')
echo "$saved"
grep -qE '^ +00 +REG_SZ +x\+1$' <<<"$saved" || fail "the last formula was not saved"
grep -qE '^ +01 +REG_SZ +x=6\*7$' <<<"$saved" || fail "the formula before it was not saved"
grep -qE '^ +ListCount +REG_DWORD +0x7$' <<<"$saved" || fail "ListCount"
grep -qiE '^ +X +REG_BINARY +0+4540$' <<<"$saved" || fail "register x (42) was not saved"
grep -qiE '^ +A +REG_BINARY +0+F0BF$' <<<"$saved" || fail "register a (-1) was not saved"
echo "formula and variable keys passed"
