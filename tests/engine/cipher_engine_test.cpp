// The engines under CIPHER_, PAD_, key wrap and the stream ciphers: the
// padding check on every last byte of every scheme against a plain
// reference, padding round trips, the algorithm/mode/padding text and the
// option word's resolution, AES key wrap (RFC 3394's examples, the NIST KW
// files), Triple DES key wrap (RFC 3217's example with its IV), Salsa20 (the
// eSTREAM vectors, every block path), ChaCha20 of the original definition
// (64-bit counter, the counter crossing 2^32) and Arcfour (RFC 6229), and the
// stream context's pieces against one run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "aead/arcfour.h"
#include "aead/chacha20.h"
#include "aead/salsa20.h"
#include "aead/stream_cipher.h"
#include "block/cipher_choice.h"
#include "block/key_wrap.h"
#include "block/modes.h"
#include "block/padding.h"
#include "cipher_vectors.h"
#include "tessalib.h"
#include "test_util.h"
#include "vector_files.h"

namespace {

using tu::Bytes;

const uint32_t kSchemes[] = {CIPHER_PAD_PKCS5, CIPHER_PAD_ONEANDZEROES, CIPHER_PAD_ANSIX923, CIPHER_PAD_W3C};

// --- Padding -----------------------------------------------------------------

// The padding length of a block, written as plainly as the schemes read, or -1.
int reference_padding(const Bytes& block, uint32_t scheme) {
    return cipher_vectors::reference_padding(block.data(), static_cast<int>(block.size()), scheme);
}

TEST(PaddingCheck, EveryLastByteOfEverySchemeMatchesThePlainReading) {
    tu::Prng rng(7);
    for (std::size_t b : {std::size_t{8}, std::size_t{16}}) {
        for (uint32_t scheme : kSchemes) {
            for (int last = 0; last < 256; ++last) {
                // Three blocks per byte: the rest as valid padding of that
                // length would be, all zeros, and random.
                for (int kind = 0; kind < 3; ++kind) {
                    Bytes block = kind == 2 ? rng.bytes(b) : Bytes(b, 0);
                    if (kind == 0) {
                        const uint8_t fill = scheme == CIPHER_PAD_PKCS5 || scheme == CIPHER_PAD_W3C
                                                 ? static_cast<uint8_t>(last)
                                                 : 0;
                        std::fill(block.begin(), block.end(), fill);
                    }
                    block[b - 1] = static_cast<uint8_t>(last);
                    Bytes data = rng.bytes(b);  // a block before it is never read
                    data.insert(data.end(), block.begin(), block.end());
                    const int want = reference_padding(block, scheme);
                    EXPECT_EQ(CheckPadding(data.data(), data.size(), b, scheme), want < 0 ? -DECRYPT_ERROR : want)
                        << "block " << b << ", scheme " << std::hex << scheme << ", last byte " << last << ", kind "
                        << kind;
                }
            }
        }
    }
}

TEST(PaddingCheck, OneAndZeroesFindsItsMarkerAnywhereInTheLastBlock) {
    for (std::size_t b : {std::size_t{8}, std::size_t{16}}) {
        for (std::size_t at = 0; at < b; ++at) {
            Bytes block(b, 0);
            block[at] = 0x80;
            EXPECT_EQ(CheckPadding(block.data(), b, b, CIPHER_PAD_ONEANDZEROES), static_cast<int>(b - at));
            if (at > 0) {
                block[at - 1] = 0x80;  // a byte before the marker is data, whatever it is
                EXPECT_EQ(CheckPadding(block.data(), b, b, CIPHER_PAD_ONEANDZEROES), static_cast<int>(b - at));
            }
        }
    }
}

TEST(Padding, RoundTripsEveryLengthAndScheme) {
    tu::Prng rng(8);
    for (std::size_t b : {std::size_t{8}, std::size_t{16}}) {
        for (uint32_t scheme : kSchemes) {
            for (std::size_t len = 0; len <= 3 * b; ++len) {
                const Bytes data = rng.bytes(len);
                Bytes padded(len + b + 1, 0xEE);
                const int32_t n = PadBlock(padded.data(), padded.size(), data.data(), len, b, scheme);
                ASSERT_EQ(n, static_cast<int32_t>(len + pad_count(len, b)));
                ASSERT_EQ(n % static_cast<int32_t>(b), 0);
                EXPECT_TRUE(std::equal(data.begin(), data.end(), padded.begin()));
                Bytes back(padded.size());
                ASSERT_EQ(UnpadBlock(back.data(), back.size(), padded.data(), static_cast<std::size_t>(n), b, scheme),
                          static_cast<int32_t>(len));
                EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
                // In place, the same buffer in and out.
                ASSERT_EQ(UnpadBlock(padded.data(), padded.size(), padded.data(), static_cast<std::size_t>(n), b,
                                     scheme),
                          static_cast<int32_t>(len));
            }
        }
    }
}

TEST(Padding, WritesTheBytesOfEachScheme) {
    struct Case {
        uint32_t options;
        const char* tail;  // the 3 padding bytes after 13 bytes in 8-byte blocks
    };
    const Case cases[] = {{0, "030303"},
                          {CIPHER_PAD_NONE, "030303"},
                          {CIPHER_PAD_PKCS5, "030303"},
                          {CIPHER_PAD_ONEANDZEROES, "800000"},
                          {CIPHER_PAD_ANSIX923, "000003"},
                          {CIPHER_PAD_W3C, "030303"},
                          {0x60000, "030303"}};
    const Bytes data(13, 0x41);
    for (const Case& c : cases) {
        Bytes out(16);
        ASSERT_EQ(PadBlock(out.data(), out.size(), data.data(), 13, 8, c.options), 16);
        EXPECT_EQ(tu::to_hex(out.data() + 13, 3), c.tail) << std::hex << c.options;
    }
    Bytes out(15);
    EXPECT_EQ(PadBlock(out.data(), out.size(), data.data(), 13, 8, 0), -SHORT_BUF_ERROR);
    EXPECT_EQ(PadBlock(out.data(), out.size(), data.data(), 13, 12, 0), -BAD_BLK_LEN_ERROR);
}

TEST(Padding, UnpadChecksInOrder) {
    Bytes data(16, 0x05);
    Bytes out(16);
    EXPECT_EQ(UnpadBlock(out.data(), 16, data.data(), 16, 12, 0), -BAD_BLK_LEN_ERROR);
    EXPECT_EQ(UnpadBlock(out.data(), 16, data.data(), 15, 16, 0), -BAD_LENGTH_ERROR);
    EXPECT_EQ(UnpadBlock(out.data(), 16, data.data(), 8, 16, 0), -BAD_LENGTH_ERROR);
    EXPECT_EQ(UnpadBlock(out.data(), 10, data.data(), 16, 16, 0), -SHORT_BUF_ERROR);
    EXPECT_EQ(UnpadBlock(out.data(), 11, data.data(), 16, 16, 0), 11);
    data[13] = 0x04;
    EXPECT_EQ(UnpadBlock(out.data(), 16, data.data(), 16, 16, 0), -DECRYPT_ERROR);
}

// --- The algorithm/mode/padding text and the option word --------------------

TEST(CipherChoice, ParsesTheTextsOfEveryForm) {
    struct Case {
        const char* text;
        int32_t want;
    };
    const Case cases[] = {
        {"aes128/cbc/pkcs5padding", 0x20120},
        {"AES-128/CBC/PKCS5Padding", 0x20120},
        {"aes128cbcpkcs5", 0x20120},
        {"Aes128 Cbc Pkcs5", 0x20120},
        {"aes192", 0x30},
        {"aes256/ctr", 0x440},
        {"tdea", 0x10},
        {"3des-ofb", 0x210},
        {"desede3/cfb/nopad", 0x10310},
        {"DESede/ECB/NoPadding", 0x10010},
        {"aes128cbcnopad", 0x10120},
        {"aes128/ecb/oneandzeroespadding", 0x30020},
        {"aes128/ecb/OneAndZeroes", 0x30020},
        {"aes128/cbc/ansix923", 0x40120},
        {"aes128/cbc/ANSIX923Padding", 0x40120},
        {"aes128/cbc/w3c", 0x50120},
        {"aes128/cbc/W3CPadding", 0x50120},
        {"aes128_cbc.pkcs5", 0x20120},
        {"", -1},
        {"---", -1},
        {"aes", -1},
        {"aes512", -1},
        {"des", -1},
        {"aes128/xyz", -1},
        {"aes128/cbc/pkcs7", -1},
        {"aes128/cbc/pkcs5/x", -1},
        {"aes128/pkcs5", -1},
        {"aes128/cb", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(cipher_parse_alg_mode(c.text), c.want) << c.text;
    // Separators do not count however many there are; a text of many
    // letters is read up to its 64th and refused.
    const std::string spaced = "aes128" + std::string(1000, '-') + "cbc" + std::string(1000, ' ');
    EXPECT_EQ(cipher_parse_alg_mode(spaced.c_str()), 0x120);
    const std::string long_text = "aes128cbc" + std::string(100000, 'x');
    EXPECT_EQ(cipher_parse_alg_mode(long_text.c_str()), -1);
}

TEST(CipherChoice, ResolvesInTheStatedOrder) {
    struct Case {
        const char* what;
        const char* text;
        uint32_t options;
        int32_t key_len, iv_len;
        bool check_iv;
        int32_t want;
    };
    const Case cases[] = {
        {"text and algorithm bits", "aes128-cbc", 0x10, 16, 16, true, -BAD_FLAG_ERROR},
        {"neither", nullptr, 0x100, 16, 16, true, -BAD_FLAG_ERROR},
        {"empty text counts as none", "", 0x100, 16, 16, true, -BAD_FLAG_ERROR},
        {"bad text", "aes128/xyz", 0, 16, 16, true, -BAD_PARAM_ERROR},
        {"bad mode field", nullptr, 0x520, 16, 16, true, -BAD_MODE_ERROR},
        {"bad algorithm field", nullptr, 0x50, 16, 16, true, -INTERNAL_ERROR},
        {"key length", nullptr, 0x20, 24, 16, true, -BAD_KEY_LEN_ERROR},
        {"negative key length", nullptr, 0x20, -16, 16, true, -BAD_KEY_LEN_ERROR},
        {"IV length", "tdea/cbc", 0, 24, 16, true, -BAD_IV_LEN_ERROR},
        {"IV not checked in ECB", "tdea", 0, 24, 3, true, 0},
        {"IV not checked when asked not to", "aes128/cbc", 0, 16, 0, false, 0},
        {"good", nullptr, 0x20420, 32, 16, true, -BAD_KEY_LEN_ERROR},
        {"good", nullptr, 0x20440, 32, 16, true, 0},
    };
    for (const Case& c : cases) {
        CipherChoice choice;
        EXPECT_EQ(cipher_resolve(&choice, c.text, c.options, c.key_len, c.iv_len, c.check_iv), c.want) << c.what;
    }
}

TEST(CipherChoice, KeepsOtherBitsAndPadsOnlyInEcbAndCbc) {
    CipherChoice choice;
    // The text's fields replace the caller's; OPT_PREFIX_IV stays.
    ASSERT_EQ(cipher_resolve(&choice, "aes256/ofb", 0xF0F00 | OPT_PREFIX_IV, 32, 16, true), 0);
    EXPECT_EQ(choice.options, 0x240u | OPT_PREFIX_IV);
    EXPECT_EQ(choice.mode, kModeOfb);
    EXPECT_TRUE(choice.prefix_iv);
    EXPECT_EQ(choice.padding, 0u);
    struct Case {
        uint32_t options;
        int32_t mode;
        uint32_t padding;
    };
    const Case cases[] = {
        {0x20, kModeEcb, CIPHER_PAD_PKCS5},          {0x120, kModeCbc, CIPHER_PAD_PKCS5},
        {0x10120, kModeCbc, 0},                       {0x30120, kModeCbc, CIPHER_PAD_ONEANDZEROES},
        {0x40120, kModeCbc, CIPHER_PAD_ANSIX923},     {0x50120, kModeCbc, CIPHER_PAD_W3C},
        {0x60120, kModeCbc, 0},                       {0xF0120, kModeCbc, 0},
        {0x20220, kModeOfb, 0},                       {0x20320, kModeCfb, 0},
        {0x20420, kModeCtr, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(cipher_resolve(&choice, nullptr, c.options, 16, 16, true), 0);
        EXPECT_EQ(choice.mode, c.mode) << std::hex << c.options;
        EXPECT_EQ(choice.padding, c.padding) << std::hex << c.options;
    }
}

// --- Key wrap -------------------------------------------------------------------

using cipher_vectors::kRfc3394;
using cipher_vectors::WrapExample;

TEST(AesKeyWrap, ReproducesTheRfc3394Examples) {
    for (const WrapExample& e : kRfc3394) {
        const Bytes kek = tu::from_hex(e.kek), key = tu::from_hex(e.key), wrapped = tu::from_hex(e.wrapped);
        Bytes out(key.size() + 8);
        aes_key_wrap(out.data(), kek.data(), kek.size(), key.data(), key.size());
        EXPECT_EQ(tu::to_hex(out), e.wrapped);
        Bytes back(key.size());
        ASSERT_EQ(aes_key_unwrap(back.data(), back.size(), kek.data(), kek.size(), wrapped.data(), wrapped.size()), 0);
        EXPECT_EQ(back, key);
        // In place both ways.
        Bytes inplace = key;
        inplace.resize(key.size() + 8);
        std::memmove(inplace.data() + 8, inplace.data(), key.size());
        aes_key_wrap(inplace.data(), kek.data(), kek.size(), inplace.data() + 8, key.size());
        EXPECT_EQ(inplace, wrapped);
        ASSERT_EQ(aes_key_unwrap(inplace.data(), inplace.size(), kek.data(), kek.size(), inplace.data(),
                                 inplace.size()),
                  0);
        EXPECT_TRUE(std::equal(key.begin(), key.end(), inplace.begin()));
    }
}

// The NIST CAVP KW files (SP 800-38F) of the pyca/cryptography collection:
// AE wraps, AD unwraps (a block without P must fail).
TEST(AesKeyWrap, MatchesTheNistKwFiles) {
    for (const char* bits : {"128", "192", "256"}) {
        for (const char* dir : {"AE", "AD"}) {
            const std::string file = std::string("keywrap/kwtestvectors/KW_") + dir + "_" + bits + ".txt";
            int cases = 0, failures = 0;
            for (const tv::Record& r : tv::read_vector_file(tu::pyca_vector_path(file))) {
                const Bytes kek = r.bytes("K"), c = r.bytes("C");
                if (c.size() < 24) continue;  // the files' 8-byte keys, which this wrap refuses
                ++cases;
                if (dir[1] == 'E') {
                    const Bytes p = r.bytes("P");
                    Bytes out(p.size() + 8);
                    aes_key_wrap(out.data(), kek.data(), kek.size(), p.data(), p.size());
                    EXPECT_EQ(out, c) << r.where(file);
                } else {
                    Bytes out(c.size() - 8 + 5, 0x5A);
                    const int32_t rc = aes_key_unwrap(out.data(), out.size(), kek.data(), kek.size(), c.data(), c.size());
                    if (r.has("P")) {
                        EXPECT_EQ(rc, 0) << r.where(file);
                        EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(c.size() - 8)), r.bytes("P"))
                            << r.where(file);
                    } else {
                        ++failures;
                        EXPECT_EQ(rc, kKeyUnwrapIntegrity) << r.where(file);
                        EXPECT_EQ(out, Bytes(out.size(), 0)) << r.where(file);  // all of it zeroed
                    }
                }
            }
            EXPECT_GT(cases, 100) << file;
            if (dir[1] == 'D') {
                EXPECT_GT(failures, 10) << file;
            }
        }
    }
}

TEST(TdeaKeyWrap, ReproducesTheRfc3217ExampleWithItsIv) {
    const Bytes kek = tu::from_hex("255E0D1C07B646DFB3134CC843BA8AA71F025B7C0838251F");
    const Bytes cek = tu::from_hex("2923BF85E06DD6AE529149F1F1BAE9EAB3A7DA3D860D3E98");
    const Bytes iv = tu::from_hex("5DD4CBFC96F5453B");
    const std::string want =
        "690107618EF092B3B48CA1796B234AE9FA33EBB4159604037DB5D6A84EB3AAC2768C632775A467D4";
    uint8_t out[40];
    tdea_key_wrap_iv(out, kek.data(), cek.data(), iv.data());
    EXPECT_EQ(tu::to_hex(out, 40), want);
    uint8_t back[24];
    ASSERT_EQ(tdea_key_unwrap(back, 24, kek.data(), tu::from_hex(want).data()), 0);
    EXPECT_EQ(Bytes(back, back + 24), cek);
}

TEST(TdeaKeyWrap, RandomWrapsDifferAndUnwrapToTheKey) {
    tu::Prng rng(9);
    const Bytes kek = rng.bytes(24), key = rng.bytes(24);
    uint8_t a[40], b[40];
    tdea_key_wrap(a, kek.data(), key.data());
    tdea_key_wrap(b, kek.data(), key.data());
    EXPECT_NE(Bytes(a, a + 40), Bytes(b, b + 40));
    for (const uint8_t* w : {a, b}) {
        uint8_t back[30];
        ASSERT_EQ(tdea_key_unwrap(back, 30, kek.data(), w), 0);
        EXPECT_EQ(Bytes(back, back + 24), key);
    }
    // Any one bit changed fails the check and leaves zeros.
    for (int bit = 0; bit < 320; bit += 7) {
        uint8_t bad[40];
        std::memcpy(bad, a, 40);
        bad[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        uint8_t back[30];
        std::memset(back, 0x77, sizeof back);
        EXPECT_EQ(tdea_key_unwrap(back, 30, kek.data(), bad), kKeyUnwrapIntegrity);
        EXPECT_EQ(Bytes(back, back + 30), Bytes(30, 0));
    }
}

TEST(KeyUnwrapVerdict, ZeroesTheWholeOutputOnAMismatchOnly) {
    const uint8_t a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t out[12];
    std::memset(out, 0x33, sizeof out);
    EXPECT_EQ(key_unwrap_verdict(a, b, 8, out, sizeof out), 0);
    EXPECT_EQ(out[11], 0x33);
    b[7] ^= 0x80;
    EXPECT_EQ(key_unwrap_verdict(a, b, 8, out, sizeof out), kKeyUnwrapIntegrity);
    EXPECT_EQ(Bytes(out, out + 12), Bytes(12, 0));
}

// --- Stream ciphers ---------------------------------------------------------------

const ArxPath kPaths[] = {ArxPath::portable, ArxPath::sse2, ArxPath::avx2, ArxPath::avx512vl};

// The keystream at a byte offset of a published vector: whole blocks by a
// block path from the offset's block on, then the bytes wanted.
template <typename Seek, typename Xor>
Bytes keystream_at(uint64_t offset, std::size_t len, Seek seek, Xor xor_blocks) {
    const uint64_t first = offset / 64;
    const std::size_t skip = static_cast<std::size_t>(offset % 64);
    const std::size_t blocks = (skip + len + 63) / 64;
    Bytes zeros(64 * blocks, 0), out(64 * blocks);
    seek(first);
    xor_blocks(out.data(), zeros.data(), blocks);
    return Bytes(out.begin() + static_cast<long>(skip), out.begin() + static_cast<long>(skip + len));
}

TEST(Salsa20Engine, ReproducesTheEstreamVectorsOnEveryPath) {
    const std::string file = tu::vector_path("estream/salsa20_keystream.txt");
    const auto records = tv::read_vector_file(file);
    ASSERT_GE(records.size(), 9u);
    for (ArxPath path : kPaths) {
        if (!arx_path_available(path)) continue;
        for (const tv::Record& r : records) {
            const Bytes key = r.bytes("Key"), iv = r.bytes("IV"), want = r.bytes("Keystream");
            const uint64_t offset = static_cast<uint64_t>(r.number("Offset"));
            Salsa20State st;
            salsa20_setup(&st, key.data(), key.size(), iv.data());
            const Bytes got = keystream_at(
                offset, want.size(), [&](uint64_t block) { salsa20_seek(&st, block); },
                [&](uint8_t* o, const uint8_t* i, std::size_t n) { salsa20_xor_blocks_path(path, &st, o, i, n); });
            EXPECT_EQ(got, want) << r.where(file) << " path " << static_cast<int>(path);
        }
    }
}

TEST(ChaCha20Engine, ReproducesTheOriginalDefinitionsVectorsOnEveryPath) {
    const std::string file = tu::vector_path("estream/chacha20_keystream.txt");
    const auto records = tv::read_vector_file(file);
    ASSERT_GE(records.size(), 14u);
    for (ArxPath path : kPaths) {
        if (!arx_path_available(path)) continue;
        for (const tv::Record& r : records) {
            const Bytes key = r.bytes("Key"), iv = r.bytes("IV"), want = r.bytes("Keystream");
            const uint64_t offset = static_cast<uint64_t>(r.number("Offset"));
            ChaCha20State st;
            chacha20_set_key(&st, key.data(), key.size());
            const Bytes got = keystream_at(
                offset, want.size(),
                [&](uint64_t block) {
                    // The 8-byte IV with the counter's low word; the carry
                    // into word 13 is the engine's.
                    chacha20_set_iv(&st, iv.data(), 8, static_cast<uint32_t>(block));
                    st.w[13] = static_cast<uint32_t>(block >> 32);
                },
                [&](uint8_t* o, const uint8_t* i, std::size_t n) { chacha20_xor_blocks_path(path, &st, o, i, n); });
            EXPECT_EQ(got, want) << r.where(file) << " path " << static_cast<int>(path);
        }
    }
}

// RFC 6229 (the pyca/cryptography collection's copy): 16 bytes of keystream
// at offsets from 0 to 4096, keys of 40 to 256 bits.
TEST(ArcfourEngine, ReproducesRfc6229) {
    int checked = 0;
    for (const char* bits : {"40", "56", "64", "80", "128", "192", "256"}) {
        const std::string file = std::string("ciphers/ARC4/rfc-6229-") + bits + ".txt";
        for (const tv::Record& r : tv::read_vector_file(tu::pyca_vector_path(file))) {
            const Bytes key = r.bytes("KEY"), pt = r.bytes("PLAINTEXT"), want = r.bytes("CIPHERTEXT");
            const std::size_t offset = static_cast<std::size_t>(r.number("OFFSET"));
            ArcfourState st;
            arcfour_setup(&st, key.data(), key.size());
            Bytes skip(offset), out(pt.size());
            arcfour_xor(&st, skip.data(), skip.data(), offset);
            arcfour_xor(&st, out.data(), pt.data(), pt.size());
            EXPECT_EQ(out, want) << r.where(file);
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(ArcfourEngine, UsesOnlyTheFirst256KeyBytes) {
    tu::Prng rng(10);
    Bytes key = rng.bytes(300);
    ArcfourState a, b;
    arcfour_setup(&a, key.data(), 300);
    arcfour_setup(&b, key.data(), 256);
    EXPECT_EQ(std::memcmp(a.s, b.s, 256), 0);
}

// The generator runs eight steps at a time from an i that is a multiple of
// eight, and single steps before and after: every split point and length,
// in place or not, must give the bytes of one run.
TEST(ArcfourEngine, PiecesOfEveryAlignmentGiveTheBytesOfOneRun) {
    tu::Prng rng(12);
    const Bytes key = rng.bytes(16), data = rng.bytes(600);
    ArcfourState one;
    arcfour_setup(&one, key.data(), key.size());
    Bytes want(data.size());
    arcfour_xor(&one, want.data(), data.data(), data.size());
    for (std::size_t first = 0; first <= 17; ++first) {
        for (std::size_t piece : {1, 7, 8, 9, 15, 16, 17, 64, 251}) {
            SCOPED_TRACE("first " + std::to_string(first) + " piece " + std::to_string(piece));
            ArcfourState st;
            arcfour_setup(&st, key.data(), key.size());
            Bytes out = data;  // in place
            arcfour_xor(&st, out.data(), out.data(), first);
            for (std::size_t at = first; at < out.size(); at += piece)
                arcfour_xor(&st, out.data() + at, out.data() + at, std::min(piece, out.size() - at));
            ASSERT_EQ(want, out);
            EXPECT_EQ(one.i, st.i);
            EXPECT_EQ(one.j, st.j);
            EXPECT_EQ(0, std::memcmp(one.s, st.s, 256));
        }
    }
}

TEST(StreamContext, AnySplitGivesTheBytesOfOneRun) {
    tu::Prng rng(11);
    const Bytes key = rng.bytes(32), iv = rng.bytes(16), data = rng.bytes(700);
    struct Alg {
        uint32_t code;
        std::size_t iv_len;
    };
    for (const Alg alg : {Alg{STREAM_ARCFOUR, 0}, Alg{STREAM_SALSA20, 8}, Alg{STREAM_CHACHA20, 8},
                          Alg{STREAM_CHACHA20, 12}, Alg{STREAM_CHACHA20, 16}}) {
        Bytes whole(data.size());
        ASSERT_EQ(stream_once(alg.code, whole.data(), data.data(), data.size(), key.data(), 32, iv.data(), alg.iv_len,
                              0xFFFFFFFEu),
                  0);
        for (const std::vector<std::size_t>& pieces :
             {std::vector<std::size_t>{1, 63, 64, 65, 130}, std::vector<std::size_t>{7, 300, 1, 0, 64, 128},
              std::vector<std::size_t>{500}}) {
            StreamContext ctx;
            ASSERT_EQ(stream_setup(&ctx, alg.code, key.data(), 32, iv.data(), alg.iv_len, 0xFFFFFFFEu), 0);
            Bytes out(data.size());
            std::size_t at = 0;
            for (std::size_t n : pieces) {
                stream_xor(&ctx, out.data() + at, data.data() + at, n);
                at += n;
            }
            stream_xor(&ctx, out.data() + at, data.data() + at, data.size() - at);
            EXPECT_EQ(out, whole) << alg.code << "/" << alg.iv_len;
        }
    }
}

TEST(StreamContext, SetUpChecksInOrder) {
    const Bytes key(32, 1), iv(16, 2);
    struct Case {
        const char* what;
        uint32_t options;
        const uint8_t* key;
        std::size_t key_len;
        const uint8_t* iv;
        std::size_t iv_len;
        int32_t want;
    };
    const Case cases[] = {
        {"unknown code", 4, key.data(), 32, iv.data(), 8, -BAD_FLAG_ERROR},
        {"code 0", 0x10, key.data(), 32, iv.data(), 8, -BAD_FLAG_ERROR},
        {"Arcfour empty key", STREAM_ARCFOUR, key.data(), 0, nullptr, 0, -BAD_PARAM_ERROR},
        {"Arcfour null key", STREAM_ARCFOUR, nullptr, 5, nullptr, 0, -BAD_KEY_ERROR},
        {"Arcfour one byte", STREAM_ARCFOUR, key.data(), 1, nullptr, 99, 0},
        {"Salsa20 key length", STREAM_SALSA20, key.data(), 24, iv.data(), 8, -BAD_KEY_LEN_ERROR},
        {"Salsa20 null key", STREAM_SALSA20, nullptr, 16, iv.data(), 8, -BAD_KEY_ERROR},
        {"Salsa20 IV length", STREAM_SALSA20, key.data(), 16, iv.data(), 12, -BAD_IV_LEN_ERROR},
        {"Salsa20 null IV", STREAM_SALSA20, key.data(), 16, nullptr, 8, -BAD_IV_LEN_ERROR},
        {"ChaCha20 key length", STREAM_CHACHA20 | 0xF0, key.data(), 31, iv.data(), 8, -BAD_KEY_LEN_ERROR},
        {"ChaCha20 null key", STREAM_CHACHA20, nullptr, 32, iv.data(), 8, -BAD_KEY_ERROR},
        {"ChaCha20 IV length", STREAM_CHACHA20, key.data(), 32, iv.data(), 10, -BAD_IV_LEN_ERROR},
        {"ChaCha20 null IV", STREAM_CHACHA20, key.data(), 32, nullptr, 12, -BAD_IV_ERROR},
        {"ChaCha20 good", STREAM_CHACHA20, key.data(), 16, iv.data(), 16, 0},
    };
    for (const Case& c : cases) {
        StreamContext ctx;
        const int32_t rc = stream_setup(&ctx, c.options, c.key, c.key_len, c.iv, c.iv_len, 0);
        EXPECT_EQ(rc, c.want) << c.what;
        EXPECT_EQ(ctx.algorithm, rc == 0 ? static_cast<int32_t>(c.options & 0xF) : -1) << c.what;
    }
}

}  // namespace
