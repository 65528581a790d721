// AES-GCM and ChaCha20-Poly1305 against OpenSSL's libcrypto: every message
// length from 0 to 1,000 bytes with random keys, nonces and AAD, through the
// one-shot exports and through the incremental context with random split
// points (any split must give the bytes of one call), and OpenSSL's output
// decrypted back. GCM_ with IVs of other lengths and AES-192 too.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

using tu::len32;
const uint8_t* ptr(const Bytes& b) { return tu::nonnull(b); }

// OpenSSL's encryption: ciphertext || 16-byte tag.
Bytes openssl_seal(const EVP_CIPHER* cipher, const Bytes& key, const Bytes& iv, const Bytes& aad, const Bytes& pt) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(pt.size() + 16);
    int n = 0, m = 0;
    bool ok = EVP_EncryptInit_ex2(ctx, cipher, nullptr, nullptr, nullptr) == 1 &&
              EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_SET_IVLEN, static_cast<int>(iv.size()), nullptr) == 1 &&
              EVP_EncryptInit_ex2(ctx, nullptr, key.data(), iv.data(), nullptr) == 1;
    if (ok && !aad.empty()) ok = EVP_EncryptUpdate(ctx, nullptr, &n, aad.data(), static_cast<int>(aad.size())) == 1;
    ok = ok && EVP_EncryptUpdate(ctx, out.data(), &n, ptr(pt), static_cast<int>(pt.size())) == 1 &&
         EVP_EncryptFinal_ex(ctx, out.data() + n, &m) == 1 &&
         EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_GET_TAG, 16, out.data() + pt.size()) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EXPECT_TRUE(ok);
    return out;
}

struct Oracle {
    int32_t alg;
    const char* name;
};

const Oracle kOracles[] = {
    {AEAD_AES_128_GCM, "AES-128-GCM"},
    {AEAD_AES_256_GCM, "AES-256-GCM"},
    {AEAD_CHACHA20_POLY1305, "ChaCha20-Poly1305"},
};

// Encrypts pt through the incremental context in random pieces, with the
// AAD in random pieces too; returns ciphertext || tag.
Bytes seal_in_random_pieces(int32_t h, const Bytes& nonce, const Bytes& aad, const Bytes& pt, tu::Prng& rng) {
    EXPECT_EQ(AEAD_SetNonce(h, nonce.data(), 12), 0);
    for (std::size_t at = 0; at < aad.size();) {
        const std::size_t n = 1 + rng.below(static_cast<uint32_t>(aad.size() - at));
        EXPECT_EQ(AEAD_AddAAD(h, aad.data() + at, static_cast<int32_t>(n)), 0);
        at += n;
    }
    EXPECT_EQ(AEAD_StartEncrypt(h), 0);
    Bytes out(pt.size() + 16);
    for (std::size_t at = 0; at < pt.size();) {
        const std::size_t n = rng.below(2) ? 1 + rng.below(static_cast<uint32_t>(pt.size() - at))
                                           : 1 + rng.below(std::min<uint32_t>(70, static_cast<uint32_t>(pt.size() - at)));
        EXPECT_EQ(AEAD_Update(h, out.data() + at, static_cast<int32_t>(n), pt.data() + at, static_cast<int32_t>(n)), 0);
        at += n;
    }
    EXPECT_EQ(AEAD_FinishEncrypt(h, out.data() + pt.size(), 16), 0);
    return out;
}

TEST(AeadOracle, EveryLengthOneShotAndInPieces) {
    tu::Prng rng(0xAEAD);
    for (const Oracle& o : kOracles) {
        EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, o.name, nullptr);
        ASSERT_NE(cipher, nullptr) << o.name;
        const Bytes key = rng.bytes(o.alg == AEAD_AES_128_GCM ? 16 : 32);
        const int32_t h = AEAD_InitKey(key.data(), len32(key), o.alg);
        ASSERT_NE(h, 0);
        for (std::size_t len = 0; len <= 1000; ++len) {
            const Bytes nonce = rng.bytes(12), aad = rng.bytes(rng.below(3) == 0 ? 0 : rng.below(80));
            const Bytes pt = rng.bytes(len);
            const Bytes want = openssl_seal(cipher, key, nonce, aad, pt);
            Bytes sealed(len + 16);
            ASSERT_EQ(AEAD_EncryptWithTag(sealed.data(), len32(sealed), ptr(pt), len32(pt), key.data(), len32(key),
                                          nonce.data(), 12, ptr(aad), len32(aad), o.alg),
                      len32(sealed));
            ASSERT_EQ(sealed, want) << o.name << " length " << len;
            ASSERT_EQ(seal_in_random_pieces(h, nonce, aad, pt, rng), want) << o.name << " length " << len;
            Bytes back(len + 1);
            ASSERT_EQ(AEAD_Decrypt(back.data(), len32(back), ptr(want), static_cast<int32_t>(len), key.data(),
                                   len32(key), nonce.data(), 12, ptr(aad), len32(aad), want.data() + len, 16, o.alg),
                      0);
            ASSERT_TRUE(std::equal(pt.begin(), pt.end(), back.begin())) << o.name << " length " << len;
        }
        EXPECT_EQ(AEAD_Destroy(h), 0);
        EVP_CIPHER_free(cipher);
    }
}

// GCM_ with AES-128/192/256, IVs of 1 to 40 bytes, random tag lengths.
TEST(GcmOracle, IvLengthsAndKeySizes) {
    tu::Prng rng(0x6C3);
    const std::pair<const char*, std::size_t> ciphers[] = {
        {"AES-128-GCM", 16}, {"AES-192-GCM", 24}, {"AES-256-GCM", 32}};
    for (const auto& c : ciphers) {
        EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, c.first, nullptr);
        ASSERT_NE(cipher, nullptr);
        const Bytes key = rng.bytes(c.second);
        const int32_t h = GCM_InitKey(key.data(), len32(key));
        ASSERT_NE(h, 0);
        for (int round = 0; round < 300; ++round) {
            const Bytes iv = rng.bytes(1 + rng.below(40)), aad = rng.bytes(rng.below(50));
            const Bytes pt = rng.bytes(rng.below(300));
            const Bytes want = openssl_seal(cipher, key, iv, aad, pt);
            const int32_t tag_len = 4 + static_cast<int32_t>(rng.below(13));
            Bytes ct(pt.size()), tag(16);
            ASSERT_EQ(GCM_Encrypt(ct.data(), len32(ct), tag.data(), tag_len, ptr(pt), len32(pt), key.data(),
                                  len32(key), iv.data(), len32(iv), ptr(aad), len32(aad)),
                      0);
            ASSERT_TRUE(std::equal(ct.begin(), ct.end(), want.begin())) << c.first << " round " << round;
            ASSERT_TRUE(std::equal(tag.begin(), tag.begin() + tag_len, want.begin() + static_cast<long>(pt.size())));
            Bytes back(pt.size() + 1);
            ASSERT_EQ(GCM_NextDecrypt(h, back.data(), len32(back), ptr(want), len32(pt), iv.data(), len32(iv),
                                      ptr(aad), len32(aad), want.data() + pt.size(), tag_len),
                      0);
            ASSERT_TRUE(std::equal(pt.begin(), pt.end(), back.begin()));
        }
        EXPECT_EQ(GCM_FinishKey(h), 0);
        EVP_CIPHER_free(cipher);
    }
}

}  // namespace
