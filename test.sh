#!/usr/bin/env bash
# Installs what is missing, builds, and runs the test suite: once as built, once more the tests
# that parse, format or read files under a comma-decimal locale, and once in the fuzzing build,
# which has the address and undefined-behaviour sanitizers throughout. scripts/run-fuzz.sh then
# finds that build ready.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

scripts/install-deps.sh clang libclang-rt-14-dev

# A German locale of our own, so the suite proves it does not depend on the user's locale,
# without touching the system's locale settings.
locales="$root/build/locales"
if [ ! -d "$locales/de_DE.UTF-8" ]; then
    mkdir -p "$locales"
    localedef -i de_DE -f UTF-8 "$locales/de_DE.UTF-8"
fi

scripts/build.sh build

# The folder scripts/run-fuzz.sh uses. It is built while the first two passes run, which spend
# most of their time waiting on timers and datagrams. Figures measured under the sanitizers would
# mean nothing, so that build leaves the benchmarks out. It compiles the files of each target
# together, which makes it twice as quick; the first build still compiles each file on its own,
# so a file that lacks an include of one of this project's headers is still caught.
fuzz_build=${ZENKO_FUZZ_BUILD:-$root/build-fuzz}
mkdir -p "$fuzz_build"
# In a process group of its own, so that a failing pass ends the compilers too, and at the lowest
# priority, so that the timing the passes check is not the compilers'.
setsid nice -n 19 scripts/build.sh "$fuzz_build" -DCMAKE_CXX_COMPILER=clang++ -DZENKO_FUZZ=ON \
    -DZENKO_BENCHMARKS=OFF -DCMAKE_UNITY_BUILD=ON >"$fuzz_build/build.log" 2>&1 &
fuzz_build_job=$!
trap 'kill -- -"$fuzz_build_job" 2>/dev/null || true' EXIT

echo "== Test suite"
ctest --test-dir build --output-on-failure -j2
echo "== Tests that parse, format or read files, under LC_ALL=de_DE.UTF-8"
LOCPATH="$locales" LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 \
    ctest --test-dir build --output-on-failure -j2 -L locale

echo "== Build with sanitizers ($fuzz_build)"
if ! wait "$fuzz_build_job"; then
    cat "$fuzz_build/build.log"
    exit 1
fi
# The soak test ran its full length in the first pass; here it runs long enough to cycle through
# every kind of traffic under the sanitizers.
echo "== Test suite with sanitizers"
ZENKO_SOAK_SECONDS=5 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$fuzz_build" --output-on-failure -j2
