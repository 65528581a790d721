"""Algorithm names as callers write them: case, dashes, underscores and
slashes do not matter ("SHA3-256", "sha3_256" and "sha3256" are one name)."""
from __future__ import annotations

from typing import Dict, Iterable, Tuple

from .errors import UnsupportedError


def norm(name: str) -> str:
    return "".join(c for c in name.lower() if c.isalnum())


class Table:
    """Canonical names and their numbers, found by any spelling."""

    def __init__(self, what: str, entries: Iterable[Tuple[str, int]], aliases: Dict[str, str] = {}) -> None:
        self.what = what
        self.names: Dict[str, int] = dict(entries)
        self._by_norm = {norm(k): k for k in self.names}
        for alias, canonical in aliases.items():
            self._by_norm[norm(alias)] = canonical

    def canonical(self, name: str) -> str:
        if not isinstance(name, str):
            raise TypeError(f"the {self.what} is named by a str, not {type(name).__name__}")
        try:
            return self._by_norm[norm(name)]
        except KeyError:
            raise UnsupportedError.python_side(
                f"unknown {self.what} {name!r}; one of: " + ", ".join(self.names)) from None

    def code(self, name: str) -> int:
        return self.names[self.canonical(name)]
