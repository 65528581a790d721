"""API_: the loaded library itself: its version, build time, file, platform
and information text, and its power-up tests.

These answer in every state of the library, also after a load-time check
failed (when every other export refuses with ``SelfTestFailedError``).
Check the library at start-up with ``power_up_tests()``.
"""
from __future__ import annotations

from typing import Callable

from . import _call, raw
from .errors import error_for

__all__ = ["version", "compile_time", "module_name", "platform", "info", "power_up_tests", "is_usable"]


def _text(name: str, call: Callable[..., int]) -> str:
    return _call.query_then_fill(name, call).decode("latin-1")


def version() -> int:
    """``API_Version``: 62201 for 6.22.01 (major*10000 + minor*100 + release)."""
    return int(_call.fn("API_Version")())


def compile_time() -> str:
    """``API_CompileTime``: the build time, "Jan  7 2024 16:14:01"."""
    return _text("API_CompileTime", lambda buf, n: _call.fn("API_CompileTime")(buf, n))


def module_name() -> str:
    """``API_ModuleName``: the full path of the library's own file."""
    return _text("API_ModuleName", lambda buf, n: _call.fn("API_ModuleName")(buf, n, 0))


def platform() -> str:
    """``API_Platform``: the platform text, "X64"."""
    return _text("API_Platform", lambda buf, n: _call.fn("API_Platform")(buf, n))


def info() -> str:
    """``API_ModuleInfo``: one line describing the library."""
    return _text("API_ModuleInfo", lambda buf, n: _call.fn("API_ModuleInfo")(buf, n))


def power_up_tests() -> None:
    """``API_PowerUpTests``: runs the load-time checks again (the integrity of
    the library's file, the eighteen known-answer tests, the generator's
    health check). Returns when all pass; raises ``SelfTestFailedError``
    when any fails: the library must then not be used for cryptography."""
    rc = int(_call.fn("API_PowerUpTests")())
    if rc != 0:
        raise error_for(rc, "API_PowerUpTests", "the library failed its power-up tests")


def is_usable() -> bool:
    """True when the library serves calls; False when a load-time check failed
    and it stays loaded in its failed state, where every export but the API_
    ones refuses. Costs one call of a framed export (which clears the
    thread's last error) and runs no test."""
    return int(_call.fn("CNV_HexStrFromBytes")(None, 0, b"\0", 0)) != -raw.TEST_FAILED_ERROR
