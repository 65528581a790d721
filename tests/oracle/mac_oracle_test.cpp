// MAC, XOF and key-derivation exports against OpenSSL's libcrypto on random
// keys, messages, passwords and salts.
#include <gtest/gtest.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/provider.h>
#include <openssl/rsa.h>

#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

const uint8_t* ptr(const Bytes& b) {
    static const uint8_t none = 0;
    return b.empty() ? &none : b.data();
}

// A digest by name, loading the legacy provider for RIPEMD-160 when needed.
EVP_MD* fetch_md(const char* name) {
    EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
    if (md == nullptr) {
        struct Legacy {
            OSSL_PROVIDER* provider = OSSL_PROVIDER_try_load(nullptr, "legacy", 1);
            ~Legacy() {
                if (provider != nullptr) OSSL_PROVIDER_unload(provider);
            }
        };
        static Legacy legacy;
        md = EVP_MD_fetch(nullptr, name, nullptr);
    }
    return md;
}

// OpenSSL's EVP_MAC with optional digest or cipher parameter.
Bytes openssl_mac(const char* mac_name, const char* digest, const char* cipher, const Bytes& key, const Bytes& msg,
                  std::size_t out_len) {
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, mac_name, nullptr);
    EXPECT_NE(mac, nullptr) << mac_name;
    if (mac == nullptr) return {};
    EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(mac);
    OSSL_PARAM params[3];
    int n = 0;
    if (digest != nullptr)
        params[n++] = OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, const_cast<char*>(digest), 0);
    if (cipher != nullptr)
        params[n++] = OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, const_cast<char*>(cipher), 0);
    params[n] = OSSL_PARAM_construct_end();
    Bytes out(out_len);
    std::size_t written = 0;
    const bool ok = EVP_MAC_init(ctx, ptr(key), key.size(), params) == 1 &&
                    EVP_MAC_update(ctx, msg.data(), msg.size()) == 1 &&
                    EVP_MAC_final(ctx, out.data(), &written, out.size()) == 1;
    EXPECT_TRUE(ok) << mac_name;
    out.resize(written);
    EVP_MAC_CTX_free(ctx);
    EVP_MAC_free(mac);
    return out;
}

Bytes tessa_mac(int32_t option, const Bytes& key, const Bytes& msg, std::size_t tag_len) {
    Bytes out(tag_len);
    const int32_t n = MAC_Bytes(out.data(), static_cast<int32_t>(out.size()), msg.data(),
                                static_cast<int32_t>(msg.size()), ptr(key), static_cast<int32_t>(key.size()), option);
    EXPECT_EQ(n, static_cast<int32_t>(tag_len)) << std::hex << option;
    return out;
}

struct HmacAlg {
    int32_t option;
    const char* digest;
    std::size_t tag_len;
};

const HmacAlg kHmacAlgs[] = {
    {MAC_HMAC_SHA1, "SHA1", 20},         {MAC_HMAC_MD5, "MD5", 16},           {MAC_HMAC_SHA256, "SHA256", 32},
    {MAC_HMAC_SHA384, "SHA384", 48},     {MAC_HMAC_SHA512, "SHA512", 64},     {MAC_HMAC_SHA224, "SHA224", 28},
    {MAC_HMAC_RMD160, "RIPEMD160", 20},  {MAC_HMAC_SHA3_224, "SHA3-224", 28}, {MAC_HMAC_SHA3_256, "SHA3-256", 32},
    {MAC_HMAC_SHA3_384, "SHA3-384", 48}, {MAC_HMAC_SHA3_512, "SHA3-512", 64},
};

TEST(MacOracle, HmacEveryHash) {
    tu::Prng prng(101);
    for (const HmacAlg& a : kHmacAlgs) {
        if (std::string(a.digest) == "RIPEMD160") {
            EVP_MD* md = fetch_md("RIPEMD160");
            if (md == nullptr) continue;  // this OpenSSL has no RIPEMD-160
            EVP_MD_free(md);
        }
        for (int i = 0; i < 40; ++i) {
            const Bytes key = prng.bytes(prng.below(200));
            const Bytes msg = prng.bytes(prng.below(600));
            EXPECT_EQ(tessa_mac(a.option, key, msg, a.tag_len), openssl_mac("HMAC", a.digest, nullptr, key, msg, 64))
                << a.digest << " key " << key.size() << " msg " << msg.size();
        }
    }
}

TEST(MacOracle, StreamingHmacWithRandomSplits) {
    tu::Prng prng(102);
    for (const HmacAlg& a : kHmacAlgs) {
        if (a.option == MAC_HMAC_MD5 || a.option == MAC_HMAC_RMD160) continue;  // one-shot only
        for (int i = 0; i < 10; ++i) {
            const Bytes key = prng.bytes(1 + prng.below(200));
            const Bytes msg = prng.bytes(prng.below(1000));
            const int32_t h = MAC_Init(key.data(), static_cast<int32_t>(key.size()), a.option);
            ASSERT_NE(h, 0);
            std::size_t pos = 0;
            while (pos < msg.size()) {
                const std::size_t n = std::min<std::size_t>(prng.below(300), msg.size() - pos);
                ASSERT_EQ(MAC_AddBytes(h, msg.data() + pos, static_cast<int32_t>(n)), 0);
                pos += n;
            }
            Bytes tag(a.tag_len);
            ASSERT_EQ(MAC_Final(tag.data(), static_cast<int32_t>(tag.size()), h), static_cast<int32_t>(a.tag_len));
            EXPECT_EQ(tag, openssl_mac("HMAC", a.digest, nullptr, key, msg, 64)) << a.digest;
        }
    }
}

