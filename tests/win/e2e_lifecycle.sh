#!/usr/bin/env bash
# The whole program under Wine, from outside: settings kept in the registry through Kolo_Reg
# across runs, one instance at a time, and a start without the settings library.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

settings() { wine reg query "$key" /s 2>/dev/null | tr -d '\r' | sed '/^$/d; /^reg:/d' || true; }
stop() { wine "$probe" close; wait "$1" || true; }

wine reg delete "$company" /f >/dev/null 2>&1 || true
# An entry of this program in the user's start-up list that the options do not record (a kill
# came between the two, or the settings were reset) goes at the start.
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
wine reg add "$run" /v Tallyra /d "\"$(winepath -w "$tallyra")\"" /f >/dev/null

# A first run writes the settings table when it exits.
start_tallyra
sleep 0.5
focus_tallyra
xdotool key --delay 150 alt+v c
sleep 0.5
stop $program
! wine reg query "$run" /v Tallyra >/dev/null 2>&1 || fail "an unrecorded start-up entry stayed"
after_first=$(settings)
echo "$after_first"
grep -q 'UnitConvert *REG_DWORD *0xffffffff' <<<"$after_first" || fail "UnitConvert not saved"
grep -q 'Unit *REG_DWORD *0x1' <<<"$after_first" || fail "Unit not saved"

# A second start while one runs brings the minimised first back with the formula selected, as
# the calling key does, and leaves the settings as they are.
start_tallyra
sleep 0.5
focus_tallyra
xdotool type --delay 80 '1+2'
wine "$probe" minimize
sleep 1
before=$(settings)
timeout 30 wine "$tallyra" || fail "the second instance did not end"
sleep 0.5
[ "$(probe foreground)" = "Tallyra" ] || fail "first instance not in front"
[ "$(probe state)" = normal ] || fail "first instance not restored"
[ "$(settings)" = "$before" ] || fail "the second instance changed the settings"
xdotool type --delay 80 '6*7'
xdotool key Return
sleep 1
expect_text '6*7' 42 "the keys did not replace the formula"
stop $program

# Without the settings library the program starts, says so once, and runs.
wine reg delete "$company" /f >/dev/null 2>&1 || true
WINEDLLOVERRIDES="Kolo_Reg=d" wine "$tallyra" & program=$!
message=$(wine "$probe" dismiss 30) || fail "no message about the settings library"
echo "$message"
grep -q 'Kolo_Reg' <<<"$message" || fail "unexpected message"
wine "$probe" wait 30 || fail "no window without the settings library"
stop $program
[ -z "$(settings)" ] || fail "settings written without the library"
echo "lifecycle checks passed"
