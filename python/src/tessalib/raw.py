"""The raw layer: every export of ``tessalib.h`` with its C prototype.

``tessalib.raw.AES128_Bytes`` and the like are the library's functions with
``argtypes`` and ``restype`` set from the header (see ``_prototypes.py``,
generated from it). Pointers to bytes are ``c_void_p`` (pass ``bytes`` for
inputs and a ``ctypes`` buffer for outputs), text is ``c_char_p``, integers
are ``c_int32``. The constants of the header (error codes, option words) are
attributes too: ``tessalib.raw.AEAD_AES_128_GCM``. Nothing here checks a
result: that is the Pythonic modules' job.

An export the loaded library lacks (an older build) raises
``UnsupportedError`` when it is looked up.
"""
from __future__ import annotations

import ctypes
from typing import Any, Dict, List, Tuple

from . import _loader
from ._prototypes import CONSTANTS, PROTOTYPES

_CTYPES = {
    "int32_t": ctypes.c_int32,
    "uint32_t": ctypes.c_uint32,
    "void": None,
    "char *": ctypes.c_void_p,            # outputs and texts changed in place
    "const char *": ctypes.c_char_p,
    "unsigned char *": ctypes.c_void_p,
    "const unsigned char *": ctypes.c_void_p,
    "const uint16_t *": ctypes.c_void_p,
}

globals().update(CONSTANTS)

_bound: Dict[str, Any] = {}


def ctype_of(c_type: str) -> Any:
    """The ctypes type used for a C type of the header."""
    try:
        return _CTYPES[c_type]
    except KeyError:
        raise TypeError(f"the raw layer has no ctypes type for {c_type!r}: extend _CTYPES") from None


def function(name: str) -> Any:
    """The export ``name`` with its prototype applied."""
    fn = _bound.get(name)
    if fn is not None:
        return fn
    if name not in PROTOTYPES:
        raise AttributeError(f"{name} is not an export of tessalib.h")
    result, params = PROTOTYPES[name]
    try:
        fn = getattr(_loader.library(), name)
    except AttributeError:
        from .errors import UnsupportedError
        raise UnsupportedError.python_side(
            f"{name} is not exported by the loaded library (an older build?)") from None
    fn.restype = ctype_of(result)
    fn.argtypes = [ctype_of(t) for t, _ in params]
    _bound[name] = fn
    return fn


def missing() -> List[str]:
    """The exports of the header that the loaded library does not have."""
    lib = _loader.library()
    return [n for n in PROTOTYPES if not hasattr(lib, n)]


def signature(name: str) -> Tuple[str, Tuple[Tuple[str, str], ...]]:
    """(result type, ((type, name), ...)) of an export, as the header declares it."""
    return PROTOTYPES[name]


def __getattr__(name: str) -> Any:
    if name in PROTOTYPES:
        return function(name)
    raise AttributeError(f"module 'tessalib.raw' has no attribute {name!r}")


def __dir__() -> List[str]:
    return sorted(set(globals()) | set(PROTOTYPES))
