; The Windows installer of kiroku: per user, without administrator rights.
; scripts/windows.sh compiles it with makensis -INPUTCHARSET UTF8 and defines
; VERSION, STAGE (the folder holding what the zip holds), ICON and OUTFILE.
; 64-bit, as kiroku.exe is: it runs where only 64-bit Windows programs run.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh

!define APP "試合記録 kiroku"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kiroku"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\kiroku"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "kiroku"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "kiroku ${VERSION} のインストーラー"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) 2026 kiroku developers, GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartFromShortcut
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Section
  SetOutPath "$INSTDIR"
  File "${STAGE}\kiroku.exe"
  File "${STAGE}\kiroku-recover.exe"
  File "${STAGE}\readme.txt"
  File "${STAGE}\LICENSE.txt"
  File /r "${STAGE}\notices"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The files of "データ保存" and "データ登録" go where the operator looks for
  ; them: the shortcut's working folder is the current output path.
  CreateDirectory "$DOCUMENTS\kiroku"
  SetOutPath "$DOCUMENTS\kiroku"
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\kiroku.exe" "" "$INSTDIR\kiroku.exe" 0
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "kiroku developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kiroku.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Function StartFromShortcut
  ExecShell "" "$SMPROGRAMS\${APP}.lnk"
FunctionEnd

; Removes the program and its entries; the operator's files and the journal stay.
Section "Uninstall"
  Delete "$INSTDIR\kiroku.exe"
  Delete "$INSTDIR\kiroku-recover.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\LICENSE.txt"
  RMDir /r "$INSTDIR\notices"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DetailPrint "記録のファイルは $DOCUMENTS\kiroku に、ジャーナルは $LOCALAPPDATA\kiroku\journal に残してあります。"
  MessageBox MB_OK|MB_ICONINFORMATION "kiroku を削除しました。$\r$\n$\r$\nスタートメニューから起動したときの記録のファイル（morvane.txt、○○list.xls、○○table.xls）は次のフォルダーに残してあります:$\r$\n$DOCUMENTS\kiroku$\r$\n$\r$\n操作の記録（ジャーナル。選手名を含みます）は次のフォルダーに残してあります:$\r$\n$LOCALAPPDATA\kiroku\journal$\r$\n$\r$\n不要なら、これらのフォルダーを削除してください。" /SD IDOK
SectionEnd
