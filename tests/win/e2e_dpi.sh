#!/usr/bin/env bash
# The windows at 144 and 192 DPI, as a user sets them before logging on: every control where its
# twips put it at the starting DPI, and again after a change of DPI, and every caption of the
# dialogs whole on its control (the window tests run at 96).
# Arguments: calculator_tests.exe. Needs DISPLAY and WINEPREFIX (scripts/test).
set -euo pipefail
tests=$1
desktop='HKCU\Control Panel\Desktop'
desktops='HKCU\Software\Wine\Explorer\Desktops'

restore() {
  wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true
  wine reg add "$desktops" /v Default /d 1024x768 /f >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
}
trap restore EXIT

# The whole window fits a larger desktop at 192 DPI.
wine reg add "$desktops" /v Default /d 1280x1024 /f >/dev/null
for dpi in 144 192; do
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
  wineserver -k >/dev/null 2>&1 || true
  TALLYRA_EXPECT_DPI=$dpi WINEDEBUG=-all wine "$tests" \
    --gtest_filter='Extras.Every*:Extras.Widening*:Extras.AWheel*' ||
    { echo "FAILED at $dpi DPI" >&2; exit 1; }
done
echo "DPI checks passed"
