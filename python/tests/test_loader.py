"""Finding the library: the environment variable, a packaged copy, the system loader."""
import os
import subprocess
import sys

import tessalib
from tessalib import _loader


def run(code, **env_changes):
    env = dict(os.environ)
    for k, v in env_changes.items():
        if v is None:
            env.pop(k, None)
        else:
            env[k] = v
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=env, timeout=60)


def test_the_environment_variable_comes_first():
    assert _loader.candidates()[0] == os.environ["TESSALIB_LIBRARY"]
    assert os.path.samefile(tessalib.library_path(), os.environ["TESSALIB_LIBRARY"])


def test_a_named_library_that_cannot_load_is_an_error_not_a_fallback(tmp_path):
    out = run("import tessalib; tessalib.library_version()", TESSALIB_LIBRARY=str(tmp_path / "nothing.so"))
    assert out.returncode != 0
    assert "TESSALIB_LIBRARY=" in out.stderr and "cannot be loaded" in out.stderr


def test_the_system_names_follow():
    names = _loader.candidates()
    assert names[-len(_loader.SYSTEM_NAMES):] == _loader.SYSTEM_NAMES
    assert "libtessalib.so.6" in _loader.SYSTEM_NAMES or "Tessalib.dll" in _loader.SYSTEM_NAMES


def test_the_system_loader_is_used_without_the_variable():
    # LD_LIBRARY_PATH makes the build directory part of the system's search.
    lib_dir = os.path.dirname(os.environ["TESSALIB_LIBRARY"])
    out = run("import tessalib; print(tessalib.library_version(), tessalib.library_path())",
              TESSALIB_LIBRARY=None, LD_LIBRARY_PATH=lib_dir)
    assert out.returncode == 0, out.stderr
    version, path = out.stdout.split()
    assert version == "62201" and path in _loader.SYSTEM_NAMES + _loader.candidates()
