"""CIPHER_Stream and PC1_: the stream ciphers Arcfour, Salsa20 and ChaCha20.

Encryption and decryption are one operation: ``crypt``.
"""
from __future__ import annotations

import os
from typing import Optional, Union

from . import _call, raw
from ._call import BytesLike
from ._names import Table

__all__ = ["ALGORITHMS", "crypt", "crypt_file", "new", "StreamCipher"]

ALGORITHMS = Table("stream cipher", [
    ("arcfour", raw.STREAM_ARCFOUR), ("salsa20", raw.STREAM_SALSA20), ("chacha20", raw.STREAM_CHACHA20),
], aliases={"rc4": "arcfour", "pc1": "arcfour"})


def crypt(algorithm: str, key: BytesLike, data: BytesLike, *, iv: Optional[BytesLike] = None,
          counter: int = 0) -> bytes:
    """data XOR the keystream (``CIPHER_StreamBytes``). Salsa20: 8-byte IV;
    ChaCha20: 8-, 12- or 16-byte IV, counter the first block's number."""
    k, d = _call.data(key, "key"), _call.data(data)
    i = _call.data(iv, "iv") if iv is not None else b""
    buf = _call.out(len(d))
    _call.status("CIPHER_StreamBytes", _call.fn("CIPHER_StreamBytes")(
        buf, _call.ptr(d), len(d), k or None, len(k), i or None, len(i), counter, ALGORITHMS.code(algorithm)))
    return _call.take(buf, len(d))


def crypt_file(algorithm: str, key: BytesLike, input_path: Union[str, "os.PathLike[str]"],
               output_path: Union[str, "os.PathLike[str]"], *, iv: Optional[BytesLike] = None,
               counter: int = 0) -> None:
    """Encrypts or decrypts a file into another (``CIPHER_StreamFile``).
    ``FileError`` when a file cannot be read or written, or when the output is
    the input (then nothing is touched); a partial output is deleted."""
    k = _call.data(key, "key")
    i = _call.data(iv, "iv") if iv is not None else b""
    # The file procedure sets up and ends the thread's stream context.
    _call.end_slot("STREAM", "was ended by stream.crypt_file, which uses the thread's stream context")
    _call.status("CIPHER_StreamFile", _call.fn("CIPHER_StreamFile")(
        _call.text(os.fsdecode(output_path)), _call.text(os.fsdecode(input_path)), k or None, len(k), i or None,
        len(i), counter, ALGORITHMS.code(algorithm)))


class StreamCipher(_call.Context):
    """The thread's stream context (``CIPHER_StreamInit``): any split of a
    message gives the bytes of one ``crypt`` call."""

    _family = "STREAM"
    _close_export = "CIPHER_StreamFinal"

    def __init__(self, algorithm: str, key: BytesLike, *, iv: Optional[BytesLike] = None, counter: int = 0) -> None:
        k = _call.data(key, "key")
        i = _call.data(iv, "iv") if iv is not None else b""
        code = ALGORITHMS.code(algorithm)
        super().__init__(lambda: _call.handle("CIPHER_StreamInit", _call.fn("CIPHER_StreamInit")(
            k or None, len(k), i or None, len(i), counter, code)))

    def update(self, data: BytesLike) -> bytes:
        d = _call.data(data)
        buf = _call.out(len(d))
        _call.status("CIPHER_StreamUpdate", _call.fn("CIPHER_StreamUpdate")(self._live(), buf, _call.ptr(d), len(d)))
        return _call.take(buf, len(d))


def new(algorithm: str, key: BytesLike, *, iv: Optional[BytesLike] = None, counter: int = 0) -> StreamCipher:
    return StreamCipher(algorithm, key, iv=iv, counter=counter)
