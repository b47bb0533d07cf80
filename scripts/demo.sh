#!/usr/bin/env bash
# Opens the configurator on the bundled sample game folder, as a player would
# start it: VeyraConfig.exe copied into the game folder and started there, with
# the Steam client's language set as given (none: no language value, English).
# With a display the dialog simply opens. Without one it runs on a private
# Xvfb: the script waits for the dialog, saves a screenshot of it as
# build/demo-dialog-LANGUAGE.png, presses Cancel and prints where the picture
# is; at the end, also on failure or Ctrl-C, it stops the Xvfb and the Wine
# session it started.
#   demo.sh [english|german|deutsch]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
usage="usage: demo.sh [english|german|deutsch]   (the Steam client's language; default: none, English)"

case $# in
  0) language= ;;
  1) case $1 in
       -h|--help) echo "$usage"; exit 0 ;;
       english|german|deutsch) language=$1 ;;
       *) echo "demo.sh: unknown language or option: $1" >&2; echo "$usage" >&2; exit 2 ;;
     esac ;;
  *) echo "$usage" >&2; exit 2 ;;
esac
# The program shows German texts for "german" and "deutsch", English for anything else.
case $language in german|deutsch) shown=german ;; *) shown=english ;; esac

"$root/scripts/deps.sh"

build=$root/build/windows
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "Configuring the Windows build in $build..."
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" ||
    { echo "demo.sh: configuring the Windows build failed (see above)" >&2; exit 1; }
fi
echo "Building the Windows program..."
cmake --build "$build" --target VeyraConfig MienwerkStandIn uiauto ||
  { echo "demo.sh: the build failed (see the errors above)" >&2; exit 1; }

game=$root/sample-game
"$root/scripts/make-sample-game.sh" "$game" "$build/sample/Mienwerk.exe"
cp "$build/VeyraConfig.exe" "$game/"

export VEYRA_WINE_DIR=$build/wine
wine_run=$root/scripts/wine-run.sh

# Without a display wine-run.sh starts a private Xvfb and a Wine session for the
# prefix; the demo ends them again, unless they were running before it started.
program=
stop_session=no
if [ -z "${DISPLAY:-}" ]; then
  if ! { [ -f "$VEYRA_WINE_DIR/display" ] &&
         kill -0 "$(cat "$VEYRA_WINE_DIR/xvfb.pid" 2>/dev/null)" 2>/dev/null; }; then
    stop_session=yes
  fi
fi
work=$(mktemp -d)
finish() {
  # A second Ctrl-C must not cut the clean-up short (children inherit the ignoring).
  trap '' INT TERM
  if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
  rm -rf "$work"
  if [ "$stop_session" = yes ]; then "$wine_run" --shutdown || true; fi
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# wine-run.sh marks a finished prefix with this file and sets one up on first use.
ready=$VEYRA_WINE_DIR/prefix/.veyra-ready-2
started=
if [ ! -f "$ready" ]; then
  echo "Creating the Wine prefix in $VEYRA_WINE_DIR/prefix (first use, this may take a minute)..."
  started=$SECONDS
fi
if [ -n "$language" ]; then
  if ! output=$("$wine_run" reg add 'HKCU\Software\Valve\Steam' /v Language /d "$language" /f 2>&1); then
    echo "demo.sh: setting the Steam language in the Wine prefix failed:" >&2
    echo "$output" >&2
    exit 1
  fi
else
  "$wine_run" reg delete 'HKCU\Software\Valve\Steam' /v Language /f >/dev/null 2>&1 || true
fi
if [ -n "$started" ]; then
  [ -f "$ready" ] || { echo "demo.sh: the Wine prefix could not be set up" >&2; exit 1; }
  echo "Wine prefix created in $((SECONDS - started)) s."
fi

cd "$game"
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the configurator in $game"
  exec "$wine_run" VeyraConfig.exe
fi

echo "Starting the configurator in $game on a private Xvfb..."
"$wine_run" VeyraConfig.exe &
program=$!
uiauto=$build/tests/gui/uiauto.exe
if ! found=$("$wine_run" "$uiauto" wait --timeout 60000 | tr -d '\r'); then
  echo "demo.sh: the configurator's dialog did not appear" >&2
  exit 1
fi
read -r x y width height <<<"$(tail -n 1 <<<"$found")"
display=$(cat "$VEYRA_WINE_DIR/display")
picture=$root/build/demo-dialog-$shown.png
grab() { DISPLAY=$display import -window root -crop "${width}x${height}+${x}+${y}" +repage "$1"; }
# The dialog is painted once two grabs in a row agree.
previous=$work/previous.png
grab "$previous"
deadline=$((SECONDS + 20))
while :; do
  sleep 0.2
  grab "$picture"
  [ "$(compare -metric AE "$previous" "$picture" null: 2>&1 || true)" = 0 ] && break
  if [ $SECONDS -ge $deadline ]; then
    echo "demo.sh: the dialog kept changing for 20 s; the screenshot may show it unfinished" >&2
    break
  fi
  cp "$picture" "$previous"
done
"$wine_run" "$uiauto" click 1004 >/dev/null   # Cancel: nothing is changed
exit_code=0
wait "$program" || exit_code=$?
program=
echo "The configurator opened with the caption \"$(head -n 1 <<<"$found")\" and was cancelled."
[ "$exit_code" -eq 0 ] || echo "demo.sh: the configurator ended with exit code $exit_code" >&2
echo "Screenshot of the dialog: $picture"
[ "$exit_code" -eq 0 ]
