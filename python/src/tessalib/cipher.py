"""CIPHER_ and PAD_: block ciphers with the algorithm, mode and padding in one text.

    >>> ct = tessalib.cipher.encrypt("aes128/cbc/pkcs5", key, data, iv=iv)
    >>> tessalib.cipher.decrypt("aes128/cbc/pkcs5", key, ct, iv=iv)

The text is an algorithm (aes128, aes192, aes256, tdea; and des or blowfish,
run through their own families), then optionally a mode (ecb, cbc, ofb,
cfb, ctr; ECB when absent) and a padding (pkcs5, nopadding, oneandzeroes,
ansix923, w3c). ECB and CBC pad with PKCS #5 unless told otherwise; OFB, CFB
and CTR never pad. A bad padding on decryption raises ``PaddingError``.
"""
from __future__ import annotations

import re
from typing import Optional, Tuple

from . import _call, raw
from ._call import BytesLike
from ._names import Table, norm
from .errors import BadParameterError, UnsupportedError

__all__ = ["encrypt", "decrypt", "new", "Cipher", "pad", "unpad", "PADDINGS", "block_size"]

PADDINGS = Table("padding", [
    ("pkcs5", raw.CIPHER_PAD_PKCS5), ("nopadding", raw.CIPHER_PAD_NONE),
    ("oneandzeroes", raw.CIPHER_PAD_ONEANDZEROES), ("ansix923", raw.CIPHER_PAD_ANSIX923),
    ("w3c", raw.CIPHER_PAD_W3C),
], aliases={"pkcs5padding": "pkcs5", "pkcs7": "pkcs5", "none": "nopadding", "nopad": "nopadding",
            "oneandzeroespadding": "oneandzeroes", "ansix923padding": "ansix923", "w3cpadding": "w3c"})
_MODES = ("ecb", "cbc", "ofb", "cfb", "ctr")
# The families with their own exports (not in CIPHER_): name -> (prefix, block size)
_OWN_FAMILIES = {"des": ("DES", 8), "blowfish": ("BLF", 8), "blf": ("BLF", 8)}


def _split(alg_mode: str) -> Tuple[str, str, Optional[str]]:
    """(algorithm, mode, padding) of DES and Blowfish texts; for the others
    only the algorithm's first word: the library reads their text itself."""
    words = [w for w in re.split(r"[/\s,;:]+", alg_mode.strip()) if w]
    if not words:
        raise BadParameterError.python_side("name an algorithm, e.g. 'aes128/cbc/pkcs5'")
    alg = norm(words[0])
    if alg not in _OWN_FAMILIES:
        return alg, "", None
    mode = norm(words[1]) if len(words) > 1 else "ecb"
    padding = words[2] if len(words) > 2 else None
    if mode not in _MODES or len(words) > 3:
        raise BadParameterError.python_side(f"cannot read {alg_mode!r}: algorithm/mode/padding", raw.BAD_MODE_ERROR)
    return alg, mode, padding


def block_size(alg_mode: str) -> int:
    alg = _split(alg_mode)[0]
    return 16 if alg.startswith("aes") else 8


def _cipher_call(export: str, alg_mode: str, key: bytes, data: bytes, iv: Optional[bytes], prefix_iv: bool) -> bytes:
    i = _call.data(iv, "iv") if iv is not None else b""
    text = _call.text(alg_mode, "alg_mode")
    opts = raw.OPT_PREFIX_IV if prefix_iv else 0
    f = _call.fn(export)
    return _call.query_then_fill(export, lambda o, n: f(o, n, data or None, len(data), _call.ptr(key), len(key),
                                                        i or None, len(i), text, opts))


def _own_family(encrypting: bool, alg: str, mode: str, padding: Optional[str], key: bytes, data: bytes,
                iv: Optional[bytes], prefix_iv: bool) -> bytes:
    prefix, block = _OWN_FAMILIES[alg]
    pads = mode in ("ecb", "cbc") and (padding is None or PADDINGS.canonical(padding) != "nopadding")
    scheme = PADDINGS.canonical(padding) if padding is not None else "pkcs5"
    ivb = _call.data(iv, "iv") if iv is not None else None
    if prefix_iv and not encrypting:
        if len(data) < block:
            raise BadParameterError.python_side("the data is shorter than its IV", raw.BAD_LENGTH_ERROR)
        ivb, data = data[:block], data[block:]
    if mode != "ecb" and (ivb is None or len(ivb) != block):
        raise BadParameterError.python_side(f"the IV must be {block} bytes", raw.BAD_IV_LEN_ERROR)
    if encrypting and pads:
        data = pad(data, block, scheme)
    buf = _call.out(len(data))
    modeb = mode.encode()
    ivp = ivb if mode != "ecb" else None
    if prefix == "DES":
        rc = _call.fn("DES_BytesMode")(buf, _call.ptr(data), len(data), _call.ptr(key), int(encrypting), modeb, ivp)
    else:
        rc = _call.fn("BLF_BytesMode")(buf, _call.ptr(data), len(data), _call.ptr(key), len(key), int(encrypting),
                                       modeb, ivp)
    _call.status(f"{prefix}_BytesMode", rc)
    out = _call.take(buf, len(data))
    if not encrypting and pads:
        out = unpad(out, block, scheme)
    if encrypting and prefix_iv:  # as CIPHER_EncryptBytes: in ECB the IV given, or zeros
        out = (ivb if ivb is not None and len(ivb) == block else bytes(block)) + out
    return out


