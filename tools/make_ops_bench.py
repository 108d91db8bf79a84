#!/usr/bin/env python3
"""Makes the file-operations benchmark's sources directly on the host file
system (creating 100 000 files through Wine one by one is far slower):
  big.bin  one file of 1 GiB
  small\   10 000 files of 4 KiB in one folder
  tree\    100 000 empty files in 100 folders
  attr\    10 000 empty files in 10 folders"""
import os
import sys

root = sys.argv[1]
os.makedirs(root, exist_ok=True)

big = os.path.join(root, "big.bin")
if not os.path.exists(big) or os.path.getsize(big) != 1 << 30:
    # Data that no file system can store as holes or compress away.
    block = os.urandom(1 << 20)
    with open(big, "wb") as f:
        for i in range(1 << 10):
            f.write(block[i:] + block[:i])


def files(folder, count, size, per_folder=None):
    if per_folder is None:
        os.makedirs(folder, exist_ok=True)
        if len(os.listdir(folder)) >= count:
            return
        data = os.urandom(size)
        for i in range(count):
            with open(os.path.join(folder, "file%05d_%x.dat" % ((i * 7919) % count, i)), "wb") as f:
                f.write(data)
        return
    for sub in range(count // per_folder):
        files(os.path.join(folder, "folder%03d" % sub), per_folder, size)


files(os.path.join(root, "small"), 10000, 4096)
files(os.path.join(root, "tree"), 100000, 0, 1000)
files(os.path.join(root, "attr"), 10000, 0, 1000)
