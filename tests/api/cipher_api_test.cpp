// CIPHER_ block functions, PAD_ and key wrap as a caller sees them: the
// Wycheproof AES-CBC-PKCS5 and AES key wrap files, SP 800-38A and the
// Triple DES examples through the generic names (text and option word, bytes,
// hex and the context), RFC 3394's examples, the text and option word, check
// orders and signs, query mode, the IV block in front, the padding schemes,
// and the faults mended: sizes past INT32_MAX, no read through a missing IV,
// "" for an empty text result, NULL pointers refused.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "../engine/block_vectors.h"
#include "cipher_vectors.h"
#include "json_lite.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;
using tu::len32;

const char* const kModeTexts[] = {"ecb", "cbc", "cfb", "ofb", "ctr"};  // engine numbering
const int32_t kModeBits[] = {CIPHER_MODE_ECB, CIPHER_MODE_CBC, CIPHER_MODE_CFB, CIPHER_MODE_OFB, CIPHER_MODE_CTR};

int32_t aes_alg(std::size_t key_len) {
    return key_len == 16 ? CIPHER_ALG_AES128 : key_len == 24 ? CIPHER_ALG_AES192 : CIPHER_ALG_AES256;
}
std::string aes_text(std::size_t key_len) { return "aes" + std::to_string(key_len * 8); }

// Encrypts (or decrypts) with a query first, then into a buffer of exactly
// the size the query gave; returns the bytes, or the negative result as one
// byte vector with *rc set.
Bytes crypt(bool encrypt, const Bytes& in, const Bytes& key, const Bytes& iv, const char* text, int32_t options,
            int32_t* rc = nullptr) {
    auto fn = encrypt ? CIPHER_EncryptBytes : CIPHER_DecryptBytes;
    const unsigned char* ivp = iv.empty() ? nullptr : iv.data();
    const int32_t need = fn(nullptr, 0, tu::nonnull(in), len32(in), key.data(), len32(key), ivp, len32(iv), text,
                            options);
    if (rc != nullptr) *rc = need;
    if (need < 0) return {};
    Bytes out(static_cast<std::size_t>(need) + 1);
    const int32_t got = fn(out.data(), need == 0 ? 1 : need, tu::nonnull(in), len32(in), key.data(), len32(key), ivp,
                           len32(iv), text, options);
    if (rc != nullptr) *rc = got;
    EXPECT_EQ(need, got);
    if (got < 0) return {};
    out.resize(static_cast<std::size_t>(got));
    return out;
}

// --- Published vectors ---------------------------------------------------------------------------

TEST(CipherApi, WycheproofAesCbcPkcs5) {
    const std::size_t n = json::for_each_wycheproof_test(
        tu::vector_path("wycheproof/aes_cbc_pkcs5_test.json"), [](const json::Value&, const json::Value& t) {
            const Bytes key = tu::from_hex(t["key"].as_string()), iv = tu::from_hex(t["iv"].as_string());
            const Bytes msg = tu::from_hex(t["msg"].as_string()), ct = tu::from_hex(t["ct"].as_string());
            SCOPED_TRACE("tcId " + std::to_string(t["tcId"].as_int()));
            const std::string text = aes_text(key.size()) + "/cbc/pkcs5padding";
            int32_t rc = 0;
            const Bytes back = crypt(false, ct, key, iv, text.c_str(), 0, &rc);
            if (t["result"].as_string() == "valid") {
                EXPECT_EQ(msg, back);
                EXPECT_EQ(ct, crypt(true, msg, key, iv, text.c_str(), 0));
                // The option word, the default padding, and the IV in front.
                EXPECT_EQ(ct, crypt(true, msg, key, iv, nullptr, aes_alg(key.size()) | CIPHER_MODE_CBC));
                Bytes prefixed = iv;
                prefixed.insert(prefixed.end(), ct.begin(), ct.end());
                EXPECT_EQ(prefixed, crypt(true, msg, key, iv, text.c_str(), OPT_PREFIX_IV));
                EXPECT_EQ(msg, crypt(false, prefixed, key, {}, text.c_str(), OPT_PREFIX_IV));
            } else {
                EXPECT_TRUE(rc == -DECRYPT_ERROR || rc == -BAD_LENGTH_ERROR) << rc;
            }
        });
    EXPECT_GT(n, 200u);
}

TEST(CipherApi, WycheproofAesKeyWrap) {
    json::for_each_wycheproof_test(
        tu::vector_path("wycheproof/aes_wrap_test.json"), [](const json::Value&, const json::Value& t) {
            const Bytes kek = tu::from_hex(t["key"].as_string());
            const Bytes msg = tu::from_hex(t["msg"].as_string()), ct = tu::from_hex(t["ct"].as_string());
            SCOPED_TRACE("tcId " + std::to_string(t["tcId"].as_int()));
            const int32_t alg = aes_alg(kek.size());
            Bytes out(ct.size() + 8, 0x5A);
            const int32_t rc =
                CIPHER_KeyUnwrap(out.data(), len32(out), tu::nonnull(ct), len32(ct), kek.data(), len32(kek), alg);
            const bool length_ok = ct.size() >= 24 && ct.size() % 8 == 0;
            if (t["result"].as_string() == "valid") {
                ASSERT_EQ(len32(msg), rc);
                out.resize(msg.size());
                EXPECT_EQ(msg, out);
                Bytes wrapped(ct.size());
                EXPECT_EQ(len32(ct), CIPHER_KeyWrap(wrapped.data(), len32(wrapped), msg.data(), len32(msg),
                                                    kek.data(), len32(kek), alg));
                EXPECT_EQ(ct, wrapped);
            } else if (!length_ok) {
                // 8-byte keys ("acceptable" to some) are refused: at least 16.
                EXPECT_EQ(-BAD_LENGTH_ERROR, rc);
            } else {
                EXPECT_EQ(-1, rc);
                EXPECT_EQ(Bytes(out.size(), 0), out);  // the whole stated output zeroed
            }
            if (msg.size() < 16 || msg.size() % 8 != 0) {
                Bytes wrapped(msg.size() + 8);
                EXPECT_EQ(-BAD_LENGTH_ERROR, CIPHER_KeyWrap(wrapped.data(), len32(wrapped), tu::nonnull(msg),
                                                            len32(msg), kek.data(), len32(kek), alg));
            }
        });
}

