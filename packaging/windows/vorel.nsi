; Vorel's 64-bit Windows installer: the VST3, CLAP and LV2 plugins, each a
; component (all chosen by default), into the folders of Common Files where
; Windows hosts look; an entry in Add/Remove Programs and an uninstaller
; that deletes exactly the files the installer wrote.
; makensis -DVERSION=<x.y.z> -DSTAGE=<folder as the zip holds it> -DOUT=<setup.exe> vorel.nsi
Unicode true
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorel"
Name "Vorel ${VERSION}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\Vorel"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Vorel is built for 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Section "VST3 plugin" SecVst3
  SetOutPath "$COMMONFILES64\VST3\vorel.vst3\Contents\x86_64-win"
  File "${STAGE}\VST3\vorel.vst3\Contents\x86_64-win\vorel.vst3"
SectionEnd

Section "CLAP plugin" SecClap
  SetOutPath "$COMMONFILES64\CLAP"
  File "${STAGE}\CLAP\vorel.clap"
SectionEnd

Section "LV2 plugin" SecLv2
  SetOutPath "$COMMONFILES64\LV2\vorel.lv2"
  File "${STAGE}\LV2\vorel.lv2\manifest.ttl"
  File "${STAGE}\LV2\vorel.lv2\vorel.ttl"
  File "${STAGE}\LV2\vorel.lv2\presets.ttl"
  File "${STAGE}\LV2\vorel.lv2\vorel.dll"
  File "${STAGE}\LV2\vorel.lv2\vorel_editor.dll"
SectionEnd

Section "-Uninstaller"
  SetOutPath "$INSTDIR"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vorel ${VERSION} (VST3, CLAP, LV2)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vorel developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Each file by name, then each folder only if it is left empty: the Common
; Files folders may hold other makers' plugins.
Section "Uninstall"
  SetRegView 64
  Delete "$COMMONFILES64\VST3\vorel.vst3\Contents\x86_64-win\vorel.vst3"
  RMDir "$COMMONFILES64\VST3\vorel.vst3\Contents\x86_64-win"
  RMDir "$COMMONFILES64\VST3\vorel.vst3\Contents"
  RMDir "$COMMONFILES64\VST3\vorel.vst3"
  RMDir "$COMMONFILES64\VST3"
  Delete "$COMMONFILES64\CLAP\vorel.clap"
  RMDir "$COMMONFILES64\CLAP"
  Delete "$COMMONFILES64\LV2\vorel.lv2\manifest.ttl"
  Delete "$COMMONFILES64\LV2\vorel.lv2\vorel.ttl"
  Delete "$COMMONFILES64\LV2\vorel.lv2\presets.ttl"
  Delete "$COMMONFILES64\LV2\vorel.lv2\vorel.dll"
  Delete "$COMMONFILES64\LV2\vorel.lv2\vorel_editor.dll"
  RMDir "$COMMONFILES64\LV2\vorel.lv2"
  RMDir "$COMMONFILES64\LV2"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