TEST(MacOracle, Cmac) {
    tu::Prng prng(103);
    const struct {
        int32_t option;
        const char* cipher;
        std::size_t key_len, tag_len;
    } algs[] = {{MAC_CMAC_AES128, "AES-128-CBC", 16, 16},
                {MAC_CMAC_AES192, "AES-192-CBC", 24, 16},
                {MAC_CMAC_AES256, "AES-256-CBC", 32, 16},
                {MAC_CMAC_TDEA, "DES-EDE3-CBC", 24, 8}};
    for (const auto& a : algs) {
        for (int i = 0; i < 60; ++i) {
            const Bytes key = prng.bytes(a.key_len);
            const Bytes msg = prng.bytes(prng.below(100));
            EXPECT_EQ(tessa_mac(a.option, key, msg, a.tag_len), openssl_mac("CMAC", nullptr, a.cipher, key, msg, 16))
                << a.cipher << " msg " << msg.size();
        }
    }
}

TEST(MacOracle, Poly1305) {
    tu::Prng prng(104);
    for (int i = 0; i < 200; ++i) {
        Bytes key = prng.bytes(32);
        if (i % 10 == 0) std::fill(key.begin() + 16, key.end(), 0xFF);  // large s: the final carry
        Bytes msg = prng.bytes(prng.below(300));
        if (i % 7 == 0) std::fill(msg.begin(), msg.end(), 0xFF);  // h near the modulus
        EXPECT_EQ(tessa_mac(MAC_POLY1305, key, msg, 16), openssl_mac("POLY1305", nullptr, nullptr, key, msg, 16))
            << "msg " << msg.size();
    }
}

TEST(MacOracle, KmacWithCustomizationAndLengths) {
    tu::Prng prng(105);
    for (const char* name : {"KMAC128", "KMAC256"}) {
        const int32_t option = std::string(name) == "KMAC128" ? PRF_KMAC128 : PRF_KMAC256;
        for (int i = 0; i < 30; ++i) {
            const Bytes key = prng.bytes(4 + prng.below(200));  // OpenSSL wants at least 4 key bytes
            const Bytes msg = prng.bytes(prng.below(500));
            const std::size_t out_len = 1 + prng.below(300);
            std::string custom;
            for (uint32_t j = prng.below(40); j > 0; --j) custom += static_cast<char>('a' + prng.below(26));

            EVP_MAC* mac = EVP_MAC_fetch(nullptr, name, nullptr);
            ASSERT_NE(mac, nullptr);
            EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(mac);
            int size = static_cast<int>(out_len);
            OSSL_PARAM params[] = {
                OSSL_PARAM_construct_octet_string(OSSL_MAC_PARAM_CUSTOM, custom.data(), custom.size()),
                OSSL_PARAM_construct_int(OSSL_MAC_PARAM_SIZE, &size), OSSL_PARAM_construct_end()};
            Bytes want(out_len);
            std::size_t written = 0;
            ASSERT_EQ(EVP_MAC_CTX_set_params(ctx, params), 1);
            ASSERT_EQ(EVP_MAC_init(ctx, key.data(), key.size(), params), 1);
            ASSERT_EQ(EVP_MAC_update(ctx, msg.data(), msg.size()), 1);
            ASSERT_EQ(EVP_MAC_final(ctx, want.data(), &written, want.size()), 1);
            EVP_MAC_CTX_free(ctx);
            EVP_MAC_free(mac);

            Bytes got(out_len);
            ASSERT_EQ(PRF_Bytes(got.data(), static_cast<int32_t>(out_len), ptr(msg), static_cast<int32_t>(msg.size()),
                                key.data(), static_cast<int32_t>(key.size()), custom.c_str(), option),
                      static_cast<int32_t>(out_len));
            EXPECT_EQ(got, want) << name << " custom " << custom.size() << " out " << out_len;
        }
    }
}

// OpenSSL's MGF1 (deprecated as a public call, still the reference).
int openssl_mgf1(Bytes& out, const Bytes& seed, const EVP_MD* md) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    return PKCS1_MGF1(out.data(), static_cast<long>(out.size()), seed.data(), static_cast<long>(seed.size()), md);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

