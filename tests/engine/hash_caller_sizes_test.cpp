// Buffers sized by the caller in the hash, MAC and key-derivation exports:
// every check that can be made comes before the allocation, and an
// allocation that fails is MEMORY_ERROR in the export's sign, with nothing
// written, never the end of the process. The test-only limit of the checked
// allocator stands in for a machine without the memory, so modest texts
// suffice.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "core/frame.h"
#include "hash/scrypt.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kLimit = 64;  // bytes the checked allocator grants

class CallerSizes : public ::testing::Test {
protected:
    void SetUp() override { mem_set_checked_limit(kLimit); }
    void TearDown() override { mem_set_checked_limit(0); }
};

// Hex of n bytes (2n characters), and the same with its last character
// replaced by one that is not a hex digit.
std::string hex_of(std::size_t n) { return std::string(2 * n, 'a'); }
std::string bad_hex_of(std::size_t n) {
    std::string s = hex_of(n);
    s.back() = 'g';
    return s;
}

const std::string kBig = hex_of(8 * kLimit);  // decodes to more than the limit
const std::string kBigBad = bad_hex_of(8 * kLimit);
const std::string kKey16 = hex_of(16);
const std::string kSmall = hex_of(3);

struct Case {
    const char* what;
    std::function<int32_t(char* output)> call;
    int32_t want;  // the result, in the export's sign
};

const Case kCases[] = {
    // HASH_HexFromHex: text, then option, then the copy.
    {"HASH_HexFromHex big", [](char* o) { return HASH_HexFromHex(o, 200, kBig.c_str(), HASH_ALG_SHA256); },
     -MEMORY_ERROR},
    {"HASH_HexFromHex big, option 9", [](char* o) { return HASH_HexFromHex(o, 200, kBig.c_str(), 9); },
     -BAD_FLAG_ERROR},
    {"HASH_HexFromHex big, not hex", [](char* o) { return HASH_HexFromHex(o, 200, kBigBad.c_str(), 3); },
     -INVALID_DATA_ERROR},
    {"HASH_HexFromHex big, odd", [](char* o) { return HASH_HexFromHex(o, 200, (kBig + "a").c_str(), 3); },
     -INVALID_DATA_ERROR},
    {"HASH_HexFromHex small", [](char* o) { return HASH_HexFromHex(o, 200, kSmall.c_str(), HASH_ALG_SHA256); },
     64},

    // MAC_HexFromHex: texts, option and key length, then the copies.
    {"MAC_HexFromHex big message",
     [](char* o) { return MAC_HexFromHex(o, 200, kBig.c_str(), kKey16.c_str(), MAC_HMAC_SHA256); }, -MEMORY_ERROR},
    {"MAC_HexFromHex big key",
     [](char* o) { return MAC_HexFromHex(o, 200, kSmall.c_str(), kBig.c_str(), MAC_KMAC128); }, -MEMORY_ERROR},
    {"MAC_HexFromHex big, message not hex",
     [](char* o) { return MAC_HexFromHex(o, 200, kBigBad.c_str(), kKey16.c_str(), MAC_HMAC_SHA256); },
     -BAD_FORMAT_ERROR},
    {"MAC_HexFromHex big, key not hex",
     [](char* o) { return MAC_HexFromHex(o, 200, kSmall.c_str(), kBigBad.c_str(), MAC_HMAC_SHA256); },
     -BAD_FORMAT_ERROR},
    {"MAC_HexFromHex big, HMAC code 2",
     [](char* o) { return MAC_HexFromHex(o, 200, kBig.c_str(), kKey16.c_str(), 2); }, -BAD_FLAG_ERROR},
    {"MAC_HexFromHex big, option 0x203",
     [](char* o) { return MAC_HexFromHex(o, 200, kBig.c_str(), kKey16.c_str(), 0x203); }, -BAD_FLAG_ERROR},
    {"MAC_HexFromHex big, CMAC key length",
     [](char* o) { return MAC_HexFromHex(o, 200, kBig.c_str(), hex_of(24).c_str(), MAC_CMAC_AES128); },
     -BAD_KEY_LEN_ERROR},
    {"MAC_HexFromHex big, KMAC output short",
     [](char* o) { return MAC_HexFromHex(o, 63, kBig.c_str(), kKey16.c_str(), MAC_KMAC128); }, -SHORT_BUF_ERROR},
    {"MAC_HexFromHex small",
     [](char* o) { return MAC_HexFromHex(o, 200, kSmall.c_str(), kKey16.c_str(), MAC_HMAC_SHA1); }, 40},

    // The Hmac members of the fixed families: positive codes.
    {"SHA1_HmacHex big message", [](char* o) { return SHA1_HmacHex(o, kBig.c_str(), kKey16.c_str()); },
     MEMORY_ERROR},
    {"SHA2_HmacHex big key", [](char* o) { return SHA2_HmacHex(o, kSmall.c_str(), kBig.c_str()); }, MEMORY_ERROR},
    {"MD5_HmacHex big message", [](char* o) { return MD5_HmacHex(o, kBig.c_str(), kKey16.c_str()); },
     MEMORY_ERROR},
    {"SHA2_HmacHex small", [](char* o) { return SHA2_HmacHex(o, kSmall.c_str(), kKey16.c_str()); }, 0},

    // PBE_Kdf2Hex (positive codes): salt text, then PRF, then the copies.
    {"PBE_Kdf2Hex big salt", [](char* o) { return PBE_Kdf2Hex(o, 200, 16, "pw", kBig.c_str(), 1, 3); },
     MEMORY_ERROR},
    {"PBE_Kdf2Hex big salt, not hex", [](char* o) { return PBE_Kdf2Hex(o, 200, 16, "pw", kBigBad.c_str(), 1, 3); },
     BAD_FORMAT_ERROR},
    {"PBE_Kdf2Hex big salt, MD5", [](char* o) { return PBE_Kdf2Hex(o, 200, 16, "pw", kBig.c_str(), 1, 1); },
     BAD_PARAM_ERROR},
    {"PBE_Kdf2Hex long key", [](char* o) { return PBE_Kdf2Hex(o, 200, 100, "pw", kSmall.c_str(), 1, 3); },
     MEMORY_ERROR},
    {"PBE_Kdf2Hex small", [](char* o) { return PBE_Kdf2Hex(o, 200, 16, "pw", kSmall.c_str(), 1, 3); }, 0},

    // PBE_ScryptHex (negative codes): salt text, then costs, then the copies
    // and the work areas (V alone is 128 x r x N bytes).
    {"PBE_ScryptHex big salt", [](char* o) { return PBE_ScryptHex(o, 200, 16, "pw", kBig.c_str(), 16, 1, 1); },
     -MEMORY_ERROR},
    {"PBE_ScryptHex big salt, not hex",
     [](char* o) { return PBE_ScryptHex(o, 200, 16, "pw", kBigBad.c_str(), 16, 1, 1); }, -BAD_FORMAT_ERROR},
    {"PBE_ScryptHex big salt, N = 3", [](char* o) { return PBE_ScryptHex(o, 200, 16, "pw", kBig.c_str(), 3, 1, 1); },
     -OUT_OF_RANGE_ERROR},
    {"PBE_ScryptHex work area", [](char* o) { return PBE_ScryptHex(o, 200, 16, "pw", kSmall.c_str(), 16, 1, 1); },
     -MEMORY_ERROR},
};

