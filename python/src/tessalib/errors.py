"""Exceptions: every failure the library reports is raised, never returned.

``TessalibError`` carries the library's code (always positive, whatever the
sign the export used), its name and its message from ``API_ErrorLookup``.
Subclasses name the cases callers handle; ``error_for(code)`` picks the class.
"""
from __future__ import annotations

import ctypes
from typing import Dict, Optional, Type

from ._prototypes import CONSTANTS

#: code -> NAME for the error codes of the header.
_NAMES: Dict[int, str] = {}
for _name, _value in CONSTANTS.items():
    if (_name.endswith("_ERROR") or _name.startswith("PRNG_ERR_")) and _value not in _NAMES:
        _NAMES[_value] = _name
_NAMES[0] = "SUCCESS_NO_ERROR"


class TessalibError(Exception):
    """A failure reported by the library.

    ``code`` is the positive error code, ``name`` its symbol (``"AUTH_FAIL_ERROR"``),
    ``message`` the library's text for it; ``function`` the export that failed.
    """

    def __init__(self, code: int, function: str = "", detail: str = "") -> None:
        self.code = abs(int(code))
        self.name = _NAMES.get(self.code, f"code {self.code}")
        self.message = lookup(self.code) or "unknown error"
        self.function = function
        self.detail = detail
        text = self.message
        if function:
            text = f"{function}: {text}"
        if detail:
            text += f": {detail}"
        super().__init__(text)

    @classmethod
    def python_side(cls, detail: str, code: Optional[int] = None) -> "TessalibError":
        """An error found before the library was called, with the code it would give."""
        return cls(code if code is not None else cls.default_code, "", detail)

    default_code = CONSTANTS["MISC_ERROR"]


class AuthenticationError(TessalibError):
    """The tag or integrity check failed (AUTH_FAIL_ERROR; a failed key unwrap)."""
    default_code = CONSTANTS["AUTH_FAIL_ERROR"]


class PaddingError(TessalibError, ValueError):
    """The padding of decrypted data is not valid (DECRYPT_ERROR)."""
    default_code = CONSTANTS["DECRYPT_ERROR"]


class BadKeyLengthError(TessalibError, ValueError):
    """The key is not a length the algorithm takes (BAD_KEY_LEN_ERROR)."""
    default_code = CONSTANTS["BAD_KEY_LEN_ERROR"]


class BadParameterError(TessalibError, ValueError):
    """An argument is wrong: a bad value, length, IV, key, mode or format."""
    default_code = CONSTANTS["BAD_PARAM_ERROR"]


class UnsupportedError(TessalibError):
    """The algorithm or option is not offered here (BAD_FLAG_ERROR, NOT_SUPPORTED_ERROR)."""
    default_code = CONSTANTS["NOT_SUPPORTED_ERROR"]


class FileError(TessalibError, OSError):
    """A file could not be opened, created, read, written or locked."""
    default_code = CONSTANTS["OPEN_ERROR"]


class InvalidHandleError(TessalibError):
    """A context was used after it ended, or was replaced (INVALID_HANDLE_ERROR)."""
    default_code = CONSTANTS["INVALID_HANDLE_ERROR"]


class WrongThreadError(InvalidHandleError):
    """A context object was used from a thread other than the one that made it.

    Contexts belong to the thread that opened them; the call is refused
    before the library is reached."""


class OutOfMemoryError(TessalibError, MemoryError):
    """The library could not allocate a buffer the call needed (MEMORY_ERROR)."""
    default_code = CONSTANTS["MEMORY_ERROR"]


class SelfTestFailedError(TessalibError):
    """A known-answer or health test of the library failed (TEST_FAILED_ERROR,
    PRNG_ERR_CATASTROPHIC): it must not be used for cryptography."""
    default_code = CONSTANTS["TEST_FAILED_ERROR"]


def _codes(*names: str) -> list:
    return [CONSTANTS[n] for n in names]


_CLASS_OF: Dict[int, Type[TessalibError]] = {}
for _cls, _names in (
    (AuthenticationError, ("AUTH_FAIL_ERROR",)),
    (PaddingError, ("DECRYPT_ERROR",)),
    (BadKeyLengthError, ("BAD_KEY_LEN_ERROR",)),
    (BadParameterError, ("BAD_PARAM_ERROR", "NULL_ERROR", "BAD_FORMAT_ERROR", "INVALID_DATA_ERROR",
                         "OUT_OF_RANGE_ERROR", "BAD_LENGTH_ERROR", "BAD_BLK_LEN_ERROR", "BAD_MODE_ERROR",
                         "BAD_KEY_ERROR", "BAD_IV_ERROR", "BAD_IV_LEN_ERROR", "ENCODING_ERROR",
                         "SHORT_BUF_ERROR", "WEAK_KEY_ERROR", "PRNG_ERR_TOOBIG", "PRNG_ERR_BADPARAM",
                         "ZLIB_COMPR_ERROR")),
    (UnsupportedError, ("BAD_FLAG_ERROR", "NOT_SUPPORTED_ERROR", "PRNG_ERR_NOTAVAIL")),
    (FileError, ("OPEN_ERROR", "CREATE_ERROR", "READ_ERROR", "WRITE_ERROR", "EOF_ERROR", "DUP_ERROR", "WIPE_ERROR",
                 "PRNG_ERR_FILE_OPEN", "PRNG_ERR_FILE_CREATE", "PRNG_ERR_FILE_READ", "PRNG_ERR_FILE_WRITE",
                 "PRNG_ERR_FILE_LOCK")),
    (InvalidHandleError, ("INVALID_HANDLE_ERROR", "MISUSE_ERROR")),
    (OutOfMemoryError, ("MEMORY_ERROR",)),
    (SelfTestFailedError, ("TEST_FAILED_ERROR", "PRNG_ERR_CATASTROPHIC")),
):
    for _code in _codes(*_names):
        _CLASS_OF[_code] = _cls


def error_for(code: int, function: str = "", detail: str = "") -> TessalibError:
    """The exception for a library error code of either sign."""
    cls = _CLASS_OF.get(abs(int(code)), TessalibError)
    return cls(code, function, detail)


def lookup(code: int) -> str:
    """``API_ErrorLookup``: "message (NAME)" for a code of either sign; "" when unknown."""
    from . import raw
    fn = raw.function("API_ErrorLookup")
    n = fn(None, 0, int(code))
    if n <= 0:
        return ""
    buf = ctypes.create_string_buffer(n + 1)
    n = fn(buf, n, int(code))
    text = buf.raw[:max(n, 0)].decode("latin-1")
    # The message alone: the name is kept apart.
    if text.endswith(")") and " (" in text:
        text = text[: text.rindex(" (")]
    return text


def last_error() -> int:
    """``API_ErrorCode``: the calling thread's last error (positive; 0 after a success)."""
    from . import raw
    return int(raw.function("API_ErrorCode")())
