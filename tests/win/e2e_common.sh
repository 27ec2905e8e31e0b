# What the end-to-end scripts share; each sources it after `tallyra=$1 probe=$2`
# (Tallyra.exe and tallyra-probe.exe). Needs DISPLAY and WINEPREFIX (scripts/test).

company='HKCU\Software\Quessel Works'
key="$company\\Tallyra"

# Ends the test with its message, closing Tallyra if it runs.
fail() {
  trap - ERR
  echo "FAILED: $*" >&2
  wine "$probe" close >/dev/null 2>&1 || true
  exit 1
}

# A command that fails outside a check says which one, instead of ending the script silently.
set -E
trap 'fail "line $LINENO: \`$BASH_COMMAND\` ended with $?"' ERR

# What the probe prints, without Wine's carriage returns.
probe() { wine "$probe" "$@" | tr -d '\r'; }

# Starts Tallyra in the background, its process in $program, and waits for its window.
start_tallyra() {
  wine "$tallyra" &
  program=$!
  wine "$probe" wait 30 || fail "no window"
}

# The virtual desktop's X window takes the keyboard; inside it Tallyra has the focus.
# Wine maps the X window a moment after the program's window exists, later on a busy machine.
focus_tallyra() {
  local window='' _
  for _ in $(seq 50); do
    window=$(xdotool search --name 'Tallyra' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || fail "no X window named Tallyra"
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.5
}

# Fails with $3 unless the formula box holds $1 and the result box $2.
expect_text() {
  local got
  got=$(probe text)
  echo "$got"
  [ "$got" = $'formula='"$1"$'\nresult='"$2" ] || fail "$3: got '$got'"
}
