#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, quietly.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${LARKSPUR_WINEPREFIX:-$HOME/.cache/larkspur/wineprefix}}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$(dirname "$WINEPREFIX")"
exec wine "$@"
