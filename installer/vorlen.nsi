; The setup program of one build: made by `make dist` with
;   makensis -DVERSION=2.0 -DVERSION_QUAD=2.0.0.0 -DARCH=x64 -DSOURCE=<folder> -DSHORTCUT_TOOL=<exe>
;            -DOUTFILE=<setup.exe> vorlen.nsi
; where <folder> holds vorlen.exe, vorlen-cli.exe and README.txt, and <exe> is
; this build's shortcut-app-id.exe.
;
; Per user and without administrator rights: the program goes to
; %LOCALAPPDATA%\Programs\Vorlen, everything registered goes under HKCU.
; The uninstaller removes what was installed and registered, never the
; user's card files, backups or settings (%LOCALAPPDATA%\Vorlen).

Unicode true
; The 64-bit program's setup is itself a 64-bit program: it starts only
; where the program can run, and needs no 32-bit subsystem.
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Vorlen"
!define PUBLISHER "The Vorlen authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlen"
!define CLASSES "Software\Classes"
!define PROGID "Vorlen.CardDatabase"

Name "${PRODUCT} ${VERSION} (${ARCH})"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vorlen"
; Installing again, or over an older version, goes where the last one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) the Vorlen authors"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\vorlen.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vorlen"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; The running program calls itself "Vorlen" to the taskbar; a shortcut with
; the same id is grouped with its window and pinned as one. A shortcut
; without it still starts the program, so a failure is not an error.
!macro GiveShortcutAppId SHORTCUT
  InitPluginsDir
  File "/oname=$PLUGINSDIR\shortcut-app-id.exe" "${SHORTCUT_TOOL}"
  ExecWait '"$PLUGINSDIR\shortcut-app-id.exe" "${SHORTCUT}" ${PRODUCT}'
!macroend

Section "Vorlen" SectionProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${SOURCE}\vorlen.exe"
  File "${SOURCE}\vorlen-cli.exe"
  File "${SOURCE}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Vorlen.lnk" "$INSTDIR\vorlen.exe" "" "$INSTDIR\vorlen.exe" 0
  !insertmacro GiveShortcutAppId "$SMPROGRAMS\Vorlen.lnk"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (${ARCH})"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\vorlen.exe",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Optional and off by default.
Section /o "Desktop shortcut" SectionDesktop
  CreateShortcut "$DESKTOP\Vorlen.lnk" "$INSTDIR\vorlen.exe" "" "$INSTDIR\vorlen.exe" 0
  !insertmacro GiveShortcutAppId "$DESKTOP\Vorlen.lnk"
SectionEnd
Section "Open .data card files with Vorlen" SectionAssociation
  ; Another program's card files are taken over only when the user agrees;
  ; a silent install leaves them with it.
  ReadRegStr $0 HKCU "${CLASSES}\.data" ""
  ${If} $0 == ""
    ReadRegStr $0 HKLM "${CLASSES}\.data" ""
  ${EndIf}
  ${If} $0 != ""
  ${AndIf} $0 != "${PROGID}"
    MessageBox MB_YESNO|MB_ICONQUESTION "Card files (.data) open with $\"$0$\" now.$\n$\nOpen them with Vorlen instead?" /SD IDNO IDYES associate
    Goto done
  ${EndIf}
  associate:
  WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "Vorlen card database"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" '"$INSTDIR\vorlen.exe",0'
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\vorlen.exe" "%1"'
  WriteRegStr HKCU "${CLASSES}\.data\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "${CLASSES}\.data" "" "${PROGID}"
  ; SHCNE_ASSOCCHANGED: Explorer picks the new icon and verb up at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  done:
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\vorlen.exe"
  Delete "$INSTDIR\vorlen-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a card file the user kept in this folder stays, and so does the folder.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Vorlen.lnk"
  Delete "$DESKTOP\Vorlen.lnk"

  ; The association goes only where it is still ours.
  ReadRegStr $0 HKCU "${CLASSES}\.data" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKCU "${CLASSES}\.data" ""
  ${EndIf}
  DeleteRegValue HKCU "${CLASSES}\.data\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.data\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.data"
  DeleteRegKey HKCU "${CLASSES}\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
