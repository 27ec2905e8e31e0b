#!/usr/bin/env bash
# Killed in the middle of saving a calculation, the program starts again with the history and
# the registers from before that calculation or from after it, never a mix. Tallyra's test
# switch TALLYRA_KILL_AFTER_WRITES=N ends it right after its N-th settings write; each round
# kills it at another write of the same failing calculation, which sets b and joins the history
# and the results panel's lines.
# Arguments: Tallyra.exe, tallyra-probe.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tallyra=$1 probe=$2
. "$(dirname "$0")/e2e_common.sh"

old=$'3+3\n2+2\n1+1'
old_lines=$'1+1 = 2\n2+2 = 4'
formula='mem(1,4242)+1/0'
# The writes: the batch, a ... z, the history's entries and count, the lines and their count.
for n in 1 2 14 28 31 32 33 35 36 37; do
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
  wine reg add "$key\\Results" /v 0000 /t REG_SZ /d $'1+1\t2\t2' /f >/dev/null
  wine reg add "$key\\Results" /v 0001 /t REG_SZ /d $'2+2\t4\t4' /f >/dev/null
  wine reg add "$key\\Results" /v Count /t REG_DWORD /d 2 /f >/dev/null

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
  lines=$(probe results)
  echo "killed after write $n: b=$b, history: ${list//$'\n'/, }; lines: ${lines//$'\n'/, }"
  wine "$probe" close
  wait "$program" || true
  [ "$list/$b/$lines" = "$old/0/$old_lines" ] ||
    [ "$list/$b/$lines" = "$formula"$'\n'"$old/4242/$old_lines"$'\n'"$formula = 0 で除算しました。" ] ||
    fail "a mix after a kill at write $n"
done
echo "kill checks passed"
