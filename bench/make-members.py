#!/usr/bin/env python3
"""Writes a ZIP archive of N empty members, "dNNNN/fNNNNNNN", a thousand to a folder.

The records are written directly (stored, no data, CRC 0), which takes seconds even for
a million members; Info-ZIP unzip and our reader take them as any other archive. Past
65,535 members the end record carries ZIP64 counts, as every writer must.

Usage: make-members.py N OUT.zip
"""
import struct
import sys


def main() -> None:
    count, out = int(sys.argv[1]), sys.argv[2]
    dos_time, dos_date = 0x6000, 0x5A21  # 12:00, 2025-01-01
    local, central = bytearray(), bytearray()
    for i in range(count):
        name = b"d%04d/f%07d" % (i // 1000, i)
        offset = len(local)
        local += struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, dos_time, dos_date, 0, 0, 0, len(name), 0)
        local += name
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x031E, 10, 0, 0, dos_time, dos_date, 0, 0, 0,
                               len(name), 0, 0, 0, 0, 0o100644 << 16, offset)
        central += name
    start, size = len(local), len(central)
    with open(out, "wb") as f:
        f.write(local)
        f.write(central)
        zip64_at = start + size
        f.write(struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, size, start))
        f.write(struct.pack("<IIQI", 0x07064B50, 0, zip64_at, 1))
        f.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0))


if __name__ == "__main__":
    main()
