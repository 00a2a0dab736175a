@echo off
rem Registers Sorla, the Khmer chat-spelling input method, for this computer:
rem the 64-bit DLL with the 64-bit regsvr32 and the 32-bit DLL with the
rem 32-bit one, each from the folder beside this script. Run it from an
rem administrator command prompt, and keep the folder where it is: Windows
rem loads the DLLs from here.
setlocal
set "HERE=%~dp0"
set "FAILED=0"

if exist "%SystemRoot%\SysWOW64\regsvr32.exe" goto win64
call :register "%SystemRoot%\System32\regsvr32.exe" "%HERE%x86\sorla.dll" 32-bit
goto done

:win64
rem A 32-bit cmd.exe sees SysWOW64 as System32; Sysnative reaches the real one.
set "NATIVE=%SystemRoot%\System32"
if exist "%SystemRoot%\Sysnative\regsvr32.exe" set "NATIVE=%SystemRoot%\Sysnative"
call :register "%NATIVE%\regsvr32.exe" "%HERE%x64\sorla.dll" 64-bit
call :register "%SystemRoot%\SysWOW64\regsvr32.exe" "%HERE%x86\sorla.dll" 32-bit

:done
if "%FAILED%"=="1" (
  echo Sorla is not fully installed. Run install.cmd as administrator.
  exit /b 1
)
echo Sorla is installed. Add "Khmer" and its Sorla keyboard in the Windows language settings.
exit /b 0

:register
"%~1" /s "%~2"
if errorlevel 1 (
  echo Could not register the %~3 DLL %~2 with %~1.
  set "FAILED=1"
) else (
  echo Registered the %~3 DLL %~2 with %~1.
)
exit /b 0
