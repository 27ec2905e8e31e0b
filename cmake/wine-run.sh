#!/bin/sh
# Runs a Windows program under Wine with the prefix of the build tree, never ~/.wine.
# scripts/test creates the prefix fresh for every test run.
: "${WINEPREFIX:?WINEPREFIX must name the build tree's Wine prefix}"
export WINEDEBUG=-all
exec wine "$@"
