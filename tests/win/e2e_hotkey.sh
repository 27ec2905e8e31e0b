#!/usr/bin/env bash
# The calling hotkey with real X key events: Ctrl+Alt+K, read from the settings at start, brings
# the window back from the tray with the formula selected, and hides it again when in front;
# a key another program holds is refused by the Options dialog's OK, which says so.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"
held=$(mktemp)

wine reg delete "$key" /f >/dev/null 2>&1 || true
wine reg add "$key" /v HotKey /t REG_DWORD /d 0x64b /f >/dev/null  # Ctrl+Alt+K
wine reg add "$key" /v TaskTray /t REG_DWORD /d 0xffffffff /f >/dev/null
start_tallyra
sleep 1
focus_tallyra
xdotool type --delay 80 '1+2'
wine "$probe" minimize
sleep 1
[ "$(probe state)" = hidden ] || fail "the window did not go to the tray"
xdotool key ctrl+alt+k
sleep 1
[ "$(probe state)" = normal ] || fail "the hotkey did not restore the window"
[ "$(probe foreground)" = "Tallyra" ] || fail "the window is not in front"
# The formula is selected: typing replaces it.
xdotool type --delay 80 '6*7'
xdotool key Return
sleep 1
expect_text '6*7' 42 "the keys did not replace the formula"
xdotool key ctrl+alt+k
sleep 1
[ "$(probe state)" = hidden ] || fail "the hotkey did not hide the window in front"

# Ctrl+Alt+L held by another program: OK says so and the stored key stays Ctrl+Alt+K.
wine "$probe" hold 3 0x4c 60 >"$held" & holder=$!
for _ in $(seq 50); do grep -q held "$held" && break; sleep 0.2; done
grep -q held "$held" || fail "the other program could not hold the key"
xdotool key ctrl+alt+k
sleep 1
xdotool key --delay 150 alt+v o
sleep 1
wine "$probe" hotkey 0x64c || fail "no Options dialog"
xdotool key Return
# The message box that OK shows, with `text` in it, dismissed; then Options closed.
expect_message() {
  local text=$1 message
  message=$(wine "$probe" dismiss 10) || fail "no message: $2"
  echo "$message"
  grep -q "$text" <<<"$message" || fail "unexpected message: $2"
  sleep 0.5
  xdotool key Escape
  sleep 0.5
}
expect_message 'ほかのプログラムが使っています' "a key another program holds"
stored() { wine reg query "$key" /v HotKey | tr -d '\r' | grep -o '0x[0-9a-f]*'; }
[ "$(stored)" = 0x64b ] || fail "the stored key changed: $(stored)"

# Pressed for real in the box, the held key never reaches it: the box falls back to the
# modifiers or to nothing, which chooses no key. OK says so and keeps Ctrl+Alt+K; only a box
# emptied with Backspace removes the key.
options_key() {
  xdotool key --delay 150 alt+v o
  sleep 1
  xdotool key --delay 150 alt+k "$@"
  sleep 0.5
  xdotool key Return
}
options_key ctrl+alt+l
expect_message '元のまま' "a box without a key"
[ "$(stored)" = 0x64b ] || fail "a box without a key changed the stored key: $(stored)"
options_key ctrl+alt+l BackSpace
sleep 1
[ "$(stored)" = 0x0 ] || fail "emptying the box did not remove the key: $(stored)"
# A letter alone would be taken from every program: the box makes it Ctrl+Alt+Q.
options_key q
sleep 1
[ "$(stored)" = 0x651 ] || fail "a key without Ctrl or Alt was taken as it is: $(stored)"
kill "$holder" 2>/dev/null || true
rm -f "$held"
wine "$probe" close || true
wait "$program" || true
wine reg delete "$key" /f >/dev/null 2>&1 || true
echo "hotkey checks passed"
