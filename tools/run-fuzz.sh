#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang and runs each in turn for SECONDS on a fresh copy of
# its seed corpus, so the committed corpus never grows. Prints each target's speed and final corpus;
# fails when any target finds a crash, a sanitizer report, a leak or a hang (its input is kept in
# BUILD/artifacts/TARGET/). Usage: run-fuzz.sh BUILD SECONDS
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
seconds="${2:-60}"

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 -- --no-print-directory

failed=()
for seeds in "$root"/tests/fuzz/corpus/*/; do
    name="$(basename "$seeds")"
    corpus="$build/corpus/$name"
    artifacts="$build/artifacts/$name/"
    log="$build/$name.log"
    rm -rf "$corpus" "$artifacts"
    mkdir -p "$corpus" "$artifacts"
    cp "$seeds"* "$corpus/"
    status=ok
    "$build/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1 || status=FAILED
    speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)"
    # libFuzzer's last report of its corpus: "corp: INPUTS/SIZE".
    kept="$(grep -o 'corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1 | sed 's|corp: \(.*\)/\(.*\)|\1 inputs, \2|')"
    printf '%-16s %-6s %8s exec/s   corpus %s\n' "$name" "$status" "${speed:-?}" "${kept:-?}"
    if [ "$status" != ok ]; then
        failed+=("$name")
        grep -E 'ERROR|SUMMARY|property broken|Test unit written' "$log" | head -n 20 || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (logs in $build/*.log)"
    exit 1
fi
