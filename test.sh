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
echo "== Test suite"
ctest --test-dir build --output-on-failure -j2
echo "== Tests that parse, format or read files, under LC_ALL=de_DE.UTF-8"
LOCPATH="$locales" LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 \
    ctest --test-dir build --output-on-failure -j2 -L locale

# The folder scripts/run-fuzz.sh uses. Figures measured under the sanitizers would mean nothing,
# so that build leaves the benchmarks out.
fuzz_build=${ZENKO_FUZZ_BUILD:-$root/build-fuzz}
scripts/build.sh "$fuzz_build" -DCMAKE_CXX_COMPILER=clang++ -DZENKO_FUZZ=ON \
    -DZENKO_BENCHMARKS=OFF
# The soak test ran its full length in the first pass; here it runs long enough to cycle through
# every kind of traffic under the sanitizers.
echo "== Test suite with sanitizers"
ZENKO_SOAK_SECONDS=5 ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$fuzz_build" --output-on-failure -j2