TEST(CipherApi, Rfc3394Examples) {
    for (const cipher_vectors::WrapExample& e : cipher_vectors::kRfc3394) {
        const Bytes kek = tu::from_hex(e.kek), key = tu::from_hex(e.key), wrapped = tu::from_hex(e.wrapped);
        const int32_t alg = aes_alg(kek.size());
        SCOPED_TRACE(e.wrapped);
        EXPECT_EQ(len32(wrapped), CIPHER_KeyWrap(nullptr, 0, key.data(), len32(key), kek.data(), len32(kek), alg));
        Bytes out(wrapped.size());
        ASSERT_EQ(len32(wrapped), CIPHER_KeyWrap(out.data(), len32(out), key.data(), len32(key), kek.data(),
                                                 len32(kek), alg));
        EXPECT_EQ(wrapped, out);
        EXPECT_EQ(len32(key), CIPHER_KeyUnwrap(nullptr, 0, wrapped.data(), len32(wrapped), kek.data(), len32(kek), alg));
        Bytes back(key.size());
        ASSERT_EQ(len32(key), CIPHER_KeyUnwrap(back.data(), len32(back), wrapped.data(), len32(wrapped), kek.data(),
                                               len32(kek), alg));
        EXPECT_EQ(key, back);
        // One bit changed anywhere: -1, last error 1, the output all zeros.
        for (std::size_t i = 0; i < wrapped.size(); i += 7) {
            Bytes bad = wrapped;
            bad[i] ^= 0x10;
            Bytes zeroed(key.size() + 5, 0xEE);
            EXPECT_EQ(-1, CIPHER_KeyUnwrap(zeroed.data(), len32(zeroed), bad.data(), len32(bad), kek.data(),
                                           len32(kek), alg));
            EXPECT_EQ(1, API_ErrorCode());
            EXPECT_EQ(Bytes(zeroed.size(), 0), zeroed);
        }
    }
}

TEST(CipherApi, KnownAnswersThroughTheGenericNames) {
    for (const auto& v : block_vectors::kKnownAnswers) {
        if (v.cipher != block_vectors::Cipher::Aes && v.cipher != block_vectors::Cipher::Tdea) continue;
        const Bytes key = tu::from_hex(v.key), iv = tu::from_hex(v.iv);
        const Bytes pt = tu::from_hex(v.plaintext), ct = tu::from_hex(v.ciphertext);
        const bool aes = v.cipher == block_vectors::Cipher::Aes;
        const std::string text = (aes ? aes_text(key.size()) : std::string("tdea")) + "/" + kModeTexts[v.mode] +
                                 "/nopadding";
        const int32_t word = (aes ? aes_alg(key.size()) : CIPHER_ALG_TDEA) | kModeBits[v.mode] | CIPHER_PAD_NONE;
        SCOPED_TRACE(std::string(v.source) + " " + text + " key " + v.key);
        EXPECT_EQ(ct, crypt(true, pt, key, iv, text.c_str(), 0));
        EXPECT_EQ(ct, crypt(true, pt, key, iv, nullptr, word));
        EXPECT_EQ(pt, crypt(false, ct, key, iv, text.c_str(), 0));
        if (v.mode > 1) {  // CFB, OFB and CTR never pad: the text without a padding word is the same
            const std::string no_pad = text.substr(0, text.rfind('/'));
            EXPECT_EQ(ct, crypt(true, pt, key, iv, no_pad.c_str(), 0));
        }

        // Hex: upper-case output from lower-case input.
        const std::string iv_hex = tu::to_hex(iv, false);
        std::vector<char> out(2 * ct.size() + 1);
        ASSERT_EQ(2 * len32(ct), CIPHER_EncryptHex(out.data(), 2 * len32(ct), tu::to_hex(pt, false).c_str(),
                                                   tu::to_hex(key, false).c_str(),
                                                   v.mode ? iv_hex.c_str() : nullptr, text.c_str(), 0));
        EXPECT_EQ(tu::to_hex(ct), std::string(out.data()));
        ASSERT_EQ(2 * len32(pt), CIPHER_DecryptHex(out.data(), 2 * len32(pt), tu::to_hex(ct).c_str(),
                                                   tu::to_hex(key).c_str(), v.mode ? iv_hex.c_str() : nullptr,
                                                   text.c_str(), 0));
        EXPECT_EQ(tu::to_hex(pt), std::string(out.data()));

        // The context, one block at a time, and in hex.
        const int32_t h = CIPHER_Init(1, text.c_str(), key.data(), len32(key), v.mode ? iv.data() : nullptr,
                                      len32(iv), 0);
        ASSERT_NE(0, h);
        const std::size_t b = aes ? 16 : 8;
        Bytes got(pt.size());
        for (std::size_t pos = 0; pos < pt.size(); pos += b)
            ASSERT_EQ(0, CIPHER_Update(h, got.data() + pos, static_cast<int32_t>(b), pt.data() + pos,
                                       static_cast<int32_t>(b)));
        EXPECT_EQ(ct, got);
        EXPECT_EQ(0, CIPHER_Final(h));
        const int32_t hx = CIPHER_InitHex(0, text.c_str(), tu::to_hex(key).c_str(), v.mode ? iv_hex.c_str() : nullptr,
                                          0);
        ASSERT_NE(0, hx);
        std::vector<char> text_out(2 * pt.size() + 1);
        ASSERT_EQ(0, CIPHER_UpdateHex(hx, text_out.data(), 2 * len32(pt), tu::to_hex(ct, false).c_str()));
        EXPECT_EQ(tu::to_hex(pt), std::string(text_out.data()));
        EXPECT_EQ(0, CIPHER_Final(hx));
    }
}

// --- The text and the option word ----------------------------------------------------------------

