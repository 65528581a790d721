// The block-cipher exports against OpenSSL's EVP ciphers on random keys, IVs
// and lengths, in one call and through contexts; and a counter-mode model for
// the 8-byte ciphers, which OpenSSL does not offer in CTR.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evp_cipher.h"
#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;

namespace {

// The byte-form exports behind one shape (only Blowfish uses the key length).
using BytesModeFn = int32_t (*)(unsigned char*, const unsigned char*, int32_t, const unsigned char*, int32_t, int32_t,
                                const char*, const unsigned char*);
using InitFn = int32_t (*)(const unsigned char*, int32_t, int32_t, const char*, const unsigned char*);

struct Target {
    const char* ossl_prefix;  // OpenSSL cipher name without the mode, e.g. "AES-128"
    bool legacy;              // in OpenSSL's legacy provider
    std::size_t block;
    std::size_t key_len;  // 0: Blowfish, a random length from 1 to 56
    BytesModeFn bytes_mode;
    InitFn init;
    int32_t (*update)(int32_t, unsigned char*, int32_t);
    int32_t (*final_)(int32_t);
};

#define FIXED_KEY_TARGET(OSSL, LEGACY, BLOCK, KEYLEN, PREFIX)                                                    \
    Target {                                                                                                      \
        OSSL, LEGACY, BLOCK, KEYLEN,                                                                              \
            [](unsigned char* o, const unsigned char* i, int32_t n, const unsigned char* k, int32_t, int32_t e,   \
               const char* m, const unsigned char* iv) { return PREFIX##BytesMode(o, i, n, k, e, m, iv); },       \
            [](const unsigned char* k, int32_t, int32_t e, const char* m, const unsigned char* iv) {              \
                return PREFIX##Init(k, e, m, iv);                                                                 \
            },                                                                                                    \
            PREFIX##Update, PREFIX##Final                                                                         \
    }

const Target kTargets[] = {
    FIXED_KEY_TARGET("AES-128", false, 16, 16, AES128_),
    FIXED_KEY_TARGET("AES-192", false, 16, 24, AES192_),
    FIXED_KEY_TARGET("AES-256", false, 16, 32, AES256_),
    FIXED_KEY_TARGET("DES", true, 8, 8, DES_),
    FIXED_KEY_TARGET("DES-EDE3", false, 8, 24, TDEA_),
    Target{"BF", true, 8, 0, BLF_BytesMode, BLF_Init, BLF_Update, BLF_Final},
};

bool legacy_loaded() { return evp::legacy_loaded(); }

std::string ossl_name(const Target& t, const std::string& mode) { return evp::name(t.ossl_prefix, t.block, mode); }

Bytes ossl_crypt(const std::string& name, const Bytes& key, const Bytes& iv, bool enc, const Bytes& in) {
    return evp::crypt(name, key, iv, enc, false, in);
}

Bytes random_key(const Target& t, tu::Prng& rng) { return rng.bytes(t.key_len ? t.key_len : 1 + rng.below(56)); }

Bytes export_crypt(const Target& t, const Bytes& key, const Bytes& iv, bool enc, const char* mode, const Bytes& in) {
    Bytes out(in.size() + 1);
    Bytes src = in;
    src.reserve(src.size() + 1);  // a real pointer for empty data
    EXPECT_EQ(0, t.bytes_mode(out.data(), src.data(), static_cast<int32_t>(in.size()), key.data(),
                              static_cast<int32_t>(key.size()), enc ? 1 : 0, mode, iv.data()));
    out.resize(in.size());
    return out;
}

}  // namespace

TEST(BlockOracle, EveryCipherAndModeMatchesOpenSsl) {
    tu::Prng rng(0xB10C);
    const char* modes[] = {"ECB", "CBC", "CFB", "OFB", "CTR"};
    std::string skipped;
    for (const Target& t : kTargets) {
        if (t.legacy && !legacy_loaded()) {
            skipped += std::string(" ") + t.ossl_prefix;
            continue;
        }
        for (const char* mode : modes) {
            const std::string name = ossl_name(t, mode);
            if (name.empty()) continue;
            const bool whole_blocks = std::string(mode) == "ECB" || std::string(mode) == "CBC";
            for (int round = 0; round < 40; ++round) {
                const Bytes key = random_key(t, rng), iv = rng.bytes(t.block);
                std::size_t len = rng.below(150);
                if (whole_blocks) len -= len % t.block;
                const Bytes pt = rng.bytes(len);
                SCOPED_TRACE(name + " key " + tu::to_hex(key) + " length " + std::to_string(len));
                const Bytes ct = ossl_crypt(name, key, iv, true, pt);
                ASSERT_EQ(ct, export_crypt(t, key, iv, true, mode, pt));
                ASSERT_EQ(pt, export_crypt(t, key, iv, false, mode, ct));

                // Through a context in whole-block pieces.
                const int32_t h = t.init(key.data(), static_cast<int32_t>(key.size()), 0, mode, iv.data());
                ASSERT_NE(0, h);
                Bytes buf = ct;
                buf.reserve(buf.size() + 1);
                std::size_t pos = 0;
                while (pos < buf.size()) {
                    std::size_t n = t.block * (1 + rng.below(4));
                    if (n > buf.size() - pos) n = buf.size() - pos;
                    ASSERT_EQ(0, t.update(h, buf.data() + pos, static_cast<int32_t>(n)));
                    pos += n;
                }
                ASSERT_EQ(0, t.final_(h));
                ASSERT_EQ(pt, buf);
            }
        }
    }
    if (!skipped.empty()) GTEST_SKIP() << "OpenSSL's legacy provider did not load; not compared:" << skipped;
}

TEST(BlockOracle, EightByteCountersFollowTheBigEndianModel) {
    tu::Prng rng(0xC7);
    std::string skipped;
    for (const Target& t : kTargets) {
        if (t.block != 8) continue;
        if (t.legacy && !legacy_loaded()) {
            skipped += std::string(" ") + t.ossl_prefix;
            continue;
        }
        const std::string ecb = ossl_name(t, "ECB");
        for (int round = 0; round < 40; ++round) {
            const Bytes key = random_key(t, rng);
            Bytes iv = rng.bytes(8);
            if (round % 4 == 0) {  // close to the wrap of the 64-bit counter
                for (int i = 0; i < 7; ++i) iv[static_cast<std::size_t>(i)] = 0xFF;
                iv[7] = static_cast<uint8_t>(0xFF - rng.below(4));
            }
            const std::size_t len = rng.below(120);
            const Bytes pt = rng.bytes(len);

            // Model: keystream block i is E(IV + i) with a 64-bit big-endian
            // counter that wraps to zero; a last partial block uses a prefix.
            Bytes counters;
            uint64_t c = 0;
            for (uint8_t b : iv) c = (c << 8) | b;
            for (std::size_t i = 0; i < (len + 7) / 8; ++i, ++c)
                for (int s = 56; s >= 0; s -= 8) counters.push_back(static_cast<uint8_t>(c >> s));
            const Bytes ks = ossl_crypt(ecb, key, {}, true, counters);
            Bytes expect(len);
            for (std::size_t i = 0; i < len; ++i) expect[i] = pt[i] ^ ks[i];

            SCOPED_TRACE(ecb + " CTR iv " + tu::to_hex(iv) + " length " + std::to_string(len));
            ASSERT_EQ(expect, export_crypt(t, key, iv, true, "CTR", pt));
            ASSERT_EQ(pt, export_crypt(t, key, iv, false, "CTR", expect));
        }
    }
    if (!skipped.empty()) GTEST_SKIP() << "OpenSSL's legacy provider did not load; not compared:" << skipped;
}
