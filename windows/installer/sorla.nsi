; The Sorla setup program: installs the text service for every user of the
; machine, upgrades over a copy that running applications hold loaded, and
; uninstalls. Built by `make installer` (scripts/installer):
;   makensis -DVERSION=x.y.z -DDIST=<dist folder> -DFILES=<files.nsh> -DICON=<sorla.ico>
;            -DOUTFILE=<setup.exe> [-DAMD64] sorla.nsi
; FILES lists what each folder ships (dist/x64, dist/x86); nothing below names
; a word-data file, so a release that ships other files needs no change here.
; The release is the 32-bit program, which runs on 32- and 64-bit Windows;
; -DAMD64 builds the same script as a 64-bit program (for machines that run
; no 32-bit programs, such as the test machines).
;
; Silent use: `sorla-setup.exe /S`; `uninstall.exe /S [/KEEPDATA | /REMOVEDATA]`.
; Exit status 0 on success, 3010 when a restart finishes the job (files in
; use), 2 when the install or uninstall failed.

Unicode true
!ifdef AMD64
  Target amd64-unicode
!endif
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; LogicLib's ${If} without ${Else} leaves a label unused.
!pragma warning disable 6012

!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include StrFunc.nsh
!include MUI2.nsh
!include "${FILES}"

${StrLoc}

!define CLSID "{B4AEB260-69D0-4AEF-8139-D77D12AB9462}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sorla"
!define SIGNIN_STEP_KEY "Software\Microsoft\Active Setup\Installed Components\${CLSID}"
!define PUBLISHER "The Sorla project"
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010

Name "Sorla ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Sorla"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Sorla"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Sorla setup: Khmer by chat spelling"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var X64DIR       ; where each build goes: empty on 32-bit Windows
Var X86DIR       ; empty where Windows runs no 32-bit programs
Var GEN          ; this run sets replaced files aside as NAME.old-$GEN
Var UPGRADE      ; 1 when an earlier Sorla was installed
Var STARTER_SID  ; the user at the screen who started setup ("" when unknown)
Var STARTER_NAME
Var KEYBOARD_NOTE  ; what the finish page says of the keyboard

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_TEXT "Sorla is installed.$\r$\n$\r$\n$KEYBOARD_NOTE"
; Files in use: running applications keep the old Sorla until Windows
; restarts, so a restart (not a sign-out) finishes the update. It is never
; the default: applications are running with the user's unsaved work.
!define MUI_FINISHPAGE_TEXT_REBOOT "Sorla is installed. Applications running now keep the earlier Sorla until Windows restarts; restart now or later to finish the update.$\r$\n$\r$\n$KEYBOARD_NOTE"
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_COMPONENTSPAGE_TEXT_TOP "Sorla will be removed for every user of this computer."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; A line for the details view and for %TEMP%\sorla-setup.log, which a silent
; run leaves for the administrator.
!macro Log TEXT
  DetailPrint "${TEXT}"
  FileOpen $R9 "$TEMP\sorla-setup.log" a
  FileSeek $R9 0 END
  FileWrite $R9 "${TEXT}$\r$\n"
  FileClose $R9
!macroend

; The folders for this Windows. The 32-bit DLL goes where WOW64 exists: its
; regsvr32 is the sign of it (Windows Server can be without it). File-system
; redirection stays on: it changes System32 only, and loading DLLs needs it
; ("File System Redirector": turn it off only around the call that must
; see the native folder).
!macro ChooseFolders
  StrCpy $X64DIR ""
  StrCpy $X86DIR ""
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $X64DIR "$PROGRAMFILES64\Sorla"
    ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
      StrCpy $X86DIR "$PROGRAMFILES32\Sorla"
    ${EndIf}
  ${Else}
    StrCpy $X86DIR "$PROGRAMFILES32\Sorla"
  ${EndIf}
!macroend

