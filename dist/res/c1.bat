@echo off
rem Clears the Windows Run history: the values of the RunMRU key (the key itself stays).
rem Runs hidden and unattended; every message goes to nul.
reg delete "HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU" /va /f >nul 2>&1
exit /b 0
