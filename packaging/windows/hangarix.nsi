; The Windows installer of Hangarix, made by scripts/package.sh with NSIS (makensis), which
; passes on its command line:
;   VERSION      the version of the project, e.g. 0.1.0
;   STAGE        the folder of the portable build: the programs, their DLLs, plugins, texts
;   FILES_NSH    the uninstaller's list of what STAGE holds (Delete and RMDir lines)
;   ICON         the program's icon
;   OUTFILE      the installer to write
;
; For the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Hangarix. Installing over an older version first runs that version's
; own uninstaller in place, in its upgrade mode, so files an older version had and this one
; dropped do not stay behind, and the user's folders and the working caches are left alone.
; Uninstalling removes the program files, the Start-menu shortcut and the "Apps & features"
; entry, and keeps the folders the user fills beside the program: downloads and history.

!ifndef VERSION | STAGE | FILES_NSH | ICON | OUTFILE
  !error "VERSION, STAGE, FILES_NSH, ICON and OUTFILE must be defined (-D on makensis' command line)"
!endif

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Hangarix"
!define PUBLISHER "Hangarix"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Hangarix"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An earlier install's folder is reused, so an upgrade lands where the old version is.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "See the licences folder"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The program asks for administrator rights when it starts (it writes into the simulator's
; folder), so it is started through the shell, which asks for them, not by CreateProcess.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function StartProgram
  ExecShell "" "$INSTDIR\hangarix.exe"
FunctionEnd

Section "Hangarix" SecMain
  SectionIn RO
  SetShellVarContext current

  ; An earlier version: its own uninstaller, run in place (_?= keeps it from copying itself
  ; away and returning early), removes exactly the files it installed.
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    DetailPrint "Removing the files of the version installed before"
    ExecWait '"$INSTDIR\${UNINSTALLER}" /S /UPGRADE _?=$INSTDIR'
    Delete "$INSTDIR\${UNINSTALLER}"
  ${EndIf}

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\hangarix.exe" "" "$INSTDIR\hangarix.exe" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\hangarix.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  SetShellVarContext current

  ; The program files, one by one: nothing the installer did not put there.
  !include "${FILES_NSH}"
  Delete "$INSTDIR\${UNINSTALLER}"

  ; An upgrade (the next version's installer runs this with /UPGRADE) writes its own shortcut
  ; and entry, and the working caches stay for the new version.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/UPGRADE" $R1
  ${If} ${Errors}
    ; The caches the program fills itself: pictures of the catalogue, downloaded archives and
    ; their unpacked copies.
    RMDir /r "$INSTDIR\images"
    RMDir /r "$INSTDIR\tempzip"
    RMDir /r "$INSTDIR\templiv"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINST_KEY}"
  ${EndIf}

  ; The folder goes only when empty: downloads and history are the user's.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\downloads\*.*"
  ${OrIf} ${FileExists} "$INSTDIR\history\*.*"
    DetailPrint "Kept your downloads and history in $INSTDIR"
    ${IfNot} ${Silent}
      MessageBox MB_OK|MB_ICONINFORMATION "Hangarix was removed. Your downloads and history are kept in$\r$\n$INSTDIR"
    ${EndIf}
  ${EndIf}
SectionEnd
