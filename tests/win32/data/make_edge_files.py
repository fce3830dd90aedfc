#!/usr/bin/python3
"""Writes the edge inputs that the LZ32 expansion tests pack and expand:
   make_edge_files.py OUTPUT_DIR"""
import random
import sys

out = sys.argv[1]
rng = random.Random(11)
block = bytes(rng.randrange(256) for _ in range(3000))
files = {
    "empty.bin": b"",
    "one.bin": b"x",
    "run.bin": b"a" * 10000,                        # runs far longer than 18
    "spaces.bin": b" " * 5000 + b"end",             # matches into the initial ring
    "wrap.bin": (block + bytes(1090)) * 6,          # repeats 4090 bytes back, across the ring's start
    "random.bin": bytes(rng.randrange(256) for _ in range(50000)),  # incompressible
}
for name, data in files.items():
    with open(f"{out}/{name}", "wb") as f:
        f.write(data)
