#!/usr/bin/env bash
# Time from exec to the first visible window, for veskedit and for Debian's okteta on the same
# file, in alternating runs on one Xvfb display; prints each median and their ratio.
# Usage (inside xvfb-run): bench/first-window.sh VESKEDIT FILE [RUNS]
set -euo pipefail
veskedit=$1
file=$2
runs=${3:-10}
command -v xdotool >/dev/null && command -v okteta >/dev/null || { echo "needs xdotool and okteta" >&2; exit 2; }

# Milliseconds from exec until a window of the process is mapped, polled every 5 ms.
first_window() {
    local start pid now
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    while ! xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        sleep 0.005
        now=$(date +%s%N)
        if (( (now - start) / 1000000 > 10000 )); then break; fi
    done
    now=$(date +%s%N)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(( (now - start) / 1000000 ))
}

median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

ours=()
theirs=()
first_window "$veskedit" "$file" >/dev/null # warm the caches of both once
first_window okteta "$file" >/dev/null
for ((i = 0; i < runs; i++)); do
    ours+=("$(first_window "$veskedit" "$file")")
    theirs+=("$(first_window okteta "$file")")
done
a=$(printf '%s\n' "${ours[@]}" | median)
b=$(printf '%s\n' "${theirs[@]}" | median)
echo "veskedit: ${a} ms (runs: ${ours[*]})"
echo "okteta:   ${b} ms (runs: ${theirs[*]})"
echo "ratio:    $(awk -v a="$a" -v b="$b" 'BEGIN {printf "%.2f", a / b}')"