; The regsvr32 for each folder's DLL, and whether it is the native one that
; a 32-bit setup reaches only with redirection off.
!macro Regsvr32For DIR RESULT NATIVE
  ${If} "${DIR}" == $X64DIR
    StrCpy ${RESULT} "$WINDIR\System32\regsvr32.exe"
    StrCpy ${NATIVE} 1
  ${ElseIf} $X64DIR != ""
    StrCpy ${RESULT} "$WINDIR\SysWOW64\regsvr32.exe"
    StrCpy ${NATIVE} 0
  ${Else}
    StrCpy ${RESULT} "$WINDIR\System32\regsvr32.exe"
    StrCpy ${NATIVE} 0
  ${EndIf}
!macroend

; regsvr32 for DIR\sorla.dll with ARGS before it ("" or "/u"): the exit code
; on the stack (non-zero also when it could not start). The uninstaller has
; its own copy.
!macro RunRegsvr32Function UN
Function ${UN}RunRegsvr32
  Exch $1  ; arguments
  Exch
  Exch $0  ; folder
  Push $2
  Push $3
  Push $4
  !insertmacro Regsvr32For $0 $3 $4
  ClearErrors
!ifndef AMD64
  ${If} $4 == 1
    ${DisableX64FSRedirection}
  ${EndIf}
!endif
  ExecWait '"$3" /s $1 "$0\sorla.dll"' $2
  ${If} ${Errors}
    StrCpy $2 -1
  ${EndIf}
!ifndef AMD64
  ${If} $4 == 1
    ${EnableX64FSRedirection}
  ${EndIf}
!endif
  !insertmacro Log "$3 /s $1 $0\sorla.dll: exit code $2"
  Pop $4
  Pop $3
  Exch $2
  Exch 2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro RunRegsvr32Function ""
!insertmacro RunRegsvr32Function "un."

!macro Regsvr32 UN DIR ARGS RESULT
  Push "${DIR}"
  Push '${ARGS}'
  Call ${UN}RunRegsvr32
  Pop ${RESULT}
!macroend

; The user at the screen, who started this setup: the user of this session
; (WTSQuerySessionInformation), who is not the account setup runs as when
; an administrator's credentials elevated it. Sets $STARTER_NAME and, as a
; SID string, $STARTER_SID; both "" when no one is signed in here.
!macro FindStarterFunction UN
Function ${UN}FindStarter
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $STARTER_SID ""
  StrCpy $STARTER_NAME ""
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .r0, *i .r1) i .r2'
  ${If} $2 <> 0
    System::Call 'kernel32::lstrcpynW(w .r3, p r0, i ${NSIS_MAX_STRLEN}) p'
    System::Call 'wtsapi32::WTSFreeMemory(p r0)'
    StrCpy $STARTER_NAME $3
    System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 7, *p .r0, *i .r1) i .r2'
    ${If} $2 <> 0
      System::Call 'kernel32::lstrcpynW(w .r4, p r0, i ${NSIS_MAX_STRLEN}) p'
      System::Call 'wtsapi32::WTSFreeMemory(p r0)'
      ${If} $4 != ""
        StrCpy $STARTER_NAME "$4\$3"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $STARTER_NAME != ""
    System::Alloc 256
    Pop $0
    System::Call 'advapi32::LookupAccountNameW(p 0, w "$STARTER_NAME", p r0, *i 256, w .r3, *i ${NSIS_MAX_STRLEN}, *i .r4) i .r2'
    ${If} $2 <> 0
      System::Call 'advapi32::ConvertSidToStringSidW(p r0, *p .r1) i .r2'
      ${If} $2 <> 0
        System::Call 'kernel32::lstrcpynW(w .r3, p r1, i ${NSIS_MAX_STRLEN}) p'
        System::Call 'kernel32::LocalFree(p r1)'
        StrCpy $STARTER_SID $3
      ${EndIf}
    ${EndIf}
    System::Free $0
  ${EndIf}
  !insertmacro Log "Started by: $STARTER_NAME ($STARTER_SID)"
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro FindStarterFunction ""
!insertmacro FindStarterFunction "un."