def encrypt(alg_mode: str, key: BytesLike, data: BytesLike, *, iv: Optional[BytesLike] = None,
            prefix_iv: bool = False) -> bytes:
    """The ciphertext (``CIPHER_EncryptBytes``; DES and Blowfish: ``DES_BytesMode``,
    ``BLF_BytesMode`` with ``PAD_`` padding). With prefix_iv the IV goes in front."""
    k, d = _call.data(key, "key"), _call.data(data)
    alg, mode, padding = _split(alg_mode)
    if alg in _OWN_FAMILIES:
        return _own_family(True, alg, mode, padding, k, d, iv, prefix_iv)
    return _cipher_call("CIPHER_EncryptBytes", alg_mode, k, d, iv, prefix_iv)


def decrypt(alg_mode: str, key: BytesLike, data: BytesLike, *, iv: Optional[BytesLike] = None,
            prefix_iv: bool = False) -> bytes:
    """The plaintext, its padding checked and removed (``CIPHER_DecryptBytes``);
    ``PaddingError`` when the padding is not valid (a wrong key, or altered data:
    padding is no integrity check, use ``tessalib.aead`` for that)."""
    k, d = _call.data(key, "key"), _call.data(data)
    alg, mode, padding = _split(alg_mode)
    if alg in _OWN_FAMILIES:
        return _own_family(False, alg, mode, padding, k, d, iv, prefix_iv)
    return _cipher_call("CIPHER_DecryptBytes", alg_mode, k, d, iv, prefix_iv)


def pad(data: BytesLike, block: int, scheme: str = "pkcs5") -> bytes:
    """data with its padding appended (``PAD_BytesBlock``; block 8 or 16)."""
    d = _call.data(data)
    opts = PADDINGS.code(scheme)
    f = _call.fn("PAD_BytesBlock")
    return _call.query_then_fill("PAD_BytesBlock", lambda o, n: f(o, n, d or None, len(d), block, opts))


def unpad(data: BytesLike, block: int, scheme: str = "pkcs5") -> bytes:
    """data without its padding (``PAD_UnpadBytes``); ``PaddingError`` when it is not valid."""
    d = _call.data(data)
    buf = _call.out(len(d))
    n = _call.length("PAD_UnpadBytes", _call.fn("PAD_UnpadBytes")(buf, len(d), _call.ptr(d), len(d), block,
                                                                  PADDINGS.code(scheme)))
    return _call.take(buf, n)


class Cipher(_call.Context):
    """The thread's CIPHER_ context (``CIPHER_Init``): the chaining state
    carries from one ``update`` to the next; nothing is padded (ECB and CBC
    take whole blocks)."""

    _family = "CIPHER"
    _close_export = "CIPHER_Final"

    def __init__(self, alg_mode: str, key: BytesLike, *, iv: Optional[BytesLike] = None,
                 encrypt: bool = True) -> None:
        alg = _split(alg_mode)[0]
        if alg in _OWN_FAMILIES:
            raise UnsupportedError.python_side("the streaming context takes AES and Triple DES")
        k = _call.data(key, "key")
        i = _call.data(iv, "iv") if iv is not None else b""
        text = _call.text(alg_mode)
        super().__init__(lambda: _call.handle("CIPHER_Init", _call.fn("CIPHER_Init")(
            int(encrypt), text, _call.ptr(k), len(k), i or None, len(i), 0)))

    def update(self, data: BytesLike) -> bytes:
        d = _call.data(data)
        buf = _call.out(len(d))
        _call.status("CIPHER_Update", _call.fn("CIPHER_Update")(self._live(), buf, len(d), d or None, len(d)))
        return _call.take(buf, len(d))


def new(alg_mode: str, key: BytesLike, *, iv: Optional[BytesLike] = None, encrypt: bool = True) -> Cipher:
    """A streaming cipher context (see ``Cipher``)."""
    return Cipher(alg_mode, key, iv=iv, encrypt=encrypt)
