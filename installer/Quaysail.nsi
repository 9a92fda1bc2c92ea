; QuaysailSetup.exe: installs, repairs or upgrades, and removes the copy tool, the notice
; library, the disk-cache service and the shell extension. installer/CMakeLists.txt builds
; it from the binaries of the same build (stripped, in QUAY_STAGE) and defines:
;   QUAY_VERSION, QUAY_VERSION_FOUR, QUAY_PRODUCT_NAME, QUAY_PUBLISHER  the one version and names
;   QUAY_STAGE    folder of the files to install
;   QUAY_OUTFILE  the setup program to write
;   QUAY_HANDLER  defined when the shell extension is part of the build
; Saved as UTF-8 (makensis -INPUTCHARSET UTF8).

Unicode true
; This machine, and the Windows it stands for, run 64-bit programs: the 64-bit stub and
; plug-ins, so the native registry view and Program Files are the 64-bit ones.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${QUAY_PRODUCT_NAME}"
!define SERVICE_NAME "Quaykeep"
!define SERVICE_DISPLAY_NAME "Tidewell 高速ファイルコピー ディスク キャッシュ サービス"
!define SERVICE_DESCRIPTION "Tidewell 高速ファイルコピーに、コピー先のディスクのキャッシュと取り外しの設定を知らせます。"
; The shell extension's COM identities, as its own registration writes them.
!define HANDLER_CLSID "{08AD79C1-121F-4e72-BDB5-94CBDAB00571}"
!define HANDLER_IID "{0B59718F-1D7A-4DA2-8F6A-25695C83DA57}"
!define HANDLER_LIBID "{9D18C8F5-8642-4810-815A-36EBC8A7C6CC}"
!define HANDLER_LIBNAME "Quaydrop 1.0 タイプ ライブラリ"
!define HANDLER_IFACE_NAME "IShellExDragDropHandlers"
; The type library marshaller, the proxy of every dual interface.
!define OLEAUT_PROXY "{00020424-0000-0000-C000-000000000046}"

