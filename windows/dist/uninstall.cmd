@echo off
rem Unregisters Sorla: the 64-bit DLL with the 64-bit regsvr32 and the 32-bit
rem DLL with the 32-bit one. Run it from an administrator command prompt;
rem afterwards the folder may be deleted.
setlocal
set "HERE=%~dp0"
set "FAILED=0"

if exist "%SystemRoot%\SysWOW64\regsvr32.exe" goto win64
call :unregister "%SystemRoot%\System32\regsvr32.exe" "%HERE%x86\sorla.dll" 32-bit
goto done

:win64
rem A 32-bit cmd.exe sees SysWOW64 as System32; Sysnative reaches the real one.
set "NATIVE=%SystemRoot%\System32"
if exist "%SystemRoot%\Sysnative\regsvr32.exe" set "NATIVE=%SystemRoot%\Sysnative"
call :unregister "%NATIVE%\regsvr32.exe" "%HERE%x64\sorla.dll" 64-bit
call :unregister "%SystemRoot%\SysWOW64\regsvr32.exe" "%HERE%x86\sorla.dll" 32-bit

:done
if "%FAILED%"=="1" (
  echo Sorla is not fully uninstalled. Run uninstall.cmd as administrator.
  exit /b 1
)
echo Sorla is uninstalled. Sign out and in again before deleting this folder if a program still uses it.
exit /b 0

:unregister
"%~1" /u /s "%~2"
if errorlevel 1 (
  echo Could not unregister the %~3 DLL %~2 with %~1.
  set "FAILED=1"
) else (
  echo Unregistered the %~3 DLL %~2 with %~1.
)
exit /b 0
