@echo off
rem Goes on with the most recent saved game. Opened by a double-click, the
rem window stays until a key, so the game's last words can be read.
cd /d "%~dp0"
ranks.exe --continue %*
echo %cmdcmdline% | find /i "%~nx0" >nul && pause
