#!/usr/bin/env bash
# Screenshots of the settings dialog, docs/dialog-english.png and
# docs/dialog-german.png: the real program under Wine in a game folder (the
# one VEYRA_SAMPLE_GAME names, else a fresh sample game), found with uiauto,
# grabbed from the screen and closed with Cancel.
#   scripts/screenshot.sh [BUILD_FOLDER]     default: build/windows
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
exe=$build/VeyraConfig.exe
uiauto=$build/tests/gui/uiauto.exe
for f in "$exe" "$uiauto"; do
  [ -f "$f" ] || { echo "screenshot.sh: $f is missing; build first" >&2; exit 1; }
done
command -v import >/dev/null || { echo "screenshot.sh: ImageMagick's import is missing" >&2; exit 1; }

# The prefix of the build and its own screen, whatever display this shell has.
export VEYRA_WINE_DIR=$build/wine
unset DISPLAY
run=$root/scripts/wine-run.sh
key='HKCU\Software\Valve\Steam'

work=$(mktemp -d)
game=${VEYRA_SAMPLE_GAME:-}
if [ -z "$game" ]; then
  game=$work/game
  "$root/scripts/make-sample-game.sh" "$game" "$build/sample/Mienwerk.exe"
fi
program=
saved=$("$run" reg query "$key" /v Language 2>/dev/null | tr -d '\r' | sed -n 's/^ *Language *REG_SZ *//p' || true)
restore() {
  [ -z "$program" ] || kill "$program" 2>/dev/null || true
  if [ -n "$saved" ]; then
    "$run" reg add "$key" /v Language /d "$saved" /f >/dev/null
  else
    "$run" reg delete "$key" /v Language /f >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap restore EXIT

shoot() {  # LANGUAGE NAME
  "$run" reg add "$key" /v Language /d "$1" /f >/dev/null
  (cd "$game" && exec "$run" "$exe") &
  program=$!
  local caption x y w h
  { read -r caption; read -r x y w h; } < <("$run" "$uiauto" wait --timeout 60000 | tr -d '\r')
  local display
  display=$(cat "$VEYRA_WINE_DIR/display")
  # The screen shows the painted dialog once two grabs in a row agree.
  local out=$root/docs/dialog-$2.png previous=$work/previous.png
  local deadline=$((SECONDS + 20))
  DISPLAY=$display import -window root -crop "${w}x${h}+${x}+${y}" +repage "$previous"
  while :; do
    DISPLAY=$display import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
    [ "$(compare -metric AE "$previous" "$out" null: 2>&1 || true)" = 0 ] && break
    [ $SECONDS -lt $deadline ] || { echo "screenshot.sh: the screen never settled" >&2; exit 1; }
    cp "$out" "$previous"
  done
  "$run" "$uiauto" click 1004
  wait "$program"
  program=
  echo "$out: \"$caption\" ${w}x${h}"
}

shoot english english
shoot german german
