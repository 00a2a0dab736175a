; The Sorla setup program: installs the text service for every user of the
; machine, upgrades over a copy that running applications hold loaded, and
; uninstalls. Built by `make installer`:
;   makensis -DVERSION=x.y.z -DDIST=<dist folder> -DOUTFILE=<setup.exe> [-DAMD64] sorla.nsi
; The release is the 32-bit program, which runs on 32- and 64-bit Windows;
; -DAMD64 builds the same script as a 64-bit program (for machines that run
; no 32-bit programs, such as the test machines).
;
; Silent use: `sorla-setup.exe /S`; `uninstall.exe /S [/KEEPDATA | /REMOVEDATA]`.
; Exit status 0 on success, 2 when the install or uninstall failed.

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
!include MUI2.nsh

!define CLSID "{B4AEB260-69D0-4AEF-8139-D77D12AB9462}"
!define PROFILE "{312E7AB2-1452-405A-817C-96B1E55FA2F5}"
!define KHMER_TIP "0453:${CLSID}${PROFILE}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sorla"
!define PUBLISHER "The Sorla project"

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

!define MUI_ICON "${DIST}\x64\sorla.ico"
!define MUI_UNICON "${DIST}\x64\sorla.ico"
!define MUI_FINISHPAGE_TEXT "Sorla is installed. Add the Sorla keyboard under Khmer in the Windows language settings if it is not there yet. If Sorla was installed before, sign out and in again to finish the update."
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_COMPONENTSPAGE_TEXT_TOP "Sorla will be removed for every user of this computer."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
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

; Where each build goes: $X64DIR (empty on 32-bit Windows) and $X86DIR (empty
; where Windows runs no 32-bit programs).
Var X64DIR
Var X86DIR
Var UPDATED  ; 1 when a file in use was set aside: a sign-out finishes the update

; The folders for this Windows. The 32-bit DLL goes where WOW64 exists: its
; regsvr32 is the sign of it (Windows Server can be without it).
!macro ChooseFolders
  StrCpy $X64DIR ""
  StrCpy $X86DIR ""
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetRegView 64
    StrCpy $X64DIR "$PROGRAMFILES64\Sorla"
    ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
      StrCpy $X86DIR "$PROGRAMFILES32\Sorla"
    ${EndIf}
  ${Else}
    StrCpy $X86DIR "$PROGRAMFILES32\Sorla"
  ${EndIf}
!macroend

; Moves FILE aside to FILE.old-N (the first free N) when it is there; a file
; that running applications hold loaded or mapped cannot be replaced, but
; can be renamed. Pushes the new name, or "" when there was no file.
Function SetAside
  Exch $0  ; file
  Push $1
  Push $2
  StrCpy $2 ""
  ${If} ${FileExists} $0
    StrCpy $1 1
    ${DoWhile} ${FileExists} "$0.old-$1"
      IntOp $1 $1 + 1
    ${Loop}
    ClearErrors
    Rename $0 "$0.old-$1"
    ${IfNot} ${Errors}
      StrCpy $2 "$0.old-$1"
    ${EndIf}
  ${EndIf}
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Deletes a set-aside file now, or at the next restart when it is still in use.
Function DropAside
  Exch $0
  ${If} $0 != ""
    ClearErrors
    Delete $0
    ${If} ${FileExists} $0
      Delete /REBOOTOK $0
      StrCpy $UPDATED 1
      !insertmacro Log "In use until the next sign-out or restart, then deleted: $0"
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

; regsvr32 REGSVR32 ARGS: the exit code on the stack (non-zero also when it
; could not start). The uninstaller has its own copy.
!macro RunRegsvr32Function UN
Function ${UN}RunRegsvr32
  Exch $1  ; arguments
  Exch
  Exch $0  ; regsvr32
  Push $2
  ClearErrors
  ExecWait '"$0" /s $1' $2
  ${If} ${Errors}
    StrCpy $2 -1
  ${EndIf}
  !insertmacro Log "$0 $1: exit code $2"
  Exch $2
  Exch 2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro RunRegsvr32Function ""
