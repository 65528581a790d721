"""CIPHER_KeyWrap / CIPHER_KeyUnwrap: one key protected under another.

AES key wrap (RFC 3394) with a 16-, 24- or 32-byte key-encryption key, or
Triple DES key wrap (RFC 3217) with ``algorithm="tdea"``. A failed unwrap
(wrong KEK, altered data) raises ``AuthenticationError``.
"""
from __future__ import annotations

from typing import Optional

from . import _call, raw
from ._call import BytesLike
from ._names import Table
from .errors import AuthenticationError, BadKeyLengthError

__all__ = ["ALGORITHMS", "wrap", "unwrap"]

ALGORITHMS = Table("key-wrap algorithm", [
    ("aes128", raw.CIPHER_ALG_AES128), ("aes192", raw.CIPHER_ALG_AES192), ("aes256", raw.CIPHER_ALG_AES256),
    ("tdea", raw.CIPHER_ALG_TDEA),
], aliases={"3des": "tdea", "desede": "tdea"})
_BY_KEK_SIZE = {16: "aes128", 24: "aes192", 32: "aes256"}


def _options(kek: bytes, algorithm: Optional[str]) -> int:
    if algorithm is None:
        if len(kek) not in _BY_KEK_SIZE:
            raise BadKeyLengthError(raw.BAD_KEY_LEN_ERROR, "wrap", "an AES KEK is 16, 24 or 32 bytes")
        algorithm = _BY_KEK_SIZE[len(kek)]
    return ALGORITHMS.code(algorithm)


def wrap(kek: BytesLike, key_data: BytesLike, algorithm: Optional[str] = None) -> bytes:
    """The wrapped key (8 bytes longer for AES, 40 bytes for Triple DES).
    algorithm defaults to AES with the KEK's size."""
    k, d = _call.data(kek, "kek"), _call.data(key_data, "key_data")
    opts = _options(k, algorithm)
    f = _call.fn("CIPHER_KeyWrap")
    return _call.query_then_fill("CIPHER_KeyWrap", lambda o, n: f(o, n, d or None, len(d), k or None, len(k), opts))


def unwrap(kek: BytesLike, wrapped: BytesLike, algorithm: Optional[str] = None) -> bytes:
    """The key; ``AuthenticationError`` when the integrity check fails."""
    k, w = _call.data(kek, "kek"), _call.data(wrapped, "wrapped")
    opts = _options(k, algorithm)
    f = _call.fn("CIPHER_KeyUnwrap")
    need = _call.length("CIPHER_KeyUnwrap", f(None, 0, w or None, len(w), k or None, len(k), opts))
    buf = _call.out(need)
    rc = f(buf, need, w or None, len(w), k or None, len(k), opts)
    if rc == -1:  # the integrity check failed: the output was zero-filled
        raise AuthenticationError(raw.AUTH_FAIL_ERROR, "CIPHER_KeyUnwrap",
                                  "the integrity check failed (wrong KEK or altered data)")
    return _call.take(buf, _call.length("CIPHER_KeyUnwrap", rc))