TEST(CipherApi, TextAndOptionWordResolveInOrder) {
    const Bytes key = Bytes(16, 0x11), iv = Bytes(16, 0x22), pt = Bytes(16, 0x33);
    // The text and the word agree.
    EXPECT_EQ(crypt(true, pt, key, iv, "aes128/cbc/pkcs5padding", 0), crypt(true, pt, key, iv, nullptr, 0x20120));
    EXPECT_EQ(crypt(true, pt, key, iv, "AES-128/CBC/PKCS5Padding", 0), crypt(true, pt, key, iv, "aes128cbcpkcs5", 0));
    EXPECT_EQ(crypt(true, pt, key, iv, "Aes128 Cbc Pkcs5", 0), crypt(true, pt, key, iv, "aes128_cbc.pkcs5", 0));
    struct Row {
        const char* text;
        int32_t options;
        int32_t key_len, iv_len;
        int32_t want;
    };
    const Row rows[] = {
        {"aes128-cbc", CIPHER_ALG_TDEA, 16, 16, -BAD_FLAG_ERROR},
        {nullptr, CIPHER_MODE_CBC, 16, 16, -BAD_FLAG_ERROR},
        {"", 0, 16, 16, -BAD_FLAG_ERROR},
        {"aes128/xyz", 0, 16, 16, -BAD_PARAM_ERROR},
        {"aes128/cbc/pkcs7", 0, 16, 16, -BAD_PARAM_ERROR},
        {"aes128/cbc/pkcs5/x", 0, 16, 16, -BAD_PARAM_ERROR},
        {"aes/cbc", 0, 16, 16, -BAD_PARAM_ERROR},
        {"-/-", 0, 16, 16, -BAD_PARAM_ERROR},
        {nullptr, CIPHER_ALG_AES128 | 0x500, 16, 16, -BAD_MODE_ERROR},
        {nullptr, 0x50 | CIPHER_MODE_CBC, 16, 16, -INTERNAL_ERROR},
        {"aes128/cbc", 0, 24, 16, -BAD_KEY_LEN_ERROR},
        {"aes128/cbc", 0, 16, 8, -BAD_IV_LEN_ERROR},
        {"tdea/cbc", 0, 24, 16, -BAD_IV_LEN_ERROR},
        {"aes128cbcnopad", 0, 16, 16, 16},
        {"aes128/ecb", 0, 16, 0, 32},                    // ECB reads no IV
        {"aes128/ctr/pkcs5padding", 0, 16, 16, 16},      // never padding in CTR
        {"aes128/cbc", 0x600 | OPT_PREFIX_IV, 16, 16, 48},  // the text's mode replaces the word's; the prefix stays
        {"tdea", 0, 24, 0, 24},
        {"3des/ecb", 0, 24, 0, 24},
        {"desede3/cbc/nopadding", 0, 24, 8, 16},
        {"DESede/CBC/NoPadding", 0, 24, 8, 16},
        {nullptr, CIPHER_ALG_AES256 | CIPHER_MODE_CBC | 0x70000, 32, 16, 16},  // unassigned padding: none
    };
    Bytes big(64, 0);
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.text ? r.text : "(null)") + " options " + std::to_string(r.options));
        EXPECT_EQ(r.want, CIPHER_EncryptBytes(nullptr, 0, pt.data(), 16, big.data(), r.key_len, big.data(), r.iv_len,
                                              r.text, r.options));
        if (r.want < 0) {
            EXPECT_EQ(-r.want, API_ErrorCode());
        }
    }
}

// --- CIPHER_EncryptBytes and CIPHER_DecryptBytes -------------------------------------------------

TEST(CipherApi, EncryptLengthsQueriesAndPrefix) {
    const Bytes key(16, 0x01), iv = tu::from_hex("000102030405060708090A0B0C0D0E0F"), pt(16, 0x5C);
    EXPECT_EQ(32, CIPHER_EncryptBytes(nullptr, 0, pt.data(), 16, key.data(), 16, iv.data(), 16, "aes128/cbc", 0));
    EXPECT_EQ(48, CIPHER_EncryptBytes(nullptr, 0, pt.data(), 16, key.data(), 16, iv.data(), 16, "aes128/cbc",
                                      OPT_PREFIX_IV));
    // A query comes before the NULL checks.
    EXPECT_EQ(32, CIPHER_EncryptBytes(nullptr, 0, nullptr, 16, nullptr, 16, nullptr, 16, "aes128/cbc", 0));
    Bytes out(48);
    ASSERT_EQ(48, CIPHER_EncryptBytes(out.data(), 48, pt.data(), 16, key.data(), 16, iv.data(), 16, "aes128/cbc",
                                      OPT_PREFIX_IV));
    EXPECT_EQ(iv, Bytes(out.begin(), out.begin() + 16));
    EXPECT_EQ(crypt(true, pt, key, iv, "aes128/cbc", 0), Bytes(out.begin() + 16, out.end()));
    EXPECT_EQ(5, CIPHER_EncryptBytes(nullptr, 0, pt.data(), 5, key.data(), 16, iv.data(), 16,
                                     "aes128/ctr/pkcs5padding", 0));
    Bytes twenty(20);
    EXPECT_EQ(-BAD_LENGTH_ERROR, CIPHER_EncryptBytes(out.data(), 48, twenty.data(), 20, key.data(), 16, nullptr, 0,
                                                     "aes128/ecb/nopadding", 0));
    struct Row {
        const char* what;
        unsigned char* output;
        int32_t outputLen;
        const unsigned char* input;
        int32_t inputLen;
        const unsigned char* key;
        const unsigned char* iv;
        int32_t want;
    };
    const Row rows[] = {
        {"negative length", out.data(), 48, pt.data(), -1, key.data(), iv.data(), -BAD_LENGTH_ERROR},
        {"NULL input", out.data(), 48, nullptr, 16, key.data(), iv.data(), -NULL_ERROR},
        {"NULL key", out.data(), 48, pt.data(), 16, nullptr, iv.data(), -NULL_ERROR},
        {"short output", out.data(), 31, pt.data(), 16, key.data(), iv.data(), -SHORT_BUF_ERROR},
        {"NULL IV in CBC", out.data(), 48, pt.data(), 16, key.data(), nullptr, -BAD_IV_ERROR},
        {"negative output length is a query", out.data(), -5, pt.data(), 16, key.data(), iv.data(), 32},
        {"NULL input of no bytes", out.data(), 48, nullptr, 0, key.data(), iv.data(), 16},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.want, CIPHER_EncryptBytes(r.output, r.outputLen, r.input, r.inputLen, r.key, 16, r.iv, 16,
                                              "aes128/cbc", 0));
    }
}

TEST(CipherApi, PrefixInEcbWritesTheIvOrZerosNeverReadsPastIt) {
    const Bytes key(16, 0x07), pt(16, 0x44);
    const Bytes ecb = crypt(true, pt, key, {}, "aes128/ecb", 0);
    // A NULL IV, or one shorter than a block: a block of zeros in front.
    for (int32_t iv_len : {0, 5}) {
        Bytes short_iv(static_cast<std::size_t>(iv_len == 0 ? 0 : iv_len), 0xAB);  // exactly iv_len bytes on the heap
        Bytes out(48, 0xFF);
        ASSERT_EQ(48, CIPHER_EncryptBytes(out.data(), 48, pt.data(), 16, key.data(), 16,
                                          iv_len == 0 ? nullptr : short_iv.data(), iv_len, "aes128/ecb",
                                          OPT_PREFIX_IV));
        EXPECT_EQ(Bytes(16, 0), Bytes(out.begin(), out.begin() + 16));
        EXPECT_EQ(ecb, Bytes(out.begin() + 16, out.end()));
        // The decryption skips the block.
        EXPECT_EQ(pt, crypt(false, out, key, {}, "aes128/ecb", OPT_PREFIX_IV));
    }
    // A whole IV is copied in front, in ECB as elsewhere.
    const Bytes iv(16, 0x3C);
    Bytes out(48);
    ASSERT_EQ(48, CIPHER_EncryptBytes(out.data(), 48, pt.data(), 16, key.data(), 16, iv.data(), 16, "aes128/ecb",
                                      OPT_PREFIX_IV));
    EXPECT_EQ(iv, Bytes(out.begin(), out.begin() + 16));
}

