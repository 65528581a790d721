"""CRC_: the CRC-32 of ISO 3309 (as zip, gzip and ``zlib.crc32`` compute it).

The library returns 0 both for a failure and for a genuine checksum of 0;
these functions tell the two apart (through the last error) and raise only
for failures.
"""
from __future__ import annotations

import os
from typing import Union

from . import _call, raw
from ._call import BytesLike
from .errors import error_for, last_error

__all__ = ["crc32", "crc32_text", "crc32_file"]


def _checksum(export: str, rc: int, genuine_zero_code: int) -> int:
    if rc == 0:
        code = last_error()
        if code not in (0, genuine_zero_code):
            raise error_for(code, export)
    return rc & 0xFFFFFFFF


def crc32(data: BytesLike) -> int:
    """The CRC-32 of data (``CRC_Bytes``), an unsigned number; 0 for no data."""
    d = _call.data(data)
    if not d:
        return 0
    return _checksum("CRC_Bytes", _call.fn("CRC_Bytes")(d, len(d)), raw.BAD_PARAM_ERROR)


def crc32_text(text: str) -> int:
    """The CRC-32 of the UTF-8 bytes of text (``CRC_String``)."""
    t = _call.text(text, "text")
    if not t:
        return 0
    return _checksum("CRC_String", _call.fn("CRC_String")(t), raw.BAD_PARAM_ERROR)


def crc32_file(path: Union[str, "os.PathLike[str]"]) -> int:
    """The CRC-32 of a file's contents (``CRC_File``, read by the library in
    pieces). ``FileError`` when it cannot be opened or a read fails."""
    p = _call.text(os.fsdecode(path), "path")
    rc = _call.fn("CRC_File")(p)
    if rc == 0 and last_error() == raw.OPEN_ERROR:
        # A checksum of 0 (an empty file's) is also reported as OPEN_ERROR:
        # it is one when the file can in fact be opened.
        try:
            with open(os.fsdecode(path), "rb"):
                return 0
        except OSError:
            pass
    return _checksum("CRC_File", rc, -1)
