; The Tarnixw installer for 64-bit Windows (NSIS 3). tools/windows.sh passes:
;   VERSION  the program's version          STAGE  the folder holding what is installed
;   OUTFILE  the installer to write         FILES  an include file of Delete lines for STAGE
;   ICON     the program icon
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnixw"
; The system environment: its Path lets a console start tarnixw-cli by name.
!define ENV_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

!include "WinMessages.nsh"

Name "Tarnixw ${VERSION}"
Caption "Tarnixw ${VERSION} Setup"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Tarnixw"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tarnixw"
VIAddVersionKey "FileDescription" "Tarnixw ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Tarnixw"
VIAddVersionKey "LegalCopyright" "Tarnixw developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Where ";ENTRY;" ($R1) starts in ";PATH;" ($R0), in $R2; -1 when it is not there. Windows
; compares paths without regard to case, and so does StrCmp.
!macro FIND_PATH_ENTRY UN
Function ${UN}FindPathEntry
  Push $R3
  Push $R4
  StrLen $R3 $R1
  StrCpy $R2 0
  next:
    StrCpy $R4 $R0 $R3 $R2
    StrCmp $R4 $R1 done
    StrCmp $R4 "" absent
    IntOp $R2 $R2 + 1
    Goto next
  absent:
    StrCpy $R2 -1
  done:
  Pop $R4
  Pop $R3
FunctionEnd
!macroend
!insertmacro FIND_PATH_ENTRY ""
!insertmacro FIND_PATH_ENTRY "un."

Section "Tarnixw"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tarnixw.lnk" "$INSTDIR\tarnixw.exe" "" "$INSTDIR\tarnixw.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarnixw"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarnixw developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnixw.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; tarnixw-cli from any console: the folder joins the system Path unless it is on it already.
  ; A Path this installer cannot hold whole (its strings end at NSIS_MAX_STRLEN characters) is
  ; left alone rather than written back cut short; the details then say so.
  ClearErrors
  ReadRegStr $R5 HKLM "${ENV_KEY}" "Path"
  IfErrors path_too_long
  StrCmp $R5 "" path_too_long
  StrLen $R3 $R5
  StrLen $R4 "$INSTDIR"
  IntOp $R3 $R3 + $R4
  IntOp $R3 $R3 + 3
  IntCmp $R3 ${NSIS_MAX_STRLEN} path_too_long 0 path_too_long
  StrCpy $R0 ";$R5;"
  StrCpy $R1 ";$INSTDIR;"
  Call FindPathEntry
  IntCmp $R2 -1 0 path_done path_done
  StrCpy $R4 $R5 1 -1
  StrCmp $R4 ";" 0 +2
    StrCpy $R5 $R5 -1
  WriteRegExpandStr HKLM "${ENV_KEY}" "Path" "$R5;$INSTDIR"
  ; Only an entry this installer added is taken out again by the uninstaller.
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  DetailPrint "Added $INSTDIR to the system Path: a new console starts tarnixw-cli by name."
  Goto path_done
  path_too_long:
    DetailPrint "The system Path was left as it is; start tarnixw-cli as $\"$INSTDIR\tarnixw-cli.exe$\"."
  path_done:
SectionEnd

; Only what the installer put there goes: a folder the user chose may hold other files.
Section "Uninstall"
  SetShellVarContext all
  ; The Path entry the installer added, and nothing else: the rest of the value stays as it is.
  ReadRegDWORD $R6 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  StrCmp $R6 1 0 path_done
  ClearErrors
  ReadRegStr $R5 HKLM "${ENV_KEY}" "Path"
  IfErrors path_too_long
  StrLen $R3 $R5
  IntOp $R3 $R3 + 3
  IntCmp $R3 ${NSIS_MAX_STRLEN} path_too_long 0 path_too_long
  StrCpy $R0 ";$R5;"
  StrCpy $R1 ";$INSTDIR;"
  Call un.FindPathEntry
  IntCmp $R2 -1 path_done
  ; ";before" and ";after;" joined at the entry's closing ';', then the added ends dropped.
  StrCpy $R3 $R0 $R2
  StrLen $R4 $R1
  IntOp $R4 $R4 + $R2
  IntOp $R4 $R4 - 1
  StrCpy $R4 $R0 "" $R4
  StrCpy $R0 "$R3$R4" "" 1
  StrCpy $R0 $R0 -1
  WriteRegExpandStr HKLM "${ENV_KEY}" "Path" $R0
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  Goto path_done
  path_too_long:
    DetailPrint "The system Path has grown too long for this uninstaller: take $INSTDIR out of it by hand."
  path_done:
  Delete "$SMPROGRAMS\Tarnixw.lnk"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
