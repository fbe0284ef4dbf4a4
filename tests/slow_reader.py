#!/usr/bin/env python3
"""Runs a command with its standard output on a non-blocking pipe that a slow
reader drains, copies what arrives to standard output, and exits with the
command's status. The pipe fills, so the writer meets EAGAIN again and again."""
import fcntl
import os
import subprocess
import sys
import time

read_end, write_end = os.pipe()
flags = fcntl.fcntl(write_end, fcntl.F_GETFL)
fcntl.fcntl(write_end, fcntl.F_SETFL, flags | os.O_NONBLOCK)
child = subprocess.Popen(sys.argv[1:], stdout=write_end)
os.close(write_end)
time.sleep(0.2)  # long enough for the writer to fill the pipe
while chunk := os.read(read_end, 4096):
    sys.stdout.buffer.write(chunk)
    time.sleep(0.001)
sys.exit(child.wait())
