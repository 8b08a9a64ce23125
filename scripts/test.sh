#!/usr/bin/env bash
# The whole test run: installs what is missing, builds every tree and runs every test.
#   build/native  portable core, unit tests (label native), Linux tempquery, benchmarks
#   build/asan    the same unit tests with AddressSanitizer and UBSan
#   build/fuzz    libFuzzer targets, each run briefly (label fuzz)
#   build/win64   Windows programs and tests, run under Wine (labels wine, e2e)
#   build/win32   the shipped 32-bit Windows programs (built; this machine can't run them)
#   dist/         the release zips (scripts/package.sh) from build/win64 and build/win32,
#                 before the win64 tests
# The asan and fuzz trees are built (and the fuzz targets run) beside the Wine tests.
# Exits non-zero on any failure.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${KV_JOBS:-$(nproc)}

bash scripts/setup.sh || exit 1

failed=0
total_passed=0
total_failed=0
summary=()
skipped_tests=()

configure_build() {  # name, cmake args...
    local name=$1; shift
    echo "=== build $name"
    cmake -S "$root" -B "build/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"build/$name.configure.log" 2>&1 \
        || { cat "build/$name.configure.log"; echo "configure $name FAILED"; failed=1; return 1; }
    cmake --build "build/$name" -j "$jobs" || { echo "build $name FAILED"; failed=1; return 1; }
}

# ctest into build/NAME.ctest.log, quietly; its status into build/NAME.ctest.rc.
ctest_to_log() {  # name, ctest args...
    local name=$1; shift
    ctest --test-dir "build/$name" --output-on-failure -j "$jobs" "$@" >"build/$name.ctest.log" 2>&1
    echo $? >"build/$name.ctest.rc"
}

tally() {  # name: counts a finished ctest log into the summary
    local name=$1
    local out="build/$name.ctest.log"
    local rc; rc=$(cat "build/$name.ctest.rc" 2>/dev/null || echo 1)
    local line; line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$out" | tail -1)
    summary+=("$name: ${line:-no result}")
    if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        total_failed=$((total_failed + BASH_REMATCH[1]))
        total_passed=$((total_passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    fi
    if [ "$rc" != 0 ] || ! grep -q ' 0 tests failed' <<<"$line"; then failed=1; fi
    # CI runs every test: one that skipped (a GoogleTest case, or a script's exit 77) or
    # was not run at all fails the run, by name.
    local skipped
    skipped=$(sed -n '/The following tests did not run:/,/^$/p' "$out" | grep -E '^[[:space:]]+[0-9]+ - ' \
        | sed -E 's/^[[:space:]]+[0-9]+ - //')
    if [ -n "$skipped" ]; then
        summary+=("$name: did not run: $(tr '\n' ' ' <<<"$skipped")")
        skipped_tests+=("$skipped")
        failed=1
    fi
}

run_ctest() {  # name, ctest args...: in the foreground, shown as it runs
    local name=$1; shift
    echo "=== test $name"
    ctest --test-dir "build/$name" --output-on-failure -j "$jobs" "$@" 2>&1 | tee "build/$name.ctest.log"
    echo "${PIPESTATUS[0]}" >"build/$name.ctest.rc"
    tally "$name"
}

mkdir -p build
rm -f build/*.ctest.log build/*.ctest.rc build/*.failed
# Stray harness processes from an interrupted earlier run.
for d in build/win64; do [ -d "$d" ] && scripts/wine-harness.sh stop "$d" 2>/dev/null; done

if configure_build native; then run_ctest native; fi

win64_built=0
if configure_build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"; then
    win64_built=1
    # The release zips first: the package smoke test (label e2e) unpacks them. They are
    # made from the tested tree and the 32-bit one, which builds the shipped programs.
    echo "=== package"
    if KV_RELEASE_TREES=build/ KV_JOBS=$jobs bash scripts/package.sh; then
        summary+=("package: dist/ written, win32: built")
    else
        summary+=("package: FAILED"); failed=1
    fi
fi

# The Wine tests run one at a time (they share the display and the prefix's INI file) and
# leave a core idle for most of their quarter hour: meanwhile, at the lowest priority, the
# sanitizer and fuzz trees are built and the fuzz targets run (a fixed 10 s each, so a
# slower machine only makes fewer runs). The sanitizer tests, which have waits of their
# own, run after the Wine tests.
side_trees() {
    configure_build asan -DKV_SANITIZE=ON -DKV_BENCH=OFF || touch build/asan.failed
    if CC=clang CXX=clang++ configure_build fuzz -DKV_FUZZ=ON -DKV_BENCH=OFF; then
        jobs=1 ctest_to_log fuzz -L fuzz
    else
        touch build/fuzz.failed
    fi
}
echo "=== build asan, build fuzz and test fuzz beside the Wine tests (build/side-trees.log)"
setsid nice -n 19 bash -c "$(declare -p root jobs); $(declare -f configure_build ctest_to_log side_trees); side_trees" \
    >build/side-trees.log 2>&1 &
side_pid=$!
# An interrupted run takes its side trees' builds with it.
trap 'kill -- -"$side_pid" 2>/dev/null; exit 130' INT TERM

if [ "$win64_built" = 1 ]; then run_ctest win64; fi

wait "$side_pid"
trap - INT TERM
if [ -e build/asan.failed ] || [ -e build/fuzz.failed ]; then
    cat build/side-trees.log
    failed=1
fi
[ -e build/asan.failed ] && summary+=("asan: build FAILED")
if [ ! -e build/asan.failed ]; then
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_ctest asan -L native
fi
if [ -e build/fuzz.failed ]; then
    summary+=("fuzz: build FAILED")
else
    echo "=== test fuzz (ran beside the Wine tests)"
    cat build/fuzz.ctest.log
    tally fuzz
fi

echo "=== summary"
printf '  %s\n' "${summary[@]}"
echo "tests: $total_passed passed, $total_failed failed"
if [ ${#skipped_tests[@]} -gt 0 ]; then
    echo "skipped or not run (each must run in CI):"
    printf '%s\n' "${skipped_tests[@]}" | sed 's/^/  /'
fi
if [ "$failed" != 0 ]; then
    echo "FAILED"
    exit 1
fi
echo "all tests passed"
