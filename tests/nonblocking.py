#!/usr/bin/env python3
"""nonblocking.py pipe|hung-up COMMAND...: runs COMMAND with its standard
output on a non-blocking descriptor and exits with COMMAND's status.

pipe: a pipe that is full before COMMAND starts and that is drained, to
standard output, only once COMMAND sleeps, so COMMAND's first write meets
EAGAIN; the bytes that filled it are not copied.
hung-up: the master side of a terminal whose other side has closed, as when
a terminal emulator goes away: it takes some bytes, then never any more."""
import os
import subprocess
import sys
import time


def state(pid):  # R, S, Z...: the field after the parenthesised name
    with open(f"/proc/{pid}/stat", "rb") as stat:
        return stat.read().rpartition(b")")[2].split()[0]


mode, command = sys.argv[1], sys.argv[2:]
if mode == "hung-up":
    master, terminal = os.openpty()
    os.close(terminal)
    os.set_blocking(master, False)
    sys.exit(subprocess.run(command, stdout=master, check=False).returncode)

read_end, write_end = os.pipe()
os.set_blocking(write_end, False)
filler = 0
try:
    while True:
        filler += os.write(write_end, bytes(65536))
except BlockingIOError:
    pass
child = subprocess.Popen(command, stdout=write_end)
os.close(write_end)
# Asleep with the pipe full, it is waiting for room; a zombie has ended.
while state(child.pid) not in (b"S", b"Z"):
    time.sleep(0.001)
with os.fdopen(read_end, "rb") as pipe:
    sys.stdout.buffer.write(pipe.read()[filler:])
sys.exit(child.wait())
