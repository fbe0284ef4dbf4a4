#!/usr/bin/env python3
# nonblocking.py MODE COMMAND...: runs COMMAND with its standard output on a
# non-blocking descriptor that is full when it starts, and exits with its status.
#
# Once COMMAND waits, asleep in poll or a sleep, the reader of a pipe closes it
# (closed), or reads it, without the bytes that filled it, up to a mark written
# once COMMAND has ended (pipe); the reader of an AF_UNIX stream or seqpacket
# socket shuts down reading, which poll does not report (stream, seqpacket).
# terminal: the master side of a terminal whose other side is closed, a hang-up
# to poll, until that side is opened again and read as a pipe is. This end
# stays open here too, so COMMAND's close hangs up no terminal, which would
# lose what is unread.
import contextlib
import os
import re
import socket
import subprocess
import sys
import threading
import time
import tty
from pathlib import Path


def waiting(pid):  # asleep in poll or a sleep (at all where wchan is 0), or ended
    state = Path(f"/proc/{pid}/stat").read_bytes().rpartition(b")")[2].split()[0]
    where = Path(f"/proc/{pid}/wchan").read_bytes()
    return state == b"Z" or state == b"S" and re.search(b"poll|sleep|^0$", where)


def mark():  # after COMMAND's last byte
    child.wait()
    os.set_blocking(write_end, True)
    os.write(write_end, b"#")


mode, command = sys.argv[1], sys.argv[2:]
if mode in ("stream", "seqpacket"):
    kind = socket.SOCK_STREAM if mode == "stream" else socket.SOCK_SEQPACKET
    reader, writer = socket.socketpair(socket.AF_UNIX, kind)
    write_end = writer.detach()
elif mode == "terminal":
    write_end, terminal = os.openpty()
    tty.setraw(terminal)  # the bytes arrive as written
    name = os.ttyname(terminal)
    os.close(terminal)
else:
    read_end, write_end = os.pipe()
os.set_blocking(write_end, False)
filler = 0
with contextlib.suppress(BlockingIOError):
    while True:
        filler += os.write(write_end, bytes(4096))
child = subprocess.Popen(command, stdout=write_end)
while not waiting(child.pid):
    time.sleep(0.001)
if mode == "closed":
    os.close(read_end)
elif mode in ("stream", "seqpacket"):
    reader.shutdown(socket.SHUT_RD)
else:
    if mode == "terminal":
        read_end = os.open(name, os.O_RDONLY | os.O_NOCTTY)
    threading.Thread(target=mark).start()
    got = b""
    while not got.endswith(b"#"):
        got += os.read(read_end, 65536)
    sys.stdout.buffer.write(got[filler:-1])
sys.exit(child.wait())
