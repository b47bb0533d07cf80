#!/usr/bin/env bash
# Tests of the developer scripts that guard data or decide the suite's verdict:
# make-sample-game.sh leaves every folder it did not make alone, and
# count-results.py counts ctest's JUnit report and the GoogleTest reports as
# test-all.sh relies on.
#   scripts_test.sh SOURCE_FOLDER
set -u
scripts=$(cd "${1:?usage: scripts_test.sh SOURCE_FOLDER}/scripts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # check DESCRIPTION COMMAND...: passes when COMMAND succeeds
  local what=$1; shift
  if "$@"; then echo "ok:   $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

make_sample() { "$scripts/make-sample-game.sh" "$@" >"$work/out" 2>"$work/err"; }

# --- make-sample-game.sh
cd "$work" || exit 1

make_sample --help; status=$?
check "--help exits 0" [ "$status" -eq 0 ]
check "--help prints the usage on stdout" grep -q '^usage: make-sample-game.sh' "$work/out"
check "--help makes no folder" [ ! -e --help ]

make_sample --bogus game; status=$?
check "an unknown option exits 2" [ "$status" -eq 2 ]
check "an unknown option prints the usage on stderr" grep -q '^usage:' "$work/err"
check "an unknown option makes no folder" [ ! -e game ]

mkdir -p player/saves
printf 'slot 1\n' > player/saves/quick.sav
make_sample --configured player; status=$?
check "a folder it did not make is refused" [ "$status" -ne 0 ]
check "the refusal is explained on stderr" grep -q 'player' "$work/err"
check "the refused folder keeps its files" [ "$(cat player/saves/quick.sav 2>/dev/null)" = "slot 1" ]
check "the refused folder gets nothing added" [ "$(ls -A player)" = saves ]

printf 'text\n' > notes.txt
make_sample notes.txt; status=$?
check "a file in the place of the folder is refused" [ "$status" -ne 0 ]
check "that file is kept" [ "$(cat notes.txt)" = text ]

mkdir empty
make_sample empty; status=$?
check "an empty folder is used" [ "$status" -eq 0 ]
check "the sample carries its marker" [ -s empty/.veyra-sample-game ]
check "the sample holds a game" [ -f empty/VYhl2/shadereditorui/postprocessing_precache.txt ]

printf 'old\n' > empty/stale.txt
make_sample --configured empty; status=$?
check "a folder it made is made again" [ "$status" -eq 0 ]
check "what was in it before is gone" [ ! -e empty/stale.txt ]
check "the configured sample has the player's settings" [ -f empty/VYhl2/cfg/autoexec.cfg ]
check "the marker is still there" [ -s empty/.veyra-sample-game ]

make_sample fresh "$work/no-such.exe"; status=$?
check "a missing companion program is refused" [ "$status" -ne 0 ]
check "nothing is made then" [ ! -e fresh ]

# --- count-results.py
count() { /usr/bin/python3 "$scripts/count-results.py" "$@" 2>/dev/null; }
mkdir -p results
cat > junit.xml <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<testsuite name="(empty)" tests="9" failures="4" disabled="1" skipped="2">
  <testcase name="cases_failing" status="fail"><failure message=""/></testcase>
  <testcase name="cases_then_crash" status="fail"><failure message=""/></testcase>
  <testcase name="cases_passing" status="run"/>
  <testcase name="plain_passing" status="run"/>
  <testcase name="plain_failing" status="fail"><failure message=""/></testcase>
  <testcase name="setup_lost" status="notrun"><skipped message="Fixture dependency failed"/></testcase>
  <testcase name="chose_to_skip" status="notrun"><skipped message="SKIP_RETURN_CODE=77"/></testcase>
  <testcase name="switched_off" status="disabled"/>
  <testcase name="report_cut" status="run"/>
</testsuite>
EOF
gtest_report() {  # gtest_report NAME CASE_ELEMENTS...
  local name=$1; shift
  { echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<testsuites tests="0" failures="0" disabled="0" errors="0" name="AllTests">'
    echo '  <testsuite name="S">'
    printf '    %s\n' "$@"
    echo '  </testsuite>'
    echo '</testsuites>'; } > "results/$name.xml"
}
ok='<testcase name="a" status="run" result="completed"/>'
bad='<testcase name="b" status="run" result="completed"><failure message="x"/></testcase>'
skip='<testcase name="c" status="run" result="skipped"><skipped message=""/></testcase>'
off='<testcase name="DISABLED_d" status="notrun" result="suppressed"/>'
gtest_report cases_failing "$ok" "$ok" "$bad" "$bad" "$skip"   # 2 passed, 2 failed, 1 skipped
gtest_report cases_then_crash "$ok" "$ok" "$ok"               # 3 passed, and the entry's failure
gtest_report cases_passing "$ok" "$off"                       # 1 passed, 1 skipped
printf '<testsuites><testcase' > results/report_cut.xml       # unreadable: 1 failed
# plain_passing 1 passed; plain_failing and setup_lost 1 failed each;
# chose_to_skip and switched_off 1 skipped each.
check "counts of a run with failures" [ "$(count junit.xml results)" = "7 6 4" ]

cat > all-passed.xml <<'EOF'
<testsuite tests="2" failures="0"><testcase name="one" status="run"/><testcase name="two" status="run"/></testsuite>
EOF
check "counts of a run without failures" [ "$(count all-passed.xml results)" = "2 0 0" ]
count missing.xml results >/dev/null
check "a missing ctest report is an error" [ $? -ne 0 ]

echo "$failures failed"
[ "$failures" -eq 0 ]