TEST(CipherApi, DecryptQueriesPaddingAndChecks) {
    const Bytes key(16, 0x01), iv(16, 0x02), pt(16, 0x5C);
    const Bytes ct = crypt(true, pt, key, iv, "aes128/cbc", 0);
    ASSERT_EQ(32u, ct.size());
    // A query decrypts and returns the exact plaintext length.
    EXPECT_EQ(16, CIPHER_DecryptBytes(nullptr, 0, ct.data(), 32, key.data(), 16, iv.data(), 16, "aes128/cbc", 0));
    // Without padding: the whole, with a block of 0x10 at the end.
    const Bytes raw = crypt(false, ct, key, iv, "aes128/cbc/nopad", 0);
    ASSERT_EQ(32u, raw.size());
    EXPECT_EQ(Bytes(16, 0x10), Bytes(raw.begin() + 16, raw.end()));
    // A block ending in 0x00, encrypted without padding, fails the default unpadding.
    Bytes zero_end(16, 0x41);
    zero_end[15] = 0;
    const Bytes ct0 = crypt(true, zero_end, key, iv, "aes128/cbc/nopadding", 0);
    EXPECT_EQ(-DECRYPT_ERROR,
              CIPHER_DecryptBytes(nullptr, 0, ct0.data(), 16, key.data(), 16, iv.data(), 16, "aes128/cbc", 0));
    // A buffer shorter than the ciphertext but long enough for the plaintext.
    Bytes out(16);
    EXPECT_EQ(16, CIPHER_DecryptBytes(out.data(), 16, ct.data(), 32, key.data(), 16, iv.data(), 16, "aes128/cbc", 0));
    EXPECT_EQ(pt, out);
    EXPECT_EQ(-SHORT_BUF_ERROR,
              CIPHER_DecryptBytes(out.data(), 15, ct.data(), 32, key.data(), 16, iv.data(), 16, "aes128/cbc", 0));
    struct Row {
        const char* what;
        int32_t outputLen;
        const unsigned char* input;
        int32_t inputLen;
        const unsigned char* key;
        int32_t options;
        int32_t want;
    };
    const Row rows[] = {
        {"negative length", 32, ct.data(), -1, key.data(), 0, -BAD_LENGTH_ERROR},
        {"negative output length", -1, ct.data(), 32, key.data(), 0, -BAD_PARAM_ERROR},
        {"NULL input", 32, nullptr, 32, key.data(), 0, -NULL_ERROR},
        {"NULL key", 32, ct.data(), 32, nullptr, 0, -NULL_ERROR},
        {"prefix shorter than a block", 32, ct.data(), 15, key.data(), OPT_PREFIX_IV, -BAD_LENGTH_ERROR},
        {"not whole blocks", 32, ct.data(), 31, key.data(), 0, -BAD_LENGTH_ERROR},
        {"no data", 32, ct.data(), 0, key.data(), 0, -BAD_LENGTH_ERROR},
    };
    Bytes buf(32);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.want, CIPHER_DecryptBytes(buf.data(), r.outputLen, r.input, r.inputLen, r.key, 16, iv.data(), 16,
                                              "aes128/cbc", r.options));
        EXPECT_EQ(-r.want, API_ErrorCode());
    }
    // With the IV in front the iv argument's length is not checked.
    Bytes prefixed = iv;
    prefixed.insert(prefixed.end(), ct.begin(), ct.end());
    EXPECT_EQ(16, CIPHER_DecryptBytes(buf.data(), 32, prefixed.data(), 48, key.data(), 16, nullptr, 3, "aes128/cbc",
                                      OPT_PREFIX_IV));
    // Bytes2 are the same functions.
    EXPECT_EQ(16, CIPHER_DecryptBytes2(buf.data(), 32, ct.data(), 32, key.data(), 16, iv.data(), 16, "aes128/cbc", 0));
    EXPECT_EQ(32, CIPHER_EncryptBytes2(nullptr, 0, pt.data(), 16, key.data(), 16, iv.data(), 16, "aes128/cbc", 0));
}

TEST(CipherApi, EveryPaddingSchemeRoundTripsThroughEveryAlgorithm) {
    tu::Prng rng(0xC1F);
    const char* pads[] = {"", "/pkcs5", "/oneandzeroes", "/ansix923", "/w3c", "/nopadding"};
    const char* algs[] = {"tdea", "aes128", "aes192", "aes256"};
    const std::size_t keys[] = {24, 16, 24, 32};
    for (int a = 0; a < 4; ++a) {
        const std::size_t b = a == 0 ? 8 : 16;
        for (int m = 0; m < 5; ++m) {
            for (const char* pad : pads) {
                const std::string text = std::string(algs[a]) + "/" + kModeTexts[m] + pad;
                const bool padded = m < 2 && std::string(pad) != "/nopadding";
                for (std::size_t len : {std::size_t{0}, b - 1, b, 2 * b + 3}) {
                    if (m < 2 && !padded && len % b != 0) continue;
                    SCOPED_TRACE(text + " length " + std::to_string(len));
                    const Bytes key = rng.bytes(keys[a]), iv = rng.bytes(b), pt = rng.bytes(len);
                    const Bytes ct = crypt(true, pt, key, iv, text.c_str(), 0);
                    EXPECT_EQ(padded ? (len / b + 1) * b : len, ct.size());
                    EXPECT_EQ(pt, crypt(false, ct, key, iv, text.c_str(), 0));
                }
            }
        }
    }
}