!insertmacro RunRegsvr32Function "un."

!macro Regsvr32 UN REGSVR32 ARGS RESULT
  Push "${REGSVR32}"
  Push '${ARGS}'
  Call ${UN}RunRegsvr32
  Pop ${RESULT}
!macroend

; Places one build's files into its folder, setting aside the old ones.
; Their set-aside names go on the stack in the order of the files.
!macro PlaceFiles DIR ARCH
  CreateDirectory "${DIR}"
  SetOutPath "${DIR}"
  !insertmacro PlaceFile "${DIR}" "${ARCH}" sorla.dll
  !insertmacro PlaceFile "${DIR}" "${ARCH}" sorla.ico
  !insertmacro PlaceFile "${DIR}" "${ARCH}" words.srla
  !insertmacro PlaceFile "${DIR}" "${ARCH}" words.sidx
!macroend
!macro PlaceFile DIR ARCH NAME
  Push "${DIR}\${NAME}"
  Call SetAside
  File "${DIST}\${ARCH}\${NAME}"
!macroend

; After a registration failed: this run's files and registrations go, the
; set-aside files come back and the old DLL is registered again. Takes the
; set-aside names of one folder from the stack (reverse order).
!macro RollBack DIR REGSVR32
  !insertmacro Regsvr32 "" "${REGSVR32}" '/u "${DIR}\sorla.dll"' $9
  !insertmacro RestoreFile "${DIR}" words.sidx
  !insertmacro RestoreFile "${DIR}" words.srla
  !insertmacro RestoreFile "${DIR}" sorla.ico
  !insertmacro RestoreFile "${DIR}" sorla.dll
  ${If} ${FileExists} "${DIR}\sorla.dll"
    !insertmacro Regsvr32 "" "${REGSVR32}" '"${DIR}\sorla.dll"' $9
  ${Else}
    SetOutPath $TEMP  ; a folder that is the current one cannot go
    RMDir "${DIR}"
  ${EndIf}
!macroend
!macro RestoreFile DIR NAME
  Pop $8
  Delete "${DIR}\${NAME}"
  ${If} $8 != ""
    Rename $8 "${DIR}\${NAME}"
  ${EndIf}
!macroend
!macro DropFolderAside
  Call DropAside
  Call DropAside
  Call DropAside
  Call DropAside
!macroend

Section "Sorla" Install
  SetShellVarContext all
  StrCpy $UPDATED 0
  !insertmacro Log "Sorla ${VERSION} setup"
  !insertmacro ChooseFolders
  ${If} $X64DIR != ""
    !insertmacro PlaceFiles $X64DIR x64
    !insertmacro Regsvr32 "" "$WINDIR\System32\regsvr32.exe" '"$X64DIR\sorla.dll"' $0
    ${If} $0 != 0
      !insertmacro RollBack $X64DIR "$WINDIR\System32\regsvr32.exe"
      !insertmacro Log "Sorla could not be installed: registering $X64DIR\sorla.dll failed (exit code $0). Nothing was changed."
      MessageBox MB_ICONSTOP "Sorla could not be installed: registering $X64DIR\sorla.dll failed (exit code $0). Nothing was changed." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  ${If} $X86DIR != ""
    ${If} $X64DIR != ""
      StrCpy $7 "$WINDIR\SysWOW64\regsvr32.exe"
    ${Else}
      StrCpy $7 "$WINDIR\System32\regsvr32.exe"
    ${EndIf}
    !insertmacro PlaceFiles $X86DIR x86
    !insertmacro Regsvr32 "" $7 '"$X86DIR\sorla.dll"' $0
    ${If} $0 != 0
      !insertmacro RollBack $X86DIR $7
      ${If} $X64DIR != ""
        !insertmacro RollBack $X64DIR "$WINDIR\System32\regsvr32.exe"
      ${EndIf}
      !insertmacro Log "Sorla could not be installed: registering $X86DIR\sorla.dll failed (exit code $0). Nothing was changed."
      MessageBox MB_ICONSTOP "Sorla could not be installed: registering $X86DIR\sorla.dll failed (exit code $0). Nothing was changed." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    !insertmacro DropFolderAside
  ${EndIf}
  ${If} $X64DIR != ""
    !insertmacro DropFolderAside
    StrCpy $INSTDIR $X64DIR
  ${Else}
    StrCpy $INSTDIR $X86DIR
  ${EndIf}

  ; The keyboard in the installing user's language list, where Windows has
  ; the function for it.
  System::Call 'kernel32::LoadLibraryW(w "input.dll") p.r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::GetProcAddress(p r1, m "InstallLayoutOrTip") p.r2'
    ${If} $2 P<> 0
      System::Call '::$2(w "${KHMER_TIP}", i 0) i.r3'
      !insertmacro Log "Added the Sorla keyboard to this user's languages (result $3)."
    ${Else}
      !insertmacro Log "Note: input.dll has no InstallLayoutOrTip; add the Sorla keyboard in the language settings."
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p r1)'
  ${Else}
    !insertmacro Log "Note: no input.dll here; add the Sorla keyboard in the language settings."
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Sorla (Khmer chat-spelling keyboard)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sorla.ico"
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

  ${If} $UPDATED == 1
    !insertmacro Log "Sign out and in again to finish the update: running applications keep the old Sorla until then."
    SetRebootFlag true
  ${EndIf}
