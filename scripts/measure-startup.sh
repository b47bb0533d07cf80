#!/usr/bin/env bash
# Start-up time under Wine: from process start until the dialog is visible,
# for VeyraConfig.exe and for a minimal Win32 dialog program measured the same
# way in the same run (by uiauto, in the game folder that VEYRA_SAMPLE_GAME
# names, else a fresh sample game), alternating, RUNS times each. Prints both
# medians in milliseconds and their ratio.
#   scripts/measure-startup.sh [BUILD_FOLDER] [RUNS]     defaults: build/windows, 9
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
runs=${2:-9}
exe=$build/VeyraConfig.exe
minimal=$build/tests/gui/minimal_dialog.exe
uiauto=$build/tests/gui/uiauto.exe
for f in "$exe" "$minimal" "$uiauto"; do
  [ -f "$f" ] || { echo "measure-startup.sh: $f is missing; build first" >&2; exit 1; }
done

export VEYRA_WINE_DIR=$build/wine
unset DISPLAY
run=$root/scripts/wine-run.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
game=${VEYRA_SAMPLE_GAME:-}
if [ -z "$game" ]; then
  game=$work/game
  "$root/scripts/make-sample-game.sh" "$game" "$build/sample/Mienwerk.exe"
fi
cd "$game"

startup() { "$run" "$uiauto" startup "$1" | tr -d '\r'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Once each unmeasured, so that neither pays for a cold cache alone.
startup "$exe" >/dev/null
startup "$minimal" >/dev/null
for _ in $(seq "$runs"); do
  startup "$exe" >>"$work/configurator"
  startup "$minimal" >>"$work/minimal"
done
configurator=$(median <"$work/configurator")
reference=$(median <"$work/minimal")
echo "VeyraConfig.exe:    median $configurator ms of $runs runs ($(tr '\n' ' ' <"$work/configurator"| sed 's/ $//'))"
echo "minimal_dialog.exe: median $reference ms of $runs runs ($(tr '\n' ' ' <"$work/minimal" | sed 's/ $//'))"
awk -v a="$configurator" -v b="$reference" 'BEGIN { printf "ratio: %.2f\n", a / b }'
