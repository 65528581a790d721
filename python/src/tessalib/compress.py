"""COMPR_ and ZLIB_: compression of whole byte strings with zlib or Zstandard.

    >>> packed = compress.compress(data, "zstd")
    >>> compress.decompress(packed, "zstd") == data

"zlib" (the default) is the zlib format (RFC 1950) at level 6; "zstd" one
Zstandard frame at level 3 that records the content size (frames of other
tools must record it too). Hostile input never ends the process: data that
would inflate past 2 GiB or declares such a size raises instead.
"""
from __future__ import annotations

from . import _call, raw
from ._call import BytesLike
from ._names import Table

__all__ = ["METHODS", "compress", "decompress", "deflate", "inflate"]

METHODS = Table("compression method", [("zlib", raw.COMPR_METHOD_ZLIB), ("zstd", raw.COMPR_METHOD_ZSTD)],
                aliases={"zstandard": "zstd", "deflate": "zlib"})


def _run(export: str, data: BytesLike, *extra: int) -> bytes:
    d = _call.data(data)
    f = _call.fn(export)
    return _call.query_then_fill(export, lambda o, n: f(o, n, _call.ptr(d), len(d), *extra))


def compress(data: BytesLike, method: str = "zlib") -> bytes:
    """data compressed (``COMPR_Compress``)."""
    return _run("COMPR_Compress", data, METHODS.code(method))


def decompress(data: BytesLike, method: str = "zlib") -> bytes:
    """data decompressed (``COMPR_Uncompress``). ``BadParameterError`` for
    data that is not of the method (truncated, corrupt, bytes after a
    Zstandard frame), ``OutOfMemoryError`` for a declared size past 2 GiB."""
    return _run("COMPR_Uncompress", data, METHODS.code(method))


def deflate(data: BytesLike) -> bytes:
    """data in the zlib format (``ZLIB_Deflate``)."""
    return _run("ZLIB_Deflate", data)


def inflate(data: BytesLike) -> bytes:
    """zlib data decompressed (``ZLIB_Inflate``)."""
    return _run("ZLIB_Inflate", data)
