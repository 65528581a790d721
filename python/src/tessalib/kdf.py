"""PBE_: keys from passwords with PBKDF2 and scrypt.

    >>> key = tessalib.kdf.scrypt("password", salt, n=2**15, r=8, p=1, length=32)
    >>> key = tessalib.kdf.pbkdf2("password", salt, iterations=600_000, length=32, prf="sha256")
"""
from __future__ import annotations

from typing import Union

from . import _call, raw
from ._call import BytesLike
from ._names import Table

__all__ = ["PRFS", "pbkdf2", "scrypt"]

PRFS = Table("PBKDF2 PRF", [
    ("sha1", raw.HASH_ALG_SHA1), ("sha224", raw.HASH_ALG_SHA224), ("sha256", raw.HASH_ALG_SHA256),
    ("sha384", raw.HASH_ALG_SHA384), ("sha512", raw.HASH_ALG_SHA512),
], aliases={"hmac-sha1": "sha1", "hmac-sha224": "sha224", "hmac-sha256": "sha256", "hmac-sha384": "sha384",
            "hmac-sha512": "sha512"})

Password = Union[str, bytes, bytearray, memoryview]


def _password(password: Password) -> bytes:
    return password.encode("utf-8") if isinstance(password, str) else _call.data(password, "password")


def pbkdf2(password: Password, salt: BytesLike, iterations: int, length: int, prf: str = "sha256") -> bytes:
    """PBKDF2 (RFC 8018) with HMAC over prf (``PBE_Kdf2``). A str password is
    taken as UTF-8. Password, salt, length and iterations must not be empty or 0."""
    pw, s = _password(password), _call.data(salt, "salt")
    buf = _call.out(length)
    _call.status("PBE_Kdf2", _call.fn("PBE_Kdf2")(buf, length, _call.ptr(pw), len(pw), _call.ptr(s), len(s),
                                                   iterations, PRFS.code(prf)))
    return _call.take(buf, length)


def scrypt(password: Password, salt: BytesLike, n: int, r: int, p: int, length: int) -> bytes:
    """scrypt (RFC 7914) with cost n (a power of 2), block size r and
    parallelisation p (``PBE_Scrypt``); uses 128 x r x (n + p) bytes of memory."""
    pw, s = _password(password), _call.data(salt, "salt")
    buf = _call.out(length)
    _call.status("PBE_Scrypt", _call.fn("PBE_Scrypt")(buf, length, _call.ptr(pw), len(pw), _call.ptr(s), len(s),
                                                       n, r, p))
    return _call.take(buf, length)
