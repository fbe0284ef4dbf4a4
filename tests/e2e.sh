#!/bin/bash
# End to end: each case runs a shell command line against pelk and checks the
# exact bytes on standard output and standard error and the exit status.
pelk=${1:?usage: e2e.sh PATH-TO-PELK}
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
export pelk

# status | stdout | stderr | command; stdout and stderr in printf %b notation.
# Each case has ten seconds: a huge frame into a full disk must stop at once.
cases=$(cat <<'END'
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
0|AC\n||"$pelk" 2 ' +1junk'
0|||"$pelk" '- 3' 2
0|||"$pelk" 0x10 2
0|ABBBBBBB||"$pelk" 4294967301 1 | head -c 8
0|ABBBBBBB||"$pelk" 99999999999999999999999 1 | head -c 8
0|AC\nBB\nBB\n||"$pelk" 2 4294967298 | head -c 9
0|||"$pelk" -4294967291 2
1||pelk: write error: No space left on device\n|"$pelk" 5 3 >/dev/full
1||pelk: write error: No space left on device\n|"$pelk" >/dev/full
1||pelk: write error: Bad file descriptor\n|"$pelk" 5 3 >&-
1||pelk: write error: Bad file descriptor\n|"$pelk" >&-
1||pelk: write error: No space left on device\n|"$pelk" 100000 100000 >/dev/full
1|A|pelk: write error: Broken pipe\n|trap '' PIPE; "$pelk" 5 100000 | head -c 1; exit ${PIPESTATUS[0]}
END
)

passed=0 failed=0
while IFS='|' read -r want_status want_out want_err command; do
    timeout 10 bash -c "$command" >"$tmp/out" 2>"$tmp/err"
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