TEST(CipherApi, LengthsPastInt32MaxAreRefusedNotWrapped) {
    const Bytes key(32, 1), iv(16, 2);
    // Input + padding + IV block past INT32_MAX: -26 (the length code of its input).
    EXPECT_EQ(-BAD_LENGTH_ERROR, CIPHER_EncryptBytes(nullptr, 0, nullptr, INT32_MAX - 5, key.data(), 16, iv.data(),
                                                     16, "aes128/cbc", 0));
    EXPECT_EQ(-BAD_LENGTH_ERROR, CIPHER_EncryptBytes(nullptr, 0, nullptr, INT32_MAX - 10, key.data(), 16, iv.data(),
                                                     16, "aes128/ctr", OPT_PREFIX_IV));
    EXPECT_EQ(INT32_MAX - 20, CIPHER_EncryptBytes(nullptr, 0, nullptr, INT32_MAX - 20, key.data(), 16, iv.data(), 16,
                                                  "aes128/ctr", 0));
    // A buffer that the wrapped length would have called long enough.
    Bytes out(64);
    EXPECT_EQ(-BAD_LENGTH_ERROR, CIPHER_EncryptBytes(out.data(), 64, out.data(), INT32_MAX, key.data(), 16,
                                                     iv.data(), 16, "aes128/cbc", OPT_PREFIX_IV));
    // Key data + 8.
    EXPECT_EQ(-BAD_LENGTH_ERROR,
              CIPHER_KeyWrap(nullptr, 0, key.data(), INT32_MAX - 7, key.data(), 16, CIPHER_ALG_AES128));
    EXPECT_EQ(-BAD_LENGTH_ERROR,
              CIPHER_KeyWrap(out.data(), 64, key.data(), INT32_MAX - 7, key.data(), 16, CIPHER_ALG_AES128));
    // Input + n: -6 (the function's parameter code).
    EXPECT_EQ(-BAD_PARAM_ERROR, PAD_BytesBlock(nullptr, 0, out.data(), INT32_MAX - 3, 16, 0));
    EXPECT_EQ(-BAD_PARAM_ERROR, PAD_BytesBlock(out.data(), 64, out.data(), INT32_MAX, 8, 0));
    EXPECT_EQ(INT32_MAX - 7, PAD_BytesBlock(nullptr, 0, out.data(), INT32_MAX - 8, 8, 0));
}

TEST(CipherApi, HexFormsChecksQueriesAndEmptyResults) {
    const std::string key = "000102030405060708090A0B0C0D0E0F", iv = "0F0E0D0C0B0A09080706050403020100";
    std::vector<char> out(100, 'X');
    EXPECT_EQ(-INVALID_DATA_ERROR, CIPHER_EncryptHex(out.data(), 99, "ABC", key.c_str(), iv.c_str(), "aes128/cbc", 0));
    EXPECT_EQ(-INVALID_DATA_ERROR, CIPHER_EncryptHex(out.data(), 99, "AB", "0g", iv.c_str(), "aes128/cbc", 0));
    EXPECT_EQ(-INVALID_DATA_ERROR, CIPHER_EncryptHex(out.data(), 99, "AB", key.c_str(), "0", "aes128/cbc", 0));
    EXPECT_EQ(-BAD_PARAM_ERROR, CIPHER_EncryptHex(out.data(), 99, "", key.c_str(), iv.c_str(), "aes128/cbc", 0));
    EXPECT_EQ(-BAD_PARAM_ERROR, CIPHER_EncryptHex(out.data(), 99, "AB", nullptr, iv.c_str(), "aes128/cbc", 0));
    EXPECT_EQ(-BAD_PARAM_ERROR, CIPHER_EncryptHex(out.data(), -1, "AB", key.c_str(), iv.c_str(), "aes128/cbc", 0));
    // A query with a bad key length: the code once, not doubled.
    EXPECT_EQ(-BAD_KEY_LEN_ERROR, CIPHER_EncryptHex(nullptr, 0, "AB", "0011", iv.c_str(), "aes128/cbc", 0));
    EXPECT_EQ(BAD_KEY_LEN_ERROR, API_ErrorCode());
    EXPECT_EQ(32, CIPHER_EncryptHex(nullptr, 0, "AB", key.c_str(), iv.c_str(), "aes128/cbc", 0));
    EXPECT_EQ(-SHORT_BUF_ERROR, CIPHER_EncryptHex(out.data(), 31, "AB", key.c_str(), iv.c_str(), "aes128/cbc", 0));
    ASSERT_EQ(32, CIPHER_EncryptHex(out.data(), 99, "AB", key.c_str(), iv.c_str(), "aes128/cbc", 0));
    const std::string ct(out.data());
    EXPECT_EQ(32u, ct.size());
    // A NULL IV text is no IV: refused in CBC, fine in ECB.
    EXPECT_EQ(-BAD_IV_LEN_ERROR, CIPHER_EncryptHex(out.data(), 99, "AB", key.c_str(), nullptr, "aes128/cbc", 0));
    EXPECT_EQ(32, CIPHER_EncryptHex(out.data(), 99, "AB", key.c_str(), nullptr, "aes128/ecb", 0));
    // The decryption, its query, and the IV in front.
    EXPECT_EQ(2, CIPHER_DecryptHex(nullptr, 0, ct.c_str(), key.c_str(), iv.c_str(), "aes128/cbc", 0));
    ASSERT_EQ(2, CIPHER_DecryptHex(out.data(), 99, ct.c_str(), key.c_str(), iv.c_str(), "aes128/cbc", 0));
    EXPECT_STREQ("AB", out.data());
    ASSERT_EQ(64, CIPHER_EncryptHex(out.data(), 99, "AB", key.c_str(), iv.c_str(), "aes128/cbc", OPT_PREFIX_IV));
    EXPECT_EQ(iv + ct, std::string(out.data()));
    const std::string prefixed(out.data());
    ASSERT_EQ(2, CIPHER_DecryptHex(out.data(), 99, prefixed.c_str(), key.c_str(), nullptr, "aes128/cbc",
                                   OPT_PREFIX_IV));
    EXPECT_STREQ("AB", out.data());
    // An empty result: "" (the NUL written), 0 returned.
    Bytes kb = tu::from_hex(key), ivb = tu::from_hex(iv);
    const Bytes only_padding = crypt(true, {}, kb, ivb, "aes128/cbc", 0);
    std::fill(out.begin(), out.end(), 'X');
    EXPECT_EQ(0, CIPHER_DecryptHex(out.data(), 99, tu::to_hex(only_padding).c_str(), key.c_str(), iv.c_str(),
                                   "aes128/cbc", 0));
    EXPECT_EQ('\0', out[0]);
    std::fill(out.begin(), out.end(), 'X');
    EXPECT_EQ(0, CIPHER_DecryptHex(out.data(), 99, (iv + tu::to_hex(only_padding)).c_str(), key.c_str(), nullptr,
                                   "aes128/cbc", OPT_PREFIX_IV));
    EXPECT_EQ('\0', out[0]);
}

