// The per-thread MAC slot as the exports leave it: keyed state only while a
// handle is live; every way of ending a context wipes it, and a MAC_Init
// refused for its key leaves the slot alone.
#include <gtest/gtest.h>

#include <cstring>

#include "core/frame.h"
#include "hash/hmac.h"
#include "tessalib.h"

namespace {

template <typename T>
bool all_zero(const T& obj) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&obj);
    for (std::size_t i = 0; i < sizeof obj; ++i)
        if (p[i] != 0) return false;
    return true;
}

const unsigned char kKey[] = "a secret key";
constexpr int32_t kKeyLen = sizeof kKey - 1;
const unsigned char kData[] = "message bytes";
constexpr int32_t kDataLen = sizeof kData - 1;

TEST(MacSlot, EveryEndWipesTheKeyedState) {
    MacSlot& slot = GetThreadWorkspace()->mac;
    unsigned char tag[64];

    // A key refused: the open context stays as it was and stays usable.
    int32_t h = MAC_Init(kKey, kKeyLen, MAC_HMAC_SHA512);
    ASSERT_NE(h, 0);
    ASSERT_EQ(MAC_AddBytes(h, kData, kDataLen), 0);
    MacSlot before;
    std::memcpy(&before, &slot, sizeof slot);
    EXPECT_EQ(MAC_Init(kKey, 0, MAC_HMAC_SHA256), 0);
    EXPECT_EQ(MAC_Init(nullptr, kKeyLen, MAC_HMAC_SHA256), 0);
    EXPECT_EQ(std::memcmp(&before, &slot, sizeof slot), 0);

    // An option refused after the key check: the context ends and is wiped.
    for (int32_t option : {MAC_HMAC_MD5, MAC_CMAC_AES128, 0x13}) {
        h = MAC_Init(kKey, kKeyLen, MAC_HMAC_SHA3_256);
        ASSERT_EQ(MAC_AddBytes(h, kData, kDataLen), 0);
        EXPECT_EQ(MAC_Init(kKey, kKeyLen, option), 0);
        EXPECT_TRUE(all_zero(slot)) << option;
    }

    // A new context replaces a larger one without keeping any of its bytes.
    h = MAC_Init(kKey, kKeyLen, MAC_HMAC_SHA3_224);
    ASSERT_EQ(MAC_AddBytes(h, kData, kDataLen), 0);
    h = MAC_Init(kKey, kKeyLen, MAC_HMAC_SHA1);
    HmacState fresh;
    std::memset(&fresh, 0, sizeof fresh);
    ASSERT_TRUE(hmac_init(&fresh, kHashSha1, kKey, kKeyLen));
    EXPECT_EQ(std::memcmp(&slot.state, &fresh, sizeof fresh), 0);

    // Final and Reset.
    ASSERT_EQ(MAC_AddBytes(h, kData, kDataLen), 0);
    EXPECT_EQ(MAC_Final(tag, 5, h), 5);
    EXPECT_TRUE(all_zero(slot));
    h = MAC_Init(kKey, kKeyLen, MAC_HMAC_SHA384);
    ASSERT_EQ(MAC_AddBytes(h, kData, kDataLen), 0);
    EXPECT_EQ(MAC_Reset(h), 0);
    EXPECT_TRUE(all_zero(slot));
}

}  // namespace
