; The Windows installer, Quillon-<version>-setup.exe, made on Debian by scripts/build-windows.sh:
;   makensis -DVERSION=1.0.0 -DICON=<quillon.ico> -DFILES=<files.nsh> -DOUTFILE=<setup.exe> quillon.nsi
; FILES defines the macros QuillonInstallFiles and QuillonDeleteFiles from the folder's listing, so the
; uninstaller removes exactly what was installed.
;
; Per user by default, without administrator rights, below the user's own programs folder; for all
; users below Program Files when an administrator chooses it (or /AllUsers). Silent with /S; then
; /AddToPath puts quillon-cli on the PATH and /SetDefault makes Quillon the default program for .map
; files. The uninstaller keeps the settings unless asked (/RemoveSettings when silent).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh
!include "${FILES}"

!define PRODUCT "Quillon"
!define PUBLISHER "Brackwell"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!define PROG_ID "Quillon.MapFile"
!define SETTINGS_KEY "Software\Brackwell\Quillon"
!define USER_ENVIRONMENT "Environment"
!define MACHINE_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey LegalCopyright "Copyright © 2026 ${PUBLISHER}"

Var AllUsers      ; 1: for everyone, below Program Files
Var IsAdmin
Var ModeJustMe
Var ModeEveryone

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillon.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quillon"

Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; --- Install mode ----------------------------------------------------------------------------------

!macro UseMode prefix
Function ${prefix}UseMode
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd
!macroend
!insertmacro UseMode ""
!insertmacro UseMode "un."

!macro ReadAccount
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${Else}
    StrCpy $IsAdmin 0
  ${EndIf}
!macroend


Function ModePage
  ; Started elevated for everyone: nothing left to choose.
  ${If} $AllUsers == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose who uses ${PRODUCT}" "Install it for yourself or for everyone on this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u "Just for me (no administrator rights needed)"
  Pop $ModeJustMe
  ${NSD_CreateRadioButton} 0 30u 100% 12u "For everyone on this computer (Windows asks for administrator rights)"
  Pop $ModeEveryone
  ${NSD_Check} $ModeJustMe
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $ModeEveryone $0
  ${If} $0 == ${BST_CHECKED}
    ${If} $IsAdmin == 0
      ; The elevated copy starts over for everyone; this one ends.
      ExecShell "runas" "$EXEPATH" "/AllUsers"
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    StrCpy $AllUsers 0
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
  Call UseMode
FunctionEnd

; --- The PATH --------------------------------------------------------------------------------------

; $R0: a PATH value, $R1: an entry. Leaves in $R2 the PATH without that entry (compared ignoring case,
; as Windows does), every other entry as it was.
!macro PathWithout prefix
Function ${prefix}PathWithout
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  StrCpy $R2 ""
  StrCpy $R3 ""
  StrCpy $R4 0
  StrCpy $R6 1 ; the first entry kept takes no separator
  ${Do}
    StrCpy $R5 $R0 1 $R4
    ${If} $R5 == ";"
    ${OrIf} $R5 == ""
      ${If} $R3 != $R1
        ${If} $R6 == 1
          StrCpy $R2 $R3
          StrCpy $R6 0
        ${Else}
          StrCpy $R2 "$R2;$R3"
        ${EndIf}
      ${EndIf}
      StrCpy $R3 ""
      ${IfThen} $R5 == "" ${|} ${ExitDo} ${|}
    ${Else}
      StrCpy $R3 "$R3$R5"
    ${EndIf}
    IntOp $R4 $R4 + 1
  ${Loop}
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
FunctionEnd
!macroend
!insertmacro PathWithout ""
!insertmacro PathWithout "un."

!macro EnvironmentChanged
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=500
!macroend

Function AddToPath
  ${If} $AllUsers == 1
    ReadRegStr $R0 HKLM "${MACHINE_ENVIRONMENT}" "Path"
  ${Else}
    ReadRegStr $R0 HKCU "${USER_ENVIRONMENT}" "Path"
  ${EndIf}
  StrLen $0 $R0
  IntOp $1 ${NSIS_MAX_STRLEN} - 1
  ${If} $0 >= $1
    ; The installer's strings would cut a longer value short: the PATH stays as it is.
    DetailPrint "The PATH is too long to change safely; add $INSTDIR to it yourself."
    MessageBox MB_OK|MB_ICONEXCLAMATION "The PATH is too long to change safely; add $INSTDIR to it yourself." /SD IDOK
    Return
  ${EndIf}
  StrCpy $R1 $INSTDIR
  Call PathWithout
  ${If} $R2 != $R0
    DetailPrint "$INSTDIR is on the PATH already."
    Return
  ${EndIf}
  ${If} $R0 == ""
    StrCpy $R0 $INSTDIR
  ${Else}
    StrCpy $R0 "$R0;$INSTDIR"
  ${EndIf}
  ${If} $AllUsers == 1
    WriteRegExpandStr HKLM "${MACHINE_ENVIRONMENT}" "Path" $R0
  ${Else}
    WriteRegExpandStr HKCU "${USER_ENVIRONMENT}" "Path" $R0
  ${EndIf}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "QuillonAddedToPath" 1
  !insertmacro EnvironmentChanged
FunctionEnd

