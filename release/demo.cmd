@echo off
rem The Dxvane demo: the monitor on a local stand-in for the QRZ services and a made-up
rem WSJT-X feed, in a scratch folder of its own. No account, radio or WSJT-X is needed.
rem Press Y or N at the logbook question; the table fills within a minute. Ctrl+C or closing
rem the window ends the demo. "demo.cmd free" runs it as an operator without a QRZ XML
rem subscription: entities come from the calls' prefixes, bearings from the grids sent.
rem "demo.cmd bands" classes rows by band slot: Finland, confirmed on 40 m only, is a new
rem band on 20 m.
setlocal
set "here=%~dp0"
set "port=18073"
rem Stand-ins and scratch folders of a demo that ended badly before are cleared first.
taskkill /f /im qrz_double.exe >nul 2>&1
taskkill /f /im decode_feed.exe >nul 2>&1
for /d %%d in ("%TEMP%\dxvane-demo-*") do rd /s /q "%%d" >nul 2>&1
set "scratch=%TEMP%\dxvane-demo-%RANDOM%"
mkdir "%scratch%\temp"
xcopy /e /i /q /y "%here%demo\seed" "%scratch%" >nul
copy /y "%here%DXAlert.wav" "%scratch%" >nul
copy /y "%here%StationAlert.wav" "%scratch%" >nul
set "call=N0VANE"
set "options="
if /i "%~1"=="bands" set "options=--by-band"
if /i "%~1"=="free" (
  set "call=N0FREE"
  copy /y "%scratch%\Config-free.ini" "%scratch%\Config.ini" >nul
  copy /y "%scratch%\N0VANE.adi.txt" "%scratch%\N0FREE.adi.txt" >nul
)

rem The stand-ins end with this script's window, and with Ctrl+C.
start "" /b "%here%demo\qrz_double.exe" --port %port% --data "%here%demo" --end-with dxvane.exe >nul 2>&1
start "" /b "%here%demo\decode_feed.exe" --folder "%scratch%\WSJT-X" --call %call% --grid EN34 --after-login "%scratch%\temp\QRZ_Data.tmp" --end-with dxvane.exe >nul 2>&1
rem A moment for the stand-in to start listening.
ping -n 2 127.0.0.1 >nul

cd /d "%scratch%"
set "LOCALAPPDATA=%scratch%"
set "TEMP=%scratch%\temp"
set "DXVANE_QRZ_XML_URL=http://127.0.0.1:%port%"
set "DXVANE_QRZ_LOGBOOK_URL=http://127.0.0.1:%port%"
"%here%dxvane.exe" %options%

taskkill /f /im qrz_double.exe >nul 2>&1
taskkill /f /im decode_feed.exe >nul 2>&1
cd /d "%here%"
rd /s /q "%scratch%"
