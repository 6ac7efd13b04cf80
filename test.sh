#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once as built, once under a
# comma-decimal locale, and once more built with the address and undefined-behaviour sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"

scripts/install-deps.sh

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
echo "== Test suite under LC_ALL=de_DE.UTF-8"
LOCPATH="$locales" LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 ctest --test-dir build --output-on-failure -j2

scripts/build.sh build-sanitize -DZENKO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
echo "== Test suite with sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j2
