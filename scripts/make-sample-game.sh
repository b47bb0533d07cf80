#!/usr/bin/env bash
# Builds a small, clearly fictional game installation folder for the demo and
# the tests: the game and modification folders, the content sets of the
# repository with their tag files, the post-processing resources and presets,
# and the precache lists in their exact form (LF line ends, two tabs).
#   make-sample-game.sh [--configured] OUTPUT_DIR [MIENWERK_EXE]
# The folder gets a marker file, .veyra-sample-game. OUTPUT_DIR may be a new
# path, an empty folder or a folder this script made before (it holds the
# marker), whose contents are then replaced; any other folder is left alone
# and the script fails. MIENWERK_EXE, when given, is copied to
# Mienwerk\Mienwerk.exe (the harmless stand-in built with the Windows program).
# --configured makes a folder as a player's looks after a few runs: settings
# chosen in autoexec.cfg, the mod's weapons and night coast installed, strong
# sun rays on and SweetFX with a preset.
set -eu

usage="usage: make-sample-game.sh [--configured] OUTPUT_DIR [MIENWERK_EXE]"
marker=.veyra-sample-game
fail() { echo "make-sample-game.sh: $*" >&2; exit 1; }

configured=no
while [ $# -gt 0 ]; do
  case $1 in
    --configured) configured=yes; shift ;;
    -h|--help) echo "$usage"; exit 0 ;;
    --) shift; break ;;
    -*) echo "make-sample-game.sh: unknown option $1" >&2; echo "$usage" >&2; exit 2 ;;
    *) break ;;
  esac
