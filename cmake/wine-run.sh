#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, quietly. The wine server and the
# prefix's background processes are started first with no terminal or pipe attached, and kept for
# a minute after their last client, so that a series of test programs neither pays for starting
# them each time nor leaves them holding the caller's output open.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${LARKSPUR_WINEPREFIX:-$HOME/.cache/larkspur/wineprefix}}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$(dirname "$WINEPREFIX")"
wineserver -p60 </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1
exec wine "$@"
