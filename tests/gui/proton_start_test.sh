#!/usr/bin/env bash
# The program as a player starts it under Proton: copied into the game folder
# and started with that folder as the current one (what protontricks-launch
# --cwd-app does), in a prefix of its own whose Steam language value is empty,
# as Proton leaves it. The dialog then speaks the prefix's Windows language:
# German under a German locale, English under an English one.
#   proton_start_test.sh EXE UIAUTO SAMPLE_GAME WORK_FOLDER
set -u
exe=$1 uiauto=$2 sample=$3 work=$4
run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine-run.sh
# A prefix of each Wine's own (wine-run.sh's VEYRA_WINE), as wine-run.sh keeps them.
if [ "${VEYRA_WINE:-8}" = 8 ]; then export VEYRA_WINE_DIR=$work/wine; else export VEYRA_WINE_DIR=$work/wine-$VEYRA_WINE; fi
rm -rf "$work/game"
mkdir -p "$work"
cp -a "$sample" "$work/game"
cp "$exe" "$work/game/VeyraConfig.exe"
trap '"$run" --shutdown >/dev/null 2>&1' EXIT

"$run" reg add 'HKCU\Software\Valve\Steam' /v Language /t REG_SZ /d '' /f >/dev/null 2>&1 ||
  { echo "FAILED: could not write the empty Steam language"; exit 1; }

failures=0
for case in "de_DE.UTF-8 Konfigurator" "en_US.UTF-8 Configurator"; do
  read -r locale expected <<<"$case"
  (cd "$work/game" && LC_ALL=$locale "$run" VeyraConfig.exe) &
  program=$!
  caption=$("$run" "$uiauto" wait | tr -d '\r' | head -n 1)
  "$run" "$uiauto" click 1004 >/dev/null  # Cancel
  wait "$program"
  status=$?
  if [ "$caption" = "$expected" ] && [ "$status" -eq 0 ]; then
    echo "ok: under $locale the dialog reads $caption and Cancel ends it with 0"
  else
    echo "FAILED: under $locale the caption was ${caption:-none} (expected $expected), exit status $status"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
