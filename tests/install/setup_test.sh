#!/usr/bin/env bash
# The installer under Wine, silently as a deployment would run it: what it installs and
# registers, the installed program started from its Start-menu shortcut, and an uninstall while
# that program runs, which leaves nothing but the settings. Then a second round: the
# installation moved to another folder by installing there, and the uninstaller's pages,
# answering yes to removing the settings.
# Arguments: the portable folder, the setup program, tallyra-probe.exe, tallyra-click.exe.
# Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
folder=$1 setup=$2 probe=$3 click=$4
. "$(dirname "$0")/common.sh"

instdir="$(shell_folder LOCALAPPDATA)\\Programs\\Tallyra"
unix_instdir=$(unix_path "$instdir")
shortcut="$(shell_folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Tallyra.lnk"
unix_shortcut=$(unix_path "$shortcut")
exe="$instdir\\Tallyra.exe"
[ -n "$unix_instdir" ] && [ -n "$unix_shortcut" ] || fail "no Unix paths for the install folder"
other_dir="$(shell_folder USERPROFILE)\\Other Tallyra"
unix_other_dir=$(unix_path "$other_dir")
# Another install folder; without blanks, since /D= takes no quotation marks.
moved_dir='C:\TallyraMoved'
unix_moved_dir=$(unix_path "$moved_dir")

# Whatever a failed run leaves is taken away; a registration left behind would make the later
# tests create a library that is gone.
cleanup() {
  close_program "$probe"
  remove_registration
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  wine reg delete "HKCU\\$run_key" /v Tallyra /f >/dev/null 2>&1 || true
  wine reg delete "HKLM\\$run_key" /v Tallyra /f >/dev/null 2>&1 || true
  rm -rf "$unix_instdir" "$unix_other_dir" "$unix_moved_dir"
  rm -f "$unix_shortcut"
}
trap cleanup EXIT
cleanup
wine reg delete "$company_key" /f >/dev/null 2>&1 || true

# Waits for the uninstaller, which runs from a copy of itself in the temporary folder: its last
# step deletes the uninstall entry.
wait_uninstalled() {
  for _ in $(seq 100); do
    key_exists "$uninstall_key" || return 0
    sleep 0.2
  done
  fail "the uninstaller did not finish"
}

# Nothing of the installation may be left.
check_removed() {
  [ ! -e "$unix_instdir" ] || { ls -laR "$unix_instdir" >&2; fail "files left in $instdir"; }
  [ ! -e "$unix_moved_dir" ] || { ls -laR "$unix_moved_dir" >&2; fail "files left in $moved_dir"; }
  [ ! -e "$unix_shortcut" ] || fail "Start-menu shortcut left"
  key_exists "$uninstall_key" && fail "uninstall entry left"
  local key
  for key in "CLSID\\$clsid" Kolo_Reg.Registry "TypeLib\\$typelib" "Interface\\$interface"; do
    key_exists "HKCU\\Software\\Classes\\$key" &&
      fail "registration left: $(wine reg query "HKCU\\Software\\Classes\\$key" /s | tr -d '\r')"
  done
  [ -z "$(reg_value "HKCU\\$run_key" Tallyra)" ] || fail "start-up entry left under HKCU"
  [ -z "$(reg_value "HKLM\\$run_key" Tallyra)" ] || fail "start-up entry left under HKLM"
  wine "$probe" wait 0.1 && fail "the program still runs"
  return 0
}

echo "== silent install"
wine "$setup" /S || fail "setup /S ended with $?"
differences=$(diff -r "$folder" "$unix_instdir" | grep -v "^Only in $unix_instdir: uninstall.exe\$" ||
  true)
[ -z "$differences" ] || fail "the installed files differ from the portable folder: $differences"
[ -f "$unix_instdir/uninstall.exe" ] || fail "no uninstaller"
[ -f "$unix_shortcut" ] || fail "no Start-menu shortcut"

[ "$(reg_value "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" '')" = \
  "$instdir\\Kolo_Reg.dll" ] || fail "Kolo_Reg not registered for the user"
[ "$(reg_value 'HKCU\Software\Classes\Kolo_Reg.Registry\CLSID' '')" = "$clsid" ] ||
  fail "no ProgID registered for the user"
key_exists "HKLM\\Software\\Classes\\CLSID\\$clsid" && fail "Kolo_Reg registered for the machine"
[ "$(reg_value "HKCU\\Software\\Classes\\TypeLib\\$typelib\\4.1\\409\\win64" '')" = \
  "$instdir\\Kolo_Reg.dll" ] || fail "Kolo_Reg's type library not registered for the user"
