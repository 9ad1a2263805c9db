@echo off
rem Clears the Windows recent-documents list: the shortcuts in the Recent folder and the
rem RecentDocs values. Jump lists (the subfolders of Recent) and pinned items stay.
rem Runs hidden and unattended; every message goes to nul.
setlocal

rem The RecentDocs key holds its list in values and one subkey per file type. The key itself
rem stays, so that Explorer's open handle to it remains valid.
set "DOCS=HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RecentDocs"
reg delete "%DOCS%" /va /f >nul 2>&1
for /f "tokens=1,7,8 delims=\" %%a in ('reg query "%DOCS%" 2^>nul') do if /i "%%a"=="HKEY_CURRENT_USER" if /i "%%b"=="RecentDocs" if not "%%c"=="" reg delete "%DOCS%\%%c" /f >nul 2>&1

set "RECENT="
call :ShellFolder Recent RECENT
if not defined RECENT goto :done
rem Only an absolute folder below a drive or share root, never a root or a relative path.
if "%RECENT:~3%"=="" goto :done
if not "%RECENT:~1,2%"==":\" if not "%RECENT:~0,2%"=="\\" goto :done
if not exist "%RECENT%\" goto :done
del /f /q /a "%RECENT%\*.lnk" >nul 2>&1

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
