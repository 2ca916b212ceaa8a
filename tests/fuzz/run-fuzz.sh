#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs each fuzz target for SECONDS, starting from its seed corpus, two at a time.
#   run-fuzz.sh BUILD_DIR SECONDS [TARGET...]
# New inputs go to a scratch copy of the corpus; crashes land in BUILD_DIR/fuzz/findings.
# Exits non-zero when any target found something.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(ls "$here/corpus"))
findings="$build/fuzz/findings"
mkdir -p "$findings"

run_one() {
    local name=$1 work
    work=$(mktemp -d)
    cp -r "$here/corpus/$name/." "$work/"
    if "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
        "$work" >"$build/fuzz/$name.log" 2>&1; then
        echo "$name: clean, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz/$name.log" | grep -o '[0-9]*$') runs"
        rm -rf "$work"
    else
        echo "$name: FINDING, see $build/fuzz/$name.log"; tail -n 30 "$build/fuzz/$name.log"
        rm -rf "$work"
        return 1
    fi
}

failed=0
pids=()
for name in "${targets[@]}"; do
    run_one "$name" &
    pids+=($!)
    if [ ${#pids[@]} -eq 2 ]; then
        wait "${pids[0]}" || failed=$((failed + 1))
        pids=("${pids[1]}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
echo "fuzz: $((${#targets[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
