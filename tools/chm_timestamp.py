#!/usr/bin/env python3
"""Sets the two time stamps that chmcmd writes into a compiled help file to
a time taken from a date, so that two builds of one commit are identical.

    chm_timestamp.py FILE.chm SOURCE_DATE_EPOCH

chmcmd stamps the file with the milliseconds since midnight: big-endian in
the ITSF header (offset 0x10), little-endian in the #SYSTEM file's record 10.
#SYSTEM lies uncompressed in content section 0, found through the directory.
"""
import struct
import sys


def encint(data, pos):
    """A CHM variable-length integer: 7 bits a byte, high bit set on all but the last."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


def find_file(data, wanted):
    """(offset, length) of a file of content section 0, relative to the section."""
    directory = struct.unpack_from("<Q", data, 0x48)[0]
    if data[directory:directory + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    header_length = struct.unpack_from("<I", data, directory + 8)[0]
    chunk_size = struct.unpack_from("<I", data, directory + 0x10)[0]
    chunks = struct.unpack_from("<I", data, directory + 0x2C)[0]
    for index in range(chunks):
        chunk = directory + header_length + index * chunk_size
        if data[chunk:chunk + 4] != b"PMGL":
            continue
        free = struct.unpack_from("<I", data, chunk + 4)[0]
        pos, end = chunk + 0x14, chunk + chunk_size - free
        while pos < end:
            length, pos = encint(data, pos)
            name = bytes(data[pos:pos + length])
            pos += length
            section, pos = encint(data, pos)
            offset, pos = encint(data, pos)
            size, pos = encint(data, pos)
            if name == wanted and section == 0:
                return offset, size
    raise ValueError("no %s in section 0" % wanted.decode())


def main():
    path, epoch = sys.argv[1], int(sys.argv[2])
    stamp = (epoch % 86400) * 1000
    data = bytearray(open(path, "rb").read())
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise SystemExit("%s: not an ITSF version 3 file" % path)
    struct.pack_into(">I", data, 0x10, stamp)
    content = struct.unpack_from("<Q", data, 0x58)[0]
    offset, size = find_file(data, b"/#SYSTEM")
    pos, end = content + offset + 4, content + offset + size
    while pos + 4 <= end:
        code, length = struct.unpack_from("<HH", data, pos)
        if code == 10 and length >= 4:
            struct.pack_into("<I", data, pos + 4, stamp)
            break
        pos += 4 + length
    else:
        raise SystemExit("%s: #SYSTEM has no time stamp record" % path)
    open(path, "wb").write(data)


if __name__ == "__main__":
    main()
