#!/usr/bin/env python3
"""Rewrites an ASF file's data packets the way Windows Media encoders lay them out: packets of
a given size filled with several payloads each, media objects split across packets, so one
packet may end one object, hold others whole and start the next. The header is kept, with
its packet size, count and the file's size corrected.

Usage: asf_repack.py <in.wma> <out.wma> <packet size>
"""
import struct
import sys

FILE_PROPERTIES = bytes.fromhex("A1DCAB8C47A9CF118EE400C00C205365")
DATA_HEADER = 50


def width(length_type):
    return (0, 1, 2, 4)[length_type]


def field(data, at, length_type):
    n = width(length_type)
    return int.from_bytes(data[at:at + n], "little"), at + n


def media_objects(data, first, size, count):
    """(stream byte, object number, presentation time, bytes) of each object, in order."""
    objects, open_objects = [], {}
    for k in range(count):
        base = first + k * size
        at = base
        if data[at] & 0x80:
            at += 1 + (data[at] & 0x0F)
        flags, props = data[at], data[at + 1]
        at += 2
        _, at = field(data, at, (flags >> 5) & 3)
        _, at = field(data, at, (flags >> 1) & 3)
        padding, at = field(data, at, (flags >> 3) & 3)
        at += 6
        payloads, length_type = 1, 0
        if flags & 1:
            payloads, length_type = data[at] & 0x3F, data[at] >> 6
            at += 1
        for _ in range(payloads):
            stream = data[at]
            number, at = field(data, at + 1, (props >> 4) & 3)
            offset, at = field(data, at, (props >> 2) & 3)
            replicated, at = field(data, at, props & 3)
            object_size, pts = struct.unpack_from("<II", data, at)
            at += replicated
            if flags & 1:
                length, at = field(data, at, length_type)
            else:
                length = base + size - padding - at
            key = (stream & 0x7F, number)
            if offset == 0:
                open_objects[key] = [stream, number, pts, bytearray()]
                objects.append(open_objects[key])
            open_objects[key][3] += data[at:at + length]
            at += length
    return objects


def packets(objects, size, preroll):
    payload_head = 1 + 1 + 4 + 1 + 8 + 2  # stream, number, offset, replicated size, replicated, length
    packet_head = 3 + 2 + 2 + 6 + 1        # error correction, flags, padding, send time and duration, count
    out, queue = [], [(obj, 0) for obj in objects]
    while queue:
        room, body, count, send = size - packet_head, bytearray(), 0, None
        while queue and room > payload_head and count < 63:
            (stream, number, pts, data), offset = queue[0]
            take = min(len(data) - offset, room - payload_head)
            body += bytes([stream, number & 0xFF]) + struct.pack("<IBIIH", offset, 8, len(data), pts, take)
            body += data[offset:offset + take]
            send = pts - preroll if send is None else send
            room -= payload_head + take
            count += 1
            queue[0] = ((stream, number, pts, data), offset + take)
            if offset + take == len(data):
                queue.pop(0)
        head = bytes([0x82, 0, 0, 0x11, 0x5D]) + struct.pack("<HIHB", room, max(send, 0), 0, 0x80 | count)
        out.append(head + body + bytes(room))
    return out


def main(source, target, size):
    data = open(source, "rb").read()
    header_size = struct.unpack_from("<Q", data, 16)[0]
    header = bytearray(data[:header_size])
    fp = header.find(FILE_PROPERTIES)
    old_size, count = struct.unpack_from("<I", header, fp + 92)[0], struct.unpack_from("<Q", header, fp + 56)[0]
    preroll = struct.unpack_from("<Q", header, fp + 80)[0]
    objects = media_objects(data, header_size + DATA_HEADER, old_size, count)
    new = packets(objects, size, preroll)
    data_object = bytearray(data[header_size:header_size + DATA_HEADER])
    struct.pack_into("<Q", data_object, 16, DATA_HEADER + size * len(new))
    struct.pack_into("<Q", data_object, 40, len(new))
    struct.pack_into("<Q", header, fp + 40, header_size + DATA_HEADER + size * len(new))
    struct.pack_into("<Q", header, fp + 56, len(new))
    struct.pack_into("<II", header, fp + 92, size, size)
    with open(target, "wb") as f:
        f.write(header + data_object + b"".join(new))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]))
