#!/bin/bash
# Each frame byte must leave as its own one-byte write(2) on descriptor 1,
# in order: 5 x 3 is 18 writes spelling the frame.
pelk=${1:?usage: writes.sh PATH-TO-PELK}
log=$(mktemp) && trap 'rm -f "$log"' EXIT
if ! strace -o /dev/null true 2>/dev/null; then
    echo "SKIP: strace is missing or cannot trace here"
    exit 77
fi
# LeakSanitizer cannot run under ptrace; the e2e suite covers leaks.
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    strace -e trace=write -e signal=none -o "$log" "$pelk" 5 3 >/dev/null || exit 1
got=$(grep '^write(1, ' "$log" | sed -E 's/\) +=/) =/')
want=$(printf 'write(1, "%s", 1) = 1\n' A B B B C '\n' B ' ' ' ' ' ' B '\n' C B B B A '\n')
if [ "$got" = "$want" ] && [ "$(grep -c '^write(' "$log")" = 18 ]; then
    echo "1 passed, 0 failed"
else
    printf 'FAIL: writes to descriptor 1 were\n%s\n' "$got"
    echo "0 passed, 1 failed"
    exit 1
fi
