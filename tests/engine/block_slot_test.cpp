// The per-thread slots of the block-cipher families as the exports leave
// them: a keyed context only while a handle is live, wiped at _Final and by
// every _Init, failing or not.
#include <gtest/gtest.h>

#include <cstring>

#include "core/frame.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

template <typename T>
bool all_zero(const T& obj) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&obj);
    for (std::size_t i = 0; i < sizeof obj; ++i)
        if (p[i] != 0) return false;
    return true;
}

const unsigned char kKey[56] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33};
const unsigned char kIv[16] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};

// Opens a context, checks that it is keyed, then ends it by each of the three
// ways that must wipe it.
template <typename Slot, typename InitFn, typename BadInitFn, typename FinalFn>
void check_slot(Slot& slot, InitFn init, BadInitFn bad_init, FinalFn final_fn, int32_t bad_code) {
    // _Final wipes.
    int32_t h = init();
    ASSERT_NE(0, h);
    EXPECT_EQ(static_cast<uint32_t>(h), slot.handle);
    EXPECT_FALSE(all_zero(slot.ctx));
    EXPECT_EQ(0, final_fn(h));
    EXPECT_EQ(0u, slot.handle);
    EXPECT_TRUE(all_zero(slot.ctx));

    // A failing _Init ends the open context and wipes it.
    h = init();
    ASSERT_NE(0, h);
    EXPECT_EQ(0, bad_init());
    EXPECT_EQ(0u, slot.handle);
    EXPECT_EQ(bad_code, slot.initError);
    EXPECT_TRUE(all_zero(slot.ctx));
    EXPECT_EQ(INVALID_HANDLE_ERROR, final_fn(h));

    // A repeated successful _Init replaces the context; the old handle is dead.
    const int32_t h1 = init();
    const int32_t h2 = init();
    ASSERT_NE(0, h2);
    EXPECT_EQ(0, slot.initError);
    if (h1 != h2) {
        EXPECT_EQ(INVALID_HANDLE_ERROR, final_fn(h1));
    }
    EXPECT_EQ(0, final_fn(h2));
    EXPECT_TRUE(all_zero(slot.ctx));
}

}  // namespace

TEST(BlockSlots, ContextsAreWipedWheneverTheHandleIsCleared) {
    ThreadWorkspace* ws = GetThreadWorkspace();
    check_slot(
        ws->aes, [] { return AES192_Init(kKey, 1, "CBC", kIv); }, [] { return AES128_Init(kKey, 1, "CBX", kIv); },
        [](int32_t h) { return AES256_Final(h); }, BAD_MODE_ERROR);
    check_slot(
        ws->aes, [] { return AES128_InitHex("000102030405060708090A0B0C0D0E0F", 0, "ECB", nullptr); },
        [] { return AES128_InitHex("0001", 0, "ECB", nullptr); }, [](int32_t h) { return AES128_Final(h); },
        BAD_KEY_LEN_ERROR);
    check_slot(
        ws->des, [] { return DES_Init(kKey, 0, "ofb", kIv); }, [] { return DES_Init(kKey, 0, "ofb", nullptr); },
        [](int32_t h) { return DES_Final(h); }, BAD_IV_ERROR);
    check_slot(
        ws->tdea, [] { return TDEA_Init(kKey, 1, "ctr", kIv); }, [] { return TDEA_Init(nullptr, 1, "ctr", kIv); },
        [](int32_t h) { return TDEA_Final(h); }, BAD_KEY_ERROR);
    check_slot(
        ws->blf, [] { return BLF_Init(kKey, 33, 1, "cfb", kIv); }, [] { return BLF_Init(kKey, 57, 1, "cfb", kIv); },
        [](int32_t h) { return BLF_Final(h); }, BAD_KEY_LEN_ERROR);
    check_slot(
        ws->blf, [] { return BLF_InitHex("0102", 1, "ECB", nullptr); },
        [] { return BLF_Init(kKey, 8, 1, nullptr, kIv); }, [](int32_t h) { return BLF_Final(h); }, NULL_ERROR);
}

TEST(BlockSlots, FailedUpdateLeavesTheContextAsItWas) {
    ThreadWorkspace* ws = GetThreadWorkspace();
    const int32_t h = TDEA_Init(kKey, 1, "CBC", kIv);
    ASSERT_NE(0, h);
    unsigned char before[sizeof ws->tdea.ctx];
    std::memcpy(before, &ws->tdea.ctx, sizeof before);
    unsigned char data[12] = {0};
    EXPECT_EQ(BAD_LENGTH_ERROR, TDEA_Update(h, data, 12));
    EXPECT_EQ(0, std::memcmp(before, &ws->tdea.ctx, sizeof before));
    char text[] = "00112233445566";
    EXPECT_EQ(BAD_LENGTH_ERROR, TDEA_UpdateHex(h, text));
    EXPECT_STREQ("00112233445566", text);
    EXPECT_EQ(0, std::memcmp(before, &ws->tdea.ctx, sizeof before));
    EXPECT_EQ(0, TDEA_Final(h));
}
