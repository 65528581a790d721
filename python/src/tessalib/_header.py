"""Reading ``tessalib.h``: the exports' prototypes and the numeric constants.

The raw layer is generated from the header by ``python/tools/gen_prototypes.py``
with this parser, and a test parses the header again and compares, so the
table the package ships can never drift from the header it was built for.
"""
from __future__ import annotations

import re
from typing import Dict, List, Tuple

#: (C type, argument name) of one parameter.
Param = Tuple[str, str]
#: name -> (result type, parameters)
Prototypes = Dict[str, Tuple[str, Tuple[Param, ...]]]

_EXPORT = re.compile(r"TESSALIB_API\s+(\w+)\s+TESSALIB_CALL\s+(\w+)\s*\(([^)]*)\)\s*;", re.S)
_DEFINE = re.compile(r"^#define\s+([A-Z][A-Z0-9_]*)\s+(0x[0-9A-Fa-f]+|\d+)\b", re.M)
_PARAM = re.compile(r"^(.*?)(\w+)$")


def _strip_comments(text: str) -> str:
    return re.sub(r"/\*.*?\*/", " ", text, flags=re.S)


def _param(text: str) -> Param:
    text = " ".join(text.split())
    m = _PARAM.match(text)
    if m is None:
        raise ValueError(f"cannot read the parameter {text!r}")
    ctype = m.group(1).replace(" *", "*").replace("* ", "*").strip()
    ctype = re.sub(r"\s*\*", " *", ctype)
    return ctype, m.group(2)


def parse_prototypes(header: str) -> Prototypes:
    """Every export of the header text, in the order they are declared."""
    out: Prototypes = {}
    for m in _EXPORT.finditer(_strip_comments(header)):
        result, name, params = m.group(1), m.group(2), m.group(3).strip()
        if params in ("", "void"):
            args: Tuple[Param, ...] = ()
        else:
            args = tuple(_param(p) for p in params.split(","))
        if name in out:
            raise ValueError(f"{name} is declared twice")
        out[name] = (result, args)
    return out


def parse_constants(header: str) -> Dict[str, int]:
    """Every ``#define NAME number`` of the header (error codes and options)."""
    return {m.group(1): int(m.group(2), 0) for m in _DEFINE.finditer(header)}


def render_module(header: str) -> str:
    """The text of ``_prototypes.py`` for the header text."""
    protos = parse_prototypes(header)
    consts = parse_constants(header)
    lines: List[str] = [
        '"""Generated from include/tessalib.h by python/tools/gen_prototypes.py: do not edit."""',
        "",
        "PROTOTYPES = {",
    ]
    for name, (result, args) in protos.items():
        lines.append(f"    {name!r}: ({result!r}, {args!r}),")
    lines += ["}", "", "CONSTANTS = {"]
    for name, value in consts.items():
        lines.append(f"    {name!r}: {value!r},")
    lines += ["}", ""]
    return "\n".join(lines)
