#!/usr/bin/env bash
# Builds Perivant and runs the whole test suite: the normal build with every test, then the
# thread-sanitizer build of everything that crosses threads, then the address and
# undefined-behaviour sanitizer build of the whole suite, then a short run of every fuzz target.
# Installs what it needs first.
# PERIVANT_QUICK=1 runs the normal build only (for a fast local loop).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
root=${PERIVANT_BUILD_ROOT:-build}
export QT_QPA_PLATFORM=offscreen

stage() {
    echo
    echo "=== $* ==="
}

# configure DIR [cmake options...]
configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DPERIVANT_WERROR=ON "$@" > "$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
}

mkdir -p "$root"

stage "Build and test"
configure "$root/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/test" -j "$jobs"
ctest --test-dir "$root/test" --output-on-failure -j "$jobs" --timeout 600

if [ "${PERIVANT_QUICK:-0}" = 1 ]; then
    exit 0
fi

stage "ThreadSanitizer: polling engine, network and lab refresh"
configure "$root/tsan" -DCMAKE_BUILD_TYPE=Debug -DPERIVANT_GUI=OFF -DPERIVANT_BENCH=OFF \
    -DPERIVANT_SANITIZE=thread
cmake --build "$root/tsan" -j "$jobs" --target polling_tests net_tests lab_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "$root/tsan" --output-on-failure -j "$jobs" --timeout 900 \
    -R '^(ServerInfo|ServerTable|ServerRecord|DecodeFieldText|StatusPage|ServerManager|WorkerLauncher|MasterServerList|FetchServerList|HttpClient|PingHost|LabRefresh)'

stage "AddressSanitizer and UndefinedBehaviorSanitizer: whole suite"
configure "$root/asan" -DCMAKE_BUILD_TYPE=Debug -DPERIVANT_BENCH=OFF -DPERIVANT_SANITIZE=address
cmake --build "$root/asan" -j "$jobs"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1" \
    ctest --test-dir "$root/asan" --output-on-failure -j "$jobs" --timeout 900

stage "Fuzz targets, ${FUZZ_SECONDS:-30} s each"
PERIVANT_BUILD_ROOT="$root" bash scripts/fuzz-smoke.sh
