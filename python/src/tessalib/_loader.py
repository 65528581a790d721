"""Finding and loading the shared library.

In order: the path in the environment variable ``TESSALIB_LIBRARY``; a copy
shipped inside the package (``tessalib/lib/``, put there when a wheel is
built with the library); the system loader (``libtessalib.so.6`` on Linux,
``Tessalib.dll`` on Windows).
"""
from __future__ import annotations

import ctypes
import os
import pathlib
import sys
from typing import List, Optional

ENV_VAR = "TESSALIB_LIBRARY"

if sys.platform == "win32":
    SYSTEM_NAMES = ["Tessalib.dll"]
elif sys.platform == "darwin":
    SYSTEM_NAMES = ["libtessalib.6.dylib", "libtessalib.dylib"]
else:
    SYSTEM_NAMES = ["libtessalib.so.6", "libtessalib.so"]

_PACKAGED_DIR = pathlib.Path(__file__).resolve().parent / "lib"


def _open(path: str) -> ctypes.CDLL:
    if sys.platform == "win32":
        return ctypes.WinDLL(path)  # the exports are __stdcall (the same as cdecl on x64)
    return ctypes.CDLL(path)


def candidates() -> List[str]:
    """The paths and names tried, in order."""
    out: List[str] = []
    env = os.environ.get(ENV_VAR)
    if env:
        out.append(env)
    for name in SYSTEM_NAMES:
        packaged = _PACKAGED_DIR / name
        if packaged.is_file():
            out.append(str(packaged))
    out.extend(SYSTEM_NAMES)
    return out


def load() -> ctypes.CDLL:
    """The library, or OSError naming every place that was tried."""
    env = os.environ.get(ENV_VAR)
    if env:
        # A path the user named must be the one used: no silent fallback.
        try:
            return _open(env)
        except OSError as e:
            raise OSError(f"{ENV_VAR}={env} cannot be loaded: {e}") from e
    failures = []
    for c in candidates():
        try:
            return _open(c)
        except OSError as e:
            failures.append(f"{c}: {e}")
    raise OSError("the Tessalib library was not found (set " + ENV_VAR + " to its path); tried "
                  + "; ".join(failures))


_lib: Optional[ctypes.CDLL] = None


def library() -> ctypes.CDLL:
    """The loaded library (loaded at the first call)."""
    global _lib
    if _lib is None:
        _lib = load()
    return _lib
