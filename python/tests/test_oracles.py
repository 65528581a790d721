"""hashlib and hmac of the standard library as oracles for the digests and HMACs."""
import hashlib
import hmac
import os

import pytest

from tessalib import hash, kdf, mac, xof

HASHES = [("sha1", "sha1"), ("md5", "md5"), ("sha224", "sha224"), ("sha256", "sha256"), ("sha384", "sha384"),
          ("sha512", "sha512"), ("sha3-224", "sha3_224"), ("sha3-256", "sha3_256"), ("sha3-384", "sha3_384"),
          ("sha3-512", "sha3_512")]
# Lengths around every block size (64, 72, 104, 128, 136, 144).
LENGTHS = [0, 1, 55, 56, 63, 64, 65, 71, 72, 103, 104, 111, 112, 127, 128, 135, 136, 143, 144, 1000, 70000]
STREAMING = {"sha1", "sha224", "sha256", "sha384", "sha512", "sha3-224", "sha3-256", "sha3-384", "sha3-512"}


@pytest.mark.parametrize("ours, theirs", HASHES)
def test_digests_match_hashlib(ours, theirs):
    for n in LENGTHS:
        data = os.urandom(n)
        assert hash.digest(ours, data) == hashlib.new(theirs, data).digest(), (ours, n)
        if ours in STREAMING:
            h = hash.new(ours)
            for i in range(0, n, 61):
                h.update(data[i:i + 61])
            assert h.digest() == hashlib.new(theirs, data).digest(), (ours, n)


@pytest.mark.parametrize("ours, theirs", HASHES)
def test_hmacs_match_hmac(ours, theirs):
    for key_len in (0, 1, 20, 64, 72, 128, 136, 200):
        key, data = os.urandom(key_len), os.urandom(key_len * 3 + 1)
        expected = hmac.new(key, data, theirs).digest()
        assert mac.mac("hmac-" + ours, key, data) == expected, (ours, key_len)
        if ours in STREAMING and key_len > 0:
            m = mac.new("hmac-" + ours, key)
            m.update(data[:7])
            m.update(data[7:])
            assert m.digest() == expected


@pytest.mark.parametrize("n", [0, 1, 167, 168, 169, 1000])
def test_shake_matches_hashlib(n):
    data = os.urandom(n)
    assert xof.xof("shake128", data, 200) == hashlib.shake_128(data).digest(200)
    assert xof.xof("shake256", data, 137) == hashlib.shake_256(data).digest(137)


@pytest.mark.parametrize("prf", ["sha1", "sha224", "sha256", "sha384", "sha512"])
def test_pbkdf2_and_scrypt_match_hashlib(prf):
    salt = os.urandom(16)
    assert kdf.pbkdf2(b"pw", salt, 1000, 70, prf) == hashlib.pbkdf2_hmac(prf, b"pw", salt, 1000, 70)
    assert kdf.scrypt(b"pw", salt, 256, 4, 2, 40) == hashlib.scrypt(b"pw", salt=salt, n=256, r=4, p=2, dklen=40)
