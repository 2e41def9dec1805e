; The Windows installer of Quovel Pattern Manager, packed on Linux with
; makensis (cmake/QvlWindowsPackage.cmake, target windows-installer):
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.4 -DSHOWN_VERSION=0.04 -DSTAGE=folder
;            -DICON=quovel-pm.ico -DOUTFILE=quovel-pm-setup-0.4.exe quovel-pm.nsi
; STAGE is the folder that `cmake --install` made; STAGE.files.nsh and
; STAGE.unfiles.nsh beside it (scripts/nsis-file-lists.py) list its files for
; the installer and the uninstaller, so that the uninstaller removes exactly
; those.
;
; Per user by default, without administrator rights, into
; %LOCALAPPDATA%\Programs; /AllUsers (or the choice on the first page, when
; run as administrator) installs for everyone into Program Files. The
; uninstaller removes the program's files, its Start-menu entry and its
; registry keys, and nothing the user made (plans, settings).

; A 64-bit installer for a 64-bit program; it runs where the program runs
; (and under a Wine without its 32-bit part).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include x64.nsh

!define APP "Quovel Pattern Manager"
!define EXE "quovel-pm.exe"
!define PROGID "QuovelPM.Pattern"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\quovel-pm"
!define CLASSES "Software\Classes"

Name "${APP} ${SHOWN_VERSION}"
OutFile "${OUTFILE}"
InstallDir ""
BrandingText "${APP} ${SHOWN_VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "${APP}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${SHOWN_VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "MIT (Qt: LGPL-3 / GPL-3)"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"

Var AllUsers
Var RadioMe
Var RadioAll

!insertmacro MUI_PAGE_LICENSE "${STAGE}\licences\README.txt"
Page custom InstallModePage InstallModeLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString ModeTitle ${LANG_JAPANESE} "インストールの対象"
LangString ModeTitle ${LANG_ENGLISH} "Install for"
LangString ModeText ${LANG_JAPANESE} "だれが使えるようにしますか。"
LangString ModeText ${LANG_ENGLISH} "Who will use the program?"
LangString ModeMe ${LANG_JAPANESE} "自分だけ（管理者の権限は要りません）"
LangString ModeMe ${LANG_ENGLISH} "Only me (no administrator rights needed)"
LangString ModeAll ${LANG_JAPANESE} "このコンピュータのすべてのユーザー（管理者として実行したとき）"
LangString ModeAll ${LANG_ENGLISH} "All users of this computer (when run as administrator)"
LangString NeedAdmin ${LANG_JAPANESE} "すべてのユーザーへのインストールには、管理者としてこのインストーラを実行してください。"
LangString NeedAdmin ${LANG_ENGLISH} "To install for all users, run this installer as administrator."
LangString FileType ${LANG_JAPANESE} "Quovel パターンファイル"
LangString FileType ${LANG_ENGLISH} "Quovel pattern file"

Function IsAdmin
  ; Pushes 1 when the installer runs with administrator rights, else 0.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

Function SetMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
  ${Else}
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
  ${EndIf}
FunctionEnd

Function .onInit
  SetRegView 64
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    Call IsAdmin
    Pop $R2
    ${If} $R2 != 1
      MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
  ${EndIf}
  ; A /D= on the command line names the folder; it is in $INSTDIR already.
  ${If} $INSTDIR == ""
    Call SetMode
  ${ElseIf} $AllUsers == 1
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Function InstallModePage
  !insertmacro MUI_HEADER_TEXT "$(ModeTitle)" "$(ModeText)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u "$(ModeMe)"
  Pop $RadioMe
  ${NSD_CreateRadioButton} 0 30u 100% 12u "$(ModeAll)"
  Pop $RadioAll
  Call IsAdmin
  Pop $R2
  ${If} $R2 != 1
    EnableWindow $RadioAll 0
  ${EndIf}
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioMe
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function InstallModeLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call SetMode
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  !include "${STAGE}.files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  ; The pattern file type: .pat is a plan of this program, shown with its
  ; icon and opened by it. SHCTX is HKCU or HKLM, as chosen.
  WriteRegStr SHCTX "${CLASSES}\.pat" "" "${PROGID}"
  WriteRegStr SHCTX "${CLASSES}\.pat\OpenWithProgids" "${PROGID}" ""
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "$(FileType)"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr SHCTX "${CLASSES}\Applications\${EXE}\SupportedTypes" ".pat" ""

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${SHOWN_VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" '"$INSTDIR\${EXE}",0'
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${APP}"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD SHCTX "${UNINST_KEY}" "AllUsers" $AllUsers

  ; Explorer shows the new icon at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Function un.onInit
  SetRegView 64
  ; Installed for everyone when the machine's uninstall entry names this
  ; folder; then only an administrator may remove it.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !include "${STAGE}.unfiles.nsh"
  Delete "$INSTDIR\uninstall.exe"
  ; Only empty: whatever the user put there stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${APP}.lnk"

  ; .pat is left to whatever took it over since.
  ReadRegStr $0 SHCTX "${CLASSES}\.pat" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue SHCTX "${CLASSES}\.pat" ""
  ${EndIf}
  DeleteRegValue SHCTX "${CLASSES}\.pat\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty SHCTX "${CLASSES}\.pat\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "${CLASSES}\.pat"
  DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
  DeleteRegKey SHCTX "${CLASSES}\Applications\${EXE}"
  DeleteRegKey SHCTX "${UNINST_KEY}"

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
