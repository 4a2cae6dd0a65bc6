#!/usr/bin/env bash
# The panel's window tests under Wine, on a virtual X screen of their own: every test at the
# prefix's DPI, then the logo test again at 144 DPI. The prefix's DPI setting is put back after.
# Usage: window_test.sh WINE_RUN PROGRAM
set -euo pipefail
[ -n "${LARKSPUR_ON_XVFB:-}" ] || exec env LARKSPUR_ON_XVFB=1 xvfb-run -a bash "$0" "$@"
wine_run=$1 program=$2
key='HKCU\Control Panel\Desktop'

# Without a window manager only Wine can draw the caption of the panel's picture.
bash "$wine_run" reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$program")\\X11 Driver" \
  /v Decorated /d N /f >/dev/null
bash "$wine_run" "$program"

before=$({ bash "$wine_run" reg query "$key" /v LogPixels 2>/dev/null || true; } | awk '/LogPixels/ {print $3}')
restore() {
  if [ -n "$before" ]; then
    bash "$wine_run" reg add "$key" /v LogPixels /t REG_DWORD /d $((before)) /f >/dev/null
  else
    bash "$wine_run" reg delete "$key" /v LogPixels /f >/dev/null
  fi
}
trap restore EXIT
bash "$wine_run" reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
LARKSPUR_EXPECT_DPI=144 bash "$wine_run" "$program" --gtest_filter=PanelWindowTest.LogoFollowsTheDpi
