; The Windows installer: makensis -DVERSION=1.0.0 -DSTAGE=folder -DOUTFILE=setup.exe pondel.nsi
; STAGE holds pondel.exe, pondel-sheet.exe, their DLLs and plugins, samples\ and pondel.ico.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | OUTFILE
  !error "give -DVERSION=, -DSTAGE= and -DOUTFILE="
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pondel"
!define SHORTCUT "ぽんでる"

Name "ぽんでる ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Pondel"
RequestExecutionLevel admin
Icon "${STAGE}\pondel.ico"
UninstallIcon "${STAGE}\pondel.ico"
ShowInstDetails show

LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "ぽんでる" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; SET lives in the folder the tank starts in, and Program Files is not writable: the
  ; shortcuts start it in a folder of the user's.
  SetShellVarContext current
  CreateDirectory "$APPDATA\Pondel"
  SetOutPath "$APPDATA\Pondel"
  CreateDirectory "$SMPROGRAMS\${SHORTCUT}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}\${SHORTCUT}.lnk" "$INSTDIR\pondel.exe" "" "$INSTDIR\pondel.ico" 0
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}\アンインストール.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ぽんでる"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pondel.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "デスクトップのショートカット" SecDesktop
  SetShellVarContext current
  SetOutPath "$APPDATA\Pondel"
  CreateShortCut "$DESKTOP\${SHORTCUT}.lnk" "$INSTDIR\pondel.exe" "" "$INSTDIR\pondel.ico" 0
SectionEnd

; The program and its shortcuts go; the user's tank folder (SET) stays.
Section "Uninstall"
  SetShellVarContext current
  Delete "$DESKTOP\${SHORTCUT}.lnk"
  RMDir /r "$SMPROGRAMS\${SHORTCUT}"
  ; Only what the installer put there, in case the folder was shared with something else.
  Delete "$INSTDIR\*.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\pondel.ico"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\imageformats"
  RMDir /r "$INSTDIR\samples"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
