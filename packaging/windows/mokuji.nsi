; The installer of mokuji.exe: installs the program for the user who runs it
; (no administrator), with a shortcut on the Start menu, one on the desktop
; and one in "Send to" (a folder or list file dropped on either, or sent to
; it, is listed: the use the program's help text describes), and registers
; an uninstaller that takes all of it away again. Japanese and English; /S
; installs silently, /D=FOLDER (last on the line) installs elsewhere.
;
; Built by the Windows build's target `installer` (packaging/windows/
; CMakeLists.txt), which defines:
;   VERSION          the project's version, from CMakeLists.txt (0.3.0)
;   VERSION_QUAD     the same in four parts, for the file's version (0.3.0.0)
;   PROGRAM          mokuji.exe as shipped (stripped)
;   INSPECT_PROGRAM  mokuji-inspect.exe as shipped (stripped)
;   SOURCE_DIR       the source tree: README.md, the icon
;   LICENSE_FILE     the tree's LICENSE, when it has one
;   OUTFILE          where the installer goes
; UTF-8: makensis is given -INPUTCHARSET UTF8.

!ifdef VERSION & VERSION_QUAD & PROGRAM & INSPECT_PROGRAM & SOURCE_DIR & OUTFILE
!else
    !error "build this with the Windows build's target installer: it defines VERSION, VERSION_QUAD, PROGRAM, INSPECT_PROGRAM, SOURCE_DIR and OUTFILE"
!endif

; A 64-bit installer for the 64-bit program: it runs wherever the program
; does (64-bit Windows; Wine without its 32-bit part, as here), and it sees
; the system's folders and registry without WOW64's redirection.
Target amd64-unicode
ManifestDPIAware true
; For this user alone: nothing asks for an administrator, nothing is
; written outside the user's profile and HKCU.
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\mokuji"
; One name for the three shortcuts; the uninstaller deletes the same ones.
!define SHORTCUT "mokuji.lnk"

Name "mokuji"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\mokuji"
; A new version goes where the last one is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "mokuji ${VERSION}"

!include "MUI2.nsh"

!define MUI_ICON "${SOURCE_DIR}/src/win32/art/icon.ico"
!define MUI_UNICON "${SOURCE_DIR}/src/win32/art/icon.ico"
!define MUI_ABORTWARNING

!ifdef LICENSE_FILE
    !insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Started without a path the program shows its window.
!define MUI_FINISHPAGE_RUN "$INSTDIR\mokuji.exe"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is taken where the system's language is neither, as the program
; itself speaks English only where the user's interface is English.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString ShortcutTip ${LANG_JAPANESE} "フォルダーか目次ファイルをドロップすると、そのフォルダーの目次ファイルを作成します"
LangString ShortcutTip ${LANG_ENGLISH} "Drop a folder or its list file here to make the folder's list"

; What Explorer shows of the installer itself.
VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "mokuji"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "mokuji ${VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "the mokuji project"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) the mokuji project"

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "/oname=mokuji.exe" "${PROGRAM}"
    ; The diagnostic of a column that comes out empty, run from a console.
    File "/oname=mokuji-inspect.exe" "${INSPECT_PROGRAM}"
    File "/oname=README.md" "${SOURCE_DIR}/README.md"
    ; The pages and pictures the README links to, where its links lead.
    SetOutPath "$INSTDIR\docs"
    File "/oname=bad-input.md" "${SOURCE_DIR}/docs/bad-input.md"
    File "/oname=design.md" "${SOURCE_DIR}/docs/design.md"
    File "/oname=developing.md" "${SOURCE_DIR}/docs/developing.md"
    File "/oname=list-libreoffice.png" "${SOURCE_DIR}/docs/list-libreoffice.png"
    File "/oname=speed.md" "${SOURCE_DIR}/docs/speed.md"
    File "/oname=window-linux-en.png" "${SOURCE_DIR}/docs/window-linux-en.png"
    File "/oname=window-linux-menu.png" "${SOURCE_DIR}/docs/window-linux-menu.png"
    File "/oname=window-linux.png" "${SOURCE_DIR}/docs/window-linux.png"
    File "/oname=window-windows-menu.png" "${SOURCE_DIR}/docs/window-windows-menu.png"
    File "/oname=window-windows.png" "${SOURCE_DIR}/docs/window-windows.png"
    SetOutPath "$INSTDIR"
!ifdef LICENSE_FILE
    File "/oname=LICENSE.txt" "${LICENSE_FILE}"
!endif
    ; Both programs are linked statically (cmake/toolchain-mingw64.cmake):
    ; they import system DLLs only, and none is shipped beside them.
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; Each starts in the program's folder ($OUTDIR), with the program's icon.
    CreateDirectory "$SMPROGRAMS"
    CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\mokuji.exe" "" "$INSTDIR\mokuji.exe" 0 \
        SW_SHOWNORMAL "" "$(ShortcutTip)"
    CreateDirectory "$DESKTOP"
    CreateShortCut "$DESKTOP\${SHORTCUT}" "$INSTDIR\mokuji.exe" "" "$INSTDIR\mokuji.exe" 0 \
        SW_SHOWNORMAL "" "$(ShortcutTip)"
    CreateDirectory "$SENDTO"
    CreateShortCut "$SENDTO\${SHORTCUT}" "$INSTDIR\mokuji.exe" "" "$INSTDIR\mokuji.exe" 0 \
        SW_SHOWNORMAL "" "$(ShortcutTip)"

    ; Settings → Apps lists it, for this user, with its uninstaller.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "mokuji"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the mokuji project"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mokuji.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize 0 $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Takes away what the installer put there and nothing else: the files by
; name, then the folder only if that left it empty (a user's own file in it
; stays, and so does the folder then). The program keeps no settings.
Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${SHORTCUT}"
    Delete "$DESKTOP\${SHORTCUT}"
    Delete "$SENDTO\${SHORTCUT}"
    Delete "$INSTDIR\mokuji.exe"
    Delete "$INSTDIR\mokuji-inspect.exe"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\docs\bad-input.md"
    Delete "$INSTDIR\docs\design.md"
    Delete "$INSTDIR\docs\developing.md"
    Delete "$INSTDIR\docs\list-libreoffice.png"
    Delete "$INSTDIR\docs\speed.md"
    Delete "$INSTDIR\docs\window-linux-en.png"
    Delete "$INSTDIR\docs\window-linux-menu.png"
    Delete "$INSTDIR\docs\window-linux.png"
    Delete "$INSTDIR\docs\window-windows-menu.png"
    Delete "$INSTDIR\docs\window-windows.png"
    RMDir "$INSTDIR\docs"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