Function un.RemoveFromPath
  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "QuillonAddedToPath"
  ${If} $0 != 1
    Return
  ${EndIf}
  ${If} $AllUsers == 1
    ReadRegStr $R0 HKLM "${MACHINE_ENVIRONMENT}" "Path"
  ${Else}
    ReadRegStr $R0 HKCU "${USER_ENVIRONMENT}" "Path"
  ${EndIf}
  StrLen $0 $R0
  IntOp $1 ${NSIS_MAX_STRLEN} - 1
  ${If} $0 >= $1
    DetailPrint "The PATH is too long to change safely; remove $INSTDIR from it yourself."
    Return
  ${EndIf}
  StrCpy $R1 $INSTDIR
  Call un.PathWithout
  ${If} $R2 == $R0
    Return
  ${EndIf}
  ${If} $AllUsers == 1
    ${If} $R2 == ""
      DeleteRegValue HKLM "${MACHINE_ENVIRONMENT}" "Path"
    ${Else}
      WriteRegExpandStr HKLM "${MACHINE_ENVIRONMENT}" "Path" $R2
    ${EndIf}
  ${Else}
    ${If} $R2 == ""
      DeleteRegValue HKCU "${USER_ENVIRONMENT}" "Path"
    ${Else}
      WriteRegExpandStr HKCU "${USER_ENVIRONMENT}" "Path" $R2
    ${EndIf}
  ${EndIf}
  !insertmacro EnvironmentChanged
FunctionEnd

; --- Sections --------------------------------------------------------------------------------------

!macro AssociationsChanged
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED
!macroend

Section "${PRODUCT} (the window and quillon-cli)" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro QuillonInstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quillon.exe" "" "$INSTDIR\quillon.exe" 0 \
    SW_SHOWNORMAL "" "Compiled code size of each unit of a Delphi project"

  ; "Open with Quillon" for .map files, without taking over their default program.
  WriteRegStr SHCTX "Software\Classes\${PROG_ID}" "" "Delphi MAP file"
  WriteRegStr SHCTX "Software\Classes\${PROG_ID}\DefaultIcon" "" "$INSTDIR\quillon.exe,0"
  WriteRegStr SHCTX "Software\Classes\${PROG_ID}\shell\open" "" "Open with ${PRODUCT}"
  WriteRegStr SHCTX "Software\Classes\${PROG_ID}\shell\open\command" "" '"$INSTDIR\quillon.exe" --open "%1"'
  WriteRegNone SHCTX "Software\Classes\.map\OpenWithProgids" "${PROG_ID}"
  WriteRegStr SHCTX "Software\Classes\Applications\quillon.exe" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr SHCTX "Software\Classes\Applications\quillon.exe\SupportedTypes" ".map" ""
  WriteRegStr SHCTX "Software\Classes\Applications\quillon.exe\shell\open\command" "" '"$INSTDIR\quillon.exe" --open "%1"'

  ; "Apps & features"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillon.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "https://brackwell.example/quillon"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Open .map files with ${PRODUCT} by default" SecDefault
  ReadRegStr $0 SHCTX "Software\Classes\.map" ""
  ${If} $0 != "${PROG_ID}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuillonPreviousDefault" $0
    WriteRegStr SHCTX "Software\Classes\.map" "" "${PROG_ID}"
  ${EndIf}
SectionEnd

Section /o "Add quillon-cli to the PATH" SecPath
  Call AddToPath
SectionEnd

Section "-Associations changed"
  !insertmacro AssociationsChanged
SectionEnd

; Section indexes exist only below their sections.
Function .onInit
  !insertmacro ReadAccount
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    ${If} $IsAdmin == 0
      ; Administrator rights are asked for only here, where everyone's installation needs them.
      ${If} ${Silent}
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
      ${EndIf}
      ExecShell "runas" "$EXEPATH" "/AllUsers"
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
  Call UseMode
  ClearErrors
  ${GetOptions} $R0 "/AddToPath" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/SetDefault" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecDefault} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; --- Uninstaller -----------------------------------------------------------------------------------


Section "-un.${PRODUCT}"
  Call un.RemoveFromPath

  ReadRegStr $0 SHCTX "Software\Classes\.map" ""
  ${If} $0 == "${PROG_ID}"
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "QuillonPreviousDefault"
    ${If} $1 == ""
      DeleteRegValue SHCTX "Software\Classes\.map" ""
    ${Else}
      WriteRegStr SHCTX "Software\Classes\.map" "" $1
    ${EndIf}
  ${EndIf}
  DeleteRegValue SHCTX "Software\Classes\.map\OpenWithProgids" "${PROG_ID}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.map\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.map"
  DeleteRegKey SHCTX "Software\Classes\${PROG_ID}"
  DeleteRegKey SHCTX "Software\Classes\Applications\quillon.exe"
  !insertmacro AssociationsChanged

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro QuillonDeleteFiles
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.${PRODUCT}'s settings and error log" SecRemoveSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Brackwell"
  SetShellVarContext current
  RMDir /r "$LOCALAPPDATA\Brackwell\Quillon"
  RMDir "$LOCALAPPDATA\Brackwell"
  Call un.UseMode
SectionEnd

Function un.onInit
  !insertmacro ReadAccount
  ; The installation this uninstaller belongs to names it: the user's own or everyone's.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $AllUsers 0
  ${If} $0 != $INSTDIR
  ${AndIf} $1 == $INSTDIR
    StrCpy $AllUsers 1
    ${If} $IsAdmin == 0
      ${If} ${Silent}
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
      ${EndIf}
      MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} was installed for everyone: its removal needs administrator rights."
      Quit
    ${EndIf}
  ${EndIf}
  Call un.UseMode
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RemoveSettings" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecRemoveSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