; DllInstall(INSTALL, COMMAND) of the DLL this program can load (its own
; bitness): the keyboard steps of dll/user_keyboard.h. The HRESULT on the
; stack, or "" when the DLL could not be loaded.
!macro CallDllInstallFunction UN
Function ${UN}CallDllInstall
  Exch $1  ; command
  Exch
  Exch $0  ; 1 install, 0 uninstall
  Push $2
  Push $3
  Push $4
!ifdef AMD64
  StrCpy $2 "$X64DIR\sorla.dll"
!else
  StrCpy $2 "$X86DIR\sorla.dll"
!endif
  StrCpy $4 ""
  System::Call 'kernel32::LoadLibraryW(w r2) p .r2'
  ${If} $2 P<> 0
    System::Call 'kernel32::GetProcAddress(p r2, m "DllInstall") p .r3'
    ${If} $3 P<> 0
      System::Call '::$3(i r0, w r1) i .r4'
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p r2)'
  ${EndIf}
  Exch $4  ; the result on top, $4 back
  Exch
  Pop $3
  Exch
  Pop $2
  Exch
  Pop $0
  Exch
  Pop $1
FunctionEnd
!macroend
!insertmacro CallDllInstallFunction ""
!insertmacro CallDllInstallFunction "un."

; ---- Placing files ----------------------------------------------------------

; $GEN: the first N for which neither folder holds a NAME.old-N. Every file
; this run replaces is set aside under it, the DLL and its data together.
Function ChooseGeneration
  StrCpy $GEN 0
  ${Do}
    IntOp $GEN $GEN + 1
    ${If} $X64DIR != ""
    ${AndIf} ${FileExists} "$X64DIR\*.old-$GEN"
      ${Continue}
    ${EndIf}
    ${If} $X86DIR != ""
    ${AndIf} ${FileExists} "$X86DIR\*.old-$GEN"
      ${Continue}
    ${EndIf}
    ${Break}
  ${Loop}
FunctionEnd

; One shipped file into $OUTDIR: the one there is renamed NAME.old-$GEN
; first, since running applications may hold it loaded or mapped, which
; forbids replacing it but not renaming it.
!macro PlaceFile ARCH NAME
  ${If} ${FileExists} "$OUTDIR\${NAME}"
    ClearErrors
    Rename "$OUTDIR\${NAME}" "$OUTDIR\${NAME}.old-$GEN"
    ${If} ${Errors}
      !insertmacro Log "Could not set aside $OUTDIR\${NAME}"
    ${EndIf}
  ${EndIf}
  File "${DIST}\${ARCH}\${NAME}"
!macroend
!macro PlaceFiles DIR ARCH
  CreateDirectory "${DIR}"
  SetOutPath "${DIR}"
  !insertmacro ForEachShipped_${ARCH} PlaceFile ${ARCH}
!macroend

; After a failed registration: this run's files go and the set-aside ones
; come back under their names.
!macro RestoreFile ARCH NAME
  Delete "$OUTDIR\${NAME}"
  ${If} ${FileExists} "$OUTDIR\${NAME}.old-$GEN"
    Rename "$OUTDIR\${NAME}.old-$GEN" "$OUTDIR\${NAME}"
  ${EndIf}
!macroend
!macro RollBack DIR ARCH
  !insertmacro Regsvr32 "" "${DIR}" "/u" $9
  SetOutPath "${DIR}"
  !insertmacro ForEachShipped_${ARCH} RestoreFile ${ARCH}
  ${If} ${FileExists} "${DIR}\sorla.dll"
    !insertmacro Regsvr32 "" "${DIR}" "" $9
  ${Else}
    SetOutPath $TEMP  ; a folder that is the current one cannot go
    RMDir "${DIR}"
  ${EndIf}
!macroend

; Deletes this run's set-aside files of DIR now, or at the next restart when
; still in use. $9 becomes 1 when the set-aside DLL is still loaded.
!macro DropAsideFile ARCH NAME
  ${If} ${FileExists} "$OUTDIR\${NAME}.old-$GEN"
    Delete "$OUTDIR\${NAME}.old-$GEN"
    ${If} ${FileExists} "$OUTDIR\${NAME}.old-$GEN"
      Delete /REBOOTOK "$OUTDIR\${NAME}.old-$GEN"
      !insertmacro Log "In use until the next restart, then deleted: $OUTDIR\${NAME}.old-$GEN"
      ${If} "${NAME}" == "sorla.dll"
        StrCpy $9 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

