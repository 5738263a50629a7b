; The KAVRO companion installer: kavro.exe, kavro-cli.exe, the user guide and the
; demo set into one folder, a Start menu entry, an uninstaller in Apps & features,
; "Open with KAVRO" for .psd files and, when asked, kavro-cli on the PATH.
;
;   makensis -DVERSION=1.0.0 -DSTAGE=<installed tree> -DOUTFILE=<setup.exe> kavro.nsi
;
; Command line of the setup program:
;   /S             silent
;   /CURRENTUSER   for this user only, without administrator rights (the default when
;                  the user has none): %LOCALAPPDATA%\Programs\KAVRO companion
;   /PATH          put kavro-cli on the PATH (the "Command line on the PATH" component)
;   /D=FOLDER      another folder (last on the line, no quotes)
; The uninstaller leaves the user's settings (%APPDATA%\kavro) where they are.

; A 64-bit installer for a 64-bit program (it runs where the program runs).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include LogicLib.nsh
!include x64.nsh
!include WinMessages.nsh

!define PRODUCT "KAVRO companion"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KAVRO companion"
!define PROGID "KAVRO.psd"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel highest
BrandingText "${PRODUCT} ${VERSION}"

Var AllUsers

!define MUI_ICON "${STAGE}\kavro.ico"
!define MUI_UNICON "${STAGE}\kavro.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\kavro.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; HKLM and the common Start menu for everyone, HKCU and the user's own for one user:
; the registry root SHCTX and the shell folders follow the context.
!macro ChooseContext
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend



Section "${PRODUCT}" SecProgram
  SectionIn RO
  !insertmacro ChooseContext
  SetOutPath "$INSTDIR"
  File "${STAGE}\kavro.exe"
  File "${STAGE}\kavro-cli.exe"
  File "${STAGE}\kavro.ico"
  File "${STAGE}\README.md"
  SetOutPath "$INSTDIR\docs"
  File "${STAGE}\docs\*.md"
  SetOutPath "$INSTDIR\demo"
  File "${STAGE}\demo\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kavro.exe" "" "$INSTDIR\kavro.ico"

  ; "Open with" for .psd files, without taking them from another program.
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "KAVRO particle size distribution"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\kavro.exe,0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open" "FriendlyAppName" "KAVRO"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\kavro.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\.psd\OpenWithProgids" "${PROGID}" ""
  WriteRegStr SHCTX "Software\Classes\Applications\kavro.exe\shell\open\command" "" '"$INSTDIR\kavro.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\Applications\kavro.exe\SupportedTypes" ".psd" ""

  ; Apps & features.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kavro.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  ; Tells the uninstaller for whom it was installed.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "AllUsers" $AllUsers
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section /o "Command line on the PATH" SecPath
  ${If} $AllUsers == 1
    ReadRegStr $0 HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path"
  ${Else}
    ReadRegStr $0 HKCU "Environment" "Path"
  ${EndIf}
  ${WordAdd} "$0" ";" "+$INSTDIR" $1
  ${If} $AllUsers == 1
    WriteRegExpandStr HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path" "$1"
  ${Else}
    WriteRegExpandStr HKCU "Environment" "Path" "$1"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "OnPath" "1"
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
SectionEnd

; After the sections: it selects one of them by its index.
Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  StrCpy $AllUsers 1
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    StrCpy $AllUsers 0
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CURRENTUSER" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  ${If} $AllUsers == 0
  ${AndIf} $INSTDIR == "$PROGRAMFILES64\${PRODUCT}"
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro ChooseContext
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "OnPath"
  ${If} $0 == "1"
    ${If} $AllUsers == 1
      ReadRegStr $1 HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path"
      ${WordAdd} "$1" ";" "-$INSTDIR" $2
      WriteRegExpandStr HKLM "SYSTEM\CurrentControlSet\Control\Session Manager\Environment" "Path" "$2"
    ${Else}
      ReadRegStr $1 HKCU "Environment" "Path"
      ${WordAdd} "$1" ";" "-$INSTDIR" $2
      WriteRegExpandStr HKCU "Environment" "Path" "$2"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\kavro.exe"
  Delete "$INSTDIR\kavro-cli.exe"
  Delete "$INSTDIR\kavro.ico"
  Delete "$INSTDIR\README.md"
  RMDir /r "$INSTDIR\docs"
  RMDir /r "$INSTDIR\demo"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  DeleteRegValue SHCTX "Software\Classes\.psd\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.psd\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.psd"
  DeleteRegKey SHCTX "Software\Classes\Applications\kavro.exe"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
