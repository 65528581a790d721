// The hash exports against OpenSSL's libcrypto on random messages.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

struct Algorithm {
    int32_t code;
    const char* openssl_name;
};

const Algorithm kAlgorithms[] = {
    {HASH_ALG_SHA1, "SHA1"},         {HASH_ALG_MD5, "MD5"},           {HASH_ALG_MD2, "MD2"},
    {HASH_ALG_SHA256, "SHA256"},     {HASH_ALG_SHA384, "SHA384"},     {HASH_ALG_SHA512, "SHA512"},
    {HASH_ALG_SHA224, "SHA224"},     {HASH_ALG_RMD160, "RIPEMD160"},  {HASH_ALG_SHA3_224, "SHA3-224"},
    {HASH_ALG_SHA3_256, "SHA3-256"}, {HASH_ALG_SHA3_384, "SHA3-384"}, {HASH_ALG_SHA3_512, "SHA3-512"},
};

// The digest, or null when this OpenSSL does not offer it (MD2, and
// RIPEMD-160 without the legacy provider in older releases).
EVP_MD* fetch(const char* name) {
    EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
    if (md == nullptr) {
        // The legacy provider stays loaded until the process ends.
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

Bytes openssl_digest(const EVP_MD* md, const Bytes& msg) {
    Bytes out(static_cast<std::size_t>(EVP_MD_get_size(md)));
    unsigned int len = 0;
    EXPECT_EQ(EVP_Digest(msg.data(), msg.size(), out.data(), &len, md, nullptr), 1);
    out.resize(len);
    return out;
}

// OpenSSL's own digest of the empty message must stay right with both
// libraries in one process: the library's exports SHA1_Init and MD5_Init have
// names libcrypto also uses, and only symbol versioning keeps libcrypto's
// calls bound to its own functions.
bool openssl_digest_intact(const EVP_MD* md) {
    const std::string name = EVP_MD_get0_name(md);
    const char* empty = name == "SHA1" ? "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"
                      : name == "MD5"  ? "D41D8CD98F00B204E9800998ECF8427E"
                                       : nullptr;
    if (empty == nullptr || tu::to_hex(openssl_digest(md, Bytes())) == empty) return true;
    ADD_FAILURE() << "OpenSSL's " << name << " calls bind to an export of the same name";
    return false;
}

Bytes ours(int32_t options, const Bytes& msg) {
    Bytes out(64);
    const int32_t n = HASH_Bytes(out.data(), 64, msg.data(), static_cast<int32_t>(msg.size()), options);
    EXPECT_GT(n, 0);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::vector<Bytes> messages() {
    tu::Prng prng(2024);
    std::vector<Bytes> all;
    for (std::size_t len = 0; len <= 1000; ++len) all.push_back(prng.bytes(len));
    for (std::size_t len : {4095u, 65536u, 100003u, 1048583u}) all.push_back(prng.bytes(len));
    return all;
}

TEST(HashOracle, OneShotMatchesOpenSsl) {
    const std::vector<Bytes> msgs = messages();
    for (const Algorithm& a : kAlgorithms) {
        EVP_MD* md = fetch(a.openssl_name);
        if (md == nullptr || !openssl_digest_intact(md)) {  // not offered (or not usable) here
            EVP_MD_free(md);
            continue;
        }
        for (const Bytes& m : msgs) {
            ASSERT_EQ(tu::to_hex(ours(a.code, m)), tu::to_hex(openssl_digest(md, m)))
                << a.openssl_name << " length " << m.size();
        }
        if (a.code <= HASH_ALG_RMD160) {  // double hashing
            const Bytes& m = msgs[77];
            EXPECT_EQ(tu::to_hex(ours(a.code | HASH_OPT_DOUBLE, m)),
                      tu::to_hex(openssl_digest(md, openssl_digest(md, m))))
                << a.openssl_name;
        }
        EVP_MD_free(md);
    }
}

TEST(HashOracle, Hash160IsRipemdOfSha256) {
    EVP_MD* sha256 = fetch("SHA256");
    EVP_MD* rmd = fetch("RIPEMD160");
    if (rmd == nullptr) GTEST_SKIP() << "RIPEMD-160 not offered by this OpenSSL";
    tu::Prng prng(8);
    for (std::size_t len : {0u, 1u, 33u, 64u, 1000u}) {
        const Bytes m = prng.bytes(len);
        EXPECT_EQ(tu::to_hex(ours(HASH_ALG_HASH160, m)), tu::to_hex(openssl_digest(rmd, openssl_digest(sha256, m))));
    }
    EVP_MD_free(sha256);
    EVP_MD_free(rmd);
}

TEST(HashOracle, StreamingWithRandomSplitsMatchesOpenSsl) {
    tu::Prng prng(99);
    for (const Algorithm& a : kAlgorithms) {
        if (HASH_Init(a.code) == 0) continue;  // one-shot only
        EVP_MD* md = fetch(a.openssl_name);
        ASSERT_NE(md, nullptr) << a.openssl_name;
        if (!openssl_digest_intact(md)) {
            EVP_MD_free(md);
            continue;
        }
        for (int round = 0; round < 40; ++round) {
            const Bytes m = prng.bytes(prng.below(3000));
            const int32_t h = HASH_Init(a.code);
            std::size_t at = 0;
            while (at < m.size()) {
                const std::size_t n = std::min<std::size_t>(prng.below(300), m.size() - at);
                ASSERT_EQ(HASH_AddBytes(h, m.data() + at, static_cast<int32_t>(n)), 0);
                at += n;
            }
            Bytes got(64);
            got.resize(static_cast<std::size_t>(HASH_Final(got.data(), 64, h)));
            ASSERT_EQ(tu::to_hex(got), tu::to_hex(openssl_digest(md, m))) << a.openssl_name << " length " << m.size();
        }
        EVP_MD_free(md);
    }
}

// The fixed-algorithm families and their streaming members.
TEST(HashOracle, FixedFamiliesMatchOpenSsl) {
    struct {
        const char* name;
        int32_t (*bytes)(unsigned char*, const unsigned char*, int32_t);
        int32_t (*init)(void);
        int32_t (*add)(int32_t, const unsigned char*, int32_t);
        int32_t (*hex_digest)(char*, int32_t);
    } families[] = {{"SHA1", SHA1_BytesHash, SHA1_Init, SHA1_AddBytes, SHA1_HexDigest},
                    {"SHA256", SHA2_BytesHash, SHA2_Init, SHA2_AddBytes, SHA2_HexDigest},
                    {"MD5", MD5_BytesHash, MD5_Init, MD5_AddBytes, MD5_HexDigest}};
    tu::Prng prng(7);
    for (const auto& f : families) {
        EVP_MD* md = fetch(f.name);
        if (!openssl_digest_intact(md)) {
            EVP_MD_free(md);
            continue;
        }
        for (int round = 0; round < 60; ++round) {
            const Bytes m = prng.bytes(prng.below(2000));
            const Bytes want = openssl_digest(md, m);
            Bytes raw(want.size());
            ASSERT_EQ(f.bytes(raw.data(), m.data(), static_cast<int32_t>(m.size())), 0);
            EXPECT_EQ(tu::to_hex(raw), tu::to_hex(want)) << f.name;
            const int32_t h = f.init();
            const std::size_t split = prng.below(static_cast<uint32_t>(m.size() + 1));
            ASSERT_EQ(f.add(h, m.data(), static_cast<int32_t>(split)), 0);
            ASSERT_EQ(f.add(h, m.data() + split, static_cast<int32_t>(m.size() - split)), 0);
            char hex[129];
            ASSERT_EQ(f.hex_digest(hex, h), 0);
            EXPECT_EQ(hex, tu::to_hex(want, false)) << f.name;
        }
        EVP_MD_free(md);
    }
}

}  // namespace
