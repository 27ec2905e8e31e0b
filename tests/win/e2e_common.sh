# What the end-to-end scripts share; each sources it after `tallyra=$1 probe=$2`
# (Tallyra.exe and tallyra-probe.exe). Needs DISPLAY and WINEPREFIX (scripts/test).

company='HKCU\Software\Quessel Works'
key="$company\\Tallyra"

# Ends the test with its message, closing Tallyra if it runs.
fail() { echo "FAILED: $*" >&2; wine "$probe" close >/dev/null 2>&1 || true; exit 1; }

# What the probe prints, without Wine's carriage returns.
probe() { wine "$probe" "$@" | tr -d '\r'; }

# Starts Tallyra in the background, its process in $program, and waits for its window.
start_tallyra() {
  wine "$tallyra" &
  program=$!
  wine "$probe" wait 30 || fail "no window"
}

# The virtual desktop's X window takes the keyboard; inside it Tallyra has the focus.
focus_tallyra() {
  local window
  window=$(xdotool search --name 'Tallyra' | head -n 1)
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
