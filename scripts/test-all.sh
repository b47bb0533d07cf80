#!/usr/bin/env bash
# The whole test suite: native unit tests (with AddressSanitizer and UBSan),
# the same unit tests as Windows binaries under Wine, the GUI tests of the real
# program under Wine and Xvfb, and a bounded run of every fuzz target.
# Ends with one line counting every test case: "total: N passed, N failed".
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/deps.sh" || exit 1

jobs=$(nproc)
passed=0
failed=0
status=0

# count LOG RESULTS_DIR: adds the outcome of every ctest entry in LOG. An entry
# that left a GoogleTest report RESULTS_DIR/NAME.xml counts its test cases (the
# Windows binaries run many cases under one entry); any other counts as one.
count() {
  local line name outcome xml tests bad
  while read -r line; do
    name=$(sed -E 's/.*Test +#[0-9]+: ([^ ]+) .*/\1/' <<<"$line")
    outcome=passed
    grep -q ' Passed ' <<<"$line" || outcome=failed
    xml=$2/$name.xml
    if [ -f "$xml" ]; then
      read -r tests bad < <(sed -nE 's/.*<testsuites tests="([0-9]+)" failures="([0-9]+)".*/\1 \2/p' "$xml")
      [ "$outcome" = failed ] && [ "${bad:-0}" -eq 0 ] && bad=1 && tests=$((${tests:-0} + 1))
      passed=$((passed + ${tests:-0} - ${bad:-0}))
      failed=$((failed + ${bad:-0}))
    elif [ "$outcome" = passed ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
    fi
  done < <(grep -E 'Test +#[0-9]+: ' "$1" 2>/dev/null)
}

# run_suite NAME BUILD_DIR CMAKE_ARGS...: configures, builds and runs one build's tests.
run_suite() {
  local name=$1 dir=$2; shift 2
  echo "=== $name"
  rm -f "$dir.ctest.log"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"; status=1; failed=$((failed + 1)); return
  fi
  if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
    tail -n 60 "$dir.build.log"; status=1; failed=$((failed + 1)); return
  fi
  rm -rf "$dir/test-results"
  mkdir -p "$dir/test-results"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 900 2>&1 | tee "$dir.ctest.log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
}

mkdir -p build
run_suite "native unit tests (ASan, UBSan)" build/native \
  -DCMAKE_BUILD_TYPE=Debug -DVEYRA_SANITIZE=ON
count build/native.ctest.log build/native/test-results

run_suite "Windows unit and GUI tests under Wine" build/windows \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
count build/windows.ctest.log build/windows/test-results
(cd build/windows && "$root/scripts/wine-run.sh" --shutdown)

run_suite "fuzz targets (bounded runs)" build/fuzz \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEYRA_FUZZ=ON -DVEYRA_UNIT_TESTS=OFF
count build/fuzz.ctest.log build/fuzz/test-results

echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
exit $status
