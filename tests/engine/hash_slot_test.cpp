// The per-thread slots of the hash families as the exports leave them: no
// message bytes of an ended or abandoned context stay behind.
#include <gtest/gtest.h>

#include <cstring>

#include "core/frame.h"
#include "hash/hash_engine.h"
#include "tessalib.h"

namespace {

template <typename T>
bool all_zero(const T& obj) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&obj);
    for (std::size_t i = 0; i < sizeof obj; ++i)
        if (p[i] != 0) return false;
    return true;
}

// A partial block, so the bytes sit in the engine's buffer.
const unsigned char kSecret[] = "secret message bytes";
constexpr int32_t kSecretLen = sizeof kSecret - 1;

// The state a fresh Init must leave: the algorithm's start on a wiped record.
bool is_fresh(const HashState& state, uint32_t code) {
    HashState fresh;
    std::memset(&fresh, 0, sizeof fresh);
    hash_algorithm(code)->init(&fresh);
    return std::memcmp(&state, &fresh, sizeof fresh) == 0;
}

TEST(HashSlots, FixedFamiliesLeaveNoMessageBytesBehind) {
    ThreadWorkspace* ws = GetThreadWorkspace();
    struct {
        const char* name;
        uint32_t code;
        HashState* state;
        uint32_t* handle;
        int32_t (*init)(void);
        int32_t (*add)(int32_t, const unsigned char*, int32_t);
        int32_t (*hex_digest)(char*, int32_t);
        int32_t (*reset)(int32_t);
    } families[] = {
        {"SHA1", kHashSha1, &ws->sha1.state, &ws->sha1.handle, SHA1_Init, SHA1_AddBytes, SHA1_HexDigest, SHA1_Reset},
        {"SHA2", kHashSha256, &ws->sha2.state, &ws->sha2.handle, SHA2_Init, SHA2_AddBytes, SHA2_HexDigest, SHA2_Reset},
        {"MD5", kHashMd5, &ws->md5.state, &ws->md5.handle, MD5_Init, MD5_AddBytes, MD5_HexDigest, MD5_Reset},
    };
    for (const auto& f : families) {
        SCOPED_TRACE(f.name);
        // A new Init replaces an abandoned context without keeping its bytes.
        int32_t h = f.init();
        ASSERT_EQ(f.add(h, kSecret, kSecretLen), 0);
        h = f.init();
        EXPECT_EQ(static_cast<uint32_t>(h), *f.handle);
        EXPECT_TRUE(is_fresh(*f.state, f.code));

        // HexDigest (with or without an output) and Reset wipe the slot.
        char out[80];
        for (char* output : {out, static_cast<char*>(nullptr)}) {
            ASSERT_EQ(f.add(h, kSecret, kSecretLen), 0);
            EXPECT_EQ(f.hex_digest(output, h), 0);
            EXPECT_TRUE(all_zero(*f.state));
            EXPECT_EQ(*f.handle, 0u);
            h = f.init();
        }
        ASSERT_EQ(f.add(h, kSecret, kSecretLen), 0);
        EXPECT_EQ(f.reset(h), 0);
        EXPECT_TRUE(all_zero(*f.state));
        EXPECT_EQ(*f.handle, 0u);
    }
}

TEST(HashSlots, HashAndSha3SlotsAreWipedByEveryEndAndByAFailingInit) {
    ThreadWorkspace* ws = GetThreadWorkspace();
    unsigned char out[64];

    // HASH_: a failing Init ends the context and wipes it, as Final and Reset do.
    int32_t h = HASH_Init(HASH_ALG_SHA512);
    ASSERT_EQ(HASH_AddBytes(h, kSecret, kSecretLen), 0);
    EXPECT_EQ(HASH_Init(HASH_ALG_MD5), 0);
    EXPECT_TRUE(all_zero(ws->hash));
    h = HASH_Init(HASH_ALG_SHA3_256);
    ASSERT_EQ(HASH_AddBytes(h, kSecret, kSecretLen), 0);
    EXPECT_EQ(HASH_Final(out, 64, h), 32);
    EXPECT_TRUE(all_zero(ws->hash));
    h = HASH_Init(HASH_ALG_SHA1);
    ASSERT_EQ(HASH_AddBytes(h, kSecret, kSecretLen), 0);
    EXPECT_EQ(HASH_Reset(h), 0);
    EXPECT_TRUE(all_zero(ws->hash));

    // SHA3_: a refused size, HexDigest (query mode too) and Reset.
    h = SHA3_Init(384);
    ASSERT_EQ(SHA3_AddBytes(h, kSecret, kSecretLen), 0);
    EXPECT_EQ(SHA3_Init(160), 0);
    EXPECT_TRUE(all_zero(ws->sha3));
    h = SHA3_Init(224);
    ASSERT_EQ(SHA3_AddBytes(h, kSecret, kSecretLen), 0);
    EXPECT_EQ(SHA3_HexDigest(nullptr, 0, h), 56);
    EXPECT_TRUE(all_zero(ws->sha3));
    h = SHA3_Init(512);
    ASSERT_EQ(SHA3_AddBytes(h, kSecret, kSecretLen), 0);
    EXPECT_EQ(SHA3_Reset(h), 0);
    EXPECT_TRUE(all_zero(ws->sha3));
}

}  // namespace
