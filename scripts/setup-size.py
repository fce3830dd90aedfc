#!/usr/bin/python3
"""Prints the size of SETUP.EXE, and its size without the payload (its
"RT_RCDATA" resources): the program's own weight.

usage: setup-size.py SETUP.EXE
"""
import os
import sys

import pefile

path = sys.argv[1]
pe = pefile.PE(path, fast_load=True)
pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
payload = sum(language.data.struct.Size
              for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries if str(kind.name) == "RT_RCDATA"
              for resource in kind.directory.entries
              for language in resource.directory.entries)
size = os.path.getsize(path)
print("%s: %s bytes; without its payload (%s bytes): %s bytes"
      % (path, format(size, ","), format(payload, ","), format(size - payload, ",")))
