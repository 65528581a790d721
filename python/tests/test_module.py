"""API_: module information and the power-up tests; the library's failed state.

The failed state is reached with the test build of the library,
libtessalib_faults.so, whose TESSALIB_TEST_FAULT variable makes one load-time
check give a wrong answer. It runs in child processes: a library in that
state stays so for the rest of its process.
"""
import os
import pathlib
import re
import subprocess
import sys

import pytest

import tessalib
from tessalib import errors, module, raw


def test_module_information():
    assert module.version() == tessalib.library_version() >= 62201
    assert re.fullmatch(r"[A-Z][a-z]{2} [ 1-3]\d \d{4} \d\d:\d\d:\d\d", module.compile_time())
    name = module.module_name()
    assert os.path.isabs(name) and pathlib.Path(name).resolve() == pathlib.Path(tessalib.library_path()).resolve()
    assert module.platform() == "X64"
    assert module.info() and "\n" not in module.info()


def test_power_up_tests_pass_and_leave_the_library_usable():
    module.power_up_tests()
    tessalib.power_up_tests()
    assert module.is_usable()
    assert tessalib.hash.digest("sha256", b"abc").hex().startswith("ba7816bf")


def faults_library() -> pathlib.Path:
    named = os.environ.get("TESSALIB_FAULTS_LIBRARY")
    if named:
        return pathlib.Path(named)
    beside = pathlib.Path(tessalib.library_path()).resolve().parent / "libtessalib_faults.so"
    if not beside.is_file():
        pytest.skip("the test build libtessalib_faults.so is not here (TESSALIB_FAULTS_LIBRARY names it)")
    return beside


FAILED_STATE = r'''
import threading, tessalib
from tessalib import aead, cipher, compress, crc, hash, kdf, mac, module, rng, wrap, errors

def refused(call):
    try:
        call()
    except tessalib.SelfTestFailedError as e:
        assert e.code == 23 and e.name == "TEST_FAILED_ERROR", e
        return True
    return False

assert not module.is_usable()
# The API_ exports answer.
assert module.version() >= 62201 and module.platform() == "X64" and "faults" in module.module_name()
assert module.info()
# Every result class refuses: lengths, statuses, handles and values.
checks = {
    "digest": lambda: hash.digest("sha256", b"abc"),
    "streaming digest": lambda: hash.new("sha256"),
    "hmac": lambda: mac.mac("hmac-sha256", b"key", b"data"),
    "aead": lambda: aead.encrypt("aes128-gcm", bytes(16), bytes(12), b"m"),
    "cipher": lambda: cipher.encrypt("aes128/cbc/pkcs5", bytes(16), b"m", iv=bytes(16)),
    "wrap": lambda: wrap.wrap(bytes(16), bytes(16)),
    "pbkdf2": lambda: kdf.pbkdf2("pw", b"salt", 1, 16),
    "key bytes": lambda: rng.key_bytes(16),
    "number": lambda: rng.number(1, 6),
    "compress": lambda: compress.compress(b"data", "zstd"),
    "crc": lambda: crc.crc32(b"123456789"),
}
for what, call in checks.items():
    assert refused(call), what + " was not refused"
# A thread's first call (a new thread state) refuses too.
in_thread = []
t = threading.Thread(target=lambda: in_thread.append(refused(lambda: rng.number(0, 1 << 30))))
t.start(); t.join()
assert in_thread == [True]
assert errors.last_error() == 23
# The power-up tests fail again, and the state stays.
assert refused(module.power_up_tests)
assert refused(tessalib.power_up_tests)
assert not module.is_usable()
print("refused")
'''


@pytest.mark.parametrize("fault", ["sha256", "aes", "hmac-sha512", "health", "integrity"])
def test_failed_state_raises_self_test_failed(fault, tmp_path):
    options = tmp_path / "options"
    options.write_text(f"NoMessageBox=1\nErrorLogDir={tmp_path}\n")
    env = dict(os.environ, TESSALIB_LIBRARY=str(faults_library()), TESSALIB_TEST_FAULT=fault,
               TESSALIB_OPTIONS_FILE=str(options))
    out = subprocess.run([sys.executable, "-c", FAILED_STATE], capture_output=True, text=True, env=env, timeout=120)
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip() == "refused"
    # The failed check was reported in the error log, not on the screen.
    assert "Tessalib (c0001f4" in (tmp_path / "apierr.log").read_text()


def test_faults_library_without_a_fault_serves(tmp_path):
    options = tmp_path / "options"
    options.write_text(f"NoMessageBox=1\nErrorLogDir={tmp_path}\n")
    env = dict(os.environ, TESSALIB_LIBRARY=str(faults_library()), TESSALIB_OPTIONS_FILE=str(options))
    env.pop("TESSALIB_TEST_FAULT", None)
    code = ("import tessalib\nfrom tessalib import module, rng\n"
            "module.power_up_tests(); assert module.is_usable()\n"
            "assert all(rng.number(0, 0) == 0 for _ in range(3))\nprint('served')\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=env, timeout=120)
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip() == "served"