; The files of an earlier version that this one does not ship (word data
; under another name, the loose icon of older releases): an old DLL still
; loaded in a running application opens its own data by name, so while one
; is, they stay and go at the next restart (MoveFileEx with
; MOVEFILE_DELAY_UNTIL_REBOOT); otherwise they go now. Word data that an
; older DLL cannot read ships under a new name for this reason (words-v3.srla
; beside DLLs that read data file version 3, words-v3-index-v6.sidx beside
; those that read index version 6): the old DLL never meets it. $1 is "|" and the
; shipped names each followed by "|"; $9 as DropAsideFile set it.
Function DropLeftovers
  Push $0
  Push $2
  Push $3
  Push $4
  FindFirst $2 $3 "$OUTDIR\*"
  ${DoWhile} $3 != ""
    ${StrLoc} $4 $1 "|$3|" ">"
    ${StrLoc} $0 $3 ".old-" ">"
    ${If} ${FileExists} "$OUTDIR\$3\*.*"
    ${OrIf} $4 != ""
    ${OrIf} $0 != ""
    ${OrIf} $3 == "uninstall.exe"
      ; a folder, a shipped file, a set-aside one or the uninstaller
    ${ElseIf} $9 == 1
      System::Call 'kernel32::MoveFileExW(w "$OUTDIR\$3", p 0, i 4) i .r4'
      !insertmacro Log "Kept for the applications running the earlier Sorla, deleted at the next restart: $OUTDIR\$3"
      SetRebootFlag true
    ${Else}
      Delete "$OUTDIR\$3"
      !insertmacro Log "No longer part of Sorla, deleted: $OUTDIR\$3"
    ${EndIf}
    FindNext $2 $3
  ${Loop}
  FindClose $2
  Pop $4
  Pop $3
  Pop $2
  Pop $0
FunctionEnd

!macro FinishFolder DIR ARCH
  SetOutPath "${DIR}"
  StrCpy $9 0
  !insertmacro ForEachShipped_${ARCH} DropAsideFile ${ARCH}
  ${If} $9 == 1
    SetRebootFlag true
  ${EndIf}
  StrCpy $1 "${SHIPPED_${ARCH}}"
  Call DropLeftovers
!macroend

!macro Fail DIR CODE
  !insertmacro Log "Sorla could not be installed: registering ${DIR}\sorla.dll failed (exit code ${CODE}). Nothing was changed."
  MessageBox MB_ICONSTOP "Sorla could not be installed: registering ${DIR}\sorla.dll failed (exit code ${CODE}). Nothing was changed." /SD IDOK
  SetErrorLevel 2
  Quit
!macroend

; ---- The keyboard -----------------------------------------------------------

; In the language list of the user who started setup (dll/user_keyboard.h):
; at once when setup runs as them, at their next sign-in otherwise. An
; upgrade leaves every list as it is: a user who took Sorla off theirs
; keeps it off.
Function AddKeyboard
  ${If} $UPGRADE == 1
    StrCpy $KEYBOARD_NOTE ""
    !insertmacro Log "Upgrade: the users' keyboard lists stay as they are."
    Return
  ${EndIf}
  Call FindStarter
  Push 1
  Push "add=$STARTER_SID"
  Call CallDllInstall
  Pop $0
  ${If} $0 == 0
    StrCpy $KEYBOARD_NOTE "The Sorla keyboard is in your language list, under Khmer."
    !insertmacro Log "Added the Sorla keyboard to the language list of $STARTER_NAME."
  ${ElseIf} $0 == 1
    StrCpy $KEYBOARD_NOTE "Setup ran as another account: the Sorla keyboard will be added to the language list of $STARTER_NAME when they next sign in."
    !insertmacro Log "Setup runs as another account than $STARTER_NAME: the Sorla keyboard is added to their language list at their next sign-in (Active Setup)."
  ${ElseIf} $0 == -2147467263  ; E_NOTIMPL
    StrCpy $KEYBOARD_NOTE "Add the Sorla keyboard under Khmer in the Windows language settings."
    !insertmacro Log "Note: no input.dll here; add the Sorla keyboard in the language settings."
  ${ElseIf} $0 == ""
    StrCpy $KEYBOARD_NOTE "Add the Sorla keyboard under Khmer in the Windows language settings."
    !insertmacro Log "Could not load the installed sorla.dll to add the keyboard; add it in the language settings."
  ${Else}
    StrCpy $KEYBOARD_NOTE "Add the Sorla keyboard under Khmer in the Windows language settings."
    IntFmt $0 "0x%08X" $0
    !insertmacro Log "Could not add the Sorla keyboard to the language list of $STARTER_NAME (DllInstall: $0); add it in the language settings."
  ${EndIf}
