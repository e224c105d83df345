; ORVANE's Windows installer (NSIS): per user, no administrator rights, silent with /S.
; makensis -DVERSION=x.y.z -DDIST=folder -DICON=orvane.ico -DLICENSE=LICENSE -DOUTFILE=setup.exe
; SPDX-License-Identifier: MIT
Unicode true
; A 64-bit installer for the 64-bit programs (Wine without its 32-bit half runs it too).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ORVANE"

Name "ORVANE ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\ORVANE"
InstallDirRegKey HKCU "Software\ORVANE" "InstallDir"
LicenseData "${LICENSE}"
ShowInstDetails show

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "ORVANE"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${DIST}\ORVANE.exe"
  File "${DIST}\orvane-cli.exe"
  File "${DIST}\orvane-fsuipc-relay.exe"
  File /oname=LICENSE.txt "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\ORVANE" "InstallDir" "$INSTDIR"

  ; The pilot's settings folder (orvane.ini); the log and the PIREPs go to
  ; $LOCALAPPDATA\ORVANE, which ORVANE makes itself. The shortcut starts ORVANE in its
  ; program folder (the shortcut's folder is the output path): an orvane.ini in the start
  ; folder would keep the old one-folder way.
  CreateDirectory "$APPDATA\ORVANE"
  CreateShortCut "$SMPROGRAMS\ORVANE.lnk" "$INSTDIR\ORVANE.exe" "" "$INSTDIR\ORVANE.exe" 0

  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "ORVANE"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\ORVANE.exe"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\ORVANE.lnk"
  Delete "$INSTDIR\ORVANE.exe"
  Delete "$INSTDIR\orvane-cli.exe"
  Delete "$INSTDIR\orvane-fsuipc-relay.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The pilot's settings, log and PIREPs in $APPDATA\ORVANE and $LOCALAPPDATA\ORVANE stay.
  DeleteRegKey HKCU "${UNINSTKEY}"
  ; The window's own preferences (HKCU\Software\ORVANE\ORVANE) stay with the pilot's files.
  DeleteRegValue HKCU "Software\ORVANE" "InstallDir"
  DeleteRegKey /ifempty HKCU "Software\ORVANE"
SectionEnd
