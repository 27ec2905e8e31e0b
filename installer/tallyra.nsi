; Tallyra's installer: per user, no administrator rights. It installs the files of the portable
; folder into %LOCALAPPDATA%\Programs\Tallyra, registers Kolo_Reg.dll for the current user so
; that scripts can create "Kolo_Reg.Registry", adds a Start-menu shortcut and an entry in
; "Apps & features", and writes the uninstaller that takes all of it away again.
;
; Built by installer/package.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DSOURCE=<portable folder> -DICON=<.ico>
;            -DURL=<web address> -DOUTFILE=<setup.exe> installer/tallyra.nsi

!ifndef VERSION | SOURCE | ICON | OUTFILE | URL
  !error "VERSION, SOURCE, ICON, URL and OUTFILE must be defined (see installer/package.sh)"
!endif

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "Tallyra"
!define COMPANY "Quessel Works"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallyra"
!define SETTINGS_KEY "Software\Quessel Works\Tallyra"
!define COMPANY_KEY "Software\Quessel Works"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The roots the program records in hKeyStartUp for its start-up entry.
!define STARTUP_HKCU 0x80000001
!define STARTUP_HKLM 0x80000002
!define README "読んでください.txt"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tallyra"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT \
  "Tallyra ${VERSION} をこのユーザー用にインストールします。管理者権限は必要ありません。$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tallyra.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${README}"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_TEXT "${README} を表示(&S)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (c) 2026 ${COMPANY}"

; Ends a running Tallyra before its files are replaced or removed: asks first, then closes its
; main window as the close button would and waits for the process to end. The main window is
; found by its class and caption, the same way the program finds its own first instance.
; A program that stays (it may only minimise to the tray) is left to the user, who may retry.
!macro CLOSE_RUNNING UN
Function ${UN}CloseRunning
  ${Do}
    FindWindow $0 "TallyraForm" "Tallyra"
    ${If} $0 == 0
      Return
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION \
      "Tallyra が実行中です。$\r$\n[OK] を押すと Tallyra を終了して続行します。" \
      /SD IDOK IDOK close
    Abort
    close:
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r3'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      Sleep 2000
    ${EndIf}
    FindWindow $0 "TallyraForm" "Tallyra"
    ${If} $0 == 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Tallyra を終了できませんでした。$\r$\n[ファイル] メニュー（タスクトレイではアイコンのメニュー）の [Tallyraの終了] で終了してから [再試行] を押してください。" \
      /SD IDCANCEL IDRETRY retry
    Abort
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING ""
!insertmacro CLOSE_RUNNING "un."

Section "Tallyra" SecMain
  SectionIn RO
  Call CloseRunning

  ; An installation in another folder is taken away first (its settings stay), so that no
  ; orphaned copy is left behind; one in this folder is simply updated.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    DetailPrint "Tallyra を $0 から削除しています"
    ; _?= runs the uninstaller in place, so that ExecWait waits for it.
    ExecWait '"$0\uninstall.exe" /S _?=$0'
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${SOURCE}\Tallyra.exe"
  File "${SOURCE}\Kolo_Reg.dll"
  File "${SOURCE}\LICENSE.txt"
  File "${SOURCE}\${README}"
  SetOutPath "$INSTDIR\help"
  File "${SOURCE}\help\*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The program itself needs no registration (its manifest names the library); scripts do.
  ExecWait '"$SYSDIR\regsvr32.exe" /s /n /i:user "$INSTDIR\Kolo_Reg.dll"' $0
  ${If} $0 != 0
    DetailPrint "regsvr32 /n /i:user Kolo_Reg.dll: $0"
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "Kolo_Reg.dll をスクリプト用に登録できませんでした。$\r$\nTallyra はそのまま使えます。" \
      /SD IDOK
  ${EndIf}

  CreateShortcut "$SMPROGRAMS\Tallyra.lnk" "$INSTDIR\Tallyra.exe" "" "$INSTDIR\Tallyra.exe" 0 \
    SW_SHOWNORMAL "" "単位換算のできる関数電卓"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tallyra.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${URL}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; $R0: a command line as the Run key holds it. Leaves the program's path in $R0: the text
