#!/usr/bin/env bash
# Probes whether this kernel runs 32-bit x86 programs: prints i686 where it
# does, x86_64 where it does not (some virtual machines refuse i386 programs:
# "Exec format error"; scripts/run-i386.sh then brings in qemu-i386).
set -euo pipefail
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
# A minimal static 32-bit Linux program that only calls exit(0).
python3 - "$probe" <<'PY'
import struct, sys
code = bytes([0xB8, 1, 0, 0, 0, 0x31, 0xDB, 0xCD, 0x80])  # mov eax,1; xor ebx,ebx; int 0x80
base, ehsize, phsize = 0x08048000, 52, 32
size = ehsize + phsize + len(code)
header = b"\x7fELF" + bytes([1, 1, 1, 0]) + bytes(8) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, base + ehsize + phsize, ehsize, 0, 0, ehsize, phsize, 1, 0, 0, 0)
program = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
open(sys.argv[1], "wb").write(header + program + code)
PY
chmod +x "$probe"
if "$probe" 2>/dev/null; then echo i686; else echo x86_64; fi
