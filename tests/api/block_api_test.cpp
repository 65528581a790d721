// The AES128_/AES192_/AES256_, DES_, TDEA_ and BLF_ exports as a caller sees
// them: published vectors through every argument form, the check order of
// each function, the context handles and their threads, and the last error.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "../engine/block_vectors.h"
#include "tessalib.h"
#include "test_util.h"

using block_vectors::Cipher;
using tu::Bytes;

namespace {

const char* const kModeNames[] = {"ECB", "CBC", "CFB", "OFB", "CTR"};

std::string b64_of(const Bytes& data) { return tu::b64_reference(data); }

// One family's exports behind a common shape. The byte forms take a key
// length, which only BLF_ passes on.
struct Family {
    const char* name;
    Cipher cipher;
    std::size_t block;
    std::size_t key_len;  // fixed key length; 0 for Blowfish
    int32_t (*bytes)(unsigned char*, const unsigned char*, int32_t, const unsigned char*, int32_t, int32_t);
    int32_t (*bytes_mode)(unsigned char*, const unsigned char*, int32_t, const unsigned char*, int32_t, int32_t,
                          const char*, const unsigned char*);
    int32_t (*hex)(char*, const char*, const char*, int32_t);
    int32_t (*hex_mode)(char*, const char*, const char*, int32_t, const char*, const char*);
    int32_t (*b64_mode)(char*, const char*, const char*, int32_t, const char*, const char*);
    int32_t (*init)(const unsigned char*, int32_t, int32_t, const char*, const unsigned char*);
    int32_t (*init_hex)(const char*, int32_t, const char*, const char*);
    int32_t (*update)(int32_t, unsigned char*, int32_t);
    int32_t (*update_hex)(int32_t, char*);
    int32_t (*final_)(int32_t);
    int32_t (*init_error)();
};

#define FIXED_KEY_FAMILY(PREFIX, CIPHER, BLOCK, KEYLEN)                                                          \
    Family {                                                                                                      \
        #PREFIX, CIPHER, BLOCK, KEYLEN,                                                                           \
            [](unsigned char* o, const unsigned char* i, int32_t n, const unsigned char* k, int32_t, int32_t e) { \
                return PREFIX##Bytes(o, i, n, k, e);                                                              \
            },                                                                                                    \
            [](unsigned char* o, const unsigned char* i, int32_t n, const unsigned char* k, int32_t, int32_t e,   \
               const char* m, const unsigned char* iv) { return PREFIX##BytesMode(o, i, n, k, e, m, iv); },       \
            PREFIX##Hex, PREFIX##HexMode, PREFIX##B64Mode,                                                        \
            [](const unsigned char* k, int32_t, int32_t e, const char* m, const unsigned char* iv) {              \
                return PREFIX##Init(k, e, m, iv);                                                                 \
            },                                                                                                    \
            PREFIX##InitHex, PREFIX##Update, PREFIX##UpdateHex, PREFIX##Final, PREFIX##InitError                  \
    }

const Family kFamilies[] = {
    FIXED_KEY_FAMILY(AES128_, Cipher::Aes, 16, 16),
    FIXED_KEY_FAMILY(AES192_, Cipher::Aes, 16, 24),
    FIXED_KEY_FAMILY(AES256_, Cipher::Aes, 16, 32),
    FIXED_KEY_FAMILY(DES_, Cipher::Des, 8, 8),
    FIXED_KEY_FAMILY(TDEA_, Cipher::Tdea, 8, 24),
    Family{"BLF_", Cipher::Blowfish, 8, 0, BLF_Bytes, BLF_BytesMode, BLF_Hex, BLF_HexMode, BLF_B64Mode, BLF_Init,
           BLF_InitHex, BLF_Update, BLF_UpdateHex, BLF_Final, BLF_InitError},
};

const Family& family_for(Cipher c, std::size_t key_len) {
    for (const auto& f : kFamilies)
        if (f.cipher == c && (f.key_len == key_len || f.key_len == 0)) return f;
    return kFamilies[0];
}

const Family& family_named(const std::string& name) {
    for (const auto& f : kFamilies)
        if (name == f.name) return f;
    return kFamilies[0];
}

Bytes key_for(const Family& f, tu::Prng& rng) { return rng.bytes(f.key_len ? f.key_len : 1 + rng.below(56)); }

int32_t ikey(const Bytes& key) { return static_cast<int32_t>(key.size()); }

// Runs data through an open context in pieces (the rest forms the last piece).
Bytes through_context(const Family& f, const Bytes& key, const Bytes& iv, bool enc, int mode, const Bytes& data,
                      const std::vector<std::size_t>& pieces = {}) {
    const int32_t h = f.init(key.data(), ikey(key), enc, kModeNames[mode], iv.data());
    EXPECT_NE(0, h);
    Bytes buf = data;
    std::size_t pos = 0;
    for (std::size_t n : pieces) {
        EXPECT_EQ(0, f.update(h, buf.data() + pos, static_cast<int32_t>(n)));
        pos += n;
    }
    unsigned char dummy = 0;
    EXPECT_EQ(0, f.update(h, pos < buf.size() ? buf.data() + pos : &dummy, static_cast<int32_t>(buf.size() - pos)));
    EXPECT_EQ(0, f.final_(h));
    return buf;
}

}  // namespace

// --- Published vectors through every form ---------------------------------------

TEST(BlockFamilies, KnownAnswersThroughBytesHexBase64AndContexts) {
    for (const auto& v : block_vectors::kKnownAnswers) {
        const Bytes key = tu::from_hex(v.key), iv = tu::from_hex(v.iv);
        const Bytes pt = tu::from_hex(v.plaintext), ct = tu::from_hex(v.ciphertext);
        const Family& f = family_for(v.cipher, key.size());
        SCOPED_TRACE(std::string(f.name) + v.source + " " + kModeNames[v.mode] + " key " + v.key);
        const char* mode = kModeNames[v.mode];
        const unsigned char* ivp = v.mode ? iv.data() : nullptr;
        const int32_t n = static_cast<int32_t>(pt.size());

        Bytes out(pt.size());
        ASSERT_EQ(0, f.bytes_mode(out.data(), pt.data(), n, key.data(), ikey(key), 1, mode, ivp));
        EXPECT_EQ(ct, out);
        ASSERT_EQ(0, f.bytes_mode(out.data(), out.data(), n, key.data(), ikey(key), 0, mode, ivp));
        EXPECT_EQ(pt, out);
        if (v.mode == 0) {
            ASSERT_EQ(0, f.bytes(out.data(), pt.data(), n, key.data(), ikey(key), 1));
            EXPECT_EQ(ct, out);
        }

        // Hex, with lower-case input: the output is upper case.
        std::string lower = tu::to_hex(pt, false);
        std::vector<char> text(lower.size() + 1);
        ASSERT_EQ(0, f.hex_mode(text.data(), lower.c_str(), tu::to_hex(key, false).c_str(), 1, mode, v.iv));
        EXPECT_STREQ(v.ciphertext, text.data());
        if (v.mode == 0) {
            ASSERT_EQ(0, f.hex(text.data(), lower.c_str(), v.key, 1));
            EXPECT_STREQ(v.ciphertext, text.data());
        }
        std::vector<char> in_place(v.ciphertext, v.ciphertext + std::strlen(v.ciphertext) + 1);
        ASSERT_EQ(0, f.hex_mode(in_place.data(), in_place.data(), v.key, 0, mode, v.iv));
        EXPECT_STREQ(v.plaintext, in_place.data());

        // Base64.
        const std::string pt64 = b64_of(pt);
        std::vector<char> b64(pt64.size() + 1);
        ASSERT_EQ(0, f.b64_mode(b64.data(), pt64.c_str(), b64_of(key).c_str(), 1, mode, b64_of(iv).c_str()));
        EXPECT_EQ(b64_of(ct), b64.data());

        // Contexts, with bytes and with hex.
        EXPECT_EQ(ct, through_context(f, key, iv, true, v.mode, pt));
        EXPECT_EQ(pt, through_context(f, key, iv, false, v.mode, ct));
        const int32_t h = f.init_hex(v.key, 0, mode, v.iv);
        ASSERT_NE(0, h);
        std::vector<char> upd(v.ciphertext, v.ciphertext + std::strlen(v.ciphertext) + 1);
        ASSERT_EQ(0, f.update_hex(h, upd.data()));
        EXPECT_STREQ(v.plaintext, upd.data());
        EXPECT_EQ(0, f.final_(h));
    }
}

// --- Splits and aliasing ----------------------------------------------------------

TEST(BlockFamilies, EveryTwoPieceSplitThroughUpdateMatchesOneShot) {
    tu::Prng rng(21);
    for (const auto& f : kFamilies)
        for (int mode = 0; mode <= 4; ++mode) {
            const Bytes key = key_for(f, rng), iv = rng.bytes(16);
            const Bytes pt = rng.bytes(4 * f.block + (mode >= 2 ? 5 : 0));
            Bytes one(pt.size());
            ASSERT_EQ(0, f.bytes_mode(one.data(), pt.data(), static_cast<int32_t>(pt.size()), key.data(), ikey(key), 1,
                                      kModeNames[mode], iv.data()));
            for (std::size_t s = 0; s <= pt.size(); s += f.block) {
                SCOPED_TRACE(testing::Message() << f.name << " " << kModeNames[mode] << " split " << s);
                EXPECT_EQ(one, through_context(f, key, iv, true, mode, pt, {s}));
                EXPECT_EQ(pt, through_context(f, key, iv, false, mode, one, {s}));
            }
            if (mode >= 2) {  // splits inside a block: the same split decrypts
                for (std::size_t s = 1; s < pt.size(); s += 3) {
                    const Bytes ct = through_context(f, key, iv, true, mode, pt, {s});
                    EXPECT_EQ(pt, through_context(f, key, iv, false, mode, ct, {s})) << f.name << " split " << s;
                }
            }
        }
}

TEST(BlockFamilies, CbcInTwoUpdatesEqualsOneBytesModeCall) {
    const Bytes key(16, 0x42), iv(16, 0x24), pt(32, 0x77);
    Bytes one(32);
    ASSERT_EQ(0, AES128_BytesMode(one.data(), pt.data(), 32, key.data(), 1, "CBC", iv.data()));
    EXPECT_EQ(one, through_context(kFamilies[0], key, iv, true, 1, pt, {16}));
}

// --- Check order of the one-shot functions ------------------------------------------

TEST(BlockFamilies, ByteFormsCheckInTheirFamilyOrder) {
    const Bytes key(56, 1), iv(16, 2), data(32, 3);
    Bytes out(32);
    unsigned char* o = out.data();
    const unsigned char *in = data.data(), *k = key.data(), *v = iv.data();
    const struct {
        const char* family;
        unsigned char* out;
        const unsigned char* in;
        int32_t len;
        const unsigned char* key;
        int32_t key_len;
        const char* mode;
        const unsigned char* iv;
        int32_t code;
    } cases[] = {
        // AES and TDEA: the mode first, then pointers, length, IV, block length.
        {"AES128_", nullptr, in, -1, k, 0, nullptr, nullptr, NULL_ERROR},
        {"AES128_", nullptr, in, -1, k, 0, "XYZ", nullptr, BAD_MODE_ERROR},
        {"AES256_", nullptr, in, -1, k, 0, "CBC", nullptr, NULL_ERROR},
        {"AES192_", o, in, -1, k, 0, "CBC", nullptr, BAD_PARAM_ERROR},
        {"AES128_", o, in, 15, k, 0, "CBC", nullptr, BAD_IV_ERROR},
        {"AES128_", o, in, 15, k, 0, "CBC", v, BAD_LENGTH_ERROR},
        {"AES128_", o, in, 15, k, 0, "ECB", nullptr, BAD_LENGTH_ERROR},
        {"AES128_", o, in, 15, k, 0, "CTR", v, 0},
        {"AES128_", o, in, 0, k, 0, "CBC", v, 0},
        {"TDEA_", nullptr, in, -1, k, 0, nullptr, nullptr, NULL_ERROR},
        {"TDEA_", nullptr, in, -1, k, 0, "ABC", nullptr, BAD_MODE_ERROR},
        {"TDEA_", o, in, 9, k, 0, "cfb", nullptr, BAD_IV_ERROR},
        {"TDEA_", o, in, 9, k, 0, "ecb", nullptr, BAD_LENGTH_ERROR},
        // DES and BLF: pointers and modeText first, lengths, IV, mode, key length, block length.
        {"DES_", o, in, -1, k, 0, nullptr, nullptr, NULL_ERROR},
        {"DES_", o, nullptr, -1, k, 0, "XYZ", nullptr, NULL_ERROR},
        {"DES_", o, in, -1, k, 0, "XYZ", nullptr, BAD_PARAM_ERROR},
        {"DES_", o, in, 7, k, 0, "XYZ", nullptr, BAD_IV_ERROR},
        {"DES_", o, in, 7, k, 0, "XYZ", v, BAD_MODE_ERROR},
        {"DES_", o, in, 7, k, 0, "CBC", v, BAD_LENGTH_ERROR},
        {"DES_", o, in, 7, k, 0, "OFB", v, 0},
        {"BLF_", o, in, 8, nullptr, 8, "ECB", nullptr, NULL_ERROR},
        {"BLF_", o, in, 8, k, -1, "XYZ", nullptr, BAD_PARAM_ERROR},
        {"BLF_", o, in, 7, k, 57, "XYZ", nullptr, BAD_IV_ERROR},
        {"BLF_", o, in, 7, k, 57, "XYZ", v, BAD_MODE_ERROR},
        {"BLF_", o, in, 7, k, 57, "CBC", v, BAD_KEY_LEN_ERROR},
        {"BLF_", o, in, 7, k, 0, "CBC", v, BAD_KEY_LEN_ERROR},  // an empty key is refused
        {"BLF_", o, in, 7, k, 56, "CBC", v, BAD_LENGTH_ERROR},
        {"BLF_", o, in, 7, k, 56, "CTR", v, 0},
    };
    for (const auto& c : cases) {
        const Family& f = family_named(c.family);
        EXPECT_EQ(c.code, f.bytes_mode(c.out, c.in, c.len, c.key, c.key_len, 1, c.mode, c.iv))
            << c.family << " mode " << (c.mode ? c.mode : "(null)") << " len " << c.len;
        EXPECT_EQ(c.code, API_ErrorCode());
    }
    // The ECB-only byte forms.
    EXPECT_EQ(NULL_ERROR, AES128_Bytes(o, in, 16, nullptr, 1));
    EXPECT_EQ(BAD_PARAM_ERROR, TDEA_Bytes(o, in, -8, k, 1));
    EXPECT_EQ(BAD_LENGTH_ERROR, AES256_Bytes(o, in, 24, k, 1));
    EXPECT_EQ(BAD_LENGTH_ERROR, DES_Bytes(o, in, 12, k, 0));
    EXPECT_EQ(BAD_KEY_LEN_ERROR, BLF_Bytes(o, in, 8, k, 57, 1));
    EXPECT_EQ(0, BLF_Bytes(o, in, 8, k, 56, 1));
    EXPECT_EQ(0, API_ErrorCode());
}

TEST(BlockFamilies, HexFormsCheckInTheirFamilyOrder) {
    const char* key16 = "000102030405060708090A0B0C0D0E0F";
    const char* key8 = "0123456789ABCDEF";
    const char* key24 = "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123";
    const char* iv16 = "F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF";
    const char* iv8 = "1234567890ABCDEF";
    const std::string key57(114, 'A');
    char out[128];
    const struct {
        const char* family;
        bool has_out;
        const char* data;
        const char* key;
        const char* mode;  // "-" : the ECB-only _Hex form
        const char* iv;
        int32_t code;
    } cases[] = {
        // AES and TDEA: the mode is checked before everything else.
        {"AES128_", false, nullptr, nullptr, "", nullptr, BAD_PARAM_ERROR},
        {"AES128_", false, nullptr, nullptr, "XYZ", nullptr, BAD_MODE_ERROR},
        {"AES128_", false, "00", key16, "CBC", iv16, BAD_PARAM_ERROR},
        {"AES128_", true, "", key16, "CBC", iv16, BAD_PARAM_ERROR},
        {"AES128_", true, "00", "", "CBC", iv16, BAD_PARAM_ERROR},
        {"AES128_", true, "0", key16, "CBC", "", BAD_IV_ERROR},
        {"AES128_", true, "0", key16, "CBC", "F0F1", BAD_IV_ERROR},
        {"AES128_", true, "0", key16, "CBC", "F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFG", BAD_IV_ERROR},
        {"AES128_", true, "0", key16, "CBC", iv16, BAD_LENGTH_ERROR},
        {"AES128_", true, "0", "zz", "ECB", nullptr, BAD_LENGTH_ERROR},
        {"AES128_", true, "00112233445566778899AABBCCDDEEF", "zz", "-", nullptr, BAD_FORMAT_ERROR},
        {"AES128_", true, "00112233445566778899AABBCCDDEEFG", key16, "-", nullptr, BAD_FORMAT_ERROR},
        {"AES128_", true, "00112233445566778899AABBCCDDEE", key16, "-", nullptr, BAD_LENGTH_ERROR},
        {"AES128_", true, "00112233445566778899AABBCCDDEEFF", key24, "-", nullptr, BAD_KEY_LEN_ERROR},
        {"AES256_", true, "00112233445566778899AABBCCDDEEFF", key24, "-", nullptr, BAD_KEY_LEN_ERROR},
        {"AES192_", true, "00112233445566778899AABBCCDDEEFF", key24, "-", nullptr, 0},
        {"AES128_", true, "00112233445566778899AABBCCDDEEFF", "0g", "-", nullptr, BAD_KEY_LEN_ERROR},
        {"AES128_", true, "00112233445566778899AABBCC", key16, "ctr", iv16, 0},
        {"TDEA_", false, nullptr, nullptr, "CBX", nullptr, BAD_MODE_ERROR},
        {"TDEA_", true, "00", key24, "CBC", iv16, BAD_IV_ERROR},
        {"TDEA_", true, "001122334455667", key24, "CBC", iv8, BAD_FORMAT_ERROR},
        {"TDEA_", true, "0011223344556677", key8, "CBC", iv8, BAD_KEY_LEN_ERROR},
        // DES and BLF: nulls and empty texts (the mode included) first, then the mode.
        {"DES_", false, "00", key8, "XYZ", iv8, BAD_PARAM_ERROR},
        {"DES_", true, "00", key8, "", iv8, BAD_PARAM_ERROR},
        {"DES_", true, "", key8, "XYZ", iv8, BAD_PARAM_ERROR},
        {"DES_", true, "00", key8, "XYZ", iv8, BAD_MODE_ERROR},
        {"DES_", true, "00", key8, "OFB", iv16, BAD_IV_ERROR},
        {"DES_", true, "0", key8, "OFB", iv8, BAD_LENGTH_ERROR},
        {"DES_", true, "001", key8, "OFB", iv8, BAD_FORMAT_ERROR},
        {"DES_", true, "0011", key16, "OFB", iv8, BAD_KEY_LEN_ERROR},
        {"DES_", true, "0011", key8, "CBC", iv8, BAD_LENGTH_ERROR},
        {"DES_", true, "0011", key8, "OFB", iv8, 0},
        {"BLF_", true, "0011223344556677", "", "ECB", nullptr, BAD_PARAM_ERROR},
        {"BLF_", true, "0011223344556677", "0", "ECB", nullptr, BAD_KEY_ERROR},
        {"BLF_", true, "0011223344556677", key57.c_str(), "ECB", nullptr, BAD_KEY_LEN_ERROR},
        {"BLF_", true, "0011223344556677", key57.c_str() + 2, "ECB", nullptr, 0},
        {"BLF_", true, "0011223344556677", "01", "-", nullptr, 0},
    };
    for (const auto& c : cases) {
        const Family& f = family_named(c.family);
        std::memset(out, '#', sizeof out);
        const bool ecb_form = std::strcmp(c.mode, "-") == 0;
        char* o = c.has_out ? out : nullptr;
        const int32_t rc = ecb_form ? f.hex(o, c.data, c.key, 1) : f.hex_mode(o, c.data, c.key, 1, c.mode, c.iv);
        EXPECT_EQ(c.code, rc) << c.family << " data " << (c.data ? c.data : "(null)") << " mode " << c.mode;
        if (rc != 0) {
            EXPECT_EQ('#', out[0]) << "output written on failure";
        } else {
            EXPECT_EQ(std::strlen(c.data), std::strlen(out));
        }
    }
}

TEST(BlockFamilies, Base64FormsCheckInTheirFamilyOrder) {
    const Bytes k16(16, 1), k24(24, 2), k32(32, 3), k57(57, 4), k8(8, 5), iv16(16, 6), iv8(8, 7);
    const std::string d16 = b64_of(Bytes(16, 9)), d8 = b64_of(Bytes(8, 9));
    const std::string iv16_64 = b64_of(iv16), iv8_64 = b64_of(iv8);
    char out[256];
    const struct {
        const char* family;
        bool has_out;
        std::string data;
        std::string key;
        const char* mode;
        const char* iv;
        int32_t code;
    } cases[] = {
        {"AES128_", false, d16, b64_of(k16), "ECB", nullptr, BAD_PARAM_ERROR},
        {"AES128_", true, d16, b64_of(k16), "", nullptr, BAD_PARAM_ERROR},
        {"AES128_", true, d16, b64_of(k16), "XYZ", nullptr, BAD_MODE_ERROR},
        {"AES128_", true, d16, b64_of(k16), "CBC", nullptr, BAD_IV_ERROR},
        {"AES128_", true, d16, b64_of(k16), "CBC", "AAAA", BAD_IV_ERROR},
        {"AES128_", true, "====", b64_of(k16), "CBC", "AAAAAAAAAAAAAAAAAAAAAA==", BAD_FORMAT_ERROR},
        {"AES128_", true, d16, b64_of(k24), "CBC", "AAAAAAAAAAAAAAAAAAAAAA==", BAD_KEY_LEN_ERROR},
        {"AES256_", true, d16, b64_of(k32), "CBC", "AAAAAAAAAAAAAAAAAAAAAA==", 0},
        {"AES128_", true, b64_of(Bytes(15, 9)), b64_of(k16), "CBC", "AAAAAAAAAAAAAAAAAAAAAA==", BAD_LENGTH_ERROR},
        {"DES_", false, d8, b64_of(k8), "ECB", nullptr, NULL_ERROR},
        {"DES_", true, d8, "", "ECB", nullptr, NULL_ERROR},
        {"DES_", true, d8, b64_of(k8), "EBC", nullptr, BAD_MODE_ERROR},
        {"DES_", true, d8, b64_of(k8), "OFB", iv16_64.c_str(), BAD_IV_ERROR},
        {"DES_", true, d8, b64_of(Bytes(16, 1)), "ECB", nullptr, BAD_KEY_LEN_ERROR},
        {"DES_", true, d8, b64_of(k8), "OFB", iv8_64.c_str(), 0},
        {"TDEA_", false, d8, b64_of(k24), "ECB", nullptr, NULL_ERROR},
        {"TDEA_", true, d8, "", "ECB", nullptr, NULL_ERROR},
        {"TDEA_", true, d8, b64_of(k8), "ECB", nullptr, BAD_KEY_LEN_ERROR},
        {"TDEA_", true, d8, b64_of(k32), "ECB", nullptr, 0},
        {"BLF_", true, "", b64_of(k8), "ECB", nullptr, NULL_ERROR},
        {"BLF_", true, d8, b64_of(k8), nullptr, nullptr, NULL_ERROR},
        {"BLF_", true, d8, "====", "ECB", nullptr, BAD_KEY_ERROR},
        {"BLF_", true, d8, b64_of(k57), "ECB", nullptr, 0},
    };
    for (const auto& c : cases) {
        const Family& f = family_named(c.family);
        std::memset(out, '#', sizeof out);
        const int32_t rc = f.b64_mode(c.has_out ? out : nullptr, c.data.c_str(), c.key.c_str(), 1, c.mode, c.iv);
        EXPECT_EQ(c.code, rc) << c.family << " mode " << (c.mode ? c.mode : "(null)") << " key " << c.key;
        if (rc != 0) {
            EXPECT_EQ('#', out[0]);
        }
    }
}

TEST(BlockFamilies, Base64KeysAreCutWhereTheDecoderStops) {
    tu::Prng rng(22);
    const Bytes data = rng.bytes(24);
    const std::string d64 = b64_of(data);
    std::vector<char> out(d64.size() + 1);

    const Bytes k57 = rng.bytes(57);
    ASSERT_EQ(0, BLF_B64Mode(out.data(), d64.c_str(), b64_of(k57).c_str(), 1, "ECB", nullptr));
    Bytes expect(24);
    ASSERT_EQ(0, BLF_Bytes(expect.data(), data.data(), 24, k57.data(), 54, 1));
    EXPECT_EQ(b64_of(expect), out.data());

    const Bytes k32 = rng.bytes(32);
    ASSERT_EQ(0, TDEA_B64Mode(out.data(), d64.c_str(), b64_of(k32).c_str(), 1, "ECB", nullptr));
    ASSERT_EQ(0, TDEA_Bytes(expect.data(), data.data(), 24, k32.data(), 1));
    EXPECT_EQ(b64_of(expect), out.data());
}

TEST(BlockFamilies, Base64OutputNeverOverrunsTheInputTextsRoom) {
    // Unpadded input of 20 bytes: 27 characters, while the result needs 28.
    const Bytes iv(16, 2), data(20, 3);
    std::string text = b64_of(data);
    ASSERT_EQ('=', text.back());
    text.pop_back();
    for (const char* name : {"AES128_", "DES_", "TDEA_", "BLF_"}) {
        SCOPED_TRACE(name);
        const Family& f = family_named(name);
        const Bytes key(f.key_len ? f.key_len : 16, 1);
        const std::string key64 = b64_of(key);
        const std::string iv64 = b64_of(Bytes(iv.begin(), iv.begin() + static_cast<long>(f.block)));
        std::vector<char> out(text.size() + 1 + 8, '#');
        EXPECT_EQ(SHORT_BUF_ERROR, f.b64_mode(out.data(), text.c_str(), key64.c_str(), 1, "CTR", iv64.c_str()));
        EXPECT_EQ('#', out[0]);
        EXPECT_EQ(SHORT_BUF_ERROR, API_ErrorCode());
        // The padded text encrypts in place, to the same length.
        std::vector<char> buf(text.begin(), text.end());
        buf.push_back('=');
        buf.push_back('\0');
        ASSERT_EQ(0, f.b64_mode(buf.data(), buf.data(), key64.c_str(), 1, "CTR", iv64.c_str()));
        Bytes ct(20);
        ASSERT_EQ(0, f.bytes_mode(ct.data(), data.data(), 20, key.data(), ikey(key), 1, "CTR", iv.data()));
        EXPECT_EQ(b64_of(ct), buf.data());
    }
}

TEST(BlockFamilies, CtrHexAcceptsAnyWholeNumberOfBytes) {
    char out[21];
    ASSERT_EQ(0, AES128_HexMode(out, "00112233445566778899", "000102030405060708090A0B0C0D0E0F", 1, "ctr",
                                "F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF"));
    EXPECT_EQ(20u, std::strlen(out));
}

// --- Context functions ---------------------------------------------------------------

TEST(BlockContexts, InitChecksAndInitErrorPerFamily) {
    const Bytes key(56, 1), iv(16, 2);
    const unsigned char *k = key.data(), *v = iv.data();
    const struct {
        const char* family;
        const unsigned char* key;
        int32_t key_len;
        const char* mode;
        const unsigned char* iv;
        int32_t code;
    } cases[] = {
        {"AES128_", nullptr, 0, nullptr, nullptr, BAD_KEY_ERROR},
        {"AES128_", k, 0, nullptr, nullptr, NULL_ERROR},
        {"AES192_", k, 0, "BAD", nullptr, BAD_MODE_ERROR},
        {"AES256_", k, 0, "cbc", nullptr, BAD_IV_ERROR},
        {"AES256_", k, 0, "ecb", nullptr, 0},
        {"DES_", nullptr, 0, "XYZ", nullptr, BAD_KEY_ERROR},
        {"DES_", k, 0, nullptr, v, NULL_ERROR},
        {"DES_", k, 0, "ctr", nullptr, BAD_IV_ERROR},
        {"TDEA_", k, 0, nullptr, v, NULL_ERROR},
        {"TDEA_", k, 0, "OFB", v, 0},
        {"BLF_", nullptr, -1, "XYZ", nullptr, BAD_KEY_ERROR},
        {"BLF_", k, -1, "XYZ", nullptr, BAD_PARAM_ERROR},
        {"BLF_", k, 57, nullptr, nullptr, NULL_ERROR},
        {"BLF_", k, 57, "XYZ", nullptr, BAD_MODE_ERROR},
        {"BLF_", k, 57, "CBC", nullptr, BAD_IV_ERROR},
        {"BLF_", k, 57, "CBC", v, BAD_KEY_LEN_ERROR},
        {"BLF_", k, 0, "CBC", v, BAD_KEY_LEN_ERROR},
        {"BLF_", k, 56, "CBC", v, 0},
    };
    for (const auto& c : cases) {
        const Family& f = family_named(c.family);
        const int32_t h = f.init(c.key, c.key_len, 1, c.mode, c.iv);
        EXPECT_EQ(c.code, f.init_error()) << c.family << " mode " << (c.mode ? c.mode : "(null)");
        EXPECT_EQ(c.code, API_ErrorCode());
        if (c.code == 0) {
            EXPECT_NE(0, h);
            EXPECT_EQ(1, h & 1);
            EXPECT_LE(h, 0x3FFFFFFF);
            EXPECT_EQ(0, f.final_(h));
        } else {
            EXPECT_EQ(0, h);
        }
    }
}

TEST(BlockContexts, InitHexChecksAndInitErrorPerFamily) {
    const char* iv16 = "000102030405060708090A0B0C0D0E0F";
    const char* iv8 = "0001020304050607";
    const std::string k33(66, '1'), k56(112, '2'), k57(114, '3');
    const struct {
        const char* family;
        const char* key;
        const char* mode;
        const char* iv;
        int32_t code;
    } cases[] = {
        {"AES128_", nullptr, "ECB", nullptr, BAD_PARAM_ERROR},
        {"AES128_", "00", "", nullptr, BAD_PARAM_ERROR},
        {"AES128_", "00", "ECX", nullptr, BAD_MODE_ERROR},
        {"AES128_", "00", "CFB", nullptr, BAD_IV_ERROR},
        {"AES128_", "00", "CFB", iv8, BAD_IV_ERROR},
        {"AES128_", "0", "CFB", iv16, BAD_KEY_ERROR},
        {"AES128_", "zz", "CFB", iv16, BAD_KEY_ERROR},
        {"AES128_", k33.c_str(), "CFB", iv16, BAD_KEY_LEN_ERROR},
        {"AES128_", "0011", "CFB", iv16, BAD_KEY_LEN_ERROR},
        {"AES128_", k56.c_str() + 48, "CFB", iv16, 0},  // 32 bytes: AES-256 under the AES128_ name
        {"AES256_", k56.c_str() + 80, "ECB", nullptr, 0},  // 16 bytes under the AES256_ name
        {"DES_", "", "ECB", nullptr, BAD_PARAM_ERROR},
        {"DES_", "0011223344556677", "ECB", nullptr, 0},
        {"DES_", "00112233445566", "ECB", nullptr, BAD_KEY_LEN_ERROR},
        {"DES_", "0011223344556677", "CBC", iv16, BAD_IV_ERROR},
        {"TDEA_", "0011223344556677", "ECB", nullptr, BAD_KEY_LEN_ERROR},
        {"TDEA_", k56.c_str() + 64, "ctr", iv8, 0},
        {"BLF_", "0011", "CBC", nullptr, BAD_IV_ERROR},
        {"BLF_", "0x", "CBC", iv8, BAD_KEY_ERROR},
        {"BLF_", k57.c_str(), "CBC", iv8, BAD_KEY_LEN_ERROR},
        {"BLF_", k56.c_str(), "CBC", iv8, 0},
        {"BLF_", "AB", "OFB", iv8, 0},
    };
    for (const auto& c : cases) {
        const Family& f = family_named(c.family);
        const int32_t h = f.init_hex(c.key, 0, c.mode, c.iv);
        EXPECT_EQ(c.code, f.init_error()) << c.family << " key " << (c.key ? c.key : "(null)") << " mode " << c.mode;
        EXPECT_EQ(c.code == 0, h != 0);
        if (h != 0) {
            EXPECT_EQ(0, f.final_(h));
        }
    }
}

TEST(BlockContexts, UpdateChecksInOrderAndHandlesAreSharedOnlyByTheAesNames) {
    const Bytes key(16, 5), iv(16, 6);
    unsigned char data[32] = {0};
    const int32_t h = AES128_Init(key.data(), 1, "CBC", iv.data());
    ASSERT_NE(0, h);
    EXPECT_EQ(NULL_ERROR, AES128_Update(0, nullptr, -1));
    EXPECT_EQ(BAD_PARAM_ERROR, AES128_Update(0, data, -1));
    EXPECT_EQ(INVALID_HANDLE_ERROR, AES128_Update(0, data, 15));
    EXPECT_EQ(INVALID_HANDLE_ERROR, AES128_Update(h + 2, data, 15));
    EXPECT_EQ(BAD_LENGTH_ERROR, AES128_Update(h, data, 15));
    EXPECT_EQ(0, AES256_Update(h, data, 16));  // one slot for the three AES names
    EXPECT_EQ(0, AES192_Update(h, data, 0));
    EXPECT_EQ(INVALID_HANDLE_ERROR, DES_Update(h, data, 8));
    EXPECT_EQ(INVALID_HANDLE_ERROR, TDEA_Update(h, data, 8));
    EXPECT_EQ(INVALID_HANDLE_ERROR, BLF_Update(h, data, 8));

    char text[] = "00112233445566778899AABBCCDDEEF";  // odd length
    EXPECT_EQ(BAD_PARAM_ERROR, AES128_UpdateHex(h, nullptr));
    EXPECT_EQ(BAD_PARAM_ERROR, AES128_UpdateHex(h, const_cast<char*>("")));
    EXPECT_EQ(INVALID_HANDLE_ERROR, AES128_UpdateHex(h + 2, text));
    EXPECT_EQ(BAD_FORMAT_ERROR, AES128_UpdateHex(h, text));
    EXPECT_STREQ("00112233445566778899AABBCCDDEEF", text);

    EXPECT_EQ(0, AES192_Final(h));
    EXPECT_EQ(INVALID_HANDLE_ERROR, AES128_Final(h));
    EXPECT_EQ(INVALID_HANDLE_ERROR, AES128_Final(0));
    EXPECT_EQ(INVALID_HANDLE_ERROR, AES128_Update(h, data, 16));
}

TEST(BlockContexts, FailingInitEndsTheOpenContext) {
    const Bytes key(24, 5), iv(16, 6);
    unsigned char data[16] = {0};
    const int32_t h = AES128_Init(key.data(), 1, "CTR", iv.data());
    ASSERT_NE(0, h);
    EXPECT_EQ(0, AES128_Init(key.data(), 1, "XYZ", iv.data()));
    EXPECT_EQ(BAD_MODE_ERROR, AES128_InitError());
    EXPECT_EQ(INVALID_HANDLE_ERROR, AES128_Update(h, data, 16));

    const int32_t d = DES_InitHex("0011223344556677", 1, "ECB", nullptr);
    ASSERT_NE(0, d);
    EXPECT_EQ(0, DES_InitHex("", 1, "ECB", nullptr));
    EXPECT_EQ(BAD_PARAM_ERROR, DES_InitError());
    EXPECT_EQ(INVALID_HANDLE_ERROR, DES_Final(d));

    EXPECT_EQ(0, BLF_InitHex("0011", 1, "CBC", nullptr));
    EXPECT_EQ(BAD_IV_ERROR, BLF_InitError());
}

TEST(BlockContexts, InitErrorIsUnframed) {
    EXPECT_EQ(0, TDEA_Init(nullptr, 1, "ECB", nullptr));
    EXPECT_EQ(BAD_KEY_ERROR, API_ErrorCode());
    EXPECT_EQ(BAD_KEY_ERROR, TDEA_InitError());
    EXPECT_EQ(BAD_KEY_ERROR, API_ErrorCode());  // neither cleared nor replaced
    const Bytes key(24, 1);
    const int32_t h = TDEA_Init(key.data(), 1, "ECB", nullptr);
    ASSERT_NE(0, h);
    EXPECT_EQ(0, TDEA_InitError());
    EXPECT_EQ(0, API_ErrorCode());
    EXPECT_EQ(0, TDEA_Final(h));
}

TEST(BlockContexts, BlowfishRawEcbUsesTheOpenKeyAndLeavesTheChainAlone) {
    const Bytes key = tu::from_hex("FEDCBA9876543210"), iv(8, 3), pt = tu::from_hex("0123456789ABCDEF0123456789ABCDEF");
    Bytes expect(16);
    ASSERT_EQ(0, BLF_BytesMode(expect.data(), pt.data(), 16, key.data(), 8, 1, "CBC", iv.data()));

    const int32_t h = BLF_Init(key.data(), 8, 1, "CBC", iv.data());
    ASSERT_NE(0, h);
    Bytes buf = pt;
    ASSERT_EQ(0, BLF_Update(h, buf.data(), 8));
    Bytes block = tu::from_hex("0123456789ABCDEF");
    ASSERT_EQ(0, BLF_Ecb(h, block.data(), 8, 1));
    EXPECT_EQ("0ACEAB0FC6A0A28D", tu::to_hex(block));
    ASSERT_EQ(0, BLF_Ecb(h, block.data(), 8, 0));
    EXPECT_EQ("0123456789ABCDEF", tu::to_hex(block));
    char hex[] = "0123456789abcdef";
    ASSERT_EQ(0, BLF_EcbHex(h, hex, 1));
    EXPECT_STREQ("0ACEAB0FC6A0A28D", hex);
    ASSERT_EQ(0, BLF_Update(h, buf.data() + 8, 8));  // the CBC chain went on untouched
    EXPECT_EQ(expect, buf);

    EXPECT_EQ(NULL_ERROR, BLF_Ecb(h, nullptr, -1, 1));
    EXPECT_EQ(BAD_PARAM_ERROR, BLF_Ecb(0, block.data(), -1, 1));
    EXPECT_EQ(INVALID_HANDLE_ERROR, BLF_Ecb(0, block.data(), 7, 1));
    EXPECT_EQ(BAD_LENGTH_ERROR, BLF_Ecb(h, block.data(), 7, 1));
    EXPECT_EQ(BAD_PARAM_ERROR, BLF_EcbHex(0, nullptr, 1));
    char odd[] = "012";
    EXPECT_EQ(BAD_FORMAT_ERROR, BLF_EcbHex(0, odd, 1));  // the text before the handle
    char one[] = "0";
    EXPECT_EQ(BAD_FORMAT_ERROR, BLF_EcbHex(h, one, 1));
    char short_block[] = "0011";
    EXPECT_EQ(INVALID_HANDLE_ERROR, BLF_EcbHex(0, short_block, 1));
    EXPECT_EQ(BAD_LENGTH_ERROR, BLF_EcbHex(h, short_block, 1));
    EXPECT_STREQ("0011", short_block);
    EXPECT_EQ(0, BLF_Final(h));
}

TEST(BlockContexts, HandlesAreRefusedInOtherThreads) {
    const Bytes key(16, 8), iv(16, 9);
    unsigned char data[16] = {0};
    int32_t h = 0;
    std::thread owner([&] { h = AES128_Init(key.data(), 1, "OFB", iv.data()); });
    owner.join();
    ASSERT_NE(0, h);

    int32_t no_context = -1, other_handle = -1, other_live = 0;
    std::thread other([&] {
        no_context = AES128_Update(h, data, 16);  // this thread has no live AES context
        // Open contexts until this thread's live handle differs from h (fresh
        // threads draw handles from the same starting point by design).
        for (int i = 0; i < 4 && (other_live == 0 || other_live == h); ++i)
            other_live = AES128_Init(key.data(), 1, "OFB", iv.data());
        other_handle = AES128_Update(h, data, 16);
        AES128_Final(other_live);
    });
    other.join();
    EXPECT_EQ(INVALID_HANDLE_ERROR, no_context);
    ASSERT_NE(h, other_live);
    EXPECT_EQ(INVALID_HANDLE_ERROR, other_handle);
}

// --- DES weak keys through the exports ------------------------------------------------

TEST(DesCheckKey, ByteAndHexFormsAreUnframed) {
    const struct {
        const char* hex;
        int32_t code;
    } cases[] = {
        {"0101010101010101", WEAK_KEY_ERROR}, {"0000000000000000", WEAK_KEY_ERROR},
        {"01FE01FE01FE01FE", WEAK_KEY_ERROR}, {"0123456789ABCDEF", 0},
        {"01010101010101", BAD_KEY_LEN_ERROR}, {"0123456789ABCDEF0101010101010101", WEAK_KEY_ERROR},
        {"", BAD_KEY_LEN_ERROR},              {"012", BAD_KEY_LEN_ERROR},
        {"0123456789ABCDEG", BAD_KEY_LEN_ERROR},
        {"0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123", 0},
        {"0123456789ABCDEF23456789ABCDEF01456789ABCDEF012345", BAD_KEY_LEN_ERROR},  // 50 characters
    };
    EXPECT_EQ(0, TDEA_Init(nullptr, 1, "ECB", nullptr));  // leaves BAD_KEY_ERROR as the last error
    for (const auto& c : cases) {
        EXPECT_EQ(c.code, DES_CheckKeyHex(c.hex)) << c.hex;
        const std::string h = c.hex;
        if (h.size() % 2 == 0 && h.find('G') == std::string::npos && !h.empty()) {
            const Bytes key = tu::from_hex(h);
            EXPECT_EQ(c.code, DES_CheckKey(key.data(), static_cast<int32_t>(key.size()))) << c.hex;
        }
    }
    EXPECT_EQ(BAD_KEY_LEN_ERROR, DES_CheckKeyHex(nullptr));
    EXPECT_EQ(BAD_KEY_LEN_ERROR, DES_CheckKey(nullptr, 8));
    EXPECT_EQ(BAD_KEY_ERROR, API_ErrorCode());
}
