#!/bin/bash
# Prints what pelk costs beside a plain C program of the same design, built
# with the same flags: user-space instructions (callgrind, which repeats
# exactly) for 5 x 3 and per frame byte, wall time per frame byte (median of
# nine interleaved runs of each, since the machine's load shifts), and the
# median peak resident memory (GNU time) for a small and a large frame.
# Exits 1 if a bounded figure is over its bound.
set -eu
cd "$(dirname "$0")/.."
build=${BUILD:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPELK_BENCH=ON >/dev/null
cmake --build "$build" >/dev/null
pelk=$build/pelk c=$build/bench/pelk_c
small_bytes=18 large_bytes=$((300 * 2001)) timed_bytes=$((1000 * 2001))

instructions() { # PROGRAM WIDTH HEIGHT
    env -i valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" \
        2>&1 >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
seconds() { # PROGRAM WIDTH HEIGHT
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    awk -v start="$start" -v end="$EPOCHREALTIME" 'BEGIN { print end - start }'
}
median() { sort -n | sed -n 5p; }
# Peak memory moves by some 100 KiB from run to run with address layout alone,
# so take the median of nine runs; a frame buffer for 2000 x 300 would add
# 586 KiB.
peak_kib() {
    for _ in 1 2 3 4 5 6 7 8 9; do
        /usr/bin/time -f %M "$@" 2>&1 >/dev/null
    done | median
}

pelk_small=$(instructions "$pelk" 5 3) pelk_large=$(instructions "$pelk" 2000 300)
c_small=$(instructions "$c" 5 3) c_large=$(instructions "$c" 2000 300)
for _ in 1 2 3 4 5 6 7 8 9; do
    echo "pelk $(seconds "$pelk" 2000 1000)"
    echo "c $(seconds "$c" 2000 1000)"
done >"$build/seconds"
pelk_time=$(sed -n 's/^pelk //p' "$build/seconds" | median)
c_time=$(sed -n 's/^c //p' "$build/seconds" | median)
rss_small=$(peak_kib "$pelk" 5 3) rss_large=$(peak_kib "$pelk" 2000 300)

awk -v ps="$pelk_small" -v pl="$pelk_large" -v cs="$c_small" -v cl="$c_large" \
    -v pt="$pelk_time" -v ct="$c_time" -v bt="$timed_bytes" \
    -v bs="$small_bytes" -v bl="$large_bytes" -v rs="$rss_small" -v rl="$rss_large" '
function line(what, mine, theirs, bound) {
    ratio = mine / theirs
    printf "%-28s pelk %10.3f   C %10.3f   ratio %.3f", what, mine, theirs, ratio
    if (bound) printf " (bound %.2f) %s", bound, ratio <= bound ? "ok" : "OVER"
    printf "\n"
    if (bound && ratio > bound) over = 1
}
BEGIN {
    line("instructions, 5 x 3", ps, cs, 1.05)
    line("instructions per byte", (pl - ps) / (bl - bs), (cl - cs) / (bl - bs))
    line("nanoseconds per byte", pt * 1e9 / bt, ct * 1e9 / bt, 1.05)
    same = rl - rs <= 128
    printf "%-28s %d KiB for 5 x 3, %d KiB for 2000 x 300 %s\n", "peak resident memory",
        rs, rl, same ? "ok" : "GROWS"
    exit over || !same
}'
