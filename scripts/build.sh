#!/usr/bin/env bash
# Configures and builds into the given folder; extra arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
# Line tables are all that backtraces, the sanitizers' reports and profiles need; full debug
# information took a third of the compile time.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DZENKO_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