; inside the leading quotation marks, or the whole line when it does not start with one.
Function un.CommandPath
  StrCpy $R1 $R0 1
  ${If} $R1 != '"'
    Return
  ${EndIf}
  StrCpy $R2 1
  ${Do}
    StrCpy $R1 $R0 1 $R2
    ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
    ${IfThen} $R1 == '"' ${|} ${ExitDo} ${|}
    IntOp $R2 $R2 + 1
  ${Loop}
  IntOp $R2 $R2 - 1
  StrCpy $R0 $R0 $R2 1
FunctionEnd

; Deletes the value "Tallyra" of ROOT's Run key when it starts this installation's program or a
; program that is gone; an entry that starts a Tallyra elsewhere (a portable copy) stays.
; Sets $R9 to 1 when no entry of this program is left under ROOT, to 0 when it could not be
; deleted, to 2 when the entry belongs to another copy.
!macro REMOVE_STARTUP ROOT
  StrCpy $R9 1
  ClearErrors
  ReadRegStr $R0 ${ROOT} "${RUN_KEY}" "Tallyra"
  ${IfNot} ${Errors}
    Call un.CommandPath
    ${If} $R0 == "$INSTDIR\Tallyra.exe"
    ${OrIfNot} ${FileExists} "$R0"
      ClearErrors
      DeleteRegValue ${ROOT} "${RUN_KEY}" "Tallyra"
      ${IfThen} ${Errors} ${|} StrCpy $R9 0 ${|}
    ${Else}
      StrCpy $R9 2
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  Call un.CloseRunning

  ${If} ${FileExists} "$INSTDIR\Kolo_Reg.dll"
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u /n /i:user "$INSTDIR\Kolo_Reg.dll"' $0
    ${IfThen} $0 != 0 ${|} DetailPrint "regsvr32 /u /n /i:user Kolo_Reg.dll: $0" ${|}
  ${EndIf}

  Delete "$INSTDIR\Tallyra.exe"
  Delete "$INSTDIR\Kolo_Reg.dll"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${README}"
  RMDir /r "$INSTDIR\help"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tallyra.lnk"

  ; The start-up entry: under HKCU whenever there is one; under HKLM only where the program
  ; says it wrote it, and that takes rights a per-user uninstaller may not have. Kept settings
  ; then no longer record an entry that is gone.
  ClearErrors
  ReadRegDWORD $R8 HKCU "${SETTINGS_KEY}" "hKeyStartUp"
  ${IfThen} ${Errors} ${|} StrCpy $R8 0 ${|}
  StrCpy $R7 0
  !insertmacro REMOVE_STARTUP HKCU
  ${IfThen} $R8 = ${STARTUP_HKCU} ${|} StrCpy $R7 $R9 ${|}
  ${If} $R8 = ${STARTUP_HKLM}
    !insertmacro REMOVE_STARTUP HKLM
    StrCpy $R7 $R9
    ${If} $R9 = 0
      MessageBox MB_OK|MB_ICONINFORMATION \
        "すべてのユーザーのスタートアップに登録された Tallyra を削除できませんでした。$\r$\n管理者として Tallyra を起動し、オプションの [スタートアップに登録] を外してください。" \
        /SD IDOK
    ${EndIf}
  ${EndIf}
  ${IfThen} $R7 = 1 ${|} WriteRegDWORD HKCU "${SETTINGS_KEY}" "hKeyStartUp" 0 ${|}

  ; The saved settings stay unless the user wants them gone.
  ClearErrors
  EnumRegValue $0 HKCU "${SETTINGS_KEY}" 0
  ${IfNot} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "保存されている Tallyra の設定（変数、計算履歴、ウィンドウの位置など）も削除しますか？" \
      /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${COMPANY_KEY}"
    keep:
  ${EndIf}

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
