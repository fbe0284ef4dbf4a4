#!/bin/bash
# End to end: each case runs a shell command line against pelk and checks the
# exact bytes on standard output and standard error and the exit status.
# TABLE "plain" runs pelk as a user would; "faults" runs it under strace,
# which injects write, poll and close failures that no real device produces
# on demand.
pelk=$1 table=${2:?usage: e2e.sh PATH-TO-PELK plain|faults}
tests=$(dirname "$0")
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
# Standard output's pollfd with POLLOUT asked and a hang-up alone returned, in
# this machine's byte order: poke_exit= makes an injected poll report that.
hup=$(python3 -c 'import struct; print(struct.pack("=ihh", 1, 4, 16).hex())')
export pelk tests tmp hup
# The C locale's texts, whatever the caller's locale, and no warnings from
# bash or strace about one that is not installed.
export LC_ALL=C

# status | stdout | stderr | command; stdout and stderr in printf %b notation.
# Each case may use ten seconds of CPU, however busy the machine, so a huge
# frame into a full disk must stop at once; one that hangs asleep, 5 minutes.
# A case where a signal ends pelk sends bash's report of it to /dev/null.
# Cases with standard output closed run without preloads: faketime's opens a
# file at start-up, which takes the free descriptor 1, and pelk writes there.
plain=$(cat <<'END'
0|ABBBC\nB   B\nCBBBA\n||"$pelk" 5 3
0|ABBC\nB  B\nB  B\nCBBA\n||"$pelk" 4 4
0|ABBBC\n||"$pelk" 5 1
0|A\n||"$pelk" 1 1
0|A\nB\nB\nB\nC\n||"$pelk" 1 5
0|A\nC\n||"$pelk" 1 2
0|AC\nCA\n||"$pelk" 2 2
0|AC\nBB\nCA\n||"$pelk" 2 3
0|||"$pelk" 0 3
0|||"$pelk" 3 0
0|||"$pelk" -1 3
0|||"$pelk" 3 -1
0|Usage: ./pelk x y\n||"$pelk"
0|Usage: ./pelk x y\n||"$pelk" 5
0|Usage: ./pelk x y\n||"$pelk" 5 3 1
0|Usage: ./pelk x y\n||(exec -a /bin/other "$pelk" 5)
0|||"$pelk" abc 3
0|||"$pelk" '' 3
0|ABC\nCBA\n||"$pelk" 3x 2
0|ABBC\nCBBA\n||"$pelk" +4 2
0|ABBBBBC\n||"$pelk" ' 7' 1
0|ABC\n||"$pelk" $'\n\t\v\f\r 3' 1
0|AC\n||"$pelk" 2 ' +1junk'
0|||"$pelk" '- 3' 2
0|||"$pelk" 0x10 2
0|ABBBBBBB||"$pelk" 4294967301 1 | head -c 8
0|ABBBBBBB||"$pelk" 99999999999999999999999 1 | head -c 8
0|AC\nBB\nBB\n||"$pelk" 2 4294967298 | head -c 9
0|||"$pelk" -4294967291 2
1||pelk: write error: No space left on device\n|LC_ALL=de_DE.UTF-8 "$pelk" 5 3 >/dev/full
1||pelk: write error: No space left on device\n|"$pelk" >/dev/full
1||pelk: write error: No space left on device\n|stdbuf -oL "$pelk" >/dev/full
1||pelk: write error: Bad file descriptor\n|env -u LD_PRELOAD "$pelk" 5 3 >&-
1||pelk: write error: Bad file descriptor\n|env -u LD_PRELOAD "$pelk" >&-
0|||env -u LD_PRELOAD "$pelk" 0 3 >&-
1||pelk: write error: No space left on device\n|"$pelk" 100000 100000 >/dev/full
1|A|pelk: write error: Broken pipe\n|trap '' PIPE; "$pelk" 5 100000 | head -c 1; exit ${PIPESTATUS[0]}
1|A|pelk: write error: Broken pipe\n|env --block-signal=PIPE "$pelk" 5 100000 | head -c 1; exit ${PIPESTATUS[0]}
0|XFSZ\n||exec 3>&2 2>/dev/null; ulimit -f 1; "$pelk" 5 300 >"$tmp/f" 2>&3; kill -l $?
1||pelk: write error: File too large\n|ulimit -f 1; env --ignore-signal=XFSZ "$pelk" 5 300 >"$tmp/f"
0|      1 ABC\n  29998 B B\n      1 CBA\n||python3 "$tests/nonblocking.py" pipe "$pelk" 3 30000 | uniq -c; exit ${PIPESTATUS[0]}
0|      1 ABC\n  29998 B B\n      1 CBA\n||python3 "$tests/nonblocking.py" terminal "$pelk" 3 30000 | uniq -c; exit ${PIPESTATUS[0]}
1||pelk: write error: Broken pipe\n|python3 "$tests/nonblocking.py" closed env --ignore-signal=PIPE "$pelk" 5 100000
1||pelk: write error: Broken pipe\n|python3 "$tests/nonblocking.py" stream env --ignore-signal=PIPE "$pelk" 5 100000
1||pelk: write error: Broken pipe\n|python3 "$tests/nonblocking.py" seqpacket "$pelk" 5 100000
END
)

