#!/usr/bin/env python3
"""Makes the tree benchmark's folder of N subfolders directly on the host file
system (creating them through Wine one by one is far slower than reading them)."""
import os
import sys

folder, count = sys.argv[1], int(sys.argv[2])
os.makedirs(folder, exist_ok=True)
if len(os.listdir(folder)) >= count:
    sys.exit(0)
for i in range(count):
    # The same names as tree_bench makes itself.
    stem = "Folder" if i % 3 else "data"
    os.makedirs(os.path.join(folder, "%s%05d_%x" % (stem, (i * 7919) % count, i)), exist_ok=True)