TEST_F(CallerSizes, ChecksComeFirstAndAFailedAllocationIsMemoryErrorWithNothingWritten) {
    for (const Case& c : kCases) {
        char output[256];
        std::memset(output, 'X', sizeof output);
        const int32_t got = c.call(output);
        EXPECT_EQ(got, c.want) << c.what;
        if (c.want == MEMORY_ERROR || c.want == -MEMORY_ERROR) {
            EXPECT_EQ(API_ErrorCode(), MEMORY_ERROR) << c.what;
            for (std::size_t i = 0; i < sizeof output; ++i) ASSERT_EQ(output[i], 'X') << c.what << " at " << i;
        }
    }
}

// The byte form reaches the same work areas.
TEST_F(CallerSizes, ScryptWorkAreasComeFromTheCheckedAllocator) {
    uint8_t out[16];
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(scrypt_derive(out, sizeof out, nullptr, 0, nullptr, 0, 16, 1, 1), -MEMORY_ERROR);
    EXPECT_EQ(PBE_Scrypt(out, sizeof out, nullptr, 0, nullptr, 0, 16, 1, 1), -MEMORY_ERROR);
    EXPECT_EQ(API_ErrorCode(), MEMORY_ERROR);
    for (uint8_t b : out) EXPECT_EQ(b, 0x55);
    mem_set_checked_limit(0);
    EXPECT_EQ(scrypt_derive(out, sizeof out, nullptr, 0, nullptr, 0, 16, 1, 1), 0);
}

}  // namespace
