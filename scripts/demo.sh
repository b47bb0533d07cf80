#!/usr/bin/env bash
# Opens the configurator on the bundled sample game folder, as a player would
# start it: VeyraConfig.exe copied into the game folder and started there.
# With a display the dialog simply opens. Without one it runs on a private
# Xvfb: the script waits for the dialog, saves a screenshot of it, presses
# Cancel and prints where the picture is.
#   demo.sh [STEAM_LANGUAGE]    e.g. demo.sh german
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
language=${1:-}
"$root/scripts/deps.sh"

build=$root/build/windows
echo "Building the Windows program..."
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target VeyraConfig MienwerkStandIn uiauto >/dev/null

game=$root/sample-game
"$root/scripts/make-sample-game.sh" "$game" "$build/sample/Mienwerk.exe"
cp "$build/VeyraConfig.exe" "$game/"

export VEYRA_WINE_DIR=$build/wine
wine_run=$root/scripts/wine-run.sh
if [ -n "$language" ]; then
  "$wine_run" reg add 'HKCU\Software\Valve\Steam' /v Language /d "$language" /f >/dev/null 2>&1
else
  "$wine_run" reg delete 'HKCU\Software\Valve\Steam' /v Language /f >/dev/null 2>&1 || true
fi

cd "$game"
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the configurator in $game"
  exec "$wine_run" VeyraConfig.exe
fi

"$wine_run" VeyraConfig.exe &
program=$!
uiauto=$build/tests/gui/uiauto.exe
if ! found=$("$wine_run" "$uiauto" wait --timeout 60000 | tr -d '\r'); then
  echo "The configurator's dialog did not appear." >&2
  kill "$program" 2>/dev/null
  exit 1
fi
read -r x y width height <<<"$(tail -n 1 <<<"$found")"
picture=$root/build/demo-dialog.png
DISPLAY=$(cat "$VEYRA_WINE_DIR/display") import -window root -crop "${width}x${height}+${x}+${y}" +repage "$picture"
"$wine_run" "$uiauto" click 1004 >/dev/null   # Cancel: nothing is changed
wait "$program"
echo "The configurator opened with the caption \"$(head -n 1 <<<"$found")\" and was cancelled."
echo "Screenshot of the dialog: $picture"
