#!/usr/bin/env python3
"""nonblocking.py MODE COMMAND...: runs COMMAND with its standard output on a
non-blocking descriptor and exits with COMMAND's status.

pipe: a pipe that is full before COMMAND starts and that is drained, to
standard output, only once COMMAND waits in poll, so COMMAND's first write
meets EAGAIN; the bytes that filled it are not copied.
closed: the same full pipe, whose reader closes it once COMMAND waits.
stream, seqpacket: a full AF_UNIX socket of that type, whose reader shuts
down reading once COMMAND waits and keeps its end open: poll reports
nothing then, but a write fails.
hung-up: the master side of a terminal whose other side has closed, as when
a terminal emulator goes away: it takes some bytes, then never any more."""
import os
import socket
import subprocess
import sys
import time


def waiting(pid):
    """Asleep in poll, or ended. Where the kernel does not name the function
    a process sleeps in (wchan 0), asleep at all."""
    with open(f"/proc/{pid}/stat", "rb") as stat:
        state = stat.read().rpartition(b")")[2].split()[0]
    with open(f"/proc/{pid}/wchan", "rb") as wchan:
        where = wchan.read()
    return state == b"Z" or state == b"S" and (b"poll" in where or where == b"0")


def fill(write):  # returns the bytes written until the next would block
    filled = 0
    try:
        while True:
            filled += write(bytes(4096))
    except BlockingIOError:
        return filled


mode, command = sys.argv[1], sys.argv[2:]
if mode == "hung-up":
    master, terminal = os.openpty()
    os.close(terminal)
    os.set_blocking(master, False)
    sys.exit(subprocess.run(command, stdout=master, check=False).returncode)

if mode in ("stream", "seqpacket"):
    kind = socket.SOCK_STREAM if mode == "stream" else socket.SOCK_SEQPACKET
    reader, writer = socket.socketpair(socket.AF_UNIX, kind)
    writer.setblocking(False)
    filler = fill(writer.send)
    write_end = writer.detach()
else:
    read_end, write_end = os.pipe()
    os.set_blocking(write_end, False)
    filler = fill(lambda data: os.write(write_end, data))
child = subprocess.Popen(command, stdout=write_end)
os.close(write_end)
while not waiting(child.pid):
    time.sleep(0.001)
if mode == "pipe":
    with os.fdopen(read_end, "rb") as pipe:
        sys.stdout.buffer.write(pipe.read()[filler:])
elif mode == "closed":
    os.close(read_end)
else:
    reader.shutdown(socket.SHUT_RD)
sys.exit(child.wait())
