#!/usr/bin/env python3
"""Makes the search benchmark's tree directly on the host file system: folders
of files each, a few of them named needle (creating them through Wine one by
one is far slower than listing them)."""
import os
import sys

root, folders, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
marker = os.path.join(root, ".complete")
if os.path.exists(marker):
    sys.exit(0)
for f in range(folders):
    folder = os.path.join(root, "folder%04d" % f)
    os.makedirs(folder, exist_ok=True)
    for i in range(files):
        name = "needle%d.txt" % f if (f % 100 == 0 and i == 0) else "file%05d.dat" % i
        open(os.path.join(folder, name), "wb").close()
open(marker, "wb").close()
