#!/usr/bin/python3
"""Prints the target and the working folder of a Windows shortcut (.lnk), one
a line: "target=..." and "workdir=...".

Usage: lnk_fields.py FILE.lnk
"""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR = 0x1, 0x2, 0x4, 0x8, 0x10
IS_UNICODE = 0x80


def fields(data):
    if struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise ValueError("not a shell link")
    flags = struct.unpack_from("<I", data, 20)[0]
    pos = 76
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & HAS_LINK_INFO:
        size, header, info_flags, _, local_base = struct.unpack_from("<IIIII", data, pos)
        if info_flags & 1:  # VolumeIDAndLocalBasePath
            if header >= 0x24:  # the Unicode local base path follows the header
                start = end = pos + struct.unpack_from("<I", data, pos + 28)[0]
                while data[end:end + 2] != b"\0\0":
                    end += 2
                target = data[start:end].decode("utf-16-le")
            else:
                start = pos + local_base
                target = data[start:data.index(b"\0", start)].decode("mbcs" if sys.platform == "win32" else "latin-1")
        pos += size
    strings = {}
    for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR):
        if flags & flag:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            width = 2 if flags & IS_UNICODE else 1
            raw = data[pos:pos + count * width]
            strings[flag] = raw.decode("utf-16-le" if width == 2 else "latin-1")
            pos += count * width
    return target, strings.get(HAS_WORKING_DIR)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        target, workdir = fields(f.read())
    print(f"target={(target or '').rstrip(chr(0))}")
    print(f"workdir={(workdir or '').rstrip(chr(0))}")
