#!/usr/bin/env bash
# Runs a Windows program under Wine, in a prefix of its own under the build
# folder (created on first use), on a display (a private Xvfb when none is set).
#   wine-run.sh PROGRAM [ARGS...]   run it; the exit status is its exit code mod 256
#   wine-run.sh --shutdown          end the prefix's wineserver and private Xvfb
# The prefix and its Xvfb state live in wine/ of the build folder (the nearest
# folder up from here that holds a CMakeCache.txt), so every test of one build
# shares one prefix; VEYRA_WINE_DIR overrides the place.
set -u

build_folder() {
  local d=$PWD
  while [ "$d" != / ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
  echo "$PWD"
}
dir=${VEYRA_WINE_DIR:-$(build_folder)/wine}
case "$dir" in /*) ;; *) dir=$PWD/$dir ;; esac
mkdir -p "$dir"
export WINEPREFIX=$dir/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver

start_display() {
  # One Xvfb per prefix, kept for later runs; its number is remembered in $dir/display.
  if [ -f "$dir/display" ] && kill -0 "$(cat "$dir/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    DISPLAY=$(cat "$dir/display"); export DISPLAY; return
  fi
  local n=90
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  echo $! > "$dir/xvfb.pid"
  for _ in $(seq 1 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  echo ":$n" > "$dir/display"
  export DISPLAY=":$n"
}

if [ "${1:-}" = "--shutdown" ]; then
  [ -d "$WINEPREFIX" ] && "$server" -k 2>/dev/null
  if [ -f "$dir/xvfb.pid" ]; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null; rm -f "$dir/xvfb.pid" "$dir/display"; fi
  exit 0
fi

[ -n "${DISPLAY:-}" ] || start_display

(
  flock 9
  if [ ! -f "$WINEPREFIX/.veyra-ready-2" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null 9>&-
    # A virtual desktop gives windows title bars and proper activation without a window manager.
    "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 </dev/null 9>&-
    "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 </dev/null 9>&-
    # A crashing program ends at once instead of waiting in the debugger.
    "$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 </dev/null 9>&-
    # The desktop settings apply to the next start of Wine's session.
    "$server" -k >/dev/null 2>&1 </dev/null 9>&-
    "$server" -w >/dev/null 2>&1 </dev/null 9>&-
    touch "$WINEPREFIX/.veyra-ready-2"
  fi
  # Keep the server up between runs so later starts are fast, and have Wine's own
  # services started here: started by the program they would hold its output open.
  "$server" -p30 >/dev/null 2>&1 </dev/null 9>&-
  "$wine" wineboot >/dev/null 2>&1 </dev/null 9>&-
) 9>"$dir/.lock"

exec "$wine" "$@"