done
if [ $# -lt 1 ] || [ $# -gt 2 ] || [ -z "$1" ]; then echo "$usage" >&2; exit 2; fi
out=$1
mienwerk=${2:-}
if [ -n "$mienwerk" ]; then
  [ -f "$mienwerk" ] || fail "$mienwerk is not a file"
  mienwerk=$(realpath "$mienwerk")
fi

# made_here FOLDER: true when FOLDER is a sample game of this script. Folders
# made before the marker existed are known by their engine placeholder, which
# nothing else writes.
made_here() {
  [ -f "$1/$marker" ] ||
    { [ ! -e "$1/$marker" ] && [ -f "$1/bin/engine.dll.txt" ] &&
      [ "$(cat "$1/bin/engine.dll.txt")" = $'Veyra sample placeholder: engine.dll.txt\r' ]; }
}

if [ -d "$out" ] && [ -n "$(ls -A -- "$out")" ]; then
  made_here "$out" ||
    fail "$out is not empty and was not made by this script (it holds no $marker); leaving it alone"
  find -H "$out" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
elif [ -e "$out" ] && [ ! -d "$out" ]; then
  fail "$out exists and is not a folder; leaving it alone"
fi
mkdir -p -- "$out"
cd -- "$out"
# First, so that a folder left half-made by an interrupted run can be made again.
printf 'Sample game folder made by scripts/make-sample-game.sh; running it again replaces this folder.\n' > "$marker"

# put FILE FORMAT [ARGS...]: writes printf output to FILE, creating its folder.
put() {
  local file=$1; shift
  mkdir -p "$(dirname "$file")"
  # shellcheck disable=SC2059
  printf "$@" > "$file"
}

# placeholder FILE [SET]: a few bytes saying what the file stands for.
placeholder() {
  put "$1" 'Veyra sample placeholder: %s%s\r\n' "$(basename "$1")" "${2:+ ($2)}"
}

weapon_sounds="357 ar1 ar2 Irifle pistol rpg shotgun smg1"
loose=custom/1_VY_looseFiles

# --- the games, with the custom folders the content sets are copied into
for game in hl2 episodic ep2; do
  placeholder "$game/gameinfo.txt"
  mkdir -p "$game/$loose/models/weapons" "$game/$loose/scripts"
  for sound in $weapon_sounds; do mkdir -p "$game/$loose/sound/weapons/$sound"; done
done
mkdir -p "hl2/$loose/materials/sprites" "hl2/$loose/maps/graphs"

# --- the modification's game folders, each with its precache list
precache_list() {
  printf '"postprocessing_precache"\n{\n'
  local effect enabled
  for effect in ppe_bloom ppe_sunrays ppe_sunrays_strong ppe_vignette ppe_filmgrain; do
    enabled=0
    [ "$effect" = ppe_bloom ] && enabled=1
    printf '\t"effect"\n\t{\n'
    printf '\t\t"file"\t\t"shadereditorui/effects/%s.txt"\n' "$effect"
    printf '\t\t"effect_start_enabled"\t\t"%s"\n' "$enabled"
    printf '\t}\n'
  done
  printf '}\n'
}
for mod in VYhl2 VYepisodic VYep2; do
  mkdir -p "$mod/cfg" "$mod/shadereditorui"
  placeholder "$mod/gameinfo.txt"
  precache_list > "$mod/shadereditorui/postprocessing_precache.txt"
done

# --- the engine folder
placeholder bin/engine.dll.txt

# --- content sets in the repository; each brings the tag file the detection reads
weapon_set() {  # weapon_set NAME TAG
  local set=Repository/$1/hl2 sound
  put "$set/models/weapons/tag" '%s\r\n' "$2"
  placeholder "$set/models/weapons/v_pistol.mdl" "$1"
  placeholder "$set/models/weapons/v_smg1.mdl" "$1"
  placeholder "$set/scripts/weapon_pistol.txt" "$1"
  for sound in $weapon_sounds; do placeholder "$set/sound/weapons/$sound/fire1.wav" "$1"; done
}
weapon_set HD_weapons "VY weapons"
weapon_set LO_weapons "original weapons"

put Repository/Show_Anamorph_Sprites/hl2/materials/sprites/tag 'anamorph\r\n'
placeholder Repository/Show_Anamorph_Sprites/hl2/materials/sprites/glow01.vmt "anamorphic"
put Repository/Hide_Anamorph_Sprites/hl2/materials/sprites/tag 'round\r\n'
placeholder Repository/Hide_Anamorph_Sprites/hl2/materials/sprites/glow01.vmt "round"

put Repository/VY_Skill/tag 'vy skill\r\n'
put Repository/VY_Skill/skill.cfg 'sk_plr_dmg_pistol 6\r\nsk_npc_head 3\r\n'
put Repository/VALVE_Skill/tag 'original skill\r\n'
put Repository/VALVE_Skill/skill.cfg 'sk_plr_dmg_pistol 5\r\nsk_npc_head 2\r\n'

# The coast sequence: night and daylight maps inside the hl2 custom folder.
maps=hl2/$loose/maps
put "$maps/NIGHT/tag" 'night\r\n'
placeholder "$maps/NIGHT/d2_coast_01.bsp" night
placeholder "$maps/NIGHT/graphs/d2_coast_01.ain" night
put "$maps/DAYLIGHT/tag" 'daylight\r\n'
placeholder "$maps/DAYLIGHT/d2_coast_01.bsp" daylight
placeholder "$maps/DAYLIGHT/graphs/d2_coast_01.ain" daylight

# --- post-processing injectors: resources and presets
placeholder SweetFX_Resources/bin/d3d9.dll SweetFX
placeholder SweetFX_Resources/bin/injector.ini SweetFX
placeholder SweetFX_Resources/bin/SweetFX_settings.txt SweetFX
put SweetFX_Resources/Main/SweetFX_preset.txt '// SweetFX preset selection\r\n#include "SweetFX\\Presets\\Default.txt"\r\n'
for preset in "Default" "(NoSMAA)Default_Desaturated" "SMAA_Sharp" "Cinematic"; do
  put "SweetFX/Presets/$preset.txt" '// Sample preset "%s"\r\n#define USE_SMAA_ANTIALIASING 1\r\n' "$preset"
done
placeholder Reshade_Resources/ReShade.fx ReShade
placeholder Reshade_Resources/d3d9.dll ReShade
placeholder Reshade_Resources/Reshadebloom.fx ReShade
placeholder Reshade_Resources/Reshadetag_bloom ReShade

# --- a player's choices, as earlier runs of the configurator leave them
if [ "$configured" = yes ]; then
  for mod in VYhl2 VYepisodic VYep2; do
    put "$mod/cfg/autoexec.cfg" '%s\r\n' "// My settings" 'bind "F5" "jpeg"' \
      "// Configurator generated settings: NEVER EVER EDIT THE LINES BELOW MANUALLY!" \
      "rk_ppe_sharpen 2" "rk_ppe_hpd 2" "rk_ppe_bokehdof 2" "rk_ppe_filmic 0" \
      "mat_bloom_scalefactor_scalar 1.20" "RK_viewbob_enabled 1" "rk_weapons_recoil 1" \
      "cl_new_impact_effects 1" "npc_citizen_dont_precache_all 1"
    # Strong sun rays on: the flag on the line after the effect's file name.
    awk 'found { sub(/"0"/, "\"1\""); found = 0 } /ppe_sunrays_strong.txt"/ { found = 1 } { print }' \
      "$mod/shadereditorui/postprocessing_precache.txt" > "$mod/precache.tmp"
    mv "$mod/precache.tmp" "$mod/shadereditorui/postprocessing_precache.txt"
  done
  cp -r Repository/HD_weapons/hl2/. hl2/$loose/
  cp "$maps/NIGHT/tag" "$maps/tag"
  cp -r SweetFX_Resources/bin/. bin/
  put bin/SweetFX_preset.txt '#include "SweetFX\\Presets\\Cinematic.txt"\r\n'
fi

# --- the companion tool
if [ -n "$mienwerk" ]; then
  mkdir -p Mienwerk
  cp "$mienwerk" Mienwerk/Mienwerk.exe
fi
