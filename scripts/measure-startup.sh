#!/usr/bin/env bash
# Start-up time under Wine: from process start until the dialog is visible,
# for VeyraConfig.exe and for tests/gui/reference_dialog.exe (the same settings
# dialog from the same layout, texts and Win32 backend, without detection),
# measured the same way by uiauto in the same game folder, alternating, RUNS
# times each after one unmeasured start of each. Prints both medians in
# milliseconds and their ratio. A measurement, not a test: the test suite does
# not run it. On a busy machine the figures vary by hundreds of milliseconds;
# as root, `chrt -r 10 scripts/measure-startup.sh ...` runs it (with the Wine
# server and Xvfb it starts) ahead of the other work: end the prefix's server
# first (`scripts/wine-run.sh --shutdown` in the build folder) so that it does.
#   scripts/measure-startup.sh [--presets N] [BUILD_FOLDER] [RUNS]
#     BUILD_FOLDER  a Windows build (default build/windows)
#     RUNS          starts of each program (default 11)
#     --presets N   measures on a copy of the game folder whose SweetFX\Presets
#                   holds N presets (plain sample presets are added to reach N)
# The game folder is the one VEYRA_SAMPLE_GAME names, else a fresh sample game
# (scripts/make-sample-game.sh); a folder given is never changed: with
# --presets the script works on a copy, and the configurator, which creates
# missing configuration files at start, runs in that copy too.
set -euo pipefail

usage="usage: measure-startup.sh [--presets N] [BUILD_FOLDER] [RUNS]"
presets=
while [ $# -gt 0 ]; do
  case $1 in
    --presets)
      [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || { echo "$usage" >&2; exit 2; }
      presets=$2; shift 2 ;;
    -h|--help) echo "$usage"; exit 0 ;;
    -*) echo "measure-startup.sh: unknown option $1" >&2; echo "$usage" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -le 2 ] || { echo "$usage" >&2; exit 2; }

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
runs=${2:-11}
exe=$build/VeyraConfig.exe
reference=$build/tests/gui/reference_dialog.exe
uiauto=$build/tests/gui/uiauto.exe
for f in "$exe" "$reference" "$uiauto"; do
  [ -f "$f" ] || { echo "measure-startup.sh: $f is missing; build first" >&2; exit 1; }
done

export VEYRA_WINE_DIR=$build/wine
unset DISPLAY
run=$root/scripts/wine-run.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
game=$work/game
if [ -n "${VEYRA_SAMPLE_GAME:-}" ] && [ -z "$presets" ]; then
  game=$VEYRA_SAMPLE_GAME
elif [ -n "${VEYRA_SAMPLE_GAME:-}" ]; then
  cp -r -- "$VEYRA_SAMPLE_GAME" "$game"
else
  "$root/scripts/make-sample-game.sh" "$game" "$build/sample/Mienwerk.exe" >/dev/null
fi
if [ -n "$presets" ]; then
  mkdir -p "$game/SweetFX/Presets"
  have=$(find "$game/SweetFX/Presets" -maxdepth 1 -type f | wc -l)
  for ((i = have + 1; i <= presets; i++)); do
    printf '// Sample preset %d\r\n#define USE_SMAA_ANTIALIASING 1\r\n' "$i" \
      >"$game/SweetFX/Presets/$(printf 'Preset %04d' "$i").txt"
  done
  echo "SweetFX\\Presets holds $(find "$game/SweetFX/Presets" -maxdepth 1 -type f | wc -l) presets"
fi
cd "$game"

startup() { "$run" "$uiauto" startup "$1" | tr -d '\r'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Once each unmeasured, so that neither pays for a cold cache alone.
startup "$exe" >/dev/null
startup "$reference" >/dev/null
for _ in $(seq "$runs"); do
  startup "$exe" >>"$work/configurator"
  startup "$reference" >>"$work/reference"
done
configurator_ms=$(median <"$work/configurator")
reference_ms=$(median <"$work/reference")
echo "VeyraConfig.exe:      median $configurator_ms ms of $runs runs ($(tr '\n' ' ' <"$work/configurator" | sed 's/ $//'))"
echo "reference_dialog.exe: median $reference_ms ms of $runs runs ($(tr '\n' ' ' <"$work/reference" | sed 's/ $//'))"
awk -v a="$configurator_ms" -v b="$reference_ms" 'BEGIN { printf "ratio: %.2f\n", a / b }'
