#!/usr/bin/env bash
# The whole test suite: native unit tests (with AddressSanitizer and UBSan),
# the same unit tests as Windows binaries under Wine, the GUI tests of the real
# program under Wine and Xvfb, a bounded run of every fuzz target, and two
# builds of the release package that must come out identical.
# Ends with one line counting every test case: "total: N passed, N failed".
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
"$root/scripts/deps.sh" || exit 1

jobs=$(nproc)
passed=0
failed=0
skipped=0
status=0

# run_suite NAME BUILD_DIR CMAKE_ARGS...: configures, builds and runs one build's
# tests and adds their outcome to the counts, read from ctest's JUnit report
# (scripts/count-results.py says how entries and GoogleTest reports count). A
# configure or build failure counts as one failure.
run_suite() {
  local name=$1 dir=$2; shift 2
  local junit=$PWD/$dir.junit.xml counts ctest_status p f s
  echo "=== $name"
  rm -f "$dir.ctest.log" "$junit"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"; status=1; failed=$((failed + 1)); return
  fi
  if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
    tail -n 60 "$dir.build.log"; status=1; failed=$((failed + 1)); return
  fi
  rm -rf "$dir/test-results"
  mkdir -p "$dir/test-results"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" --timeout 900 \
    --output-junit "$junit" 2>&1 | tee "$dir.ctest.log"
  ctest_status=${PIPESTATUS[0]}
  # Debian's Python, which deps.sh installs.
  if counts=$(/usr/bin/python3 "$root/scripts/count-results.py" "$junit" "$dir/test-results"); then
    read -r p f s <<<"$counts"
  else
    echo "No test results of $name could be read; counted as one failure."
    p=0 f=1 s=0
  fi
  if [ "$ctest_status" -ne 0 ]; then
    status=1
    if [ "$f" -eq 0 ]; then
      echo "ctest failed (exit status $ctest_status) without a failed test; counted as one failure."
      f=1
    fi
  fi
  passed=$((passed + p)); failed=$((failed + f)); skipped=$((skipped + s))
  echo "--- $name: $p passed, $f failed$([ "$s" -eq 0 ] || echo ", $s skipped")"
}

mkdir -p build
run_suite "native unit tests (ASan, UBSan)" build/native \
  -DCMAKE_BUILD_TYPE=Debug -DVEYRA_SANITIZE=ON

run_suite "Windows unit and GUI tests under Wine" build/windows \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build/windows && "$root/scripts/wine-run.sh" --shutdown)

run_suite "fuzz targets (bounded runs)" build/fuzz \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEYRA_FUZZ=ON -DVEYRA_UNIT_TESTS=OFF

# The release package: two builds of this commit in two clean clones must give
# the same bytes. Counts as one test.
echo "=== release package, built twice (scripts/package.sh --verify)"
if "$root/scripts/package.sh" --verify; then
  passed=$((passed + 1)); echo "--- release package: reproducible"
else
  failed=$((failed + 1)); status=1; echo "--- release package: FAILED"
fi

[ "$skipped" -eq 0 ] || echo "skipped: $skipped"
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
exit $status
