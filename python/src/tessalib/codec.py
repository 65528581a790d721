"""CNV_: hex, base64 and UTF-16 conversions."""
from __future__ import annotations

import ctypes
from typing import Union

from . import _call
from ._call import BytesLike

__all__ = ["to_hex", "from_hex", "to_b64", "from_b64", "hex_filter", "b64_filter", "utf8_from_utf16",
           "short_path_name"]


def to_hex(data: BytesLike) -> str:
    """Upper-case hex of the bytes (``CNV_HexStrFromBytes``)."""
    b = _call.data(data)
    f = _call.fn("CNV_HexStrFromBytes")
    return _call.query_then_fill("CNV_HexStrFromBytes", lambda o, n: f(o, n, _call.ptr(b), len(b))).decode()


def from_hex(text: Union[str, bytes]) -> bytes:
    """The bytes of hex text (``CNV_BytesFromHexStr``): digits of either case,
    white space and punctuation between them skipped, a last lone digit dropped.
    Any other character raises ``BadParameterError`` (INVALID_DATA_ERROR)."""
    t = _call.text(text)
    f = _call.fn("CNV_BytesFromHexStr")
    return _call.query_then_fill("CNV_BytesFromHexStr", lambda o, n: f(o, n, t))


def to_b64(data: BytesLike) -> str:
    """Padded base64 of the bytes, no line breaks (``CNV_B64StrFromBytes``)."""
    b = _call.data(data)
    f = _call.fn("CNV_B64StrFromBytes")
    return _call.query_then_fill("CNV_B64StrFromBytes", lambda o, n: f(o, n, _call.ptr(b), len(b))).decode()


def from_b64(text: Union[str, bytes]) -> bytes:
    """The bytes of base64 text (``CNV_BytesFromB64Str``); white space skipped,
    the first "=" ends the data."""
    t = _call.text(text)
    f = _call.fn("CNV_BytesFromB64Str")
    return _call.query_then_fill("CNV_BytesFromB64Str", lambda o, n: f(o, n, t))


def _filter(export: str, text: Union[str, bytes]) -> str:
    t = text.encode("latin-1") if isinstance(text, str) else bytes(text)
    buf = _call.out(len(t))
    n = _call.length(export, _call.fn(export)(buf, t, len(t)))
    return _call.take_text(buf, n)


def hex_filter(text: Union[str, bytes]) -> str:
    """The hex digits of the text, in order (``CNV_HexFilter``)."""
    return _filter("CNV_HexFilter", text)


def b64_filter(text: Union[str, bytes]) -> str:
    """The base64 characters and "=" of the text, in order (``CNV_B64Filter``)."""
    return _filter("CNV_B64Filter", text)


def _utf16_units(s: str) -> ctypes.Array:
    raw = s.encode("utf-16-le", "surrogatepass")
    units = (ctypes.c_uint16 * (len(raw) // 2 + 1))()
    ctypes.memmove(units, raw, len(raw))
    return units


def utf8_from_utf16(s: str) -> bytes:
    """``CNV_Utf8FromWide`` on the UTF-16 units of s: its UTF-8 bytes. Only the
    Basic Multilingual Plane is supported (``BadParameterError``, ENCODING_ERROR,
    beyond it)."""
    units = _utf16_units(s)
    f = _call.fn("CNV_Utf8FromWide")
    return _call.query_then_fill("CNV_Utf8FromWide", lambda o, n: f(o, n, units))


def short_path_name(path: str) -> str:
    """``CNV_ShortPathName``: the 8.3 form of an existing path on Windows, the
    path itself on Linux; ``FileError`` (OPEN_ERROR) when it does not exist."""
    units = _utf16_units(path)
    f = _call.fn("CNV_ShortPathName")
    need = _call.length("CNV_ShortPathName", f(None, 0, units))
    if need == 0:
        return ""
    buf = _call.out(need)
    got = _call.length("CNV_ShortPathName", f(buf, need, units))
    return _call.take_text(buf, got)
