// CIPHER_, key wrap and the stream ciphers against OpenSSL on random keys,
// IVs and lengths: every algorithm, mode and padding reachable through
// CIPHER_EncryptBytes (PKCS #5 and no padding by OpenSSL's own padding, the
// other schemes padded by hand and encrypted without padding; Triple DES in
// CTR by a counter model over OpenSSL's ECB), CIPHER_Update in pieces, AES
// key wrap against EVP_aes_*_wrap, Arcfour against RC4 of the legacy
// provider, and ChaCha20 with 8-, 12- and 16-byte IVs against EVP_chacha20.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

#include "openssl_providers.h"
#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;
using tu::len32;

namespace {

// One EVP run: with padding (PKCS #7) or without; key length set for RC4.
Bytes evp(const std::string& name, const Bytes& key, const Bytes& iv, bool enc, const Bytes& in, bool pad) {
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
    EXPECT_NE(nullptr, cipher) << name;
    if (cipher == nullptr) return {};
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CIPHER_CTX_set_flags(ctx, EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    EXPECT_EQ(1, EVP_CipherInit_ex(ctx, cipher, nullptr, nullptr, nullptr, enc ? 1 : 0));
    EXPECT_EQ(1, EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())));
    EXPECT_EQ(1, EVP_CipherInit_ex(ctx, nullptr, nullptr, key.data(), iv.empty() ? nullptr : iv.data(), enc ? 1 : 0));
    EVP_CIPHER_CTX_set_padding(ctx, pad ? 1 : 0);
    Bytes out(in.size() + 64);
    int n = 0, m = 0;
    EXPECT_EQ(1, EVP_CipherUpdate(ctx, out.data(), &n, tu::nonnull(in), static_cast<int>(in.size())));
    EXPECT_EQ(1, EVP_CipherFinal_ex(ctx, out.data() + n, &m));
    out.resize(static_cast<std::size_t>(n + m));
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
    return out;
}

struct Alg {
    const char* text;
    int32_t field;
    const char* ossl;  // OpenSSL name without the mode
    std::size_t key_len, block;
};
const Alg kAlgs[] = {
    {"tdea", CIPHER_ALG_TDEA, "DES-EDE3", 24, 8},
    {"aes128", CIPHER_ALG_AES128, "AES-128", 16, 16},
    {"aes192", CIPHER_ALG_AES192, "AES-192", 24, 16},
    {"aes256", CIPHER_ALG_AES256, "AES-256", 32, 16},
};

struct Mode {
    const char* text;
    int32_t field;
    const char* ossl;  // suffix (OpenSSL's DES-EDE3-CFB is the full-block CFB-64)
};
const Mode kModes[] = {{"ecb", CIPHER_MODE_ECB, "ECB"},
                       {"cbc", CIPHER_MODE_CBC, "CBC"},
                       {"ofb", CIPHER_MODE_OFB, "OFB"},
                       {"cfb", CIPHER_MODE_CFB, "CFB"},
                       {"ctr", CIPHER_MODE_CTR, "CTR"}};

struct Pad {
    const char* text;
    int32_t field;
};
const Pad kPads[] = {{"", CIPHER_PAD_DEFAULT},          {"/pkcs5padding", CIPHER_PAD_PKCS5},
                     {"/nopadding", CIPHER_PAD_NONE},   {"/oneandzeroes", CIPHER_PAD_ONEANDZEROES},
                     {"/ansix923", CIPHER_PAD_ANSIX923}, {"/w3c", CIPHER_PAD_W3C}};

std::string ossl_name(const Alg& a, const Mode& m) {
    const std::string mode = m.ossl;
    if (a.block == 8 && mode == "ECB") return "DES-EDE3-ECB";
    return std::string(a.ossl) + "-" + mode;
}

// The padding of a scheme by hand, as the schemes define it.
Bytes pad_by_hand(Bytes data, std::size_t b, int32_t field) {
    const std::size_t n = b - data.size() % b;
    for (std::size_t i = 0; i < n; ++i) {
        uint8_t x = static_cast<uint8_t>(n);
        if (field == CIPHER_PAD_ONEANDZEROES) x = i == 0 ? 0x80 : 0;
        if (field == CIPHER_PAD_ANSIX923 && i + 1 < n) x = 0;
        data.push_back(x);
    }
    return data;
}

