"""XOF_ and PRF_: extendable-output functions and KMAC as a PRF.

    >>> tessalib.xof.xof("shake256", b"seed", 64)
    >>> tessalib.xof.kmac("kmac128", key, data, 32, customization=b"label")
"""
from __future__ import annotations

from typing import Union

from . import _call, raw
from ._call import BytesLike
from ._names import Table

__all__ = ["ALGORITHMS", "PRF_ALGORITHMS", "xof", "kmac"]

ALGORITHMS = Table("XOF", [
    ("shake128", raw.XOF_SHAKE128), ("shake256", raw.XOF_SHAKE256),
    ("ascon-xof", raw.XOF_ASCON_XOF), ("ascon-xofa", raw.XOF_ASCON_XOFA),
    ("mgf1-sha1", raw.XOF_MGF1_SHA1), ("mgf1-sha224", raw.XOF_MGF1_SHA224),
    ("mgf1-sha256", raw.XOF_MGF1_SHA256), ("mgf1-sha384", raw.XOF_MGF1_SHA384),
    ("mgf1-sha512", raw.XOF_MGF1_SHA512),
])
PRF_ALGORITHMS = Table("PRF", [("kmac128", raw.PRF_KMAC128), ("kmac256", raw.PRF_KMAC256)])


def xof(algorithm: str, data: BytesLike, length: int) -> bytes:
    """length bytes of the XOF over data (``XOF_Bytes``)."""
    d = _call.data(data)
    opts = ALGORITHMS.code(algorithm)
    buf = _call.out(length)
    n = _call.length("XOF_Bytes", _call.fn("XOF_Bytes")(buf, length, d, len(d), opts))
    return _call.take(buf, n)


def kmac(algorithm: str, key: BytesLike, data: BytesLike, length: int,
         customization: Union[bytes, str] = b"") -> bytes:
    """KMAC128/256 with an output of length bytes (L = 8 x length) and a
    customization string (``PRF_Bytes``)."""
    k, d = _call.data(key, "key"), _call.data(data)
    custom = _call.text(customization, "customization")
    opts = PRF_ALGORITHMS.code(algorithm)
    buf = _call.out(length)
    n = _call.length("PRF_Bytes", _call.fn("PRF_Bytes")(buf, length, _call.ptr(d), len(d), _call.ptr(k), len(k),
                                                          custom, opts))
    return _call.take(buf, n)
