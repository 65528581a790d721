"""WIPE_: overwriting secrets in memory and files.

``wipe_file`` overwrites a file in place (seven passes, or one of zeros with
``quick``), flushing each pass to the disk, and deletes it; a file that was
not wiped to the end is left in place and ``FileError`` (WIPE_ERROR) is
raised. On file systems that copy on write or keep snapshots, and on flash
storage, old data may survive elsewhere on the device.
"""
from __future__ import annotations

import ctypes
import os
from typing import Union

from . import _call, raw

__all__ = ["wipe_data", "wipe_file"]


def wipe_data(buffer: Union[bytearray, memoryview]) -> None:
    """Sets a writable buffer (a ``bytearray``, a writable ``memoryview``) to
    zeros in place (``WIPE_Data``). ``bytes`` cannot be wiped: they are
    immutable (and may be shared), so a ``TypeError`` is raised."""
    view = memoryview(buffer)
    if view.readonly:
        raise TypeError("wipe_data needs a writable buffer (bytearray), not an immutable one")
    if view.nbytes == 0:
        return
    c = (ctypes.c_ubyte * view.nbytes).from_buffer(view.cast("B"))
    _call.status("WIPE_Data", _call.fn("WIPE_Data")(c, view.nbytes))


def wipe_file(path: Union[str, "os.PathLike[str]"], *, quick: bool = False) -> None:
    """Overwrites the file and deletes it (``WIPE_File``). ``FileError`` when it
    does not exist, is not a regular file, has no write permission, or could
    not be wiped to the end (then it stays)."""
    p = _call.text(os.fsdecode(path), "path")
    _call.status("WIPE_File", _call.fn("WIPE_File")(p, raw.WIPE_OPT_QUICK if quick else 0))
