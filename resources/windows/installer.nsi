; The Windows installer of the Vyr Administration Software (NSIS). scripts/windows-build
; makes it from the files `cmake --install` lays out:
;   makensis -DVERSION=0.1 -DSTAGE=<installed folder> -DOUTFILE=<setup.exe> installer.nsi
; It installs vyradmin.exe, vyrctl.exe and Doc/ for all users, adds a Start-menu entry for the
; window, puts the folder on the system PATH (so that vyrctl runs from any command prompt),
; lets .Vyr files open in the window, and registers an uninstaller that removes all of it.
; /S installs (and uninstalls) silently.

; A 64-bit installer, as the programs are: it runs where they run (Wine without its 32-bit
; part too).
Target amd64-unicode
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "x64.nsh"

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be given (-DVERSION=... -DSTAGE=... -DOUTFILE=...)"
!endif

!define PRODUCT "Vyr Administration Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VyrAdministrationSoftware"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define FILE_CLASS "Vyr.SettingsFile"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "Corvanta"
VIAddVersionKey "LegalCopyright" "Corvanta"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; ---- the system PATH ----
; NSIS strings hold at most ${NSIS_MAX_STRLEN} characters. A PATH that does not fit is left
; alone rather than written back cut short.

; Position of $1 (needle) in $0 (haystack) as ";entry;" in ";PATH;", or -1, in $2.
!macro FindPathEntry un
Function ${un}FindPathEntry
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $3 ";$0;"
  StrCpy $4 ";$1;"
  StrLen $5 $4
  StrCpy $2 0
  ${Do}
    StrCpy $6 $3 $5 $2
    ${If} $6 == ""
      StrCpy $2 -1
      ${Break}
    ${EndIf}
    ${If} $6 == $4
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Pop $6
  Pop $5
  Pop $4
  Pop $3
FunctionEnd
!macroend
!insertmacro FindPathEntry ""
!insertmacro FindPathEntry "un."

Function AddToPath
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $2 $0
  StrLen $3 $INSTDIR
  IntOp $2 $2 + $3
  IntOp $2 $2 + 2
  ${If} $2 >= ${NSIS_MAX_STRLEN}
    DetailPrint "The system PATH is too long to change; add $INSTDIR to it by hand."
    Return
  ${EndIf}
  StrCpy $1 $INSTDIR
  Call FindPathEntry
  ${If} $2 >= 0
    Return
  ${EndIf}
  ${If} $0 == ""
    StrCpy $0 $INSTDIR
  ${Else}
    StrCpy $0 "$0;$INSTDIR"
  ${EndIf}
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $0
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
FunctionEnd

Function un.RemoveFromPath
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $2 $0
  IntOp $2 $2 + 1
  ${If} $2 >= ${NSIS_MAX_STRLEN}
    DetailPrint "The system PATH is too long to change; remove $INSTDIR from it by hand."
    Return
  ${EndIf}
  StrCpy $1 $INSTDIR
  Call un.FindPathEntry
  ${If} $2 < 0
    Return
  ${EndIf}
  ; ";PATH;" without ";INSTDIR", then without the surrounding semicolons.
  StrCpy $3 ";$0;"
  StrLen $4 $INSTDIR
  IntOp $4 $4 + 1
  StrCpy $5 $3 $2
  IntOp $6 $2 + $4
  StrCpy $7 $3 "" $6
  StrCpy $3 "$5$7"
  StrCpy $3 $3 "" 1
  StrLen $4 $3
  IntOp $4 $4 - 1
  StrCpy $3 $3 $4
  WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $3
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
FunctionEnd

Function .onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${STAGE}\vyradmin.exe"
  File "${STAGE}\vyrctl.exe"
  SetOutPath "$INSTDIR\Doc"
  File "${STAGE}\Doc\Vyr_help.html"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\vyradmin.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  ; .Vyr files open in the window.
  WriteRegStr HKLM "Software\Classes\.Vyr" "" "${FILE_CLASS}"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}" "" "Vyr settings file"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\DefaultIcon" "" "$INSTDIR\vyradmin.exe,0"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\vyradmin.exe" "%1"'

  Call AddToPath

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Corvanta"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vyradmin.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.RemoveFromPath
  Delete "$INSTDIR\vyradmin.exe"
  Delete "$INSTDIR\vyrctl.exe"
  Delete "$INSTDIR\Doc\Vyr_help.html"
  RMDir "$INSTDIR\Doc"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; The file type only while it still names this program.
  ReadRegStr $0 HKLM "Software\Classes\.Vyr" ""
  ${If} $0 == "${FILE_CLASS}"
    DeleteRegKey HKLM "Software\Classes\.Vyr"
  ${EndIf}
  DeleteRegKey HKLM "Software\Classes\${FILE_CLASS}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
