#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets beside this script. Run by hand after a change;
the fuzz script only copies these files, never changes them."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    os.makedirs(os.path.join(here, target), exist_ok=True)
    with open(os.path.join(here, target, name), "wb") as f:
        f.write(data)


# Settings files, each followed by one write: the value's bytes, their length, and a byte that
# picks section (bits 0-1), key (bits 2-3, or bit 6: the value's start), and how the value's
# bytes become text (bits 4-5: UTF-8, GBK, raw bytes, Latin-1).
def settings(name, file, value=b"", choice=0):
    put("settings", name, file + value + bytes([len(value), choice]))


sample = "[歌曲目录]\n路径=D:\\歌曲\\铃声\\\n[播放方式]\n参数=随机\n[自动播放]\n参数=是\n[音乐格式]\n格式=mp3|wav\n"
settings("gbk_crlf.ini", sample.replace("\n", "\r\n").encode("gbk"), "E:\\新歌".encode("gbk"), 0x10)
settings("utf8_lf.ini", sample.encode("utf-8"), "随机".encode("utf-8"), 0x0A)
settings("utf8_bom_crlf.ini", b"\xef\xbb\xbf" + sample.replace("\n", "\r\n").encode("utf-8"), b" x ", 0x05)
settings("gbk_invalid_bytes.ini",
         "[歌曲目录]\r\n路径=D:\\".encode("gbk") + b"\x80\xff\\a\xb8\r\n[x]\r\nk = v \r\n", b"\xff\xfe", 0x22)
settings("ascii_mixed.ini",
         b"; comment\n  [ Settings ]  \nParam = 1\nparam=2\n[settings]\nParam=3\nnovalue\n=empty\n[broken\nlast=no newline",
         "é".encode("utf-8"), 0x15)
settings("ascii_gbk_value.ini", b"[Settings]\nParam=old\n", b"\xc3\xa9", 0x15)
settings("utf16le.ini", b"\xff\xfe" + "[a]\r\nk=v\r\n".encode("utf-16-le"), b"v", 0x05)
quoted = sample.replace("随机", '"随机"').replace("路径=D:\\歌曲\\铃声\\", "路径='D:\\歌曲\\铃声\\'")
settings("utf16be_quoted.ini", b"\xfe\xff" + quoted.encode("utf-16-be"), b"'x'", 0x00)
settings("gbk_quoted.ini", quoted.encode("gbk"), b' "a" ', 0x04)
settings("new_key_as_value.ini", "[歌曲目录]\n".encode("gbk"), "新值".encode("utf-8"), 0x40)
settings("empty.ini", b"", b"mp3|wav", 0x00)

# Number texts; eight bytes or more are also read as a double.
for i, text in enumerate([b"83.46", b"-10", b"12.", b"3abc", b" +0.005 ", b"1e5", b".5", b"-",
                          b"\xef\xbc\x98", b"340282350000000000000000000000000000000.5",
                          b"0.00000000000000000000000000000000000000000001",
                          b".00000000000000000000000000000000000000000000005"]):
    put("numbers", "text%02d" % i, text)
for i, value in enumerate([0.125, -0.004, 245.49999, 1e300, float("nan"), 65535.995, -2147483648.5]):
    put("numbers", "double%02d" % i, struct.pack("<d", value))


# Song files: MPEG-1 Layer III, 32 kbit/s, 44.1 kHz, mono, no CRC: 104-byte frames, side info 17.
HEADER = bytes([0xFF, 0xFB, 0x10, 0xC4])
FRAME = 104


def frame(marker=None, at=0):
    body = bytearray(HEADER + bytes(FRAME - 4))
    if marker:
        body[at:at + 4] = marker
    return bytes(body)


def audio(n):
    return b"".join(HEADER + bytes([(i * 7 + k) % 251 for k in range(FRAME - 4)]) for i in range(n))


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3v2(version, body, footer=False):
    head = bytes([version, 0, 0x10 if footer else 0]) + syncsafe(len(body))
    return b"ID3" + head + body + (b"3DI" + head if footer else b"")


def id3v1():
    return b"TAG" + b"Tone".ljust(30, b"\0") + bytes(95)


def ape(with_header):
    items = struct.pack("<II", 5, 0) + b"Title\0Hello"
    size = len(items) + 32
    common = b"APETAGEX" + struct.pack("<III", 2000, size, 1)
    flags = 0x80000000 if with_header else 0
    head = common + struct.pack("<I", flags | 0x20000000) + bytes(8) if with_header else b""
    return head + items + common + struct.pack("<I", flags) + bytes(8)


def row(start, end, length, cut):
    text = b"|".join([start, end, length, cut])
    return text + bytes([len(text)])


frames_text = b"TIT2" + struct.pack(">I", 5) + b"\0\0\0Tone"
put("audiobounds", "id3v23_xing.mp3", id3v2(3, frames_text + bytes(6)) + frame(b"Xing", 21) + audio(2))
put("audiobounds", "id3v24_footer_info.mp3", id3v2(4, frames_text, footer=True) + frame(b"Info", 21) + audio(2))
put("audiobounds", "two_id3v2.mp3", id3v2(3, frames_text) + id3v2(4, frames_text) + audio(2))
put("audiobounds", "vbri_id3v1.mp3", frame(b"VBRI", 36) + audio(2) + id3v1())
put("audiobounds", "ape_header_id3v1.mp3", audio(3) + ape(True) + id3v1())
put("audiobounds", "ape_at_end.mp3", audio(3) + ape(False))
put("audiobounds", "plain_row.mp3", audio(3) + row(b"0.5", b"1.25", b"2", b"0.75"))
put("audiobounds", "negative_row.mp3", audio(2) + row(b"-1", b"0.5", b"1", b"1.5"))
put("audiobounds", "saturated_row.mp3", audio(2) + row(b"-1000000000000000000000", b"1", b"0.000001", b"1"))
put("audiobounds", "tag_too_long.mp3", b"ID3\x03\x00\x00\x00\x00\x7f\x7f" + audio(1))
