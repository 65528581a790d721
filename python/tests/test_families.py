"""A known answer (published vectors) and a round trip per family."""
import os

import pytest

import tessalib
from tessalib import aead, cipher, codec, gcm, hash, kdf, mac, rng, stream, wrap, xof

H = bytes.fromhex
KEY16 = H("000102030405060708090a0b0c0d0e0f")


# --- codec ------------------------------------------------------------------
@pytest.mark.parametrize("data, hex_text, b64_text", [
    (b"", "", ""), (b"f", "66", "Zg=="), (b"foob", "666F6F62", "Zm9vYg=="), (b"foobar", "666F6F626172", "Zm9vYmFy"),
])
def test_codec_rfc4648(data, hex_text, b64_text):
    assert codec.to_hex(data) == hex_text and codec.from_hex(hex_text.lower()) == data
    assert codec.to_b64(data) == b64_text and codec.from_b64(b64_text) == data


def test_codec_lenient_forms_and_filters():
    assert codec.from_hex("de:ad be-ef") == H("deadbeef")
    assert codec.hex_filter("de:ad\0BE-ef") == "deadBEef"
    assert codec.b64_filter("Zm9v\r\nYg==") == "Zm9vYg=="
    assert codec.utf8_from_utf16("aé€") == "aé€".encode()
    assert codec.short_path_name(__file__) == __file__


# --- hash -------------------------------------------------------------------
@pytest.mark.parametrize("alg, digest_hex", [
    ("sha1", "a9993e364706816aba3e25717850c26c9cd0d89d"),
    ("sha3-256", "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"),
    ("ripemd160", "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc"),
    ("md2", "da853b0d3f88d99b30283a69e6ded6bb"),
])
def test_hash_fips_and_rfc_vectors(alg, digest_hex):
    assert hash.hexdigest(alg, b"abc") == digest_hex
    assert hash.digest_size(alg) == len(digest_hex) // 2


def test_hash_double_files_and_bits(tmp_path):
    once = hash.digest("sha256", b"abc")
    assert hash.digest("sha256", b"abc", double=True) == hash.digest("sha256", once)
    p = tmp_path / "f.txt"
    p.write_bytes(b"line\r\nend\x1atail")
    assert hash.file_digest("sha256", p) == hash.digest("sha256", p.read_bytes())
    assert hash.file_digest("sha256", p, text_mode=True) == hash.digest("sha256", b"line\nend")
    # A 5-bit string 01101 in the top bits of a byte: SHA-3 ignores the unused low bits.
    assert hash.bits_digest("sha3-256", b"\x68", 5) == hash.bits_digest("sha3-256", b"\x6f", 5)
    assert hash.bits_digest("sha256", b"\x68", 5) != hash.digest("sha256", b"\x68")
    assert hash.bits_digest("sha256", b"abc", 24) == hash.digest("sha256", b"abc")


def test_hash_streaming_round_trip():
    data = os.urandom(5000)
    with hash.new("sha3-512") as h:
        for i in range(0, len(data), 777):
            h.update(data[i:i + 777])
        assert h.digest() == hash.digest("sha3-512", data)
    assert h.closed


# --- mac, xof ---------------------------------------------------------------
def test_mac_rfc_vectors():
    # RFC 4493 example 1 (empty message), RFC 8439 2.5.2 (Poly1305)
    assert mac.mac("cmac-aes128", H("2b7e151628aed2a6abf7158809cf4f3c"), b"") == H("bb1d6929e95937287fa37d129b756746")
    key = H("85d6be7857556d337f4452fe42d506a80103808afb0db2fd4abff6af4149f51b")
    assert mac.mac("poly1305", key, b"Cryptographic Forum Research Group") == H("a8061dc1305136c6c22b8baf0c0127a9")
    # KMAC128 through PRF_ with 32 bytes and no customization equals MAC_KMAC128
    assert xof.kmac("kmac128", b"k", b"d", 32) == mac.mac("kmac128", b"k", b"d")


