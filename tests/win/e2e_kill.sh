#!/usr/bin/env bash
# Killed in the middle of saving a calculation, the program starts again with the history and
# the registers from before that calculation or from after it, never a mix. Tallyra's test
# switch TALLYRA_KILL_AFTER_WRITES=N ends it right after its N-th settings write; each round
# kills it at another write of the same failing calculation, which sets b and joins the history.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

old=$'3+3\n2+2\n1+1'
formula='mem(1,4242)+1/0'
for n in 1 2 14 28 31 32; do
  wine reg delete "$company" /f >/dev/null 2>&1 || true
  for value in SaveFormation SaveVariable VariableList; do
    wine reg add "$key" /v $value /t REG_DWORD /d 0xffffffff /f >/dev/null
  done
  i=0
  while read -r entry; do
    wine reg add "$key\\Formation" /v "0$i" /t REG_SZ /d "$entry" /f >/dev/null
    i=$((i + 1))
  done <<<"$old"
  wine reg add "$key\\Formation" /v ListCount /t REG_DWORD /d $i /f >/dev/null

  TALLYRA_KILL_AFTER_WRITES=$n start_tallyra
  sleep 1
  focus_tallyra
  xdotool type --delay 100 "$formula"
  xdotool key Return
  timeout 30 tail --pid="$program" -f /dev/null || fail "not ended after write $n"

  start_tallyra
  sleep 1
  list=$(probe list)
  b=$(probe values | sed -n 2p)
  echo "killed after write $n: b=$b, history: ${list//$'\n'/, }"
  wine "$probe" close
  wait "$program" || true
  [ "$list/$b" = "$old/0" ] || [ "$list/$b" = "$formula"$'\n'"$old/4242" ] ||
    fail "a mix after a kill at write $n"
done
echo "kill checks passed"