// --- The context ---------------------------------------------------------------------------------

TEST(CipherApi, ContextChecksAndLifecycle) {
    const Bytes key(24, 0x31), iv(8, 0x32), iv16(16, 0x33);
    // Failures return 0 with the code as the last error.
    EXPECT_EQ(0, CIPHER_Init(1, "tdea/cbc", key.data(), 24, iv16.data(), 16, 0));
    EXPECT_EQ(BAD_IV_LEN_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_Init(1, "tdea/cbc", nullptr, 24, iv.data(), 8, 0));
    EXPECT_EQ(NULL_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_Init(1, "tdea/cbc", key.data(), 24, nullptr, 8, 0));
    EXPECT_EQ(BAD_IV_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_Init(1, "aes128", key.data(), 24, nullptr, 0, 0));
    EXPECT_EQ(BAD_KEY_LEN_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_InitHex(1, "tdea/cbc", "", "0001020304050607", 0));
    EXPECT_EQ(BAD_PARAM_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_InitHex(1, "tdea/cbc", "zz", "0001020304050607", 0));
    EXPECT_EQ(INVALID_DATA_ERROR, API_ErrorCode());
    const std::string key_hex = tu::to_hex(key);
    EXPECT_EQ(0, CIPHER_InitHex(1, "tdea/cbc", (key_hex + "0").c_str(), "0001020304050607", 0));
    EXPECT_EQ(BAD_KEY_LEN_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_InitHex(1, "tdea/cbc", key_hex.c_str(), "000102030405060", 0));
    EXPECT_EQ(BAD_IV_LEN_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_InitHex(1, "tdea/cbc", (key_hex + key_hex + key_hex).c_str(), "0001020304050607", 0));
    EXPECT_EQ(BAD_KEY_LEN_ERROR, API_ErrorCode());
    EXPECT_NE(0, CIPHER_InitHex(1, "tdea/ecb", key_hex.c_str(), "000", 0));  // an odd IV is ignored in ECB

    const int32_t h = CIPHER_Init(1, "tdea/cbc", key.data(), 24, iv.data(), 8, 0);
    ASSERT_NE(0, h);
    EXPECT_EQ(1, h & 1);
    EXPECT_LE(h, 0x3FFFFFFF);
    Bytes buf(32, 0x55), out(32);
    struct Row {
        const char* what;
        int32_t handle;
        unsigned char* output;
        int32_t outputLen;
        const unsigned char* input;
        int32_t inputLen;
        int32_t want;
    };
    const Row rows[] = {
        {"handle 0", 0, out.data(), 32, buf.data(), 16, -INVALID_HANDLE_ERROR},
        {"another handle", h + 2, out.data(), 32, buf.data(), 16, -INVALID_HANDLE_ERROR},
        {"NULL output", h, nullptr, 32, buf.data(), 16, -NULL_ERROR},
        {"NULL input with a length", h, out.data(), 32, nullptr, 16, -NULL_ERROR},
        {"negative length", h, out.data(), 32, buf.data(), -8, -BAD_LENGTH_ERROR},
        {"short output", h, out.data(), 8, buf.data(), 16, -SHORT_BUF_ERROR},
        {"not whole blocks", h, out.data(), 32, buf.data(), 15, -BAD_LENGTH_ERROR},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.want, CIPHER_Update(r.handle, r.output, r.outputLen, r.input, r.inputLen));
        EXPECT_EQ(-r.want, API_ErrorCode());
    }
    // The failures changed nothing: two pieces equal the one-shot.
    ASSERT_EQ(0, CIPHER_Update(h, out.data(), 32, buf.data(), 16));
    ASSERT_EQ(0, CIPHER_Update(h, out.data() + 16, 16, buf.data() + 16, 16));
    EXPECT_EQ(crypt(true, buf, key, iv, "tdea/cbc/nopadding", 0), out);
    // In place, and no data at all.
    ASSERT_EQ(0, CIPHER_Update(h, buf.data(), 32, buf.data(), 0));
    // UpdateHex: checks in order; an empty text writes "".
    std::vector<char> text(40, 'X');
    EXPECT_EQ(-NULL_ERROR, CIPHER_UpdateHex(h, nullptr, 39, "0011"));
    EXPECT_EQ(0, CIPHER_UpdateHex(h, text.data(), 39, ""));
    EXPECT_EQ('\0', text[0]);
    EXPECT_EQ(-INVALID_DATA_ERROR, CIPHER_UpdateHex(h, text.data(), 39, "ABC"));
    EXPECT_EQ(-INVALID_DATA_ERROR, CIPHER_UpdateHex(h, text.data(), 39, "ABCDEFGH-1234567"));
    EXPECT_EQ(-SHORT_BUF_ERROR, CIPHER_UpdateHex(h, text.data(), 15, "0011223344556677"));
    EXPECT_EQ(-BAD_LENGTH_ERROR, CIPHER_UpdateHex(h, text.data(), 39, "00112233"));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_UpdateHex(h + 2, text.data(), 39, "0011223344556677"));
    // Final: 0, then -64; a new Init ends the old handle.
    EXPECT_EQ(0, CIPHER_Final(h));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_Final(h));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_Final(0));
    const int32_t h1 = CIPHER_Init(0, nullptr, key.data(), 24, nullptr, 0, CIPHER_ALG_TDEA);
    ASSERT_NE(0, h1);
    EXPECT_EQ(0, CIPHER_Init(0, "tdea/xyz", key.data(), 24, nullptr, 0, 0));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_Update(h1, out.data(), 8, buf.data(), 8));
}

// --- Key wrap ------------------------------------------------------------------------------------

