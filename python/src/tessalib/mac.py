"""MAC_: HMAC, CMAC, Poly1305 and KMAC; one-shot and streaming HMAC.

    >>> tag = tessalib.mac.mac("hmac-sha256", key, message)
    >>> tessalib.mac.verify("hmac-sha256", key, message, tag)   # raises AuthenticationError
"""
from __future__ import annotations

import hmac as _hmac
from typing import Optional

from . import _call, raw
from ._call import BytesLike
from ._names import Table
from .errors import AuthenticationError, BadParameterError

__all__ = ["ALGORITHMS", "mac", "verify", "new", "Mac"]

ALGORITHMS = Table("MAC algorithm", [
    ("hmac-sha1", raw.MAC_HMAC_SHA1), ("hmac-md5", raw.MAC_HMAC_MD5), ("hmac-sha256", raw.MAC_HMAC_SHA256),
    ("hmac-sha384", raw.MAC_HMAC_SHA384), ("hmac-sha512", raw.MAC_HMAC_SHA512),
    ("hmac-sha224", raw.MAC_HMAC_SHA224), ("hmac-ripemd160", raw.MAC_HMAC_RMD160),
    ("hmac-sha3-224", raw.MAC_HMAC_SHA3_224), ("hmac-sha3-256", raw.MAC_HMAC_SHA3_256),
    ("hmac-sha3-384", raw.MAC_HMAC_SHA3_384), ("hmac-sha3-512", raw.MAC_HMAC_SHA3_512),
    ("cmac-tdea", raw.MAC_CMAC_TDEA), ("cmac-aes128", raw.MAC_CMAC_AES128),
    ("cmac-aes192", raw.MAC_CMAC_AES192), ("cmac-aes256", raw.MAC_CMAC_AES256),
    ("poly1305", raw.MAC_POLY1305), ("kmac128", raw.MAC_KMAC128), ("kmac256", raw.MAC_KMAC256),
], aliases={"hmac-rmd160": "hmac-ripemd160"})


def mac(algorithm: str, key: BytesLike, data: BytesLike) -> bytes:
    """The whole tag of data under key (``MAC_Bytes``)."""
    k, d = _call.data(key, "key"), _call.data(data)
    opts = ALGORITHMS.code(algorithm)
    f = _call.fn("MAC_Bytes")
    return _call.query_then_fill("MAC_Bytes", lambda o, n: f(o, n, d, len(d), _call.ptr(k), len(k), opts))


def verify(algorithm: str, key: BytesLike, data: BytesLike, tag: BytesLike) -> None:
    """Raises ``AuthenticationError`` unless tag is the tag of data (compared
    in constant time; a truncated tag of at least 4 bytes is compared on its length)."""
    expected = mac(algorithm, key, data)
    t = _call.data(tag, "tag")
    if len(t) < 4 or len(t) > len(expected) or not _hmac.compare_digest(expected[:len(t)], t):
        raise AuthenticationError(raw.AUTH_FAIL_ERROR, "mac.verify")


class Mac(_call.DigestContext):
    """A streaming HMAC in the thread's MAC_ context (``MAC_Init``): HMAC with
    SHA-1, SHA-224/256/384/512 or SHA3-224/256/384/512 and a key of 1 byte or more."""

    _family = "MAC"
    _close_export = "MAC_Reset"
    _add_export = "MAC_AddBytes"
    _final_export = "MAC_Final"

    def __init__(self, algorithm: str, key: BytesLike, data: Optional[BytesLike] = None) -> None:
        self.name = ALGORITHMS.canonical(algorithm)
        k = _call.data(key, "key")
        code = ALGORITHMS.code(algorithm)
        if not k:  # refused by MAC_Init without ending the thread's context: refused here
            raise BadParameterError(raw.BAD_PARAM_ERROR, "MAC_Init", "a streaming HMAC needs a key of 1 byte or more")
        super().__init__(lambda: _call.handle("MAC_Init", _call.fn("MAC_Init")(k, len(k), code)))
        self.digest_size = _call.length("MAC_CodeLength", _call.fn("MAC_CodeLength")(self._handle))
        if data is not None:
            self.update(data)


def new(algorithm: str, key: BytesLike, data: Optional[BytesLike] = None) -> Mac:
    """A streaming HMAC (see ``Mac``)."""
    return Mac(algorithm, key, data)