def test_mac_verify_and_streaming():
    tag = mac.mac("hmac-sha512", b"key", b"message")
    mac.verify("hmac-sha512", b"key", b"message", tag)
    mac.verify("hmac-sha512", b"key", b"message", tag[:16])
    with pytest.raises(tessalib.AuthenticationError):
        mac.verify("hmac-sha512", b"key", b"messagE", tag)
    with mac.new("hmac-sha512", b"key") as m:
        m.update(b"mess")
        m.update(b"age")
        assert m.digest() == tag


def test_xof_vectors():
    assert xof.xof("shake128", b"", 8) == H("7f9c2ba4e88f827d")
    assert xof.xof("shake256", b"abc", 64)[:32] == xof.xof("shake256", b"abc", 32)
    # MGF1-SHA1 of "foo", 3 bytes (the example used by RFC 8017 implementations)
    assert xof.xof("mgf1-sha1", b"foo", 3) == H("1ac907")


# --- kdf --------------------------------------------------------------------
def test_kdf_rfc_vectors():
    # RFC 6070 case 2 and RFC 7914 section 12, second case
    assert kdf.pbkdf2("password", b"salt", 2, 20, "sha1") == H("ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957")
    assert kdf.scrypt("password", b"NaCl", 1024, 8, 16, 64) == H(
        "fdbabe1c9d3472007856e7190d01e9fe7c6ad7cbc8237830e77376634b373162"
        "2eaf30d92e22a3886ff109279d9830dac727afb94a83ee6d8360cbdfa2cc0640")


# --- rng --------------------------------------------------------------------
def test_rng_sizes_range_and_seed_file(tmp_path):
    a, b = rng.key_bytes(32), rng.key_bytes(32, seed=b"extra")
    assert len(a) == len(b) == 32 and a != b
    assert len(rng.nonce(12)) == 12 and rng.key_bytes(0) == b""
    assert all(1 <= rng.number(1, 6) <= 6 for _ in range(50))
    assert rng.number(5, 5) == 5
    seed = tmp_path / "seed.dat"
    rng.make_seed_file(seed, console=False)     # no terminal: no prompt
    first = seed.read_bytes()
    assert len(first) == 128 and (seed.stat().st_mode & 0o777) == 0o600
    rng.update_seed_file(seed)
    assert seed.read_bytes() != first and len(seed.read_bytes()) == 128
    assert rng.initialize(seed) == 0
    assert rng.initialize() in (0, 1, 2, 3)
    assert rng.self_test(tmp_path / "report.txt") in (True, False)
    assert (tmp_path / "report.txt").stat().st_size > 0


# --- aead, gcm --------------------------------------------------------------
def test_aead_gcm_vector_and_layouts():
    # Test case 2 of the GCM paper (McGrew and Viega): zero key, zero IV, one zero block.
    ct_tag = H("0388dace60b6a392f328c2b971b2fe78" "ab6e47d42cec13bdf53a67b21257bddf")
    assert aead.encrypt("aes128-gcm", bytes(16), bytes(12), bytes(16)) == ct_tag
    assert aead.encrypt_detached("aes128-gcm", bytes(16), bytes(12), bytes(16)) == (ct_tag[:16], ct_tag[16:])
    assert gcm.encrypt(bytes(16), bytes(12), bytes(16)) == (ct_tag[:16], ct_tag[16:])
    assert aead.decrypt("aes128-gcm", bytes(16), ct_tag, bytes(12)) == bytes(16)
    assert gcm.decrypt(bytes(16), bytes(12), ct_tag[:16], ct_tag[16:]) == bytes(16)


@pytest.mark.parametrize("alg", ["aes128-gcm", "aes256-gcm", "chacha20-poly1305", "ascon128", "ascon128a"])
def test_aead_round_trip(alg):
    key = rng.key_bytes(aead.KEY_SIZES[alg])
    seq = aead.NonceSequence(aead.NONCE_SIZES[alg])
    for msg in (b"", b"x", os.urandom(1000)):
        sealed = aead.encrypt(alg, key, seq.next(), msg, b"header", prefix_nonce=True)
        assert len(sealed) == aead.NONCE_SIZES[alg] + len(msg) + 16
        assert aead.decrypt(alg, key, sealed, aad=b"header", prefix_nonce=True) == msg