TEST(CipherApi, KeyWrapChecksInOrder) {
    const Bytes kek(32, 0x0A), key(32, 0x0B);
    Bytes out(48);
    struct Row {
        const char* what;
        bool unwrap;
        unsigned char* output;
        int32_t outputLen;
        const unsigned char* data;
        int32_t dataLen;
        const unsigned char* kek;
        int32_t kekLen;
        int32_t options;
        int32_t want;
    };
    const Row rows[] = {
        {"no algorithm", false, out.data(), 48, key.data(), 16, kek.data(), 16, 0, -BAD_FLAG_ERROR},
        {"algorithm 0x50", false, out.data(), 48, key.data(), 16, kek.data(), 16, 0x50, -BAD_FLAG_ERROR},
        {"KEK length", false, out.data(), 48, key.data(), 16, kek.data(), 24, CIPHER_ALG_AES128, -BAD_KEY_LEN_ERROR},
        {"8 bytes of key data", false, out.data(), 48, key.data(), 8, kek.data(), 16, CIPHER_ALG_AES128,
         -BAD_LENGTH_ERROR},
        {"20 bytes of key data", false, out.data(), 48, key.data(), 20, kek.data(), 16, CIPHER_ALG_AES128,
         -BAD_LENGTH_ERROR},
        {"query before NULLs", false, nullptr, 0, nullptr, 16, nullptr, 16, CIPHER_ALG_AES128, 24},
        {"NULL kek", false, out.data(), 48, key.data(), 16, nullptr, 16, CIPHER_ALG_AES128, -NULL_ERROR},
        {"NULL key data", false, out.data(), 48, nullptr, 16, kek.data(), 16, CIPHER_ALG_AES128, -NULL_ERROR},
        {"short output", false, out.data(), 23, key.data(), 16, kek.data(), 16, CIPHER_ALG_AES128, -SHORT_BUF_ERROR},
        {"negative output length", false, out.data(), -1, key.data(), 16, kek.data(), 16, CIPHER_ALG_AES128,
         -SHORT_BUF_ERROR},
        {"TDEA 16 bytes", false, out.data(), 48, key.data(), 16, kek.data(), 24, CIPHER_ALG_TDEA, -BAD_LENGTH_ERROR},
        {"TDEA query", false, nullptr, 0, key.data(), 24, kek.data(), 24, CIPHER_ALG_TDEA, 40},
        {"unwrap 16 bytes", true, out.data(), 48, key.data(), 16, kek.data(), 16, CIPHER_ALG_AES128,
         -BAD_LENGTH_ERROR},
        {"unwrap query", true, out.data(), 0, nullptr, 32, nullptr, 16, CIPHER_ALG_AES128, 24},
        {"unwrap NULL wrapped", true, out.data(), 48, nullptr, 32, kek.data(), 16, CIPHER_ALG_AES128, -NULL_ERROR},
        {"unwrap NULL kek", true, out.data(), 48, key.data(), 32, nullptr, 16, CIPHER_ALG_AES128, -NULL_ERROR},
        {"unwrap short", true, out.data(), 23, key.data(), 32, kek.data(), 16, CIPHER_ALG_AES128, -SHORT_BUF_ERROR},
        {"TDEA unwrap 48 bytes", true, out.data(), 48, key.data(), 48, kek.data(), 24, CIPHER_ALG_TDEA,
         -BAD_LENGTH_ERROR},
        {"TDEA unwrap query", true, nullptr, 48, key.data(), 40, kek.data(), 24, CIPHER_ALG_TDEA, 24},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const int32_t got = r.unwrap ? CIPHER_KeyUnwrap(r.output, r.outputLen, r.data, r.dataLen, r.kek, r.kekLen,
                                                        r.options)
                                     : CIPHER_KeyWrap(r.output, r.outputLen, r.data, r.dataLen, r.kek, r.kekLen,
                                                      r.options);
        EXPECT_EQ(r.want, got);
        EXPECT_EQ(r.want < 0 ? -r.want : 0, API_ErrorCode());
    }
}

TEST(CipherApi, TdeaKeyWrapsDifferAndUnwrap) {
    tu::Prng rng(0x3217);
    const Bytes kek = rng.bytes(24), key = rng.bytes(24);
    Bytes a(40), b(40);
    ASSERT_EQ(40, CIPHER_KeyWrap(a.data(), 40, key.data(), 24, kek.data(), 24, CIPHER_ALG_TDEA));
    ASSERT_EQ(40, CIPHER_KeyWrap(b.data(), 40, key.data(), 24, kek.data(), 24, CIPHER_ALG_TDEA));
    EXPECT_NE(a, b);  // different wrap IVs
    for (const Bytes* w : {&a, &b}) {
        Bytes back(24);
        ASSERT_EQ(24, CIPHER_KeyUnwrap(back.data(), 24, w->data(), 40, kek.data(), 24, CIPHER_ALG_TDEA));
        EXPECT_EQ(key, back);
    }
    for (std::size_t i = 0; i < 40; ++i) {
        Bytes bad = a;
        bad[i] ^= 0x01;
        Bytes out(30, 0x77);
        EXPECT_EQ(-1, CIPHER_KeyUnwrap(out.data(), 30, bad.data(), 40, kek.data(), 24, CIPHER_ALG_TDEA)) << i;
        EXPECT_EQ(Bytes(30, 0), out);
    }
    Bytes wrong_kek = kek;
    wrong_kek[0] ^= 0x80;
    Bytes out(24, 0x77);
    EXPECT_EQ(-1, CIPHER_KeyUnwrap(out.data(), 24, a.data(), 40, wrong_kek.data(), 24, CIPHER_ALG_TDEA));
    EXPECT_EQ(Bytes(24, 0), out);
}

// --- PAD_ ----------------------------------------------------------------------------------------

TEST(PadApi, BytesBlockWritesEachScheme) {
    const Bytes in = tu::from_hex("000102030405060708090A0B0C");
    struct Row {
        int32_t options;
        const char* tail;
    };
    const Row rows[] = {{0, "030303"}, {CIPHER_PAD_NONE, "030303"}, {CIPHER_PAD_PKCS5, "030303"},
                        {CIPHER_PAD_ONEANDZEROES, "800000"}, {CIPHER_PAD_ANSIX923, "000003"},
                        {CIPHER_PAD_W3C, "030303"}, {0x90000, "030303"}};
    for (const Row& r : rows) {
        Bytes out(16);
        ASSERT_EQ(16, PAD_BytesBlock(out.data(), 16, in.data(), 13, 8, r.options));
        EXPECT_EQ(tu::from_hex(r.tail), Bytes(out.begin() + 13, out.end())) << r.options;
        EXPECT_EQ(in, Bytes(out.begin(), out.begin() + 13));
    }
    Bytes out(24);
    ASSERT_EQ(24, PAD_BytesBlock(out.data(), 24, out.data(), 16, 8, 0));  // in place
    EXPECT_EQ(Bytes(8, 8), Bytes(out.begin() + 16, out.end()));
    EXPECT_EQ(-BAD_BLK_LEN_ERROR, PAD_BytesBlock(out.data(), 24, in.data(), 13, 12, 0));
    EXPECT_EQ(16, PAD_BytesBlock(nullptr, 0, in.data(), 13, 8, 0));
    EXPECT_EQ(-SHORT_BUF_ERROR, PAD_BytesBlock(out.data(), 15, in.data(), 13, 8, 0));
    EXPECT_EQ(-NULL_ERROR, PAD_BytesBlock(out.data(), 24, nullptr, 13, 8, 0));
    EXPECT_EQ(-BAD_PARAM_ERROR, PAD_BytesBlock(out.data(), 24, in.data(), -1, 8, 0));
    EXPECT_EQ(-BAD_BLK_LEN_ERROR, PAD_BytesBlock(out.data(), 24, nullptr, -1, 7, 0));  // block length first
    EXPECT_EQ(8, PAD_BytesBlock(out.data(), 24, nullptr, 0, 8, 0));
}