FunctionEnd

; ---- Install ----------------------------------------------------------------

Section "Sorla" Install
  SetShellVarContext all
  !insertmacro Log "Sorla ${VERSION} setup"
  !insertmacro ChooseFolders
  StrCpy $UPGRADE 0
  ${If} ${FileExists} "$X64DIR\sorla.dll"
  ${OrIf} ${FileExists} "$X86DIR\sorla.dll"
    StrCpy $UPGRADE 1
  ${EndIf}
  Call ChooseGeneration

  ${If} $X64DIR != ""
    !insertmacro PlaceFiles $X64DIR x64
    !insertmacro Regsvr32 "" $X64DIR "" $0
    ${If} $0 != 0
      !insertmacro RollBack $X64DIR x64
      !insertmacro Fail $X64DIR $0
    ${EndIf}
  ${EndIf}
  ${If} $X86DIR != ""
    !insertmacro PlaceFiles $X86DIR x86
    !insertmacro Regsvr32 "" $X86DIR "" $0
    ${If} $0 != 0
      !insertmacro RollBack $X86DIR x86
      ${If} $X64DIR != ""
        !insertmacro RollBack $X64DIR x64
      ${EndIf}
      !insertmacro Fail $X86DIR $0
    ${EndIf}
    !insertmacro FinishFolder $X86DIR x86
  ${EndIf}
  ${If} $X64DIR != ""
    !insertmacro FinishFolder $X64DIR x64
    StrCpy $INSTDIR $X64DIR
  ${Else}
    StrCpy $INSTDIR $X86DIR
  ${EndIf}

  Call AddKeyboard

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Sorla (Khmer chat-spelling keyboard)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sorla.dll,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  StrCpy $4 0
  StrCpy $5 0
  ${If} $X64DIR != ""
    ${GetSize} "$X64DIR" "/S=0K" $4 $6 $7
  ${EndIf}
  ${If} $X86DIR != ""
    ${GetSize} "$X86DIR" "/S=0K" $5 $6 $7
  ${EndIf}
  IntOp $4 $4 + $5
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $4

  ${If} ${RebootFlag}
    !insertmacro Log "Restart Windows to finish the update: applications running now keep the earlier Sorla until then."
  ${EndIf}
SectionEnd

Function .onInit
  ${If} ${Silent}
    SetAutoClose true
  ${EndIf}
FunctionEnd

; A restart finishes the job: the exit status says so (msiexec's
; ERROR_SUCCESS_REBOOT_REQUIRED), for the tools that deploy silently.
Function .onInstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${EndIf}
FunctionEnd

; ---- Uninstall --------------------------------------------------------------

; Everything in DIR but the uninstaller itself, which deletes itself after.
Function un.DeleteFolderFiles
  Exch $0  ; folder
  Push $1
  Push $2
  FindFirst $1 $2 "$0\*"
  ${DoWhile} $2 != ""
    ${IfNot} ${FileExists} "$0\$2\*.*"
    ${AndIf} $2 != "uninstall.exe"
      Delete /REBOOTOK "$0\$2"
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

