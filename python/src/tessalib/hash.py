"""HASH_: message digests, one-shot, of files, and streaming.

    >>> tessalib.hash.digest("sha3-256", b"abc").hex()
    >>> with tessalib.hash.new("sha256") as h:
    ...     h.update(b"ab"); h.update(b"c")
    ...     d = h.digest()
"""
from __future__ import annotations

import os
from typing import Optional, Union

from . import _call, raw
from ._call import BytesLike
from ._names import Table

__all__ = ["ALGORITHMS", "digest", "hexdigest", "file_digest", "bits_digest", "digest_size", "new", "Hash"]

ALGORITHMS = Table("hash algorithm", [
    ("sha1", raw.HASH_ALG_SHA1), ("md5", raw.HASH_ALG_MD5), ("md2", raw.HASH_ALG_MD2),
    ("sha256", raw.HASH_ALG_SHA256), ("sha384", raw.HASH_ALG_SHA384), ("sha512", raw.HASH_ALG_SHA512),
    ("sha224", raw.HASH_ALG_SHA224), ("ripemd160", raw.HASH_ALG_RMD160), ("hash160", raw.HASH_ALG_HASH160),
    ("sha3-224", raw.HASH_ALG_SHA3_224), ("sha3-256", raw.HASH_ALG_SHA3_256),
    ("sha3-384", raw.HASH_ALG_SHA3_384), ("sha3-512", raw.HASH_ALG_SHA3_512),
    ("ascon-hash", raw.HASH_ALG_ASCON_HASH), ("ascon-hasha", raw.HASH_ALG_ASCON_HASHA),
], aliases={"rmd160": "ripemd160"})


def _options(algorithm: str, double: bool) -> int:
    return ALGORITHMS.code(algorithm) | (raw.HASH_OPT_DOUBLE if double else 0)


def digest_size(algorithm: str) -> int:
    """The digest length in bytes (``HASH_Length``)."""
    return _call.length("HASH_Length", _call.fn("HASH_Length")(ALGORITHMS.code(algorithm)))


def digest(algorithm: str, data: BytesLike, *, double: bool = False) -> bytes:
    """The digest of data (``HASH_Bytes``). ``double=True`` hashes the digest
    once more (SHA-1, SHA-2, MD5, MD2, RIPEMD-160: double SHA-256 for "sha256")."""
    b = _call.data(data)
    opts = _options(algorithm, double)
    f = _call.fn("HASH_Bytes")
    return _call.query_then_fill("HASH_Bytes", lambda o, n: f(o, n, b, len(b), opts))


def hexdigest(algorithm: str, data: BytesLike, *, double: bool = False) -> str:
    """The digest as lower-case hex."""
    return digest(algorithm, data, double=double).hex()


def file_digest(algorithm: str, path: Union[str, "os.PathLike[str]"], *, text_mode: bool = False,
                double: bool = False) -> bytes:
    """The digest of a file read by the library (``HASH_File``). ``text_mode``
    reads CR LF as LF and stops at a byte 0x1A. Ascon is not offered here.
    ``FileError`` when the file cannot be opened or read."""
    name = _call.text(os.fsdecode(path), "path")
    if not name:
        raise FileNotFoundError("empty file name")
    opts = _options(algorithm, double) | (raw.HASH_OPT_TEXT if text_mode else 0)
    f = _call.fn("HASH_File")
    size = digest_size(algorithm)
    buf = _call.out(size)
    n = _call.length("HASH_File", f(buf, size, name, opts))
    return _call.take(buf, n)


def bits_digest(algorithm: str, data: BytesLike, nbits: int) -> bytes:
    """The digest of the first nbits bits of data (``HASH_HexFromBits``; SHA-1,
    SHA-2 and SHA-3): the last partial byte's bits are its most significant."""
    b = _call.data(data)
    opts = ALGORITHMS.code(algorithm)
    f = _call.fn("HASH_HexFromBits")
    hexd = _call.query_then_fill("HASH_HexFromBits", lambda o, n: f(o, n, _call.ptr(b), nbits, opts))
    return bytes.fromhex(hexd.decode())


class Hash(_call.DigestContext):
    """A streaming digest in the thread's HASH_ context (``HASH_Init``).

    One per thread at a time: opening another ends this one (using it then
    raises ``InvalidHandleError``), and it works only in the thread that made
    it (``WrongThreadError``). ``digest()`` finishes it."""

    _family = "HASH"
    _close_export = "HASH_Reset"
    _add_export = "HASH_AddBytes"
    _final_export = "HASH_Final"

    def __init__(self, algorithm: str, data: Optional[BytesLike] = None) -> None:
        self.name = ALGORITHMS.canonical(algorithm)
        code = ALGORITHMS.code(algorithm)
        super().__init__(lambda: _call.handle("HASH_Init", _call.fn("HASH_Init")(code)))
        self.digest_size = _call.length("HASH_DigestLength", _call.fn("HASH_DigestLength")(self._handle))
        if data is not None:
            self.update(data)


def new(algorithm: str, data: Optional[BytesLike] = None) -> Hash:
    """A streaming digest: SHA-1, SHA-224/256/384/512 and SHA3-224/256/384/512
    (others raise ``UnsupportedError``)."""
    return Hash(algorithm, data)