Name "${QUAY_PRODUCT_NAME} ${QUAY_VERSION}"
OutFile "${QUAY_OUTFILE}"
InstallDir "$PROGRAMFILES64\${QUAY_PRODUCT_NAME}"
; An installed version decides the folder of an upgrade or repair (/D= still overrides).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${QUAY_PRODUCT_NAME} ${QUAY_VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${QUAY_ICON}"
!define MUI_UNICON "${QUAY_ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion ${QUAY_VERSION_FOUR}
VIFileVersion ${QUAY_VERSION_FOUR}
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${QUAY_PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${QUAY_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Tidewell 高速ファイルコピー セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${QUAY_VERSION_FOUR}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${QUAY_VERSION_FOUR}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "OriginalFilename" "QuaysailSetup.exe"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "© ${QUAY_PUBLISHER}"

; ---------------------------------------------------------------------------------------
; The service, through the service control manager's own calls: no output to parse, and
; the program path keeps its quotes whatever folder /D= chose.

; Stops the service when it runs and waits until its process has ended, so that its
; program file is free; nothing happens when the service is not installed. With DELETE
; given, the service is deleted too.
!macro QUAY_STOP_SERVICE_FUNCTION PREFIX
Function ${PREFIX}StopService
  Exch $R9  ; "DELETE" or ""
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p.r1'
  ${If} $1 P<> 0
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE_NAME}", i 0xF01FF) p.r2'
    ${If} $2 P<> 0
      System::Call '*(&i36) p.r3'  ; SERVICE_STATUS_PROCESS
      System::Call 'advapi32::QueryServiceStatusEx(p r2, i 0, p r3, i 36, *i .r5) i.r5'
      System::Call '*$3(i, i .r4, i, i, i, i, i, i .r5, i)'
      ${If} $4 <> 1  ; not SERVICE_STOPPED
      ${AndIf} $5 <> 0
        DetailPrint "サービス ${SERVICE_NAME} を停止しています"
        System::Call 'kernel32::OpenProcess(i 0x100000, i 0, i r5) p.r4'  ; SYNCHRONIZE
        System::Call 'advapi32::ControlService(p r2, i 1, p r3) i.r5'
        ${If} $4 P<> 0
          ; The service ends its server thread within 10 s of the stop request.
          System::Call 'kernel32::WaitForSingleObject(p r4, i 30000) i.r5'
          System::Call 'kernel32::CloseHandle(p r4)'
        ${EndIf}
      ${EndIf}
      System::Free $3
      ${If} $R9 == "DELETE"
        DetailPrint "サービス ${SERVICE_NAME} を削除しています"
        System::Call 'advapi32::DeleteService(p r2) i.r5'
      ${EndIf}
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $R9
FunctionEnd
!macroend
!insertmacro QUAY_STOP_SERVICE_FUNCTION ""
!insertmacro QUAY_STOP_SERVICE_FUNCTION "un."

; Creates the service (automatic start, LocalSystem) or points an existing one at this
; folder, starts it and waits until it runs or has stopped again. Leaves 1 on the stack
; when it runs, else 0.
Function InstallService
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 0
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p.r1'
  ${If} $1 P<> 0
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE_NAME}", i 0xF01FF) p.r2'
    ${If} $2 P= 0
      DetailPrint "サービス ${SERVICE_NAME} を登録しています"
      ; SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL
      System::Call 'advapi32::CreateServiceW(p r1, w "${SERVICE_NAME}", w "${SERVICE_DISPLAY_NAME}", i 0xF01FF, i 0x10, i 2, i 1, w `"$INSTDIR\Quaykeep.exe"`, p 0, p 0, p 0, p 0, p 0) p.r2'
    ${Else}
      DetailPrint "サービス ${SERVICE_NAME} の登録を更新しています"
      System::Call 'advapi32::ChangeServiceConfigW(p r2, i 0x10, i 2, i 1, w `"$INSTDIR\Quaykeep.exe"`, p 0, p 0, p 0, p 0, p 0, w "${SERVICE_DISPLAY_NAME}") i.r3'
    ${EndIf}
    ${If} $2 P<> 0
      System::Call '*(w "${SERVICE_DESCRIPTION}") p.r3'  ; SERVICE_DESCRIPTIONW
      System::Call 'advapi32::ChangeServiceConfig2W(p r2, i 1, p r3) i.r4'
      System::Free $3
      DetailPrint "サービス ${SERVICE_NAME} を開始しています"
      System::Call 'advapi32::StartServiceW(p r2, i 0, p 0) i.r4'
      StrCpy $4 0
      System::Call '*(&i36) p.r3'
      ; A starting service reports its progress; 30 s is twice the wait hint it gives.
      ${For} $R8 1 300
        System::Call 'advapi32::QueryServiceStatusEx(p r2, i 0, p r3, i 36, *i .R7) i.R7'
        System::Call '*$3(i, i .R7)'
        ${If} $R7 = 4  ; SERVICE_RUNNING
          StrCpy $4 1
          ${Break}
        ${ElseIf} $R7 = 1  ; SERVICE_STOPPED
          ${Break}
        ${EndIf}
        Sleep 100
      ${Next}
      System::Free $3
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  StrCpy $R9 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Push $R9
FunctionEnd

; ---------------------------------------------------------------------------------------
; Files. A file in use (the copy tool in the middle of a job, the shell extension loaded
; by the Explorer) cannot be overwritten or deleted, but it can still be renamed: the
; old one moves aside and goes when it is let go of, at the next start of Windows at the
; latest, and the new one is in place at once. Only a file that cannot even be renamed is
; replaced at the next start.

; $R0: the installed file's path; the new copy waits beside it as "$R0.new".
Function PutInPlace
  ClearErrors
  Delete "$R0"
  ${If} ${FileExists} "$R0"
    Delete "$R0.old"
    ClearErrors
    Rename "$R0" "$R0.old"
    ${If} ${Errors}
      DetailPrint "使用中のため、次回の起動時に置き換えます: $R0"
      Rename /REBOOTOK "$R0.new" "$R0"
      Return
    ${EndIf}
    Delete /REBOOTOK "$R0.old"
  ${EndIf}
  Rename "$R0.new" "$R0"
FunctionEnd

!macro QUAY_INSTALL_FILE STAGED NAME
  File "/oname=$INSTDIR\${NAME}.new" "${QUAY_STAGE}\${STAGED}"
  StrCpy $R0 "$INSTDIR\${NAME}"
  Call PutInPlace
!macroend

; What the uninstaller removes: every file the installer may have put there, and the
; copies it moved aside. Nothing else in the folder is touched.
!macro QUAY_REMOVE_FILE NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}"
  Delete /REBOOTOK "$INSTDIR\${NAME}.old"
  Delete "$INSTDIR\${NAME}.new"
!macroend

; ---------------------------------------------------------------------------------------
; The 32-bit shell extension: 32-bit code cannot run here to register itself, so its
; keys are written into the 32-bit registry view as its registration writes them, with
; the type library as RegisterTypeLib records a 32-bit one.

