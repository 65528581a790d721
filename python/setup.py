"""The wheel is pure Python unless a built library was put into
src/tessalib/lib/ (tools/bundle.py does that); then it is tagged for this
platform, since it carries native code."""
import pathlib

from setuptools import setup
from setuptools.dist import Distribution

lib_dir = pathlib.Path(__file__).resolve().parent / "src" / "tessalib" / "lib"
carries_library = lib_dir.is_dir() and any(
    p.name.startswith("libtessalib") or p.name.lower() == "tessalib.dll" for p in lib_dir.iterdir())


class BinaryDistribution(Distribution):
    def has_ext_modules(self):
        return carries_library


setup(distclass=BinaryDistribution)
