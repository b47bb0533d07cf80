#!/usr/bin/env bash
# Runs a Windows program under Wine, in a prefix of its own under the build
# folder (created on first use), on a display (a private Xvfb when none is set).
#   wine-run.sh PROGRAM [ARGS...]   run it; the exit status is its exit code mod 256
#   wine-run.sh --shutdown          end the prefix's wineserver and private Xvfb
# The prefix and its Xvfb state live in wine/ of the build folder (the nearest
# folder up from here that holds a CMakeCache.txt), so every test of one build
# shares one prefix; VEYRA_WINE_DIR overrides the place.
# VEYRA_WINE chooses the Wine: 8 (the default) is the host's Debian 12 Wine 8.0;
# 10 is Debian 13's Wine 10.0, nearer to Proton's, from scripts/newer-wine.sh
# (which makes its environment on first use). Each Wine has a prefix of its
# own: wine/ for 8, wine-10/ for 10.
set -u

build_folder() {
  local d=$PWD
  while [ "$d" != / ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
  echo "$PWD"
}
case "${VEYRA_WINE:-8}" in
  8)
    wine=(/usr/lib/wine/wine64)
    server=(/usr/lib/wine/wineserver)
    prefix_folder=wine
    ;;
  10)
    newer=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/newer-wine.sh
    [ "${1:-}" = --shutdown ] || "$newer" ensure || exit 1
    wine=("$newer" run /usr/lib/wine/wine64)
    server=("$newer" run /usr/lib/wine/wineserver)
    prefix_folder=wine-10
    ;;
  *)
    echo "wine-run.sh: VEYRA_WINE is ${VEYRA_WINE}; it takes 8 (Debian 12's Wine) or 10 (Debian 13's)" >&2
    exit 2
    ;;
esac
dir=${VEYRA_WINE_DIR:-$(build_folder)/$prefix_folder}
case "$dir" in /*) ;; *) dir=$PWD/$dir ;; esac
mkdir -p "$dir"
export WINEPREFIX=$dir/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

# xvfb_running: true when the Xvfb remembered in $dir still runs.
xvfb_running() {
  local pid
  pid=$(cat "$dir/xvfb.pid" 2>/dev/null) && [ -n "$pid" ] && [ -f "$dir/display" ] &&
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]
}

# start_xvfb N: starts Xvfb on :N and waits until it serves that display.
# Fails with 1 when another server took the display first (the X server's own
# lock file settles races with runs of other prefixes), with 2 when Xvfb did
# not come up in time.
start_xvfb() {
  local n=$1 pid
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null 9>&- &
  pid=$!
  for _ in $(seq 1 300); do
    if [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; then
      echo "$pid" > "$dir/xvfb.pid"
      echo ":$n" > "$dir/display"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  return 2
}

start_display() {
  # One Xvfb per prefix, kept for later runs; its number is remembered in
  # $dir/display. Chosen and started under the prefix's lock, so that runs
  # started together share one.
  (
    flock 9
    xvfb_running && exit 0
    rm -f "$dir/xvfb.pid" "$dir/display"
    local n=90
    while [ "$n" -lt 190 ]; do
      if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        start_xvfb "$n" && exit 0
        [ $? -eq 1 ] || { echo "wine-run.sh: Xvfb did not start on :$n within 30 s" >&2; exit 1; }
      fi
      n=$((n + 1))
    done
    echo "wine-run.sh: no free X display from :90 to :189 for Xvfb" >&2
    exit 1
  ) 9>"$dir/.lock" || exit 1
  DISPLAY=$(cat "$dir/display"); export DISPLAY
}

if [ "${1:-}" = "--shutdown" ]; then
  [ -d "$WINEPREFIX" ] && "${server[@]}" -k 2>/dev/null
  (
    flock 9
    xvfb_running && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
    rm -f "$dir/xvfb.pid" "$dir/display"
  ) 9>"$dir/.lock"
  exit 0
fi

[ -n "${DISPLAY:-}" ] || start_display

(
  flock 9
  if [ ! -f "$WINEPREFIX/.veyra-ready-2" ]; then
    rm -rf "$WINEPREFIX"
    "${wine[@]}" wineboot -i >/dev/null 2>&1 </dev/null 9>&-
    # A virtual desktop gives windows title bars and proper activation without a window manager.
    "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 </dev/null 9>&-
    "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 </dev/null 9>&-
    # A crashing program ends at once instead of waiting in the debugger.
    "${wine[@]}" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 </dev/null 9>&-
    # The desktop settings apply to the next start of Wine's session.
    "${server[@]}" -k >/dev/null 2>&1 </dev/null 9>&-
    "${server[@]}" -w >/dev/null 2>&1 </dev/null 9>&-
    # scripts/demo.sh looks for this file to tell a first use.
    touch "$WINEPREFIX/.veyra-ready-2"
  fi
  # Keep the server up between runs so later starts are fast, and have Wine's own
  # services started here: started by the program they would hold its output open.
  "${server[@]}" -p30 >/dev/null 2>&1 </dev/null 9>&-
  "${wine[@]}" wineboot >/dev/null 2>&1 </dev/null 9>&-
) 9>"$dir/.lock"

# Wine starts its desktop process (explorer) from the first program of a
# session that makes a window, and that process inherits the program's
# standard error and keeps it for as long as any program uses the desktop: a
# caller that reads the output to its end, as ctest does, would wait for all
# of those. So the program writes to files, which are copied to this script's
# own output as they grow, until the program ends.
out=$(mktemp "$dir/stdout.XXXXXX") && err=$(mktemp "$dir/stderr.XXXXXX") || exit 1
"${wine[@]}" "$@" <&0 >"$out" 2>"$err" &
program=$!
# A program started in the background ignores Ctrl+C; pass it on.
trap 'kill "$program" 2>/dev/null' INT TERM HUP
tail -n +1 -s 0.1 --pid="$program" -f "$out" &
tail -n +1 -s 0.1 --pid="$program" -f "$err" >&2 &
wait "$program"
status=$?
wait  # the copies end once they have what the program wrote last
rm -f "$out" "$err"
exit "$status"
