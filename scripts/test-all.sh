#!/usr/bin/env bash
# The whole test suite: native unit tests (with AddressSanitizer and UBSan),
# the same unit tests as Windows binaries under Wine, the GUI tests of the real
# program under Wine and Xvfb, a bounded run of every fuzz target, and two
# builds of the release package that must come out identical.
# The Windows build's tests run twice: under the host's Wine 8.0 (Debian 12)
# and under Debian 13's Wine 10.0, nearer to the Wine of Proton, which
# scripts/newer-wine.sh makes on first use. When that cannot be made, CI
# (CI=true) counts a failure; elsewhere the run is skipped, with a line saying so.
# Ends with the counts under each Wine and one line counting every test case:
# "total: N passed, N failed".
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
"$root/scripts/deps.sh" || exit 1

jobs=$(nproc)
passed=0
failed=0
skipped=0
status=0

closing=()  # the lines that count the runs under each Wine, printed at the end

# build_suite NAME BUILD_DIR CMAKE_ARGS...: configures and builds one build; a
# configure or build failure counts as one failure.
build_suite() {
  local name=$1 dir=$2; shift 2
  echo "=== $name"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"; status=1; failed=$((failed + 1)); return 1
  fi
  if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
    tail -n 60 "$dir.build.log"; status=1; failed=$((failed + 1)); return 1
  fi
}

# run_tests NAME BUILD_DIR LOG_NAME: runs a built build's tests and adds their
# outcome to the counts, read from ctest's JUnit report (scripts/count-results.py
# says how entries and GoogleTest reports count). Leaves "P F S" in $counted.
run_tests() {
  local name=$1 dir=$2 log=$3
  local junit=$PWD/$log.junit.xml counts ctest_status p f s
  rm -f "$log.ctest.log" "$junit"
  rm -rf "$dir/test-results"
  mkdir -p "$dir/test-results"
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" --timeout 900 \
    --output-junit "$junit" 2>&1 | tee "$log.ctest.log"
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
  counted="$p $f $s"
  echo "--- $name: $p passed, $f failed$([ "$s" -eq 0 ] || echo ", $s skipped")"
}

# run_suite NAME BUILD_DIR CMAKE_ARGS...: builds one build and runs its tests.
run_suite() {
  local name=$1 dir=$2; shift 2
  build_suite "$name" "$dir" "$@" && run_tests "$name" "$dir" "$dir"
}

# run_under_wine VERSION DESCRIPTION: runs the Windows build's tests (built
# before) under one Wine (wine-run.sh's VEYRA_WINE), each in its own prefix;
# its GoogleTest reports and pictures are kept in build/windows/test-results-wine-VERSION.
run_under_wine() {
  local version=$1 wine=$2 name p f s
  name="Windows unit and GUI tests under $wine"
  echo "=== $name"
  VEYRA_WINE=$version run_tests "$name" build/windows "build/windows.wine-$version"
  (cd build/windows && VEYRA_WINE=$version "$root/scripts/wine-run.sh" --shutdown)
  rm -rf "build/windows/test-results-wine-$version"
  mv build/windows/test-results "build/windows/test-results-wine-$version"
  read -r p f s <<<"$counted"
  closing+=("$wine: Windows unit and GUI tests: $p passed, $f failed$([ "$s" -eq 0 ] || echo ", $s skipped")")
}

mkdir -p build
run_suite "native unit tests (ASan, UBSan)" build/native \
  -DCMAKE_BUILD_TYPE=Debug -DVEYRA_SANITIZE=ON

if build_suite "Windows build" build/windows \
     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
  run_under_wine 8 "Wine $(/usr/lib/wine/wine64 --version | sed 's/^wine-//; s/ .*//') (Debian 12)"
  # The second Wine's environment, made on first use; it needs the Debian mirror.
  if "$root/scripts/newer-wine.sh" ensure; then
    run_under_wine 10 "Wine $("$root/scripts/newer-wine.sh" version | sed 's/^wine-//; s/ .*//') (Debian 13)"
  elif [ "${CI:-}" = true ]; then
    echo "--- Windows unit and GUI tests under Wine 10: FAILED, its environment could not be made (the line above says why)"
    closing+=("Wine 10 (Debian 13): not run, its environment could not be made: counted as one failure")
    failed=$((failed + 1)); status=1
  else
    echo "--- Windows unit and GUI tests under Wine 10: SKIPPED, its environment could not be made (the line above says why)"
    closing+=("Wine 10 (Debian 13): skipped, its environment could not be made")
    skipped=$((skipped + 1))
  fi
fi

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

for line in "${closing[@]}"; do echo "$line"; done
[ "$skipped" -eq 0 ] || echo "skipped: $skipped"
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
exit $status
