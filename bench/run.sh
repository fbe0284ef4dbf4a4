#!/bin/bash
# Prints what pelk costs beside a plain C program of the same design, built
# with the same flags: start-up, as user-space instructions for 5 x 3
# (callgrind); peak resident memory for 5 x 3 and 2000 x 300 (GNU time); and
# wall time per byte of 2000 x 300, nine runs of each taken in turn.
# Exits 1 if pelk needs more than 1.05 times the C program's instructions or
# its memory grows with the frame, and 2 if a figure cannot be measured.
# Wall time has no bound: on a shared machine it moves with the load.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C
build=${BUILD:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPELK_BENCH=ON >/dev/null
cmake --build "$build" >/dev/null
pelk=$build/pelk c=$build/bench/pelk_c

# figure COMMAND...: COMMAND's output, which must be a whole number.
figure() {
    local value
    value=$("$@") && [[ $value =~ ^[0-9]+$ ]] && echo "$value" && return
    echo "bench/run.sh: no figure from $* (needs valgrind and GNU time)${value:+: $value}" >&2
    exit 2
}
instructions() {
    env -i valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\)$/\1/p'
}
# Even without address randomisation the figure moves, by a few dozen KiB
# from run to run and more from day to day (1,088 to 1,276 seen), so the
# bound is on its growth with the frame.
peak_kib() { { setarch -R /usr/bin/time -f %M "$@" >/dev/null; } 2>&1; }
microseconds() {
    local start=${EPOCHREALTIME/./}
    "$@" >/dev/null
    echo $((${EPOCHREALTIME/./} - start))
}

pelk_instructions=$(figure instructions "$pelk" 5 3)
c_instructions=$(figure instructions "$c" 5 3)
small_kib=$(figure peak_kib "$pelk" 5 3)
large_kib=$(figure peak_kib "$pelk" 2000 300)
pelk_times=() c_times=()
for _ in 1 2 3 4 5 6 7 8 9; do
    pelk_times+=("$(microseconds "$pelk" 2000 300)")
    c_times+=("$(microseconds "$c" 2000 300)")
done
spread() { printf '%s\n' "$@" | sort -n | sed -n '1p;5p;9p' | tr '\n' ' '; } # min median max

awk -v pi="$pelk_instructions" -v ci="$c_instructions" -v sk="$small_kib" -v lk="$large_kib" \
    -v pt="$(spread "${pelk_times[@]}")" -v ct="$(spread "${c_times[@]}")" -v bytes=$((300 * 2001)) '
function ns(microseconds) { return microseconds * 1000 / bytes }
BEGIN {
    ratio = pi / ci
    printf "start-up instructions, 5 x 3    pelk %d   C %d   ratio %.3f (bound 1.05) %s\n",
        pi, ci, ratio, ratio <= 1.05 ? "ok" : "OVER"
    # A frame buffer for 2000 x 300 would add 586 KiB.
    grows = lk - sk > 128
    printf "peak resident memory            %d KiB for 5 x 3, %d KiB for 2000 x 300 %s\n",
        sk, lk, grows ? "GROWS" : "ok"
    split(pt, p, " "); split(ct, c, " ") # min median max, in microseconds
    printf "wall time per byte, 2000 x 300  pelk %.0f ns (%.0f-%.0f)   C %.0f ns (%.0f-%.0f)   ratio of medians %.3f\n",
        ns(p[2]), ns(p[1]), ns(p[3]), ns(c[2]), ns(c[1]), ns(c[3]), p[2] / c[2]
    exit ratio > 1.05 || grows
}'
