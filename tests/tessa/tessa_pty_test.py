#!/usr/bin/env python3
"""Drives the tessa commands that talk to a terminal through a pseudo-terminal,
as a user at a keyboard would: the keyboard-entropy prompt of
`tessa rand make-seed --console` prints its text and a percentage before each
key, reads keys without echo, and ends when the strength is reached.

    usage: tessa_pty_test.py TESSA
"""
import os
import pty
import re
import select
import sys
import tempfile
import time


def drive(argv, keys, timeout=60.0):
    """Runs argv on a new pseudo-terminal, types keys one at a time as output
    arrives, and returns (exit status, everything the terminal showed)."""
    pid, fd = pty.fork()
    if pid == 0:
        try:
            os.execv(argv[0], argv)
        finally:
            os._exit(127)
    shown = b""
    typed = 0
    deadline = time.monotonic() + timeout
    try:
        while time.monotonic() < deadline:
            ready, _, _ = select.select([fd], [], [], 0.05)
            if ready:
                try:
                    chunk = os.read(fd, 4096)
                except OSError:  # the child closed the terminal
                    break
                if not chunk:
                    break
                shown += chunk
            elif typed < len(keys) and b"%" in shown:
                os.write(fd, keys[typed:typed + 1])
                typed += 1
        else:
            os.kill(pid, 9)
            raise AssertionError(f"{argv[1:]} did not end within {timeout} s; the terminal showed {shown[-300:]!r}")
    finally:
        os.close(fd)
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), shown.decode("latin-1")


def main():
    tessa = os.path.abspath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        seed = os.path.join(tmp, "typed.seed")
        # 112 bits at 0.75 bits per key that differs from the one before: 150
        # alternating keys; more are typed than needed, the prompt stops reading.
        keys = b"ab" * 120
        code, shown = drive([tessa, "rand", "make-seed", seed, "--console", "--strength", "112",
                             "--prompt", "Type at random please"], keys)
        if code != 0:
            failures.append(f"make-seed exited with {code}: {shown[-300:]!r}")
        if "Type at random please" not in shown:
            failures.append(f"the prompt text was not shown: {shown[:200]!r}")
        steps = [int(m) for m in re.findall(r"(\d+)%", shown)]
        if len(steps) < 100 or steps != sorted(steps) or steps[-1] < 99:
            failures.append(f"the progress did not climb to the end: {shown[-200:]!r}")
        if "abab" in shown:
            failures.append("the keys were echoed")
        if not os.path.exists(seed) or os.path.getsize(seed) != 128:
            failures.append("the seed file is not 128 bytes")
        elif os.stat(seed).st_mode & 0o777 != 0o600:
            failures.append("the seed file is not private (0600)")
    for f in failures:
        print("FAIL:", f)
    if failures:
        sys.exit(1)
    print("tessa_pty_test: every case passed")


if __name__ == "__main__":
    main()