# (Wine's COM looks classes up only in the machine's registration, so no script here can create
# the class through the user's; the registration tests check what it writes.)

declare -A expected=(
  [DisplayName]=Tallyra
  [DisplayVersion]=${folder##*/Tallyra-}
  [Publisher]='Quessel Works'
  [DisplayIcon]="$instdir\\Tallyra.exe,0"
  [InstallLocation]="$instdir"
  [UninstallString]="\"$instdir\\uninstall.exe\""
  [QuietUninstallString]="\"$instdir\\uninstall.exe\" /S"
  [NoModify]=0x1
  [NoRepair]=0x1
)
for name in "${!expected[@]}"; do
  value=$(reg_value "$uninstall_key" "$name")
  [ "$value" = "${expected[$name]}" ] || fail "uninstall entry $name is '$value', not '${expected[$name]}'"
done
size=$(reg_value "$uninstall_key" EstimatedSize)
# In KiB: what the installed files take.
actual=$(find "$unix_instdir" -type f -printf '%s\n' | awk '{ s += $1 } END { print int(s / 1024) }')
[ $((size - actual)) -ge -1 ] && [ $((size - actual)) -le 1 ] ||
  fail "EstimatedSize is $((size)) KiB for $actual KiB of files"

echo "== the installed program, from its shortcut"
wine start "$shortcut" </dev/null >/dev/null 2>&1
wine "$probe" wait 30 || fail "the shortcut started no program"
calculate "$probe" '2^10' 1024

echo "== silent uninstall while the program runs, with start-up entries"
# As the program's Options leave them: the entry under HKLM, which it tries first, and the root
# recorded in its settings; and an entry under HKCU too.
wine reg add "HKLM\\$run_key" /v Tallyra /d "\"$exe\"" /f >/dev/null 2>&1
wine reg add "HKCU\\$run_key" /v Tallyra /d "\"$exe\"" /f >/dev/null 2>&1
wine reg add "$settings_key" /v hKeyStartUp /t REG_DWORD /d 0x80000002 /f >/dev/null 2>&1
wine "$instdir\\uninstall.exe" /S
wait_uninstalled
check_removed
settings=$(wine reg query "$settings_key" 2>/dev/null | tr -d '\r' || true)
echo "$settings"
grep -q 'UnitConvert *REG_DWORD' <<<"$settings" ||
  fail "the settings the program saved when it was closed are gone"
[ "$(reg_value "$settings_key" hKeyStartUp)" = 0x0 ] ||
  fail "the settings still record a start-up entry"

echo "== install again, then move it to another folder; uninstall through the pages"
wine "$setup" /S || fail "setup /S ended with $?"
wine "$setup" /S "/D=$moved_dir" || fail "setup /S /D= ended with $?"
[ -f "$unix_moved_dir/Tallyra.exe" ] || fail "/D= did not choose the folder"
[ ! -e "$unix_instdir" ] || fail "the installation in $instdir was left behind"
[ "$(reg_value "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" '')" = \
  "$moved_dir\\Kolo_Reg.dll" ] || fail "Kolo_Reg not registered from $moved_dir"
# A start-up entry of a portable copy elsewhere is that copy's own.
mkdir -p "$unix_other_dir"
cp "$folder/Tallyra.exe" "$unix_other_dir/"
wine reg add "HKCU\\$run_key" /v Tallyra /d "\"$other_dir\\Tallyra.exe\"" /f >/dev/null 2>&1
wine reg add "$settings_key" /v hKeyStartUp /t REG_DWORD /d 0x80000001 /f >/dev/null 2>&1
wine "$moved_dir\\uninstall.exe"
wine "$click" Tallyra 1 30 || fail "no confirmation page"        # ｱﾝｲﾝｽﾄｰﾙ
wine "$click" Tallyra 6 30 || fail "no question about the settings" # はい
wine "$click" Tallyra 1 30 || fail "no last page"                 # 閉じる
wait_uninstalled
[ "$(reg_value "HKCU\\$run_key" Tallyra)" = "\"$other_dir\\Tallyra.exe\"" ] ||
  fail "the start-up entry of another copy was removed"
wine reg delete "HKCU\\$run_key" /v Tallyra /f >/dev/null 2>&1
check_removed
key_exists "$settings_key" && fail "settings left although removing them was chosen"
key_exists "$company_key" && fail "empty company key left"
echo "installer checks passed"