// OpenSSL's side of an encryption: the mode's cipher, padded as the choice pads.
Bytes oracle_encrypt(const Alg& a, const Mode& m, const Pad& p, const Bytes& key, const Bytes& iv, const Bytes& pt) {
    const bool block_mode = m.field == CIPHER_MODE_ECB || m.field == CIPHER_MODE_CBC;
    const Bytes ivx = m.field == CIPHER_MODE_ECB ? Bytes{} : iv;
    if (m.field == CIPHER_MODE_CTR && a.block == 8) {
        // Counter model: E(IV + i) with a 64-bit big-endian counter.
        uint64_t c = 0;
        for (uint8_t x : iv) c = (c << 8) | x;
        Bytes counters;
        for (std::size_t i = 0; i < (pt.size() + 7) / 8; ++i, ++c)
            for (int s = 56; s >= 0; s -= 8) counters.push_back(static_cast<uint8_t>(c >> s));
        const Bytes ks = evp("DES-EDE3-ECB", key, {}, true, counters, false);
        Bytes out(pt.size());
        for (std::size_t i = 0; i < pt.size(); ++i) out[i] = pt[i] ^ ks[i];
        return out;
    }
    if (!block_mode || p.field == CIPHER_PAD_NONE) return evp(ossl_name(a, m), key, ivx, true, pt, false);
    if (p.field == CIPHER_PAD_DEFAULT || p.field == CIPHER_PAD_PKCS5 || p.field == CIPHER_PAD_W3C)
        return evp(ossl_name(a, m), key, ivx, true, pt, true);
    return evp(ossl_name(a, m), key, ivx, true, pad_by_hand(pt, a.block, p.field), false);
}

}  // namespace

TEST(CipherOracle, EveryAlgorithmModeAndPaddingMatchesOpenSsl) {
    ossl_legacy_loaded();  // loads the providers
    tu::Prng rng(0xC1F0);
    for (const Alg& a : kAlgs) {
        for (const Mode& m : kModes) {
            for (const Pad& p : kPads) {
                const bool block_mode = m.field == CIPHER_MODE_ECB || m.field == CIPHER_MODE_CBC;
                const bool padded = block_mode && p.field != CIPHER_PAD_NONE;
                const std::string text = std::string(a.text) + "/" + m.text + p.text;
                for (int round = 0; round < 12; ++round) {
                    const Bytes key = rng.bytes(a.key_len), iv = rng.bytes(a.block);
                    std::size_t len = rng.below(100);
                    if (block_mode && !padded) len -= len % a.block;
                    const Bytes pt = rng.bytes(len);
                    SCOPED_TRACE(text + " length " + std::to_string(len) + " key " + tu::to_hex(key));
                    const Bytes want = oracle_encrypt(a, m, p, key, iv, pt);
                    // By text, and by option word with the IV in front.
                    Bytes ct(want.size() + a.block);
                    ASSERT_EQ(len32(want), CIPHER_EncryptBytes(ct.data(), len32(ct), tu::nonnull(pt), len32(pt),
                                                               key.data(), len32(key), iv.data(), len32(iv),
                                                               text.c_str(), 0));
                    ct.resize(want.size());
                    ASSERT_EQ(want, ct);
                    const int32_t word = a.field | m.field | p.field | OPT_PREFIX_IV;
                    Bytes pre(want.size() + a.block);
                    ASSERT_EQ(len32(pre), CIPHER_EncryptBytes(pre.data(), len32(pre), tu::nonnull(pt), len32(pt),
                                                              key.data(), len32(key), iv.data(), len32(iv), nullptr,
                                                              word));
                    ASSERT_EQ(want, Bytes(pre.begin() + static_cast<std::ptrdiff_t>(a.block), pre.end()));
                    // And back, both ways.
                    Bytes back(want.size() + 1);
                    ASSERT_EQ(len32(pt), CIPHER_DecryptBytes(back.data(), len32(back), tu::nonnull(want), len32(want),
                                                             key.data(), len32(key), iv.data(), len32(iv),
                                                             text.c_str(), 0));
                    back.resize(pt.size());
                    ASSERT_EQ(pt, back);
                    back.assign(pre.size(), 0);
                    ASSERT_EQ(len32(pt), CIPHER_DecryptBytes(back.data(), len32(back), pre.data(), len32(pre),
                                                             key.data(), len32(key), nullptr, 0, nullptr, word));
                    back.resize(pt.size());
                    ASSERT_EQ(pt, back);
                }
            }
        }
    }
}

TEST(CipherOracle, ContextInPiecesMatchesOpenSsl) {
    ossl_legacy_loaded();  // loads the providers
    tu::Prng rng(0xC7E);
    for (const Alg& a : kAlgs) {
        for (const Mode& m : kModes) {
            const std::string text = std::string(a.text) + "/" + m.text;
            for (int round = 0; round < 10; ++round) {
                const Bytes key = rng.bytes(a.key_len), iv = rng.bytes(a.block);
                const std::size_t len = a.block * (1 + rng.below(12));
                const Bytes pt = rng.bytes(len);
                SCOPED_TRACE(text + " length " + std::to_string(len));
                const Bytes want = oracle_encrypt(a, m, kPads[2], key, iv, pt);
                for (int encrypt = 1; encrypt >= 0; --encrypt) {
                    const int32_t h = CIPHER_Init(encrypt, text.c_str(), key.data(), len32(key), iv.data(),
                                                  len32(iv), 0);
                    ASSERT_NE(0, h);
                    const Bytes& in = encrypt ? pt : want;
                    Bytes out(len);
                    std::size_t pos = 0;
                    while (pos < len) {  // whole blocks: the modes take them the same in any split
                        std::size_t n = a.block * (1 + rng.below(3));
                        if (n > len - pos) n = len - pos;
                        ASSERT_EQ(0, CIPHER_Update(h, out.data() + pos, static_cast<int32_t>(n), in.data() + pos,
                                                   static_cast<int32_t>(n)));
                        pos += n;
                    }
                    ASSERT_EQ(0, CIPHER_Final(h));
                    ASSERT_EQ(encrypt ? want : pt, out);
                }
            }
        }
    }
}

