@echo off
rem Clears Internet Explorer's browsing history, typed addresses and form auto-complete.
rem Runs hidden and unattended; every message goes to nul.
setlocal

rem Internet Explorer 7 and later clear their own history and form data (flags 1 and 16).
rem Internet Explorer 6 has no such entry point and rundll32 would stop on an error box, so
rem the call is made only when the installed version is known to offer it. Wine names a
rem current version but only stubs the entry point, whose crash report would wait for a click.
set "IEVER="
reg query "HKLM\Software\Wine" >nul 2>&1 && goto :typed
for /f "tokens=1,2,*" %%a in ('reg query "HKLM\Software\Microsoft\Internet Explorer" /v svcVersion 2^>nul') do if /i "%%a"=="svcVersion" set "IEVER=%%c"
if not defined IEVER for /f "tokens=1,2,*" %%a in ('reg query "HKLM\Software\Microsoft\Internet Explorer" /v Version 2^>nul') do if /i "%%a"=="Version" set "IEVER=%%c"
set "IEMAJOR="
if defined IEVER for /f "tokens=1 delims=." %%v in ("%IEVER%") do set "IEMAJOR=%%v"
if defined IEMAJOR if %IEMAJOR% GEQ 7 (
  rundll32.exe inetcpl.cpl,ClearMyTracksByProcess 1
  rundll32.exe inetcpl.cpl,ClearMyTracksByProcess 16
)

rem Typed addresses and form auto-complete entries, whatever the version did above.
:typed
reg delete "HKCU\Software\Microsoft\Internet Explorer\TypedURLs" /va /f >nul 2>&1
reg delete "HKCU\Software\Microsoft\Internet Explorer\TypedURLsTime" /va /f >nul 2>&1
reg delete "HKCU\Software\Microsoft\Internet Explorer\IntelliForms\Storage1" /va /f >nul 2>&1

rem The history folder's contents; the folder itself stays.
set "HIST="
call :ShellFolder History HIST
if not defined HIST goto :done
rem Only an absolute folder below a drive or share root is emptied, never a root or a
rem relative path (which would be taken from the current folder).
if "%HIST:~3%"=="" goto :done
if not "%HIST:~1,2%"==":\" if not "%HIST:~0,2%"=="\\" goto :done
if not exist "%HIST%\" goto :done
del /f /s /q /a "%HIST%\*" >nul 2>&1
for /f "delims=" %%d in ('dir /a:d /b "%HIST%" 2^>nul') do rd /s /q "%HIST%\%%d" >nul 2>&1

:done
endlocal
exit /b 0

rem Sets variable %2 to the current user's shell folder %1: the expanded "Shell Folders"
rem value, else the "User Shell Folders" value with its variables expanded.
:ShellFolder
set "%2="
for /f "tokens=1,2,*" %%a in ('reg query "HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" /v %1 2^>nul') do if /i "%%a"=="%1" set "%2=%%c"
if defined %2 goto :eof
for /f "tokens=1,2,*" %%a in ('reg query "HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders" /v %1 2^>nul') do if /i "%%a"=="%1" call set "%2=%%c"
goto :eof