SectionEnd

Function .onInit
  ${If} ${Silent}
    SetAutoClose true
  ${EndIf}
FunctionEnd

; ---- Uninstall --------------------------------------------------------------

!macro UnplaceFiles DIR REGSVR32
  ${If} ${FileExists} "${DIR}\sorla.dll"
    !insertmacro Regsvr32 "un." "${REGSVR32}" '/u "${DIR}\sorla.dll"' $0
  ${EndIf}
  Delete /REBOOTOK "${DIR}\sorla.dll"
  Delete /REBOOTOK "${DIR}\sorla.ico"
  Delete /REBOOTOK "${DIR}\words.srla"
  Delete /REBOOTOK "${DIR}\words.sidx"
  Delete /REBOOTOK "${DIR}\*.old-*"
  Delete "${DIR}\uninstall.exe"
  SetOutPath $TEMP  ; a folder that is the current one cannot go
  RMDir /REBOOTOK "${DIR}"
!macroend

!macro RemoveServiceKeys
  DeleteRegKey HKLM "Software\Classes\CLSID\${CLSID}"
  DeleteRegKey HKLM "Software\Microsoft\CTF\TIP\${CLSID}"
  DeleteRegKey HKLM "Software\Microsoft\CTF\Category\Item\${CLSID}"
!macroend


Section "un.Sorla" UninstallCore
  SectionIn RO
  SetShellVarContext all
  !insertmacro Log "Sorla ${VERSION} uninstall"
  !insertmacro ChooseFolders
  ${If} $X64DIR != ""
    !insertmacro UnplaceFiles $X64DIR "$WINDIR\System32\regsvr32.exe"
    ${If} $X86DIR != ""
      !insertmacro UnplaceFiles $X86DIR "$WINDIR\SysWOW64\regsvr32.exe"
    ${EndIf}
  ${Else}
    !insertmacro UnplaceFiles $X86DIR "$WINDIR\System32\regsvr32.exe"
  ${EndIf}
  ; What the text service registered, in both views, should its own
  ; unregistration have left anything.
  !insertmacro RemoveServiceKeys
  ${If} ${RunningX64}
    SetRegView 32
    !insertmacro RemoveServiceKeys
    SetRegView 64
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Also remove my learned words" UninstallData
  SetShellVarContext current
  RMDir /r "$APPDATA\Sorla"
  !insertmacro Log "Removed $APPDATA\Sorla"
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

LangString DESC_UninstallData ${LANG_ENGLISH} "Also remove my learned words (the picks Sorla learned for you, in %APPDATA%\Sorla). Other users' learned words stay."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UninstallData} $(DESC_UninstallData)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