# inject FAULT... ARG...: runs pelk ARG... under strace, which makes the
# calls each FAULT names fail (strace -e inject=FAULT; one FAULT a call);
# without when=, its message to standard error fails too.
# trace FAULT... ARG...: the same, but prints pelk's write and poll calls
# instead of its standard output. Where there is no poll system call (arm64,
# riscv64), glibc's poll makes a ppoll one: "poll" in a FAULT means either,
# and a ppoll call is traced as the poll call it stands for.
# After two writes that would block, the second poll is the sleep before a
# retry, the third a real wait: stretching either (a stop, timer slack) never
# ends the retries; only their count does, 1000 for one byte.
# A wait that times out (poll:retval=0) is no try, however many there are,
# and the byte is written again at once. In the give-up row, poll:retval=0
# makes the sleeps, every second poll from the second on, instant instead.
# A wait that reports a hang-up alone is no try either: pelk sleeps a second
# before it writes again, as poll would return at once.
faults=$(cat <<'END'
0|ABBBC\nB   B\nCBBBA\n||inject write:error=EINTR:when=4 5 3
0|ABBBC\nB   B\nCBBBA\n||inject write:error=EINTR:when=2..17 5 3
0|ABBBC\nB   B\nCBBBA\n||inject write:error=EAGAIN:when=4 5 3
0|ABBBC\nB   B\nCBBBA\n||inject write:error=EAGAIN:when=1..200 5 3
1|ABBBC\n|pelk: write error: No space left on device\n|inject write:error=ENOSPC:when=7 5 3
1|ABBBC\nB   B\nCBBBA|pelk: write error: Input/output error\n|inject write:error=EIO:when=18 5 3
1|AB|pelk: write error: Input/output error\n|inject write:retval=0:when=3 5 3
1|ABB|pelk: write error: Cannot allocate memory\n|inject write:error=EAGAIN:when=4 poll:error=ENOMEM 5 3
1||pelk: write error: Resource temporarily unavailable\n|inject write:error=EAGAIN:when=1 5
1|||inject write:error=EAGAIN 5 3
0|AC\n||inject write:error=EAGAIN:when=2..4 poll:delay_exit=2000000:when=3 2 1
0|AC\n||inject write:error=EAGAIN:when=2..4 poll:delay_exit=2000000:when=2 2 1
0|AC\n||slack 50000000 inject write:error=EAGAIN:when=2..32 2 1
0|AC\n||inject write:error=EAGAIN:when=2..1500 poll:retval=0:when=1..1499 2 1
1|1001\n|pelk: write error: Resource temporarily unavailable\n|trace write:error=EAGAIN:when=2..1002 poll:retval=0:when=2+2 2 1 | grep -c '^write(1, "C"'; exit ${PIPESTATUS[0]}
1|ABBBC\nB   B\nCBBBA\n|pelk: write error: Input/output error\n|last_close close:error=EIO 5 3
1|Usage: ./pelk x y\n|pelk: write error: Input/output error\n|last_close close:error=EIO
0|write(1, "A", 1) = 1\nwrite(1, "C", 1) = 1\nwrite(1, "\\n", 1) = 1\n||trace 2 1
0|write(1, "A", 1) = 1\nwrite(1, "C", 1) = -1 EINTR (Interrupted system call) (INJECTED)\nwrite(1, "C", 1) = 1\nwrite(1, "\\n", 1) = 1\n||trace write:error=EINTR:when=2 2 1
0|write(1, "A", 1) = 1\nwrite(1, "C", 1) = -1 EAGAIN (Resource temporarily unavailable) (INJECTED)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = 0 (Timeout) (INJECTED)\nwrite(1, "C", 1) = -1 EAGAIN (Resource temporarily unavailable) (INJECTED)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = 1 ([{fd=1, revents=POLLOUT}])\nwrite(1, "C", 1) = 1\nwrite(1, "\\n", 1) = 1\n||trace write:error=EAGAIN:when=2..3 poll:retval=0:when=1 2 1
0|write(1, "A", 1) = 1\nwrite(1, "C", 1) = -1 EAGAIN (Resource temporarily unavailable) (INJECTED)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = -1 EINTR (Interrupted system call) (INJECTED)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = 1 ([{fd=1, revents=POLLOUT}])\nwrite(1, "C", 1) = 1\nwrite(1, "\\n", 1) = 1\n||trace write:error=EAGAIN:when=2 poll:error=EINTR:when=1 2 1
0|write(1, "A", 1) = 1\nwrite(1, "C", 1) = -1 EAGAIN (Resource temporarily unavailable) (INJECTED)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = 1 ([{fd=1, revents=POLLOUT}])\nwrite(1, "C", 1) = -1 EAGAIN (Resource temporarily unavailable) (INJECTED)\npoll(NULL, 0, 1) = 0 (Timeout)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = 1 ([{fd=1, revents=POLLOUT}])\nwrite(1, "C", 1) = 1\nwrite(1, "\\n", 1) = 1\n||trace write:error=EAGAIN:when=2..3 2 1
0|write(1, "A", 1) = 1\nwrite(1, "C", 1) = -1 EAGAIN (Resource temporarily unavailable) (INJECTED)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = 1 ([{fd=1, revents=POLLHUP}]) (INJECTED: args, retval)\nwrite(1, "C", 1) = -1 EAGAIN (Resource temporarily unavailable) (INJECTED)\npoll(NULL, 0, 1000) = 0 (Timeout)\npoll([{fd=1, events=POLLOUT}], 1, 1000) = 1 ([{fd=1, revents=POLLOUT}])\nwrite(1, "C", 1) = 1\nwrite(1, "\\n", 1) = 1\n||trace write:error=EAGAIN:when=2..3 poll:retval=1:poke_exit=@arg1=$hup:when=1 2 1
END
)
inject() {
    local injected=() poll='/^p?poll$'
    while [[ $1 == *:* ]]; do injected+=(-e "inject=${1/#poll:/$poll:}") && shift; done
    # pelk gets the caller's preloads, strace none: faketime's stalls the
    # timer that strace's delay_exit= waits on.
    [ -z "${LD_PRELOAD-}" ] || injected+=(-E "LD_PRELOAD=$LD_PRELOAD")
    # LeakSanitizer cannot run under ptrace; the plain table covers leaks.
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 env -u LD_PRELOAD \
        strace -qq -e signal=none -e trace="write,close,$poll" -o "${trace_to:-/dev/null}" \
        "${injected[@]}" "$pelk" "$@"
}
trace() {
    trace_to=/dev/fd/3 inject "$@" 3>&1 >/dev/null |
        sed -E -e '/^close\(/d' -e 's/\) +=/) =/' -e 's/, left \{[^}]*\}\)/)/' \
            -e 's/^ppoll\((.*), \{tv_sec=0, tv_nsec=([0-9]+)000000\}, NULL, [0-9]+\)/poll(\1, \2)/' \
            -e 's/^ppoll\((.*), \{tv_sec=([1-9][0-9]*), tv_nsec=0\}, NULL, [0-9]+\)/poll(\1, \2000)/'
    return "${PIPESTATUS[0]}"
}
# slack NS COMMAND...: runs COMMAND under NS ns of timer slack, which children
# and execve keep (prctl 29 sets it, 30 reads it); a realtime policy has none.
slack() {
    python3 -c 'import ctypes, os, sys
prctl, ns = ctypes.CDLL(None).prctl, int(sys.argv[1])
if os.sched_getscheduler(0) in (os.SCHED_FIFO, os.SCHED_RR):
    os.sched_setscheduler(0, os.SCHED_OTHER, os.sched_param(0))
prctl(29, ctypes.c_ulong(ns), 0, 0, 0)
if prctl(30, 0, 0, 0, 0) != ns: sys.exit("slack: timer slack not set")
os.execvp("bash", ["bash", "-c", "\"$@\"", "bash"] + sys.argv[2:])' "$@"
}
# last_close FAULT ARG...: inject, with FAULT, a close fault, on pelk's last
# close of standard output; a first run counts the closes before it, which
# the loader and any preload make.
last_close() {
    local fault=$1 nth && shift
    nth=$(trace_to=/dev/fd/3 inject "$@" 3>&1 >/dev/null 2>&1 |
        grep '^close(' | grep -n '^close(1)' | tail -n 1 | cut -d : -f 1)
    inject "$fault:when=$nth" "$@"
}
export -f inject trace slack last_close

