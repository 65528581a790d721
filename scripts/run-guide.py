#!/usr/bin/env python3
"""Runs every snippet of a Markdown guide, so that none can rot.

    scripts/run-guide.py docs/guide.md --build build/release [--python PY]

A task is a "## " section. Its fenced blocks run in order in one scratch
directory that holds report.txt: ```c blocks are compiled against
include/tessalib.h and the library of the build tree (with -Wall -Werror)
and run; ```python blocks run with PY (the tessalib package installed, the
library named by TESSALIB_LIBRARY); ```sh blocks run with bash -euo pipefail
and the build tree's tessa first on the PATH. A block that exits with a
status other than 0 fails the run; so does a fence of any other language.
"""
import argparse
import os
import pathlib
import re
import subprocess
import sys
import tempfile

LANGUAGES = ("c", "python", "sh")
REPORT = "quarterly figures\n"


def snippets(text):
    """[(section, language, code, line)] in order."""
    out, section, lang, code, start = [], "(preamble)", None, [], 0
    for number, line in enumerate(text.splitlines(), 1):
        if lang is None:
            if line.startswith("## "):
                section = line[3:].strip()
            m = re.match(r"^```(\S*)\s*$", line)
            if m:
                lang, code, start = m.group(1), [], number
        elif line.startswith("```"):
            out.append((section, lang, "\n".join(code) + "\n", start))
            lang = None
        else:
            code.append(line)
    if lang is not None:
        sys.exit(f"a code block opened on line {start} is never closed")
    return out


def run(section, lang, code, line, work, root, build, python):
    env = dict(os.environ, TESSALIB_LIBRARY=str(build / "libtessalib.so.6"),
               PATH=f"{build}{os.pathsep}{os.environ.get('PATH', '')}")
    if lang == "c":
        src = work / f"snippet{line}.c"
        src.write_text(code)
        exe = work / f"snippet{line}"
        cc = [os.environ.get("CC", "cc"), "-std=c11", "-Wall", "-Wextra", "-Werror", f"-I{root / 'include'}",
              str(src), f"-L{build}", "-ltessalib", f"-Wl,-rpath,{build}", "-o", str(exe)]
        built = subprocess.run(cc, capture_output=True, text=True)
        if built.returncode != 0:
            return built
        command = [str(exe)]
    elif lang == "python":
        command = [python, "-c", code]
    else:
        command = ["bash", "-euo", "pipefail", "-c", code]
    return subprocess.run(command, cwd=work, env=env, capture_output=True, text=True, timeout=300)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("guide")
    ap.add_argument("--build", required=True, help="the build tree with libtessalib.so.6 and tessa")
    ap.add_argument("--python", default=sys.executable)
    args = ap.parse_args()
    root = pathlib.Path(__file__).resolve().parent.parent
    build = pathlib.Path(args.build).resolve()
    python = os.path.abspath(args.python) if os.sep in args.python else args.python  # the venv's, not its target
    blocks = snippets(pathlib.Path(args.guide).read_text())
    if not blocks:
        sys.exit("no snippets found")
    failures, dirs, seen = 0, {}, {}
    with tempfile.TemporaryDirectory() as tmp:
        for section, lang, code, line in blocks:
            if lang not in LANGUAGES:
                print(f"FAIL line {line} ({section}): a ```{lang} block; the guide's blocks are c, python or sh")
                failures += 1
                continue
            if section not in dirs:
                dirs[section] = pathlib.Path(tmp) / f"task{len(dirs)}"
                dirs[section].mkdir()
                (dirs[section] / "report.txt").write_text(REPORT)
            seen.setdefault(section, []).append(lang)
            result = run(section, lang, code, line, dirs[section], root, build, python)
            if result.returncode != 0:
                failures += 1
                print(f"FAIL line {line} ({section}, {lang}): exit status {result.returncode}")
                for name, text in (("stdout", result.stdout), ("stderr", result.stderr)):
                    for l in text.splitlines()[-15:]:
                        print(f"    {name}: {l}")
            else:
                first = (result.stdout.splitlines() or [""])[0]
                print(f"ok   line {line} ({section}, {lang}) {first[:70]}")
    for section, langs in seen.items():
        missing = [l for l in LANGUAGES if l not in langs]
        if missing:
            print(f"note: '{section}' has no {' or '.join(missing)} snippet")
    if failures:
        sys.exit(f"run-guide: {failures} snippets failed")
    print(f"run-guide: all {len(blocks)} snippets ran")


if __name__ == "__main__":
    main()
