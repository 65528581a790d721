"""AEAD_: authenticated encryption with associated data.

``encrypt`` returns the ciphertext with its 16-byte tag appended (and the
nonce in front with ``prefix_nonce=True``); ``decrypt`` checks the tag first
and raises ``AuthenticationError`` without releasing any plaintext.

A nonce must never repeat under one key. ``NonceSequence`` gives nonces
that cannot: a random prefix per key and a counter that refuses to wrap.
"""
from __future__ import annotations

import threading
from typing import Optional

from . import _call, raw
from ._call import BytesLike
from ._names import Table
from .errors import BadParameterError

__all__ = ["ALGORITHMS", "KEY_SIZES", "NONCE_SIZES", "TAG_SIZE", "encrypt", "decrypt", "encrypt_detached",
           "decrypt_detached", "NonceSequence", "new", "Aead"]

ALGORITHMS = Table("AEAD algorithm", [
    ("aes128-gcm", raw.AEAD_AES_128_GCM), ("aes256-gcm", raw.AEAD_AES_256_GCM),
    ("chacha20-poly1305", raw.AEAD_CHACHA20_POLY1305),
    ("ascon128", raw.AEAD_ASCON_128), ("ascon128a", raw.AEAD_ASCON_128A),
], aliases={"aes-128-gcm": "aes128-gcm", "aes-256-gcm": "aes256-gcm"})
KEY_SIZES = {"aes128-gcm": 16, "aes256-gcm": 32, "chacha20-poly1305": 32, "ascon128": 16, "ascon128a": 16}
NONCE_SIZES = {"aes128-gcm": 12, "aes256-gcm": 12, "chacha20-poly1305": 12, "ascon128": 16, "ascon128a": 16}
TAG_SIZE = 16


def encrypt(algorithm: str, key: BytesLike, nonce: BytesLike, data: BytesLike, aad: Optional[BytesLike] = None,
            *, prefix_nonce: bool = False) -> bytes:
    """Ciphertext || tag (nonce || ciphertext || tag with prefix_nonce) of data
    (``AEAD_EncryptWithTag``). aad is authenticated, not encrypted."""
    k, n, d, a = _call.data(key, "key"), _call.data(nonce, "nonce"), _call.data(data), _call.data(aad, "aad")
    opts = ALGORITHMS.code(algorithm) | (raw.OPT_PREFIX_IV if prefix_nonce else 0)
    f = _call.fn("AEAD_EncryptWithTag")
    return _call.query_then_fill("AEAD_EncryptWithTag", lambda o, m: f(
        o, m, d or None, len(d), _call.ptr(k), len(k), _call.ptr(n), len(n), a or None, len(a), opts))


def decrypt(algorithm: str, key: BytesLike, data: BytesLike, nonce: Optional[BytesLike] = None,
            aad: Optional[BytesLike] = None, *, prefix_nonce: bool = False) -> bytes:
    """The plaintext of ciphertext || tag (``AEAD_DecryptWithTag``); with
    prefix_nonce the nonce is read from the front and the argument is not used.
    ``AuthenticationError`` when anything was changed; nothing is released then."""
    k, d, a = _call.data(key, "key"), _call.data(data), _call.data(aad, "aad")
    n = _call.data(nonce, "nonce") if nonce is not None else b""
    opts = ALGORITHMS.code(algorithm) | (raw.OPT_PREFIX_IV if prefix_nonce else 0)
    f = _call.fn("AEAD_DecryptWithTag")
    # The length query checks everything but the tag (and verifies an empty
    # plaintext); the fill verifies the tag before it writes.
    return _call.query_then_fill("AEAD_DecryptWithTag", lambda o, m: f(
        o, m, d or None, len(d), _call.ptr(k), len(k), n or None, len(n), a or None, len(a), opts))


def encrypt_detached(algorithm: str, key: BytesLike, nonce: BytesLike, data: BytesLike,
                     aad: Optional[BytesLike] = None) -> tuple:
    """(ciphertext, tag) with the tag apart (``AEAD_Encrypt``; AES-GCM and ChaCha20-Poly1305)."""
    k, n, d, a = _call.data(key, "key"), _call.data(nonce, "nonce"), _call.data(data), _call.data(aad, "aad")
    buf, tag = _call.out(len(d)), _call.out(TAG_SIZE)
    _call.status("AEAD_Encrypt", _call.fn("AEAD_Encrypt")(
        buf if d else None, len(d), tag, TAG_SIZE, d or None, len(d), _call.ptr(k), len(k), _call.ptr(n), len(n),
        a or None, len(a), ALGORITHMS.code(algorithm)))
    return _call.take(buf, len(d)), _call.take(tag, TAG_SIZE)


