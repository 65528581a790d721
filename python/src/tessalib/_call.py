"""What every Pythonic module does around an export: arguments in, results checked.

Sign rules differ by family (positive codes, negated codes, lengths,
handles); each helper here is one of those rules, so a module states which
rule an export follows and never compares a result by hand.
"""
from __future__ import annotations

import ctypes
import threading
from typing import Any, Callable, Optional, Union

from . import raw
from .errors import BadParameterError, InvalidHandleError, TessalibError, WrongThreadError, error_for

INT32_MAX = 0x7FFFFFFF
BytesLike = Union[bytes, bytearray, memoryview]


def fn(name: str) -> Callable[..., int]:
    return raw.function(name)


def data(value: Optional[BytesLike], what: str = "data") -> bytes:
    """A bytes-like argument as bytes (None is empty), within the library's lengths."""
    if value is None:
        return b""
    if isinstance(value, str):
        raise TypeError(f"{what} must be bytes-like, not str (encode it first)")
    b = bytes(memoryview(value))
    if len(b) > INT32_MAX:
        raise BadParameterError.python_side(f"{what} is longer than {INT32_MAX} bytes")
    return b


_bytes_of = data  # for methods whose argument is called data


def text(value: Union[str, bytes], what: str = "text") -> bytes:
    """A text argument as NUL-terminated bytes (str is UTF-8); no NUL inside."""
    b = value.encode("utf-8") if isinstance(value, str) else bytes(value)
    if b"\0" in b:
        raise BadParameterError.python_side(f"{what} contains a NUL character")
    return b


def ptr(b: bytes) -> Optional[bytes]:
    """b for a byte-pointer argument; a one-byte buffer for empty data, which
    some exports refuse as NULL even with length 0."""
    return b if b else b"\0"


def out(n: int) -> ctypes.Array:
    """An output buffer of n bytes (one more, for a NUL)."""
    return ctypes.create_string_buffer(max(n, 0) + 1)


def take(buf: ctypes.Array, n: int) -> bytes:
    """The first n bytes of buf; the buffer is then overwritten with zeros."""
    result = buf.raw[:n]
    ctypes.memset(buf, 0, ctypes.sizeof(buf))
    return result


def take_text(buf: ctypes.Array, n: int) -> str:
    return take(buf, n).decode("latin-1")


def length(name: str, rc: int) -> int:
    """A length result: >= 0, or minus an error code."""
    if rc < 0:
        raise error_for(-rc, name)
    return rc


def status(name: str, rc: int) -> None:
    """A status result: 0, or an error code of either sign."""
    if rc != 0:
        raise error_for(rc, name)


def handle(name: str, h: int, init_error: Optional[str] = None) -> int:
    """A handle result: nonzero, or 0 with the reason in the family's
    _InitError or the thread's last error."""
    if h != 0:
        return h
    code = fn(init_error)() if init_error else fn("API_ErrorCode")()
    raise error_for(code or raw.MISC_ERROR, name)


def value(name: str, v: int) -> int:
    """A value result of a framed export (a number, not a code): 0 is also
    what the export gives when it refuses, so 0 is checked against the last
    error it records (TEST_FAILED_ERROR in the library's failed state)."""
    if v == 0:
        code = fn("API_ErrorCode")()
        if code != 0:
            raise error_for(code, name)
    return v


def query_then_fill(name: str, call: Callable[[Any, int], int], *, text_out: bool = False) -> bytes:
    """Runs an export that has a query mode: first with no buffer for the size,
    then with a buffer of that size. call(buffer, size) returns the export's
    length result."""
    need = length(name, call(None, 0))
    if need == 0:
        return b""
    buf = out(need)
    got = length(name, call(buf, need))
    return take(buf, got)


# --- Per-thread contexts ----------------------------------------------------
_slots = threading.local()


def end_slot(family: str, why: str) -> None:
    """Marks the calling thread's open context object of a family as ended,
    for a call that ends the library's context of that family."""
    current = getattr(_slots, family, None)
    if current is not None and current._closed_why is None:
        current._closed_why = why
        current._handle = 0
    setattr(_slots, family, None)


class Context:
    """A library context (a handle) owned by the thread that opened it.

    The library keeps one context per family per thread: opening another
    ends the first. This object knows that: a context it replaced, one that
    was closed, or one used from another thread raises a clear error and never
    reaches the library with a handle that could be some other context."""

    _family = ""             # the slot the library keeps per thread
    _close_export = ""       # the export that ends the handle

    def __init__(self, open_handle: Callable[[], int]) -> None:
        """open_handle() calls the family's _Init export and returns the handle
        (raising when it fails). Whatever it does, the thread's earlier
        context of the family has ended: the library ends it first."""
        self._thread = threading.get_ident()
        self._handle = 0
        self._closed_why: Optional[str] = "was never opened"
        end_slot(self._family, f"was replaced by a newer {self._family} context of this thread "
                               "(the library keeps one per thread)")
        self._handle = open_handle()
        self._closed_why = None
        setattr(_slots, self._family, self)

    def _live(self) -> int:
        if threading.get_ident() != self._thread:
            raise WrongThreadError.python_side(
                f"this {self._family} context belongs to another thread: contexts are per thread")
        if self._closed_why is not None:
            raise InvalidHandleError.python_side(f"this {self._family} context {self._closed_why}")
        return self._handle

    def _ended(self, why: str = "was closed") -> None:
        self._closed_why = why
        self._handle = 0
        if getattr(_slots, self._family, None) is self:
            setattr(_slots, self._family, None)

    @property
    def closed(self) -> bool:
        return self._closed_why is not None

    def close(self) -> None:
        """Wipes and ends the context (nothing happens when it already ended)."""
        if self._closed_why is not None or threading.get_ident() != self._thread:
            return
        h = self._handle
        self._ended()
        rc = fn(self._close_export)(h)
        if rc != 0 and abs(rc) != raw.INVALID_HANDLE_ERROR:
            raise error_for(rc, self._close_export)

    def __enter__(self):
        return self

    def __exit__(self, *exc: Any) -> None:
        self.close()

    def __del__(self) -> None:
        try:
            self.close()
        except (TessalibError, AttributeError, TypeError):
            pass


class DigestContext(Context):
    """A streaming digest or MAC: ``update`` any number of times, then
    ``digest()``, which ends the context. The family's exports are named by
    ``_add_export`` and ``_final_export``; ``digest_size`` is set on opening."""

    _add_export = ""
    _final_export = ""
    digest_size = 0

    def update(self, data: BytesLike) -> None:
        b = _bytes_of(data)
        length(self._add_export, fn(self._add_export)(self._live(), ptr(b), len(b)))

    def digest(self) -> bytes:
        """The digest or tag; the context ends (using it again raises ``InvalidHandleError``)."""
        h = self._live()
        buf = out(self.digest_size)
        n = fn(self._final_export)(buf, self.digest_size, h)
        self._ended("was finished by digest()")
        return take(buf, length(self._final_export, n))

    def hexdigest(self) -> str:
        return self.digest().hex()