def test_aead_incremental_and_gcm_key():
    key, nonce = rng.key_bytes(32), rng.nonce(12)
    whole = aead.encrypt("chacha20-poly1305", key, nonce, b"attack at dawn", b"hdr")
    with aead.new("chacha20-poly1305", key) as ctx:
        ctx.start(nonce, b"hdr")
        ct = ctx.update(b"attack ") + ctx.update(b"at dawn")
        assert ct + ctx.finish_encrypt() == whole
        ctx.start(nonce, b"hdr", tag=whole[-16:])
        assert ctx.update(ct) == b"attack at dawn"
        ctx.finish_decrypt()
    with gcm.GcmKey(bytes(24)) as k:
        ct, tag = k.encrypt(b"any length iv", b"data", b"aad", tag_size=12)
        assert len(tag) == 12 and k.decrypt(b"any length iv", ct, tag, b"aad") == b"data"


def test_nonce_sequence_never_repeats_and_stops():
    seq = aead.NonceSequence(prefix=bytes(4))
    assert [seq.next() for _ in range(3)] == [bytes(4) + i.to_bytes(8, "big") for i in range(3)]
    end = aead.NonceSequence(prefix=bytes(4), start=(1 << 64) - 1)
    end.next()
    with pytest.raises(tessalib.BadParameterError):
        end.next()


# --- cipher, wrap, stream ---------------------------------------------------
def test_cipher_known_answers():
    # FIPS-197 C.1; the DES CBC example of FIPS 81; Blowfish's zero-key vector
    assert cipher.encrypt("aes128/ecb/nopadding", KEY16, H("00112233445566778899aabbccddeeff")) == \
        H("69c4e0d86a7b0430d8cdb78070b4c55a")
    assert cipher.decrypt("des/cbc/nopadding", H("0123456789abcdef"),
                          H("E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6"),
                          iv=H("1234567890abcdef")) == b"Now is the time for all "
    assert cipher.encrypt("blowfish/ecb/nopadding", bytes(8), bytes(8)) == H("4ef997456198dd78")
    assert cipher.pad(b"abc", 8) == b"abc" + bytes([5]) * 5
    assert cipher.pad(b"abc", 8, "oneandzeroes") == b"abc\x80" + bytes(4)
    assert cipher.unpad(b"abc" + bytes(4) + b"\x05", 8, "ansix923") == b"abc"


@pytest.mark.parametrize("alg_mode, key_len", [
    ("aes128/cbc/pkcs5", 16), ("aes192/ctr", 24), ("aes256/cfb", 32), ("tdea/cbc/w3c", 24), ("aes128/ofb", 16),
    ("aes256/ecb/ansix923", 32), ("des/cbc/pkcs5", 8), ("blowfish/ctr", 16), ("blowfish/ecb/oneandzeroes", 5),
])
def test_cipher_round_trip(alg_mode, key_len):
    key = rng.key_bytes(key_len)
    iv = rng.nonce(cipher.block_size(alg_mode))
    for msg in (b"", b"short", os.urandom(100)):
        ct = cipher.encrypt(alg_mode, key, msg, iv=iv)
        assert cipher.decrypt(alg_mode, key, ct, iv=iv) == msg
        pre = cipher.encrypt(alg_mode, key, msg, iv=iv, prefix_iv=True)
        assert pre.startswith(iv) and cipher.decrypt(alg_mode, key, pre, prefix_iv=True) == msg


def test_cipher_texts_are_read_by_the_library():
    key, iv = bytes(16), bytes(16)
    ct = cipher.encrypt("aes128/cbc/pkcs5", key, b"x", iv=iv)
    for text in ("AES-128/CBC/PKCS5Padding", "aes128 cbc", "AES128-CBC", "aes128cbcpkcs5"):
        assert cipher.encrypt(text, key, b"x", iv=iv) == ct, text
    with pytest.raises(tessalib.BadParameterError):
        cipher.encrypt("aes128/xyz", key, b"x", iv=iv)
    with pytest.raises(tessalib.BadParameterError):
        cipher.encrypt("des/xyz", bytes(8), b"x", iv=bytes(8))


