import os
import pathlib

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def header_text() -> str:
    path = pathlib.Path(os.environ.get("TESSALIB_HEADER", REPO / "include" / "tessalib.h"))
    return path.read_text()
