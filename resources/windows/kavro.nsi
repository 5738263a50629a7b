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

; HKLM and the common Start menu for everyone, HKCU and the user's own for one user.
!macro ChooseContext
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

!macro WriteKey key name value
  ${If} $AllUsers == 1
    WriteRegStr HKLM "${key}" "${name}" `${value}`
  ${Else}
    WriteRegStr HKCU "${key}" "${name}" `${value}`
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
  !insertmacro WriteKey "Software\Classes\${PROGID}" "" "KAVRO particle size distribution"
  !insertmacro WriteKey "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\kavro.exe,0"
  !insertmacro WriteKey "Software\Classes\${PROGID}\shell\open" "FriendlyAppName" "KAVRO"
  !insertmacro WriteKey "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\kavro.exe" "%1"'
  !insertmacro WriteKey "Software\Classes\.psd\OpenWithProgids" "${PROGID}" ""
  !insertmacro WriteKey "Software\Classes\Applications\kavro.exe\shell\open\command" "" '"$INSTDIR\kavro.exe" "%1"'
  !insertmacro WriteKey "Software\Classes\Applications\kavro.exe\SupportedTypes" ".psd" ""

  ; Apps & features.
  !insertmacro WriteKey "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  !insertmacro WriteKey "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  !insertmacro WriteKey "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  !insertmacro WriteKey "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kavro.exe,0"
  !insertmacro WriteKey "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  !insertmacro WriteKey "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  !insertmacro WriteKey "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ${If} $AllUsers == 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${Else}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${If} $AllUsers == 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${Else}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${EndIf}
  ; Tells the uninstaller for whom it was installed.
  !insertmacro WriteKey "${UNINSTALL_KEY}" "AllUsers" $AllUsers
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
  !insertmacro WriteKey "${UNINSTALL_KEY}" "OnPath" "1"
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
  ${If} $AllUsers == 1
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "OnPath"
  ${Else}
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "OnPath"
  ${EndIf}
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

  ${If} $AllUsers == 1
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    DeleteRegValue HKLM "Software\Classes\.psd\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKLM "Software\Classes\.psd\OpenWithProgids"
    DeleteRegKey /ifempty HKLM "Software\Classes\.psd"
    DeleteRegKey HKLM "Software\Classes\Applications\kavro.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${Else}
    DeleteRegKey HKCU "Software\Classes\${PROGID}"
    DeleteRegValue HKCU "Software\Classes\.psd\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKCU "Software\Classes\.psd\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "Software\Classes\.psd"
    DeleteRegKey HKCU "Software\Classes\Applications\kavro.exe"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
