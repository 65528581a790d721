#!/usr/bin/env python3
"""Copies a built library into the package so that a wheel carries it.

    python3 python/tools/bundle.py build/release/libtessalib.so.6
    pip wheel --no-build-isolation --no-deps -w dist python

The package then loads its own copy when TESSALIB_LIBRARY is not set.
``bundle.py --clean`` removes the copy again.
"""
import pathlib
import shutil
import sys

lib_dir = pathlib.Path(__file__).resolve().parent.parent / "src" / "tessalib" / "lib"
if len(sys.argv) != 2:
    sys.exit(__doc__)
if sys.argv[1] == "--clean":
    shutil.rmtree(lib_dir, ignore_errors=True)
    sys.exit(0)
source = pathlib.Path(sys.argv[1]).resolve()   # follows libtessalib.so -> .so.6.x
name = "Tessalib.dll" if source.suffix.lower() == ".dll" else "libtessalib.so.6"
lib_dir.mkdir(exist_ok=True)
shutil.copyfile(source, lib_dir / name)
print(f"copied {source} to {lib_dir / name}")
