"""Files, compression, CRC-32 and wiping: round trips, known answers, the
standard library's zlib as an oracle, every failure raised."""
import os
import zlib

import pytest

import tessalib
from tessalib import cipher, compress, crc, files, raw, wipe

KEY16 = bytes(range(16))
IV16 = bytes(range(16, 32))


@pytest.mark.parametrize("alg_mode, key, iv", [
    ("aes128/cbc", KEY16, IV16),
    ("aes256/ctr", bytes(32), IV16),
    ("aes192/ecb/oneandzeroes", bytes(24), None),
    ("tdea/cbc/ansix923", bytes(range(24)), bytes(8)),
    ("des/cbc", bytes.fromhex("0123456789ABCDEF"), bytes(8)),
    ("blowfish/cfb", b"blowfish key", bytes(8)),
])
@pytest.mark.parametrize("size", [0, 1, 15, 16, 4097, 65537])
def test_file_round_trip_matches_memory(tmp_path, alg_mode, key, iv, size):
    plain = os.urandom(size)
    src, enc, dec = tmp_path / "p", tmp_path / "e", tmp_path / "d"
    src.write_bytes(plain)
    files.encrypt_file(alg_mode, key, src, enc, iv=iv)
    # In ECB and CBC a file is always padded: it is what the in-memory
    # functions give with their default padding.
    assert enc.read_bytes() == cipher.encrypt(alg_mode, key, plain, iv=iv)
    files.decrypt_file(alg_mode, key, enc, dec, iv=iv)
    assert dec.read_bytes() == plain


def test_file_prefix_iv_and_keep_padding(tmp_path):
    src, enc, dec = tmp_path / "p", tmp_path / "e", tmp_path / "d"
    src.write_bytes(b"abc")
    files.encrypt_file("aes128/cbc", KEY16, src, enc, iv=IV16, prefix_iv=True)
    assert enc.read_bytes()[:16] == IV16 and len(enc.read_bytes()) == 32
    files.decrypt_file("aes128/cbc", KEY16, enc, dec, prefix_iv=True)
    assert dec.read_bytes() == b"abc"
    files.decrypt_file("aes128/cbc", KEY16, enc, dec, prefix_iv=True, keep_padding=True)
    assert dec.read_bytes() == b"abc" + bytes([13]) * 13


def test_file_failures(tmp_path):
    src, enc, dec = tmp_path / "p", tmp_path / "e", tmp_path / "d"
    src.write_bytes(b"keep me")
    # The output is the input under another name: nothing is touched.
    for same in (tmp_path / "." / "p", tmp_path / "link"):
        if same.name == "link":
            os.symlink(src, same)
        with pytest.raises(tessalib.FileError) as e:
            files.encrypt_file("aes128/cbc", KEY16, src, same, iv=IV16)
        assert e.value.name == "DUP_ERROR"
        assert src.read_bytes() == b"keep me"
    with pytest.raises(tessalib.FileError) as e:
        files.encrypt_file("aes128/cbc", KEY16, tmp_path / "missing", enc, iv=IV16)
    assert e.value.name == "OPEN_ERROR"
    with pytest.raises(tessalib.BadKeyLengthError):
        files.encrypt_file("aes128/cbc", bytes(15), src, enc, iv=IV16)
    files.encrypt_file("aes128/cbc", KEY16, src, enc, iv=IV16)
    # A wrong key: bad padding, and no partial output left behind.
    with pytest.raises(tessalib.PaddingError):
        files.decrypt_file("aes128/cbc", bytes(16), enc, dec, iv=IV16)
    assert not dec.exists()
    with pytest.raises(tessalib.PaddingError):
        files.decrypt_file("des/cbc", bytes(8), enc, dec, iv=bytes(8))
    assert not dec.exists()


@pytest.mark.parametrize("method", ["zlib", "zstd"])
@pytest.mark.parametrize("data", [b"", b"a", os.urandom(5000), b"abc" * 100000])
def test_compression_round_trip(method, data):
    packed = compress.compress(data, method)
    assert compress.decompress(packed, method) == data
    if method == "zlib":
        assert zlib.decompress(packed) == data            # a real peer both ways
        assert compress.decompress(zlib.compress(data, 9)) == data
        assert compress.deflate(data) == packed and compress.inflate(packed) == data


def test_compression_failures():
    packed = compress.compress(b"hello hello hello", "zlib")
    with pytest.raises(tessalib.BadParameterError) as e:
        compress.decompress(packed[:-3])
    assert e.value.name == "INVALID_DATA_ERROR"
    with pytest.raises(tessalib.TessalibError):
        compress.decompress(os.urandom(64), "zstd")
    # A Zstandard frame header that declares 2 GiB: refused before allocating.
    frame = bytes.fromhex("28B52FFD") + bytes([0xA0]) + (0x80000000).to_bytes(4, "little") + bytes(8)
    with pytest.raises(tessalib.OutOfMemoryError):
        compress.decompress(frame, "zstd")
    with pytest.raises(tessalib.UnsupportedError):
        compress.compress(b"x", "lzma")


def test_crc32_known_answers_and_zlib_oracle(tmp_path):
    assert crc.crc32(b"123456789") == 0xCBF43926
    assert crc.crc32_text("123456789") == 0xCBF43926
    assert crc.crc32(b"") == crc.crc32_text("") == 0
    for n in (1, 100, 70000):
        data = os.urandom(n)
        assert crc.crc32(data) == zlib.crc32(data)
        f = tmp_path / f"c{n}"
        f.write_bytes(data)
        assert crc.crc32_file(f) == zlib.crc32(data)
    empty = tmp_path / "empty"
    empty.write_bytes(b"")
    assert crc.crc32_file(empty) == 0
    with pytest.raises(tessalib.FileError) as e:
        crc.crc32_file(tmp_path / "missing")
    assert e.value.name == "OPEN_ERROR"


def test_wipe(tmp_path):
    secret = bytearray(b"secret key bytes")
    wipe.wipe_data(secret)
    assert secret == bytearray(16)
    wipe.wipe_data(bytearray())
    with pytest.raises(TypeError):
        wipe.wipe_data(b"immutable")
    for quick in (False, True):
        f = tmp_path / f"w{quick}"
        f.write_bytes(os.urandom(10000))
        wipe.wipe_file(f, quick=quick)
        assert not f.exists()
    with pytest.raises(tessalib.FileError):
        wipe.wipe_file(tmp_path / "missing")
    with pytest.raises(tessalib.FileError):
        wipe.wipe_file(tmp_path)                  # a directory is never touched
    ro = tmp_path / "ro"
    ro.write_bytes(b"x")
    ro.chmod(0o444)
    with pytest.raises(tessalib.FileError):
        wipe.wipe_file(ro)
    assert ro.exists()