def test_cipher_streaming_context():
    key, iv, data = rng.key_bytes(16), rng.nonce(16), os.urandom(64)
    whole = cipher.encrypt("aes128/cbc/nopadding", key, data, iv=iv)
    with cipher.new("aes128/cbc", key, iv=iv) as c:
        assert c.update(data[:32]) + c.update(data[32:]) == whole
    with cipher.new("aes128/cbc", key, iv=iv, encrypt=False) as c:
        assert c.update(whole) == data


def test_wrap_rfc3394_and_tdea_round_trip():
    kek, key = KEY16, H("00112233445566778899aabbccddeeff")
    wrapped = wrap.wrap(kek, key)
    assert wrapped == H("1fa68b0a8112b447aef34bd8fb5a7b829d3e862371d2cfe5")
    assert wrap.unwrap(kek, wrapped) == key
    tkey = rng.key_bytes(24)
    tw = wrap.wrap(bytes(range(24)), tkey, "tdea")
    assert len(tw) == 40 and wrap.unwrap(bytes(range(24)), tw, "tdea") == tkey


def test_stream_vectors_and_files(tmp_path):
    # RFC 8439 2.4.2: ChaCha20 with counter 1
    key = bytes(range(32))
    text = (b"Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, "
            b"sunscreen would be it.")
    ct = stream.crypt("chacha20", key, text, iv=H("000000000000004a00000000"), counter=1)
    assert ct[:16] == H("6e2e359a2568f98041ba0728dd0d6981")
    assert stream.crypt("arcfour", b"Key", b"Plaintext") == H("bbf316e8d940af0ad3")
    with stream.new("salsa20", key, iv=bytes(8)) as s:
        split = s.update(text[:10]) + s.update(text[10:])
    assert split == stream.crypt("salsa20", key, text, iv=bytes(8))
    src, enc, dec = tmp_path / "in", tmp_path / "enc", tmp_path / "dec"
    src.write_bytes(text)
    stream.crypt_file("chacha20", key, src, enc, iv=bytes(12))
    stream.crypt_file("chacha20", key, enc, dec, iv=bytes(12))
    assert dec.read_bytes() == text


def test_library_version():
    assert tessalib.library_version() == 62201


def _cavp_records(path):
    """(header fields, record fields) of a CAVP .rsp file."""
    header, record = {}, {}
    for line in path.read_text().splitlines() + [""]:
        line = line.strip()
        if line.startswith("[") and "=" in line:
            k, v = line[1:-1].split("=", 1)
            header[k.strip()] = v.strip()
        elif "=" in line and not line.startswith("#"):
            k, v = line.split("=", 1)
            k = k.strip()
            if k == "AdditionalInput" and k in record:
                k = "AdditionalInput#2"
            record[k] = v.strip()
        elif not line and "ReturnedBits" in record:
            yield dict(header), record
            record = {}


def test_rng_known_answer_through_the_raw_layer():
    # The generator itself cannot be given inputs; RNG_TestDRBGVS runs its
    # HMAC_DRBG (SHA-512) on NIST CAVP inputs. Through tessalib.raw, as any
    # export without a Pythonic wrapper is called.
    import ctypes
    import pathlib
    from tessalib import raw
    path = pathlib.Path(__file__).resolve().parents[2] / "tests" / "vectors" / "drbg" / "HMAC_DRBG_SHA512_pr_false.rsp"
    checked = 0
    for header, r in _cavp_records(path):
        bits = int(header["ReturnedBitsLen"])
        out = ctypes.create_string_buffer(bits // 4 + 1)
        fields = [r.get(k, "").encode() for k in ("EntropyInput", "Nonce", "PersonalizationString",
                                                  "AdditionalInput", "EntropyInputReseed", "AdditionalInputReseed",
                                                  "AdditionalInput#2")]
        n = raw.RNG_TestDRBGVS(out, bits // 4, bits, *fields, 0)
        assert n == bits // 4 and out.value.decode() == r["ReturnedBits"]
        checked += 1
        if checked == 20:
            break
    assert checked == 20
