#!/usr/bin/env python3
"""Zips files (deflated, flat, sorted by name, fixed time stamps) so that the same inputs always give the
same archive bytes.   zip-files.py OUTPUT.zip FILE..."""
import os
import sys
import zipfile


def main():
    out, files = sys.argv[1], sorted(sys.argv[2:], key=os.path.basename)
    os.makedirs(os.path.dirname(out) or ".", exist_ok=True)
    tmp = out + ".tmp"
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED) as z:
        for path in files:
            info = zipfile.ZipInfo(os.path.basename(path), date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(path, "rb") as f:
                z.writestr(info, f.read())
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