TEST(CipherOracle, AesKeyWrapMatchesOpenSsl) {
    ossl_legacy_loaded();  // loads the providers
    tu::Prng rng(0x3394);
    const char* names[] = {"AES-128-WRAP", "AES-192-WRAP", "AES-256-WRAP"};
    for (int k = 0; k < 3; ++k) {
        const Alg& a = kAlgs[1 + k];
        for (int round = 0; round < 30; ++round) {
            const Bytes kek = rng.bytes(a.key_len), key = rng.bytes(16 + 8 * rng.below(8));
            SCOPED_TRACE(std::string(names[k]) + " key data " + std::to_string(key.size()));
            const Bytes want = evp(names[k], kek, {}, true, key, false);
            Bytes out(key.size() + 8);
            ASSERT_EQ(len32(out), CIPHER_KeyWrap(out.data(), len32(out), key.data(), len32(key), kek.data(),
                                                 len32(kek), a.field));
            ASSERT_EQ(want, out);
            Bytes back(key.size());
            ASSERT_EQ(len32(key), CIPHER_KeyUnwrap(back.data(), len32(back), want.data(), len32(want), kek.data(),
                                                   len32(kek), a.field));
            ASSERT_EQ(key, back);
        }
    }
}

TEST(StreamOracle, ArcfourMatchesRc4OfTheLegacyProvider) {
    if (!ossl_legacy_loaded()) GTEST_SKIP() << "OpenSSL's legacy provider did not load";
    tu::Prng rng(0x4C4);
    for (int round = 0; round < 60; ++round) {
        const Bytes key = rng.bytes(1 + rng.below(64)), pt = rng.bytes(rng.below(3000));
        SCOPED_TRACE("key " + std::to_string(key.size()) + " length " + std::to_string(pt.size()));
        const Bytes want = evp("RC4", key, {}, true, pt, false);
        Bytes out(pt.size());
        ASSERT_EQ(0, CIPHER_StreamBytes(out.data(), tu::nonnull(pt), len32(pt), key.data(), len32(key), nullptr, 0, 0,
                                        STREAM_ARCFOUR));
        ASSERT_EQ(want, out);
        ASSERT_EQ(0, PC1_Bytes(out.data(), tu::nonnull(pt), len32(pt), key.data(), len32(key)));
        ASSERT_EQ(want, out);
    }
}

TEST(StreamOracle, ChaCha20MatchesOpenSslWithEveryIvLength) {
    ossl_legacy_loaded();  // loads the providers
    tu::Prng rng(0xC4A);
    for (int round = 0; round < 60; ++round) {
        const Bytes key = rng.bytes(32), pt = rng.bytes(rng.below(1500));
        const std::size_t iv_len = round % 3 == 0 ? 8 : round % 3 == 1 ? 12 : 16;
        const Bytes iv = rng.bytes(iv_len);
        const uint32_t counter = rng.below(1000);
        // OpenSSL's 16-byte IV is the four words 12 to 15, little endian.
        Bytes ossl_iv;
        if (iv_len == 16) {
            ossl_iv = iv;
        } else {
            for (int s = 0; s < 32; s += 8) ossl_iv.push_back(static_cast<uint8_t>(counter >> s));
            if (iv_len == 8) ossl_iv.insert(ossl_iv.end(), 4, 0);
            ossl_iv.insert(ossl_iv.end(), iv.begin(), iv.end());
        }
        SCOPED_TRACE("IV " + std::to_string(iv_len) + " length " + std::to_string(pt.size()));
        const Bytes want = evp("ChaCha20", key, ossl_iv, true, pt, false);
        Bytes out(pt.size());
        ASSERT_EQ(0, CIPHER_StreamBytes(out.data(), tu::nonnull(pt), len32(pt), key.data(), 32, iv.data(),
                                        len32(iv), static_cast<int32_t>(counter), STREAM_CHACHA20));
        ASSERT_EQ(want, out);
        // The context in uneven pieces.
        const int32_t h = CIPHER_StreamInit(key.data(), 32, iv.data(), len32(iv), static_cast<int32_t>(counter),
                                            STREAM_CHACHA20);
        ASSERT_NE(0, h);
        std::size_t pos = 0;
        while (pos < pt.size()) {
            std::size_t n = 1 + rng.below(200);
            if (n > pt.size() - pos) n = pt.size() - pos;
            ASSERT_EQ(0, CIPHER_StreamUpdate(h, out.data() + pos, pt.data() + pos, static_cast<int32_t>(n)));
            pos += n;
        }
        ASSERT_EQ(0, CIPHER_StreamFinal(h));
        ASSERT_EQ(want, out);
    }
}