case $table in
plain) cases=$plain ;;
faults)
    cases=$faults
    strace -o /dev/null true 2>/dev/null ||
        { echo "strace is missing or cannot trace here: skipped" && exit 77; }
    ;;
*) echo "e2e.sh: no table $table" >&2 && exit 2 ;;
esac

# ASan must come first among libraries; stdbuf preloads its own.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
passed=0 failed=0
while IFS='|' read -r want_status want_out want_err command; do
    # Every signal at its default, whatever the caller ignores; a row that
    # wants another disposition sets it. KILL ends a case whatever it does.
    (ulimit -t 10 2>/dev/null
        exec timeout -s KILL 300 env --default-signal bash -c "$command") >"$tmp/out" 2>"$tmp/err"
    status=$?
    printf %b "$want_out" >"$tmp/want_out"
    printf %b "$want_err" >"$tmp/want_err"
    if [ "$status" = "$want_status" ] && cmp -s "$tmp/out" "$tmp/want_out" &&
        cmp -s "$tmp/err" "$tmp/want_err"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL: %s\n  status %s, want %s\n' "$command" "$status" "$want_status"
        printf '  stdout: %q\n  want:   %q\n' "$(cat "$tmp/out")" "$(cat "$tmp/want_out")"
        printf '  stderr: %q\n  want:   %q\n' "$(cat "$tmp/err")" "$(cat "$tmp/want_err")"
    fi
done <<<"$cases"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
