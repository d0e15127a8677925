; The Windows installer: makensis -DVERSION=1.0.0 -DSTAGE=folder -DOUTFILE=setup.exe pondel.nsi
; STAGE holds pondel.exe, pondel-sheet.exe, their DLLs and plugins, samples\ and pondel.ico.
;
; One user's install, without administrator rights: the program under the user's
; %LOCALAPPDATA%\Programs, the shortcuts in the user's Start menu and the tank folder in
; the user's %APPDATA%. The tank folder must be the user's own and writable (SET lives
; there); an elevated install would put shortcuts and tank folder into the profile of
; whoever elevates, so each user installs for themselves.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | OUTFILE
  !error "give -DVERSION=, -DSTAGE= and -DOUTFILE="
!endif

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pondel"
!define SHORTCUT "ぽんでる"
!define PUBLISHER "Pondel maintainers"

Name "ぽんでる ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Pondel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
Icon "${STAGE}\pondel.ico"
UninstallIcon "${STAGE}\pondel.ico"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "ぽんでる"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "ぽんでる セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "© ${PUBLISHER}"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Whether a running program holds $INSTDIR\NAME: a running program's file cannot be opened
; for writing. A missing file is free (and is not made by the check).
!macro FILE_IN_USE NAME OUT
  StrCpy ${OUT} 0
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    ClearErrors
    FileOpen $R9 "$INSTDIR\${NAME}" a
    ${If} ${Errors}
      StrCpy ${OUT} 1
    ${Else}
      FileClose $R9
    ${EndIf}
  ${EndIf}
!macroend

; Every tank started from this folder, closed the normal way (as its close box does), so
; it writes SET. A tank whose settings dialog is open keeps itself open.
!macro CLOSE_TANKS
  StrCpy $R0 0
  StrCpy $R4 0  ; how many were asked
  ${Do}
    FindWindow $R0 "" "${SHORTCUT}" "" $R0
    ${If} $R0 == 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i R1) p .R2'
    ${If} $R2 != 0
      StrCpy $R3 ""
      System::Call 'kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN})'
      System::Call 'kernel32::CloseHandle(p R2)'
      ${If} $R3 == "$INSTDIR\pondel.exe"
        SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        IntOp $R4 $R4 + 1
      ${EndIf}
    ${EndIf}
  ${Loop}
!macroend

; Nothing is written or removed while a tank or the sheet tool of this folder runs: a file
; in use could be neither replaced nor removed, and half a program would be left. The
; tank is asked to close; what does not close within a while is left to the user, or, in
; a silent run, ends the run with nothing touched.
!macro ENSURE_NOT_RUNNING
  StrCpy $R8 0  ; asked the tanks to close already
  ${Do}
    !insertmacro FILE_IN_USE "pondel.exe" $R6
    !insertmacro FILE_IN_USE "pondel-sheet.exe" $R7
    ${If} $R6 == 0
    ${AndIf} $R7 == 0
      ${Break}
    ${EndIf}
    ${If} $R6 == 1
    ${AndIf} $R8 == 0
      MessageBox MB_OKCANCEL|MB_ICONINFORMATION "ぽんでるの水槽が開いています。$\n水槽を閉じて（金魚の様子は保存されます）続けますか？" /SD IDOK IDOK close_tanks
      SetErrorLevel 2
      Quit
    close_tanks:
      StrCpy $R8 1
      !insertmacro CLOSE_TANKS
      ; Up to fifteen seconds for the tank to save and end.
      StrCpy $R5 0
      ${If} $R4 == 0
        StrCpy $R5 60  ; no tank window of this folder: the user must close what runs
      ${EndIf}
      ${DoUntil} $R5 >= 60
        Sleep 250
        IntOp $R5 $R5 + 1
        !insertmacro FILE_IN_USE "pondel.exe" $R6
        ${If} $R6 == 0
          ${Break}
        ${EndIf}
      ${Loop}
      ${Continue}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "ぽんでるが動いています（$INSTDIR）。$\n設定の画面などを閉じてから「再試行」を押してください。" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  retry:
    StrCpy $R8 0
  ${Loop}
!macroend

Section "ぽんでる" SecProgram
  SectionIn RO
  SetShellVarContext current
  !insertmacro ENSURE_NOT_RUNNING
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; SET lives in the folder the tank starts in: the shortcuts start it in a folder of
  ; the user's.
  CreateDirectory "$APPDATA\Pondel"
  SetOutPath "$APPDATA\Pondel"
  CreateDirectory "$SMPROGRAMS\${SHORTCUT}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}\${SHORTCUT}.lnk" "$INSTDIR\pondel.exe" "" "$INSTDIR\pondel.ico" 0
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}\アンインストール.lnk" "$INSTDIR\uninstall.exe"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "ぽんでる"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pondel.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "デスクトップのショートカット" SecDesktop
  SetShellVarContext current
  SetOutPath "$APPDATA\Pondel"
  CreateShortCut "$DESKTOP\${SHORTCUT}.lnk" "$INSTDIR\pondel.exe" "" "$INSTDIR\pondel.ico" 0
SectionEnd

; The program and its shortcuts go; the user's tank folder (SET) stays.
Section "Uninstall"
  SetShellVarContext current
  !insertmacro ENSURE_NOT_RUNNING
  ; The program first: should a tank have started meanwhile, nothing else is gone yet.
  ClearErrors
  Delete "$INSTDIR\pondel.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "ぽんでるが動いているため削除できません。水槽を閉じてからやり直してください。" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
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
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
