"""Reads one stream of a compound file with olefile and prints "size md5 mini|regular".

Used by the compound file tests as a reader that shares no code with the writer.
Usage: olefile_roundtrip.py FILE STREAM
"""
import hashlib
import sys

import olefile


def main():
    path, name = sys.argv[1], sys.argv[2]
    if not olefile.isOleFile(path):
        print("not a compound file")
        return 1
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    if not ole.exists(name):
        print("no stream " + name)
        return 1
    entry = ole.direntries[ole._find(name)]
    data = ole.openstream(name).read()
    place = "mini" if entry.size < ole.minisectorcutoff else "regular"
    print("%d %s %s" % (len(data), hashlib.md5(data).hexdigest(), place))
    ole.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