!ifdef QUAY_HANDLER
!macro QUAY_HANDLER_KEYS_32
  SetRegView 32
  WriteRegStr HKLM "Software\Classes\CLSID\${HANDLER_CLSID}" "" ""
  WriteRegStr HKLM "Software\Classes\CLSID\${HANDLER_CLSID}\InprocServer32" "" "$INSTDIR\Quaydrop32.dll"
  WriteRegStr HKLM "Software\Classes\CLSID\${HANDLER_CLSID}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegStr HKLM "Software\Classes\Folder\ShellEx\DragDropHandlers\${HANDLER_CLSID}" "" ""
  WriteRegStr HKLM "Software\Classes\TypeLib\${HANDLER_LIBID}\1.0" "" "${HANDLER_LIBNAME}"
  WriteRegStr HKLM "Software\Classes\TypeLib\${HANDLER_LIBID}\1.0\0\win32" "" "$INSTDIR\Quaydrop32.dll"
  WriteRegStr HKLM "Software\Classes\TypeLib\${HANDLER_LIBID}\1.0\FLAGS" "" "0"
  WriteRegStr HKLM "Software\Classes\TypeLib\${HANDLER_LIBID}\1.0\HELPDIR" "" "$INSTDIR"
  WriteRegStr HKLM "Software\Classes\Interface\${HANDLER_IID}" "" "${HANDLER_IFACE_NAME}"
  WriteRegStr HKLM "Software\Classes\Interface\${HANDLER_IID}\ProxyStubClsid" "" "${OLEAUT_PROXY}"
  WriteRegStr HKLM "Software\Classes\Interface\${HANDLER_IID}\ProxyStubClsid32" "" "${OLEAUT_PROXY}"
  WriteRegStr HKLM "Software\Classes\Interface\${HANDLER_IID}\TypeLib" "" "${HANDLER_LIBID}"
  WriteRegStr HKLM "Software\Classes\Interface\${HANDLER_IID}\TypeLib" "Version" "1.0"
  SetRegView 64
!macroend
!endif

; Every key of the shell extension in one view: what its unregistration removes, and
; what is left when it could not run (its file already gone). The type library's key is
; one for both views; TYPELIB is the part of it to remove.
!macro QUAY_REMOVE_HANDLER_KEYS VIEW TYPELIB
  SetRegView ${VIEW}
  DeleteRegKey HKLM "Software\Classes\CLSID\${HANDLER_CLSID}"
  DeleteRegKey HKLM "Software\Classes\Folder\ShellEx\DragDropHandlers\${HANDLER_CLSID}"
  DeleteRegKey HKLM "Software\Classes\Interface\${HANDLER_IID}"
  DeleteRegKey HKLM "Software\Classes\TypeLib\${HANDLER_LIBID}${TYPELIB}"
  SetRegView 64
!macroend

; The handler's key lies below Folder\ShellEx\DragDropHandlers, which registration never
; removes (other handlers live there too). A system that lacked some of these keys before
; gets back to that: the setup notes in its entry (a bit per key: 1 Folder, 2 ShellEx,
; 4 DragDropHandlers, per view) which ones it found missing, and the uninstaller removes
; those, when nothing else has been put in them meanwhile.
!macro QUAY_NOTE_MISSING_FOLDER_KEYS VIEW VALUE
  ReadRegDWORD $R3 HKLM "${UNINSTALL_KEY}" "${VALUE}"  ; what an earlier install noted
  SetRegView ${VIEW}
  ClearErrors
  EnumRegKey $R1 HKLM "Software\Classes\Folder\ShellEx\DragDropHandlers" 0
  ${If} ${Errors}
    IntOp $R3 $R3 | 4
    ClearErrors
    EnumRegKey $R1 HKLM "Software\Classes\Folder\ShellEx" 0
    ${If} ${Errors}
      IntOp $R3 $R3 | 2
      ClearErrors
      EnumRegKey $R1 HKLM "Software\Classes\Folder" 0
      ${If} ${Errors}
        IntOp $R3 $R3 | 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  SetRegView 64
  StrCpy $CreatedKeys${VIEW} $R3
!macroend

