@echo off
echo Welcome to the Varnoquist demo.
echo Arguments: %*
type "%~dp0..\readme.txt"
pause