TEST(PadApi, UnpadBytesReadsEachScheme) {
    struct Row {
        const char* data;
        int32_t block, options, want;
    };
    const Row rows[] = {
        {"41414141414141414141410505050505", 16, 0, 11},
        {"41414141414141414141410505040505", 16, 0, -DECRYPT_ERROR},
        {"41414141414141414141414141414100", 16, 0, -DECRYPT_ERROR},
        {"41414141414141414141414141414111", 16, 0, -DECRYPT_ERROR},
        {"41414141414141414141414101020304", 16, CIPHER_PAD_W3C, 12},
        {"41414141414141414141414101020304", 16, CIPHER_PAD_ANSIX923, -DECRYPT_ERROR},
        {"41414141414141414141414100000004", 16, CIPHER_PAD_ANSIX923, 12},
        {"4142438000000000", 8, CIPHER_PAD_ONEANDZEROES, 3},
        {"0000000000000000", 8, CIPHER_PAD_ONEANDZEROES, -DECRYPT_ERROR},
        {"4180000100000000", 8, CIPHER_PAD_ONEANDZEROES, -DECRYPT_ERROR},
        {"8000000000000000", 8, CIPHER_PAD_ONEANDZEROES, 0},
        {"0808080808080808", 8, 0, 0},
        {"414141414141414141414141414141", 16, 0, -BAD_LENGTH_ERROR},
        {"41414141414141414141414141414141", 12, 0, -BAD_BLK_LEN_ERROR},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.data);
        const Bytes in = tu::from_hex(r.data);
        Bytes out(in.size(), 0xEE);
        EXPECT_EQ(r.want, PAD_UnpadBytes(out.data(), len32(out), in.data(), len32(in), r.block, r.options));
        if (r.want >= 0) EXPECT_EQ(Bytes(in.begin(), in.begin() + r.want), Bytes(out.begin(), out.begin() + r.want));
        else EXPECT_EQ(Bytes(in.size(), 0xEE), out);  // nothing written on failure
    }
    Bytes buf = tu::from_hex("41414141414141414141410505050505");
    EXPECT_EQ(-NULL_ERROR, PAD_UnpadBytes(nullptr, 16, buf.data(), 16, 16, 0));
    EXPECT_EQ(-NULL_ERROR, PAD_UnpadBytes(buf.data(), 16, nullptr, 16, 16, 0));
    EXPECT_EQ(-SHORT_BUF_ERROR, PAD_UnpadBytes(buf.data(), 10, buf.data(), 16, 16, 0));
    EXPECT_EQ(-BAD_LENGTH_ERROR, PAD_UnpadBytes(buf.data(), 16, buf.data(), -16, 16, 0));
    EXPECT_EQ(11, PAD_UnpadBytes(buf.data(), 16, buf.data(), 16, 16, 0));  // in place
}

TEST(PadApi, HexForms) {
    std::vector<char> out(40, 'X');
    EXPECT_EQ(16, PAD_HexBlock(nullptr, 0, "abcdef", 8, 0));
    ASSERT_EQ(16, PAD_HexBlock(out.data(), 39, "abcdef", 8, 0));
    EXPECT_STREQ("abcdef0505050505", out.data());
    EXPECT_EQ(-BAD_FORMAT_ERROR, PAD_HexBlock(out.data(), 39, "abc", 8, 0));
    EXPECT_EQ(-NULL_ERROR, PAD_HexBlock(out.data(), 39, nullptr, 8, 0));
    EXPECT_EQ(-BAD_BLK_LEN_ERROR, PAD_HexBlock(out.data(), 39, "abcdef", 9, 0));
    EXPECT_EQ(-SHORT_BUF_ERROR, PAD_HexBlock(out.data(), 15, "abcdef", 8, 0));
    ASSERT_EQ(16, PAD_HexBlock(out.data(), 39, "", 8, CIPHER_PAD_ONEANDZEROES));
    EXPECT_STREQ("8000000000000000", out.data());
    ASSERT_EQ(16, PAD_HexBlock(out.data(), 39, "zz", 8, CIPHER_PAD_ANSIX923));  // characters not checked
    EXPECT_STREQ("zz00000000000007", out.data());

    EXPECT_EQ(6, PAD_UnpadHex(out.data(), 0, "abcdef0505050505", 8, 0));  // query with a real output
    ASSERT_EQ(6, PAD_UnpadHex(out.data(), 39, "abcdef0505050505", 8, 0));
    EXPECT_STREQ("abcdef", out.data());
    EXPECT_EQ(-NULL_ERROR, PAD_UnpadHex(nullptr, 0, "abcdef0505050505", 8, 0));
    EXPECT_EQ(-BAD_FORMAT_ERROR, PAD_UnpadHex(out.data(), 39, "", 8, 0));
    EXPECT_EQ(-BAD_FORMAT_ERROR, PAD_UnpadHex(out.data(), 39, "abcdef050505050", 8, 0));
    EXPECT_EQ(-BAD_LENGTH_ERROR, PAD_UnpadHex(out.data(), 39, "abcdef0505050505ab", 8, 0));
    EXPECT_EQ(-DECRYPT_ERROR, PAD_UnpadHex(out.data(), 39, "abcdef0505050405", 8, 0));
    EXPECT_EQ(-SHORT_BUF_ERROR, PAD_UnpadHex(out.data(), 5, "abcdef0505050505", 8, 0));
    // A pair that is not hex reads as its leading digit: "5z" is 5.
    ASSERT_EQ(6, PAD_UnpadHex(out.data(), 39, "abcdef010203045z", 8, CIPHER_PAD_W3C));
    EXPECT_STREQ("abcdef", out.data());
    ASSERT_EQ(6, PAD_UnpadHex(out.data(), 39, "ABCDEF050505055z", 8, CIPHER_PAD_PKCS5));
    EXPECT_STREQ("ABCDEF", out.data());
}

}  // namespace