!macro QUAY_REMOVE_CREATED_FOLDER_KEYS VIEW VALUE
  ReadRegDWORD $R3 HKLM "${UNINSTALL_KEY}" "${VALUE}"
  SetRegView ${VIEW}
  IntOp $R1 $R3 & 4
  ${If} $R1 <> 0
    DeleteRegKey /ifempty HKLM "Software\Classes\Folder\ShellEx\DragDropHandlers"
  ${EndIf}
  IntOp $R1 $R3 & 2
  ${If} $R1 <> 0
    DeleteRegKey /ifempty HKLM "Software\Classes\Folder\ShellEx"
  ${EndIf}
  IntOp $R1 $R3 & 1
  ${If} $R1 <> 0
    DeleteRegKey /ifempty HKLM "Software\Classes\Folder"
  ${EndIf}
  SetRegView 64
!macroend

; ---------------------------------------------------------------------------------------

Var CreatedKeys64
Var CreatedKeys32

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Install"  ; section 0
  SetShellVarContext all

  ; An installed version in another folder goes first, by its own uninstaller.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    DetailPrint "$0 の以前のバージョンを削除しています"
    ExecWait '"$0\uninstall.exe" /S _?=$0'
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  Push ""
  Call StopService

  SetOutPath "$INSTDIR"
  SetOverwrite on
  !insertmacro QUAY_INSTALL_FILE Quaysail.exe Quaysail.exe
  !insertmacro QUAY_INSTALL_FILE Beaconry.dll Beaconry.dll
  !insertmacro QUAY_INSTALL_FILE Quaykeep.exe Quaykeep.exe
!ifdef QUAY_HANDLER
  !insertmacro QUAY_INSTALL_FILE Quaydrop.dll Quaydrop.dll
  !insertmacro QUAY_INSTALL_FILE Quaydrop32.dll Quaydrop32.dll

  !insertmacro QUAY_NOTE_MISSING_FOLDER_KEYS 64 "CreatedFolderKeys64"
  !insertmacro QUAY_NOTE_MISSING_FOLDER_KEYS 32 "CreatedFolderKeys32"
  DetailPrint "シェル拡張を登録しています"
  ClearErrors
  RegDLL "$INSTDIR\Quaydrop.dll"
  ${If} ${Errors}
    DetailPrint "シェル拡張を登録できませんでした"
    SetErrorLevel 2
  ${EndIf}
  !insertmacro QUAY_HANDLER_KEYS_32
!endif

  Call InstallService
  Pop $0
  ${If} $0 <> 1
    DetailPrint "サービス ${SERVICE_NAME} を開始できませんでした"
    SetErrorLevel 2
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The size of what this setup put there: its files (whatever else lies in the folder,
  ; copies moved aside among them) and the uninstaller, in KiB.
  SectionGetSize 0 $0
  FileOpen $1 "$INSTDIR\uninstall.exe" r
  FileSeek $1 0 END $2
  FileClose $1
  IntOp $2 $2 + 1023
  IntOp $2 $2 / 1024
  IntOp $0 $0 + $2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${QUAY_PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${QUAY_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${QUAY_PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quaysail.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
!ifdef QUAY_HANDLER
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "CreatedFolderKeys64" $CreatedKeys64
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "CreatedFolderKeys32" $CreatedKeys32
!endif

  ; A silent install that needs a restart says so in its exit code, as installers do.
  ${If} ${RebootFlag}
  ${AndIf} ${Silent}
    SetErrorLevel 3010
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Push "DELETE"
  Call un.StopService

!ifdef QUAY_HANDLER
  ; The 32-bit keys first, and of the type library only the 32-bit entry: the 64-bit
  ; unregistration then removes a type library key that no other platform's entry keeps.
  !insertmacro QUAY_REMOVE_HANDLER_KEYS 32 "\1.0\0\win32"
  ${If} ${FileExists} "$INSTDIR\Quaydrop.dll"
    UnRegDLL "$INSTDIR\Quaydrop.dll"
  ${EndIf}
!endif
  !insertmacro QUAY_REMOVE_HANDLER_KEYS 64 ""
  !insertmacro QUAY_REMOVE_CREATED_FOLDER_KEYS 64 "CreatedFolderKeys64"
  !insertmacro QUAY_REMOVE_CREATED_FOLDER_KEYS 32 "CreatedFolderKeys32"

  !insertmacro QUAY_REMOVE_FILE Quaysail.exe
  !insertmacro QUAY_REMOVE_FILE Beaconry.dll
  !insertmacro QUAY_REMOVE_FILE Quaykeep.exe
  !insertmacro QUAY_REMOVE_FILE Quaydrop.dll
  !insertmacro QUAY_REMOVE_FILE Quaydrop32.dll
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} ${RebootFlag}
  ${AndIf} ${Silent}
    SetErrorLevel 3010
  ${EndIf}
SectionEnd
