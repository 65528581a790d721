"""GCM_: AES-GCM with 128-, 192- and 256-bit keys, IVs of any length and tags of 4 to 16 bytes."""
from __future__ import annotations

from typing import Optional, Tuple

from . import _call
from ._call import BytesLike

__all__ = ["encrypt", "decrypt", "GcmKey"]


def encrypt(key: BytesLike, iv: BytesLike, data: BytesLike, aad: Optional[BytesLike] = None,
            tag_size: int = 16) -> Tuple[bytes, bytes]:
    """(ciphertext, tag) (``GCM_Encrypt``)."""
    k, i, d, a = _call.data(key, "key"), _call.data(iv, "iv"), _call.data(data), _call.data(aad, "aad")
    buf, tag = _call.out(len(d)), _call.out(tag_size)
    _call.status("GCM_Encrypt", _call.fn("GCM_Encrypt")(buf if d else None, len(d), tag, tag_size, d or None, len(d),
                                                         k or None, len(k), i or None, len(i), a or None, len(a)))
    return _call.take(buf, len(d)), _call.take(tag, min(tag_size, 16))


def decrypt(key: BytesLike, iv: BytesLike, data: BytesLike, tag: BytesLike, aad: Optional[BytesLike] = None) -> bytes:
    """The plaintext, after the tag was checked (``GCM_Decrypt``; ``AuthenticationError``)."""
    k, i, d, a = _call.data(key, "key"), _call.data(iv, "iv"), _call.data(data), _call.data(aad, "aad")
    t = _call.data(tag, "tag")
    buf = _call.out(len(d))
    _call.status("GCM_Decrypt", _call.fn("GCM_Decrypt")(buf if d else None, len(d), d or None, len(d), k or None,
                                                         len(k), i or None, len(i), a or None, len(a), t or None,
                                                         len(t)))
    return _call.take(buf, len(d))


class GcmKey(_call.Context):
    """An AES-GCM key set up once in the thread's GCM_ context (``GCM_InitKey``)."""

    _family = "GCM"
    _close_export = "GCM_FinishKey"

    def __init__(self, key: BytesLike) -> None:
        k = _call.data(key, "key")
        super().__init__(lambda: _call.handle("GCM_InitKey", _call.fn("GCM_InitKey")(k or None, len(k))))

    def encrypt(self, iv: BytesLike, data: BytesLike, aad: Optional[BytesLike] = None,
                tag_size: int = 16) -> Tuple[bytes, bytes]:
        i, d, a = _call.data(iv, "iv"), _call.data(data), _call.data(aad, "aad")
        buf, tag = _call.out(len(d)), _call.out(tag_size)
        _call.status("GCM_NextEncrypt", _call.fn("GCM_NextEncrypt")(
            self._live(), buf if d else None, len(d), tag, tag_size, d or None, len(d), i or None, len(i),
            a or None, len(a)))
        return _call.take(buf, len(d)), _call.take(tag, min(tag_size, 16))

    def decrypt(self, iv: BytesLike, data: BytesLike, tag: BytesLike, aad: Optional[BytesLike] = None) -> bytes:
        i, d, a, t = _call.data(iv, "iv"), _call.data(data), _call.data(aad, "aad"), _call.data(tag, "tag")
        buf = _call.out(max(len(d), 1))
        _call.status("GCM_NextDecrypt", _call.fn("GCM_NextDecrypt")(
            self._live(), buf, max(len(d), 1), d or None, len(d), i or None, len(i), a or None, len(a), t or None,
            len(t)))
        return _call.take(buf, len(d))
