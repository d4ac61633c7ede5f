#!/usr/bin/env bash
# Runs every fuzz target for longer than the short CI runs, one after the other:
#   fuzz/run-long.sh [minutes per target, default 10] [target...]
# Builds the targets in build-fuzz (sanitized, like the test build). Each target keeps a corpus
# in build-fuzz/corpus/<target>, so later runs start where earlier ones stopped; an input that
# crashes is kept as build-fuzz/findings/<target>-crash-*. Prints each target's execution count
# and whether it crashed; exits non-zero when any did.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
shift || true
[[ $minutes =~ ^[0-9]+$ && $minutes -gt 0 ]] || { echo "Minutes must be a whole number above 0" >&2; exit 2; }
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz_data_files fuzz_viewer fuzz_classify fuzz_pop3_dialogue)

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMAILWEIR_SANITIZE=ON \
      -DMAILWEIR_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz --target "${targets[@]}"

mkdir -p build-fuzz/findings
failed=0
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    log=build-fuzz/findings/$target.log
    mkdir -p "$corpus"
    status=0
    ASAN_OPTIONS=detect_leaks=0 "build-fuzz/fuzz/$target" "$corpus" \
        -max_total_time=$((minutes * 60)) -rss_limit_mb=4096 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/findings/$target-" >"$log" 2>&1 || status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    if [[ $status -eq 0 ]]; then
        echo "$target: $runs executions, no crash"
    else
        echo "$target: $runs executions, CRASHED (exit $status), see $log"
        failed=1
    fi
done
exit $failed
