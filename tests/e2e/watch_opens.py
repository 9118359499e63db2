"""Prints the name of every file opened in a folder, one line each, as it happens (inotify).

  watch_opens.py <folder> [ready file]

Creates the ready file once the watch is in place, so nothing opened after that is missed.
Runs until it is ended. Each line is flushed, so a test can follow the file it writes to.
"""
import ctypes
import os
import struct
import sys

IN_OPEN = 0x00000020
EVENT_HEADER = struct.Struct("iIII")

libc = ctypes.CDLL(None, use_errno=True)


def main():
    fd = libc.inotify_init()
    if fd < 0:
        sys.exit("inotify_init: %s" % os.strerror(ctypes.get_errno()))
    if libc.inotify_add_watch(fd, os.fsencode(sys.argv[1]), IN_OPEN) < 0:
        sys.exit("inotify_add_watch: %s" % os.strerror(ctypes.get_errno()))
    if len(sys.argv) > 2:
        open(sys.argv[2], "w").close()
    out = sys.stdout.buffer
    while True:
        data = os.read(fd, 65536)
        offset = 0
        while offset < len(data):
            _, _, _, length = EVENT_HEADER.unpack_from(data, offset)
            offset += EVENT_HEADER.size
            name = data[offset:offset + length].rstrip(b"\0")
            offset += length
            if name:  # the folder itself is opened to list it
                out.write(name + b"\n")
                out.flush()


if __name__ == "__main__":
    main()
