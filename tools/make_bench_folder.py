#!/usr/bin/env python3
"""Makes the benchmark's folder of N files directly on the host file system
(creating them through Wine one by one is far slower than listing them)."""
import os
import sys

folder, count = sys.argv[1], int(sys.argv[2])
os.makedirs(folder, exist_ok=True)
if len(os.listdir(folder)) >= count:
    sys.exit(0)
for i in range(count):
    stem = "data" if i % 3 == 0 else "File"
    ext = "Doc" if i % 5 == 0 else "txt"
    name = "%s%07d_%x.%s" % (stem, (i * 7919) % count, i, ext)
    with open(os.path.join(folder, name), "wb") as f:
        if i % 11 == 0:
            f.write(name.encode()[: i % 50])
