# Sourced by the scripts that run the Windows build: a fresh Wine prefix inside the build
# tree (never ~/.wine) and a virtual X display, both ended when the calling script exits.
# Needs: root (the repository's top folder).

export WINEPREFIX="$root/build/win/wineprefix"
export WINEDEBUG=-all
# A crash ends the process at once instead of waiting in the debugger, so a test fails fast.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"

start_display() {
  if [ -n "${TALLYRA_DISPLAY:-}" ]; then export DISPLAY="$TALLYRA_DISPLAY"; return; fi
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}

fresh_prefix() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # The caption buttons are drawn with Marlett, which Debian's Wine leaves out of new prefixes.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  # regedit reads .reg files in the ANSI code page unless they are UTF-16.
  iconv -f UTF-8 -t UTF-16 "$root/tests/win/prefix/settings.reg" > "$WINEPREFIX/settings.reg"
  wine regedit /S "$WINEPREFIX/settings.reg" >/dev/null 2>&1
  wineserver -w
}

trap stop_wine EXIT
start_display