!macro UnplaceFiles DIR
  ${If} ${FileExists} "${DIR}\sorla.dll"
    !insertmacro Regsvr32 "un." "${DIR}" "/u" $0
  ${EndIf}
  Push "${DIR}"
  Call un.DeleteFolderFiles
  Delete "${DIR}\uninstall.exe"
  SetOutPath $TEMP  ; a folder that is the current one cannot go
  RMDir "${DIR}"
  ; Files in use go at the restart: the folder then goes after them.
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "${DIR}"
  ${EndIf}
!macroend

!macro RemoveServiceKeys
  DeleteRegKey HKLM "Software\Classes\CLSID\${CLSID}"
  DeleteRegKey HKLM "Software\Microsoft\CTF\TIP\${CLSID}"
  DeleteRegKey HKLM "Software\Microsoft\CTF\Category\Item\${CLSID}"
!macroend

; The Sorla keyboard off the list of the user who started the uninstall,
; and the sign-in step that would still add it: nothing else of any list.
Function un.RemoveKeyboard
  Push 0
  Push "remove=$STARTER_SID"
  Call un.CallDllInstall
  Pop $0
  ${If} $0 == 0
    !insertmacro Log "Removed the Sorla keyboard from the language list of $STARTER_NAME."
  ${ElseIf} $0 == 1
    !insertmacro Log "This uninstall runs as another account than $STARTER_NAME: their language list keeps a Sorla entry, which no longer types, until they remove it."
  ${ElseIf} $0 == -2147467263  ; E_NOTIMPL
    !insertmacro Log "Note: no input.dll here; no language list was changed."
  ${Else}
    !insertmacro Log "Could not take the Sorla keyboard off the language list of $STARTER_NAME ($0)."
  ${EndIf}
FunctionEnd

Section "un.Sorla" UninstallCore
  SectionIn RO
  SetShellVarContext all
  !insertmacro Log "Sorla ${VERSION} uninstall"
  !insertmacro ChooseFolders
  Call un.FindStarter
  Call un.RemoveKeyboard
  ${If} $X64DIR != ""
    !insertmacro UnplaceFiles $X64DIR
  ${EndIf}
  ${If} $X86DIR != ""
    !insertmacro UnplaceFiles $X86DIR
  ${EndIf}
  ; What the text service registered, in both views, should its own
  ; unregistration have left anything.
  !insertmacro RemoveServiceKeys
  ${If} ${RunningX64}
    SetRegView 32
    !insertmacro RemoveServiceKeys
    SetRegView 64
  ${EndIf}
  DeleteRegKey HKLM "${SIGNIN_STEP_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The learned picks and own words (words.txt) of the user who started the
; uninstall: %APPDATA% of their session, which the text service saves under
; (the elevated account's own would be another user's, or nobody's).
Section /o "un.Also remove my learned and added words" UninstallData
  ${If} $STARTER_SID != ""
    ReadRegStr $0 HKU "$STARTER_SID\Volatile Environment" "APPDATA"
    ${If} $0 == ""
      !insertmacro Log "Could not find the application-data folder of $STARTER_NAME: no learned or added words were removed."
      Return
    ${EndIf}
  ${Else}
    SetShellVarContext current
    StrCpy $0 $APPDATA
    StrCpy $STARTER_NAME "this account"
  ${EndIf}
  RMDir /r "$0\Sorla"
  !insertmacro Log "Removed the learned and added words of $STARTER_NAME: $0\Sorla"
SectionEnd

Function un.onInit
  ; Silent: /KEEPDATA (the default) or /REMOVEDATA.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UninstallData} ${SF_SELECTED}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/KEEPDATA" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UninstallData} 0
  ${EndIf}
FunctionEnd

Function un.onUninstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${EndIf}
FunctionEnd

LangString DESC_UninstallData ${LANG_ENGLISH} "Also remove my learned and added words (the picks Sorla learned and the words added for the user who started this uninstall, in their %APPDATA%\Sorla). Other users' words stay."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UninstallData} $(DESC_UninstallData)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
