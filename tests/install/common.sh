# Sourced by the install tests: small helpers over Wine's registry and shell folders, and one
# calculation typed into a running Tallyra. Needs DISPLAY and WINEPREFIX (scripts/test).

clsid='{E150A199-2F1A-11D4-9BA5-0000E8D5AE4C}'
typelib='{E150A197-2F1A-11D4-9BA5-0000E8D5AE4C}'
interface='{4AAD1E12-3232-11D4-9BA5-0000E8D5AE4C}'
settings_key='HKCU\Software\Quessel Works\Tallyra'
company_key='HKCU\Software\Quessel Works'
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallyra'

fail() { echo "FAILED: $*" >&2; exit 1; }
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# The data of value NAME of KEY ("" for the key's unnamed value); nothing when it is not there.
reg_value() {
  local args=(/v "$2") name=$2
  [ -z "$2" ] && args=(/ve) name='(Default)'
  wine reg query "$1" "${args[@]}" 2>/dev/null | tr -d '\r' |
    awk -v name="$name" '{
      if (index($0, "    " name "    ") == 1) {
        rest = substr($0, length(name) + 9); sub(/^REG_[A-Z_]+    /, "", rest); print rest
      } }'
}
# A folder of the shell as Windows names it (%LOCALAPPDATA% ...).
shell_folder() { wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
unix_path() { winepath -u "$1" 2>/dev/null; }

# Whether the class is registered for the user or the machine (HKEY_CLASSES_ROOT shows both on
# Windows; Wine's reg shows only the machine's part there).
registered() {
  key_exists "HKCU\\Software\\Classes\\CLSID\\$clsid" ||
    key_exists "HKLM\\Software\\Classes\\CLSID\\$clsid"
}

# Deletes what registering Kolo_Reg for the user or the machine writes.
remove_registration() {
  local classes
  for classes in 'HKCU\Software\Classes' 'HKLM\Software\Classes'; do
    wine reg delete "$classes\\CLSID\\$clsid" /f >/dev/null 2>&1 || true
    wine reg delete "$classes\\Kolo_Reg.Registry" /f >/dev/null 2>&1 || true
    wine reg delete "$classes\\TypeLib\\$typelib" /f >/dev/null 2>&1 || true
    wine reg delete "$classes\\Interface\\$interface" /f >/dev/null 2>&1 || true
  done
}

# Types FORMULA and Enter into the running Tallyra and checks that the result box shows RESULT.
calculate() {
  local probe=$1 formula=$2 expected=$3 window output
  window=$(xdotool search --name '^Tallyra$' | head -n 1 || true)
  [ -n "$window" ] || fail "no X window to type into"
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.5
  xdotool type --delay 80 "$formula"
  xdotool key Return
  sleep 1
  output=$(wine "$probe" text | tr -d '\r' || true)
  echo "$output"
  [ "$output" = "formula=$formula"$'\n'"result=$expected" ] || fail "expected $formula = $expected"
}

# Closes a Tallyra that a failed check left running, so that it holds no file or pipe open.
close_program() {
  local probe=$1
  wine "$probe" close >/dev/null 2>&1 || return 0
  for _ in $(seq 50); do
    wine "$probe" wait 0.1 >/dev/null 2>&1 || return 0
    sleep 0.2
  done
}
