#!/usr/bin/env bash
# The panel's window tests under Wine, on a virtual X screen of their own: every test at Wine's
# default DPI, then the template test again at 144 DPI, after which the DPI is the default again.
# Usage: window_test.sh WINE_RUN PROGRAM
set -euo pipefail
[ -n "${LARKSPUR_ON_XVFB:-}" ] || exec env LARKSPUR_ON_XVFB=1 xvfb-run -a bash "$0" "$@"
wine_run=$1 program=$2
# Wine's desktop belongs to the X display its server started on: a server left running by an
# earlier test without a display would give the panel no screen, so this run starts its own.
prefix=${WINEPREFIX:-${LARKSPUR_WINEPREFIX:-$HOME/.cache/larkspur/wineprefix}}
WINEPREFIX=$prefix wineserver -k || true
dpi_key='HKCU\Control Panel\Desktop'
# Without a window manager only Wine can draw the caption of the panel's picture.
bash "$wine_run" reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$program")\\X11 Driver" \
  /v Decorated /d N /f >/dev/null
bash "$wine_run" "$program"
trap 'bash "$wine_run" reg delete "$dpi_key" /v LogPixels /f >/dev/null' EXIT
bash "$wine_run" reg add "$dpi_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
LARKSPUR_EXPECT_DPI=144 bash "$wine_run" "$program" \
  --gtest_filter=PanelWindowTest.ControlsFollowTheTemplateAndTheDpi
