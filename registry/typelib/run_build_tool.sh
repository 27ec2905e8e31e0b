#!/bin/sh
# Runs a Windows program of the build under Wine: in a prefix of the build tree that is kept
# for build tools (made on first use), never ~/.wine, without a display, and with the Japanese
# locale, whose ANSI code page (932) is the one the type library's strings are written in.
#
#   run_build_tool.sh PREFIX PROGRAM [ARGUMENTS...]
set -eu
export WINEPREFIX="$1"
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export LC_ALL=ja_JP.UTF-8
unset DISPLAY
exec wine "$@"