TEST(XofOracle, ShakeAndMgf1) {
    tu::Prng prng(106);
    for (int i = 0; i < 60; ++i) {
        const Bytes msg = prng.bytes(prng.below(500));
        const std::size_t out_len = 1 + prng.below(700);
        for (int32_t option : {XOF_SHAKE128, XOF_SHAKE256}) {
            EVP_MD* md = EVP_MD_fetch(nullptr, option == XOF_SHAKE128 ? "SHAKE128" : "SHAKE256", nullptr);
            EVP_MD_CTX* ctx = EVP_MD_CTX_new();
            Bytes want(out_len);
            ASSERT_EQ(EVP_DigestInit_ex(ctx, md, nullptr), 1);
            ASSERT_EQ(EVP_DigestUpdate(ctx, msg.data(), msg.size()), 1);
            ASSERT_EQ(EVP_DigestFinalXOF(ctx, want.data(), want.size()), 1);
            EVP_MD_CTX_free(ctx);
            EVP_MD_free(md);
            Bytes got(out_len);
            ASSERT_EQ(XOF_Bytes(got.data(), static_cast<int32_t>(out_len), msg.data(),
                                static_cast<int32_t>(msg.size()), option),
                      static_cast<int32_t>(out_len));
            EXPECT_EQ(got, want) << option << " msg " << msg.size() << " out " << out_len;
        }
        const struct {
            int32_t option;
            const char* digest;
        } mgfs[] = {{XOF_MGF1_SHA1, "SHA1"},
                    {XOF_MGF1_SHA224, "SHA224"},
                    {XOF_MGF1_SHA256, "SHA256"},
                    {XOF_MGF1_SHA384, "SHA384"},
                    {XOF_MGF1_SHA512, "SHA512"}};
        for (const auto& m : mgfs) {
            EVP_MD* md = EVP_MD_fetch(nullptr, m.digest, nullptr);
            Bytes want(out_len);
            ASSERT_EQ(openssl_mgf1(want, msg, md), 0);
            EVP_MD_free(md);
            Bytes got(out_len);
            ASSERT_EQ(XOF_Bytes(got.data(), static_cast<int32_t>(out_len), msg.data(),
                                static_cast<int32_t>(msg.size()), m.option),
                      static_cast<int32_t>(out_len));
            EXPECT_EQ(got, want) << m.digest << " msg " << msg.size() << " out " << out_len;
        }
    }
}

TEST(KdfOracle, Pbkdf2EveryPrf) {
    tu::Prng prng(107);
    const struct {
        int32_t option;
        const char* digest;
    } prfs[] = {{HASH_ALG_SHA1, "SHA1"},
                {HASH_ALG_SHA224, "SHA224"},
                {HASH_ALG_SHA256, "SHA256"},
                {HASH_ALG_SHA384, "SHA384"},
                {HASH_ALG_SHA512, "SHA512"}};
    for (const auto& f : prfs) {
        EVP_MD* md = EVP_MD_fetch(nullptr, f.digest, nullptr);
        for (int i = 0; i < 12; ++i) {
            const Bytes pw = prng.bytes(1 + prng.below(150));
            const Bytes salt = prng.bytes(1 + prng.below(80));
            const int32_t iterations = static_cast<int32_t>(1 + prng.below(300));
            const std::size_t dk_len = 1 + prng.below(200);
            Bytes want(dk_len), got(dk_len);
            ASSERT_EQ(PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(pw.data()), static_cast<int>(pw.size()),
                                        salt.data(), static_cast<int>(salt.size()), iterations, md,
                                        static_cast<int>(dk_len), want.data()),
                      1);
            ASSERT_EQ(PBE_Kdf2(got.data(), static_cast<int32_t>(dk_len), pw.data(), static_cast<int32_t>(pw.size()),
                               salt.data(), static_cast<int32_t>(salt.size()), iterations, f.option),
                      0);
            EXPECT_EQ(got, want) << f.digest << " iterations " << iterations << " dk " << dk_len;
        }
        EVP_MD_free(md);
    }
}

TEST(KdfOracle, ScryptSmallCosts) {
    tu::Prng prng(108);
    for (int i = 0; i < 16; ++i) {
        const Bytes pw = prng.bytes(prng.below(40));
        const Bytes salt = prng.bytes(prng.below(40));
        const uint64_t n = uint64_t{2} << prng.below(9);  // 2 .. 1024
        const uint64_t r = 1 + prng.below(4);
        const uint64_t p = 1 + prng.below(3);
        const std::size_t dk_len = 1 + prng.below(100);
        Bytes want(dk_len), got(dk_len);
        ASSERT_EQ(EVP_PBE_scrypt(reinterpret_cast<const char*>(ptr(pw)), pw.size(), ptr(salt), salt.size(), n, r, p,
                                 0, want.data(), dk_len),
                  1);
        ASSERT_EQ(PBE_Scrypt(got.data(), static_cast<int32_t>(dk_len), ptr(pw), static_cast<int32_t>(pw.size()),
                             ptr(salt), static_cast<int32_t>(salt.size()), static_cast<int32_t>(n),
                             static_cast<int32_t>(r), static_cast<int32_t>(p)),
                  0);
        EXPECT_EQ(got, want) << "N " << n << " r " << r << " p " << p;
    }
}

}  // namespace