def decrypt_detached(algorithm: str, key: BytesLike, nonce: BytesLike, data: BytesLike, tag: BytesLike,
                     aad: Optional[BytesLike] = None) -> bytes:
    """The plaintext, with the tag given apart (4 to 16 bytes; ``AEAD_Decrypt``)."""
    k, n, d, a = _call.data(key, "key"), _call.data(nonce, "nonce"), _call.data(data), _call.data(aad, "aad")
    t = _call.data(tag, "tag")
    buf = _call.out(len(d))
    _call.status("AEAD_Decrypt", _call.fn("AEAD_Decrypt")(
        buf if d else None, len(d), d or None, len(d), _call.ptr(k), len(k), _call.ptr(n), len(n), a or None,
        len(a), t or None, len(t), ALGORITHMS.code(algorithm)))
    return _call.take(buf, len(d))


class NonceSequence:
    """Nonces that never repeat under one key: a random prefix (drawn once,
    size - 8 bytes) then a 64-bit big-endian counter. ``next()`` refuses to go
    on when the counter is spent rather than wrap. Thread-safe.

    Keep one sequence per key for the key's life; a key used by several
    processes needs one sequence each (their random prefixes differ), or a
    counter kept on disk."""

    def __init__(self, size: int = 12, *, prefix: Optional[bytes] = None, start: int = 0) -> None:
        if size < 12:
            raise BadParameterError.python_side("a nonce sequence needs nonces of 12 bytes or more")
        from . import rng
        self.size = size
        self.prefix = bytes(prefix) if prefix is not None else rng.nonce(size - 8)
        if len(self.prefix) != size - 8:
            raise BadParameterError.python_side(f"the prefix must be {size - 8} bytes")
        self._counter = start
        self._lock = threading.Lock()

    def next(self) -> bytes:
        with self._lock:
            if self._counter >= 1 << 64:
                raise BadParameterError.python_side("the nonce counter is spent: change the key")
            value = self._counter
            self._counter += 1
        return self.prefix + value.to_bytes(8, "big")

    __next__ = next

    def __iter__(self) -> "NonceSequence":
        return self

    @property
    def used(self) -> int:
        """How many nonces were given (store it to resume after a restart)."""
        return self._counter


class Aead(_call.Context):
    """The thread's incremental AEAD context (``AEAD_InitKey``): one key, any
    number of messages, each with its own nonce. Decrypted bytes from
    ``update`` are not authentic until ``finish_decrypt()`` returns."""

    _family = "AEAD"
    _close_export = "AEAD_Destroy"

    def __init__(self, algorithm: str, key: BytesLike) -> None:
        k = _call.data(key, "key")
        self.name = ALGORITHMS.canonical(algorithm)
        code = ALGORITHMS.code(algorithm)
        super().__init__(lambda: _call.handle("AEAD_InitKey", _call.fn("AEAD_InitKey")(_call.ptr(k), len(k), code)))

    def start(self, nonce: BytesLike, aad: Optional[BytesLike] = None, *, tag: Optional[BytesLike] = None) -> None:
        """Begins a message: encryption, or decryption when the expected tag is given."""
        n = _call.data(nonce, "nonce")
        _call.status("AEAD_SetNonce", _call.fn("AEAD_SetNonce")(self._live(), _call.ptr(n), len(n)))
        a = _call.data(aad, "aad")
        if a:
            _call.status("AEAD_AddAAD", _call.fn("AEAD_AddAAD")(self._handle, a, len(a)))
        if tag is None:
            _call.status("AEAD_StartEncrypt", _call.fn("AEAD_StartEncrypt")(self._handle))
        else:
            t = _call.data(tag, "tag")
            _call.status("AEAD_StartDecrypt", _call.fn("AEAD_StartDecrypt")(self._handle, t or None, len(t)))

    def update(self, data: BytesLike) -> bytes:
        d = _call.data(data)
        buf = _call.out(len(d))
        _call.status("AEAD_Update", _call.fn("AEAD_Update")(self._live(), buf, len(d), d or None, len(d)))
        return _call.take(buf, len(d))

    def finish_encrypt(self) -> bytes:
        """Ends the message; returns its 16-byte tag."""
        tag = _call.out(TAG_SIZE)
        _call.status("AEAD_FinishEncrypt", _call.fn("AEAD_FinishEncrypt")(self._live(), tag, TAG_SIZE))
        return _call.take(tag, TAG_SIZE)

    def finish_decrypt(self) -> None:
        """Ends the message; ``AuthenticationError`` (discard what update gave) when the tag did not match."""
        _call.status("AEAD_FinishDecrypt", _call.fn("AEAD_FinishDecrypt")(self._live()))


def new(algorithm: str, key: BytesLike) -> Aead:
    """An incremental AEAD context (AES-GCM, ChaCha20-Poly1305)."""
    return Aead(algorithm, key)
