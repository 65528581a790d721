#!/usr/bin/env python3
"""Regenerates src/tessalib/_prototypes.py from include/tessalib.h.

    python3 python/tools/gen_prototypes.py [HEADER]

Run it whenever the header gains or changes an export; the package's tests
fail until the table matches the header.
"""
import pathlib
import sys

here = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(here.parent / "src"))
from tessalib._header import render_module  # noqa: E402

header = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else here.parents[1] / "include" / "tessalib.h"
target = here.parent / "src" / "tessalib" / "_prototypes.py"
target.write_text(render_module(header.read_text()))
print(f"wrote {target}")
