#!/usr/bin/env python3
"""nonblocking.py pipe|hung-up COMMAND...: runs COMMAND with its standard
output on a non-blocking descriptor and exits with COMMAND's status.

pipe: a pipe that is full before COMMAND starts and that is drained, to
standard output, only once COMMAND sleeps, so COMMAND's first write meets
EAGAIN; the bytes that filled it are not copied.
hung-up: the master side of a terminal whose other side has closed, as when
a terminal emulator goes away: it takes some bytes, then never any more."""
import fcntl
import os
import subprocess
import sys
import time


def set_nonblocking(fd):
    fcntl.fcntl(fd, fcntl.F_SETFL, fcntl.fcntl(fd, fcntl.F_GETFL) | os.O_NONBLOCK)


def state(pid):  # R, S, Z...: the field after the parenthesised name
    with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as stat:
        return stat.read().rpartition(")")[2].split()[0]


mode, command = sys.argv[1], sys.argv[2:]
if mode == "hung-up":
    master, terminal = os.openpty()
    os.close(terminal)
    set_nonblocking(master)
    sys.exit(subprocess.run(command, stdout=master, check=False).returncode)

read_end, write_end = os.pipe()
set_nonblocking(write_end)
filler = 0
try:
    while True:
        filler += os.write(write_end, bytes(65536))
except BlockingIOError:
    pass
child = subprocess.Popen(command, stdout=write_end)
os.close(write_end)
# Asleep (S) with the pipe full: it is waiting for room. Or it has ended (Z).
while state(child.pid) not in ("S", "Z"):
    time.sleep(0.001)
output = bytearray()
while chunk := os.read(read_end, 65536):
    output += chunk
sys.stdout.buffer.write(output[filler:])
sys.exit(child.wait())
