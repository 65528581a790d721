"""RNG_: random keys, nonces and numbers; seed files; the statistical test.

A generator that fails is never a result: the library ends the process.
"""
from __future__ import annotations

import os
from typing import Optional, Union

from . import _call, raw
from ._call import BytesLike
from .errors import error_for

__all__ = ["MAX_REQUEST", "key_bytes", "nonce", "number", "initialize", "make_seed_file", "update_seed_file",
           "self_test", "bytes_with_prompt"]

#: The most bytes one key, nonce or prompt request gives.
MAX_REQUEST = 65536
PathLike = Union[str, "os.PathLike[str]"]


def key_bytes(n: int, seed: Optional[BytesLike] = None) -> bytes:
    """n random bytes for a key (``RNG_KeyBytes``); seed is extra input to the generator."""
    s = _call.data(seed, "seed")
    buf = _call.out(n)
    _call.status("RNG_KeyBytes", _call.fn("RNG_KeyBytes")(buf, n, s or None, len(s)))
    return _call.take(buf, n)


def nonce(n: int) -> bytes:
    """n random bytes for a nonce or IV (``RNG_NonceData``)."""
    buf = _call.out(n)
    _call.status("RNG_NonceData", _call.fn("RNG_NonceData")(buf, n))
    return _call.take(buf, n)


def number(lower: int, upper: int) -> int:
    """A random integer in [lower, upper] (``RNG_Number``); every value equally likely.

    Raises ``SelfTestFailedError`` when the library is in its failed state
    (where ``RNG_Number`` gives 0 and records the code)."""
    return _call.value("RNG_Number", int(_call.fn("RNG_Number")(lower, upper)))


def _path(path: PathLike) -> bytes:
    return _call.text(os.fsdecode(path), "path")


def initialize(seed_file: Optional[PathLike] = None, *, no_cpu_rng: bool = False) -> int:
    """``RNG_Initialize``: with a seed file, updates it (creating it when
    missing) and returns 0; without one returns what the processor offers
    (1 RDRAND, 2 RDSEED, 3 both, 0 neither or switched off)."""
    opts = raw.RNG_OPT_NO_CPU_RNG if no_cpu_rng else 0
    rc = _call.fn("RNG_Initialize")(_path(seed_file) if seed_file else None, opts)
    if seed_file is None and rc == -raw.PRNG_ERR_NOTAVAIL:
        return 0
    return _call.length("RNG_Initialize", rc)


def make_seed_file(path: PathLike, prompt: Optional[str] = None, *, console: bool = True) -> None:
    """Writes a new 128-byte seed file (mode 0600) after asking the user to
    type for entropy (``RNG_MakeSeedFile``). Without a terminal on standard
    input, the console prompt reads bytes from it; the dialog form (console
    False) runs no prompt at all."""
    opts = raw.RNG_OPT_CONSOLE_PROMPT if console else 0
    p = _call.text(prompt, "prompt") if prompt is not None else None
    _call.status("RNG_MakeSeedFile", _call.fn("RNG_MakeSeedFile")(_path(path), p, opts))


def update_seed_file(path: PathLike) -> None:
    """Mixes an existing seed file into the generator and replaces it (``RNG_UpdateSeedFile``)."""
    _call.status("RNG_UpdateSeedFile", _call.fn("RNG_UpdateSeedFile")(_path(path)))


def self_test(report_file: Optional[PathLike] = None) -> bool:
    """The generator's health check and the FIPS 140-2 statistical tests
    (``RNG_Test``): True when all passed, False when one failed (rare for a
    good generator: it is a statistical test)."""
    rc = _call.fn("RNG_Test")(_path(report_file) if report_file else None)
    if rc == 1:
        return False
    if rc != 0:
        raise error_for(rc, "RNG_Test")
    return True


def bytes_with_prompt(n: int, prompt: Optional[str] = None, *, strength: int = 128, console: bool = True) -> bytes:
    """n random bytes after the user typed for entropy of the given strength
    (112, 128, 192 or 256 bits; ``RNG_BytesWithPrompt``)."""
    levels = {112: raw.RNG_STRENGTH_112, 128: raw.RNG_STRENGTH_128, 192: raw.RNG_STRENGTH_192,
              256: raw.RNG_STRENGTH_256}
    if strength not in levels:
        from .errors import BadParameterError
        raise BadParameterError.python_side("strength is 112, 128, 192 or 256")
    opts = levels[strength] | (raw.RNG_OPT_CONSOLE_PROMPT if console else 0)
    p = _call.text(prompt, "prompt") if prompt is not None else None
    buf = _call.out(n)
    _call.status("RNG_BytesWithPrompt", _call.fn("RNG_BytesWithPrompt")(buf, n, p, opts))
    return _call.take(buf, n)
