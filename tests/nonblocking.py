#!/usr/bin/env python3
"""nonblocking.py MODE COMMAND...: runs COMMAND with its standard output on a
non-blocking descriptor that is full when it starts, and exits with its status.

Once COMMAND waits in poll, the reader of a pipe drains it to standard output,
without the bytes that filled it (pipe), or closes it (closed); the reader of
an AF_UNIX stream or seqpacket socket shuts down reading, which poll does not
report (stream, seqpacket). hung-up: the master side of a terminal whose other
side has closed: it takes some bytes, then never any more."""
import os
import socket
import subprocess
import sys
import time


def waiting(pid):  # asleep in poll (asleep at all where wchan is 0), or ended
    with open(f"/proc/{pid}/stat", "rb") as stat:
        state = stat.read().rpartition(b")")[2].split()[0]
    with open(f"/proc/{pid}/wchan", "rb") as wchan:
        where = wchan.read()
    return state == b"Z" or state == b"S" and (b"poll" in where or where == b"0")


mode, command = sys.argv[1], sys.argv[2:]
if mode == "hung-up":
    master, terminal = os.openpty()
    os.close(terminal)
    os.set_blocking(master, False)
    sys.exit(subprocess.run(command, stdout=master, check=False).returncode)

if mode in ("stream", "seqpacket"):
    kind = socket.SOCK_STREAM if mode == "stream" else socket.SOCK_SEQPACKET
    reader, writer = socket.socketpair(socket.AF_UNIX, kind)
    write_end = writer.detach()
else:
    read_end, write_end = os.pipe()
os.set_blocking(write_end, False)
filler = 0
try:
    while True:
        filler += os.write(write_end, bytes(4096))
except BlockingIOError:
    pass
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
