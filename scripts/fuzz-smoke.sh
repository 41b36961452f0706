#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers) in
# build/fuzz and runs each one for a bounded time on a copy of its seed corpus, one after the
# other. Fails when any target crashes, leaks, hangs, runs out of memory, breaks one of its
# checks or gets any sanitizer report. The seed corpora in fuzz/corpus are never written to.
#   FUZZ_SECONDS        time per target (default 30)
#   PERIVANT_BUILD_ROOT where the build directory goes (default build)
# A failing input is kept in <build>/fuzz/artifacts/ and its log in <build>/fuzz/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
root=${PERIVANT_BUILD_ROOT:-build}
dir="$root/fuzz"
targets=(
    markup_document_fuzzer
    status_page_fuzzer
    master_list_fuzzer
    version_text_fuzzer
    version_resource_fuzzer
    settings_file_fuzzer
)

echo
echo "=== Fuzz smoke run: build ==="
mkdir -p "$root"
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPERIVANT_FUZZ=ON -DPERIVANT_GUI=OFF -DPERIVANT_BENCH=OFF > "$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"

# The targets write their scratch files (settings homes) under TMPDIR; memory is much faster
# than disk for the settings file's many small synced writes.
base=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    base=/dev/shm
fi
work=$(mktemp -d "$base/perivant-fuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$dir/logs" "$dir/artifacts"

failed=()
for target in "${targets[@]}"; do
    echo
    echo "=== Fuzz smoke run: $target, ${seconds}s ==="
    corpus="$work/corpus-$target"
    cp -r "fuzz/corpus/$target" "$corpus"
    log="$dir/logs/$target.log"
    status=0
    TMPDIR="$work" ASAN_OPTIONS="detect_leaks=1" \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        "$dir/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-" "$corpus" \
        > "$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    # Any report counts, even one that would not end the run by itself.
    if [ "$status" -ne 0 ] ||
        grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:|check failed:' "$log"; then
        tail -n 60 "$log"
        echo "FAILED: $target (exit status $status, ${runs:-?} runs); log: $log"
        failed+=("$target")
    else
        echo "ok: $target, ${runs:-?} runs"
    fi
done

if [ "${#failed[@]}" -ne 0 ]; then
    echo
    echo "Fuzz smoke run failed: ${failed[*]}"
    ls -l "$dir/artifacts" || true
    exit 1
fi
echo
echo "Fuzz smoke run passed."
