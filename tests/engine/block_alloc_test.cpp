// The buffers the block families make for decoded text, whose size comes
// from the caller: everything that can be checked without the buffer (the
// text's characters, the key, the handle) is checked first, and a buffer
// that cannot be had is MEMORY_ERROR with nothing written, never the end of
// the process. The checked allocator's test limit stands in for a text of
// gigabytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/frame.h"
#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;

namespace {

// Checked allocations above `limit` bytes fail while this lives.
class CheckedLimit {
public:
    explicit CheckedLimit(std::size_t limit) { mem_set_checked_limit(limit); }
    ~CheckedLimit() { mem_set_checked_limit(0); }
    CheckedLimit(const CheckedLimit&) = delete;
    CheckedLimit& operator=(const CheckedLimit&) = delete;
};

constexpr std::size_t kDataLen = 1024;  // bytes: whole blocks of every cipher
constexpr std::size_t kLimit = 512;     // below kDataLen

using HexFn = int32_t (*)(char*, const char*, const char*, int32_t);
using HexModeFn = int32_t (*)(char*, const char*, const char*, int32_t, const char*, const char*);
using InitHexFn = int32_t (*)(const char*, int32_t, const char*, const char*);
using UpdateHexFn = int32_t (*)(int32_t, char*);
using FinalFn = int32_t (*)(int32_t);

// One family's text forms, a good key and IV for them, and a key of the
// wrong length with the code it gives.
struct TextFamily {
    const char* name;
    std::size_t key_len;
    std::size_t bad_key_len;  // hex and base64: BAD_KEY_LEN_ERROR
    std::size_t block;
    HexFn hex;
    HexModeFn hex_mode;
    HexModeFn b64_mode;
    int32_t b64_bad_key_code;  // a base64 key text that decodes to nothing
    InitHexFn init_hex;
    UpdateHexFn update_hex;
    FinalFn final_;
};

const TextFamily kFamilies[] = {
    {"AES128_", 16, 15, 16, AES128_Hex, AES128_HexMode, AES128_B64Mode, BAD_KEY_LEN_ERROR, AES128_InitHex,
     AES128_UpdateHex, AES128_Final},
    {"AES192_", 24, 23, 16, AES192_Hex, AES192_HexMode, AES192_B64Mode, BAD_KEY_LEN_ERROR, AES192_InitHex,
     AES192_UpdateHex, AES192_Final},
    {"AES256_", 32, 31, 16, AES256_Hex, AES256_HexMode, AES256_B64Mode, BAD_KEY_LEN_ERROR, AES256_InitHex,
     AES256_UpdateHex, AES256_Final},
    {"DES_", 8, 7, 8, DES_Hex, DES_HexMode, DES_B64Mode, BAD_KEY_LEN_ERROR, DES_InitHex, DES_UpdateHex, DES_Final},
    {"TDEA_", 24, 23, 8, TDEA_Hex, TDEA_HexMode, TDEA_B64Mode, BAD_KEY_LEN_ERROR, TDEA_InitHex, TDEA_UpdateHex,
     TDEA_Final},
    {"BLF_", 16, 57, 8, BLF_Hex, BLF_HexMode, BLF_B64Mode, BAD_KEY_ERROR, BLF_InitHex, BLF_UpdateHex, BLF_Final},
};

std::vector<char> buffer_of(const std::string& text) { return std::vector<char>(text.begin(), text.end() + 1); }

// Runs a text form whose output buffer starts as a copy of `fill`; checks the
// code, the last error and that nothing was written on failure.
template <typename Call>
void expect_text_result(int32_t code, const std::string& fill, Call call) {
    std::vector<char> out = buffer_of(fill);
    EXPECT_EQ(code, call(out.data()));
    EXPECT_EQ(code, API_ErrorCode());
    if (code != 0) {
        EXPECT_STREQ(fill.c_str(), out.data());
    }
}

}  // namespace

TEST(BlockCallerSizedBuffers, HexAndBase64OneShotsCheckTextAndKeyBeforeTheBuffer) {
    tu::Prng rng(31);
    const Bytes data = rng.bytes(kDataLen);
    const std::string data_hex = tu::to_hex(data), data_b64 = tu::b64_reference(data);
    const std::string not_hex(data_hex.size(), 'Z');  // even length, no hex digit
    const std::string not_b64(data_b64.size(), '!');  // decodes to nothing
    const std::string fill(data_hex.size(), '.');
    CheckedLimit limit(kLimit);
    for (const auto& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const Bytes key = rng.bytes(f.key_len), bad_key = rng.bytes(f.bad_key_len), iv = rng.bytes(f.block);
        const std::string key_hex = tu::to_hex(key), bad_hex = tu::to_hex(bad_key), iv_hex = tu::to_hex(iv);
        const std::string key_b64 = tu::b64_reference(key), iv_b64 = tu::b64_reference(iv);
        const char* hex_text = data_hex.c_str();

        // ECB and CTR hex forms: characters, then the key, then the buffer.
        expect_text_result(BAD_FORMAT_ERROR, fill, [&](char* o) { return f.hex(o, not_hex.c_str(), bad_hex.c_str(), 1); });
        expect_text_result(BAD_KEY_LEN_ERROR, fill, [&](char* o) { return f.hex(o, hex_text, bad_hex.c_str(), 1); });
        expect_text_result(MEMORY_ERROR, fill, [&](char* o) { return f.hex(o, hex_text, key_hex.c_str(), 1); });
        expect_text_result(BAD_FORMAT_ERROR, fill, [&](char* o) {
            return f.hex_mode(o, not_hex.c_str(), bad_hex.c_str(), 0, "ctr", iv_hex.c_str());
        });
        expect_text_result(BAD_KEY_LEN_ERROR, fill, [&](char* o) {
            return f.hex_mode(o, hex_text, bad_hex.c_str(), 0, "ctr", iv_hex.c_str());
        });
        expect_text_result(MEMORY_ERROR, fill, [&](char* o) {
            return f.hex_mode(o, hex_text, key_hex.c_str(), 0, "ctr", iv_hex.c_str());
        });
        // Checks that come before the data keep their place.
        expect_text_result(BAD_IV_ERROR, fill, [&](char* o) {
            return f.hex_mode(o, not_hex.c_str(), bad_hex.c_str(), 0, "cbc", "00");
        });

        // Base64: no decodable data, then the key, then the buffer.
        expect_text_result(BAD_FORMAT_ERROR, fill, [&](char* o) {
            return f.b64_mode(o, not_b64.c_str(), "!!!!", 1, "ofb", iv_b64.c_str());
        });
        expect_text_result(f.b64_bad_key_code, fill, [&](char* o) {
            return f.b64_mode(o, data_b64.c_str(), "!!!!", 1, "ofb", iv_b64.c_str());
        });
        expect_text_result(MEMORY_ERROR, fill, [&](char* o) {
            return f.b64_mode(o, data_b64.c_str(), key_b64.c_str(), 1, "ofb", iv_b64.c_str());
        });
    }
}

TEST(BlockCallerSizedBuffers, TheBufferHoldsTheDecodedBytesOnly) {
    tu::Prng rng(32);
    const Bytes data = rng.bytes(kDataLen), key = rng.bytes(16);
    const std::string data_hex = tu::to_hex(data), data_b64 = tu::b64_reference(data);
    std::vector<char> out(data_hex.size() + 1);
    {
        CheckedLimit limit(kDataLen);
        EXPECT_EQ(0, AES128_Hex(out.data(), data_hex.c_str(), tu::to_hex(key).c_str(), 1));
        EXPECT_EQ(0, AES128_B64Mode(out.data(), data_b64.c_str(), tu::b64_reference(key).c_str(), 1, "ECB", nullptr));
    }
    {
        CheckedLimit limit(kDataLen - 1);
        EXPECT_EQ(MEMORY_ERROR, AES128_Hex(out.data(), data_hex.c_str(), tu::to_hex(key).c_str(), 1));
        EXPECT_EQ(MEMORY_ERROR,
                  AES128_B64Mode(out.data(), data_b64.c_str(), tu::b64_reference(key).c_str(), 1, "ECB", nullptr));
    }
}

TEST(BlockCallerSizedBuffers, UpdateHexChecksHandleAndTextBeforeTheBuffer) {
    tu::Prng rng(33);
    const std::string data_hex = tu::to_hex(rng.bytes(kDataLen));
    const std::string not_hex(data_hex.size(), 'z');
    for (const auto& f : kFamilies) {
        SCOPED_TRACE(f.name);
        const std::string key_hex = tu::to_hex(rng.bytes(f.key_len)), iv_hex = tu::to_hex(rng.bytes(f.block));
        const int32_t h = f.init_hex(key_hex.c_str(), 1, "CBC", iv_hex.c_str());
        ASSERT_NE(0, h);
        {
            CheckedLimit limit(kLimit);
            std::vector<char> text = buffer_of(not_hex);
            EXPECT_EQ(INVALID_HANDLE_ERROR, f.update_hex(h + 2, text.data()));
            EXPECT_EQ(BAD_FORMAT_ERROR, f.update_hex(h, text.data()));
            text = buffer_of(data_hex);
            EXPECT_EQ(INVALID_HANDLE_ERROR, f.update_hex(h + 2, text.data()));
            EXPECT_EQ(MEMORY_ERROR, f.update_hex(h, text.data()));
            EXPECT_EQ(MEMORY_ERROR, API_ErrorCode());
            EXPECT_EQ(data_hex, text.data());
        }
        // The failed call left the context as it was: the same text now gives
        // what a fresh context gives.
        std::vector<char> once = buffer_of(data_hex), fresh = buffer_of(data_hex);
        EXPECT_EQ(0, f.update_hex(h, once.data()));
        EXPECT_EQ(0, f.final_(h));
        const int32_t h2 = f.init_hex(key_hex.c_str(), 1, "CBC", iv_hex.c_str());
        EXPECT_EQ(0, f.update_hex(h2, fresh.data()));
        EXPECT_EQ(0, f.final_(h2));
        EXPECT_STREQ(fresh.data(), once.data());
    }
}

TEST(BlockCallerSizedBuffers, BlowfishEcbHexChecksTextThenHandleBeforeTheBuffer) {
    tu::Prng rng(34);
    const std::string data_hex = tu::to_hex(rng.bytes(kDataLen));
    const std::string not_hex(data_hex.size(), 'G');
    const int32_t h = BLF_InitHex("0123456789ABCDEF", 1, "ECB", nullptr);
    ASSERT_NE(0, h);
    CheckedLimit limit(kLimit);
    std::vector<char> text = buffer_of(not_hex);
    EXPECT_EQ(BAD_FORMAT_ERROR, BLF_EcbHex(h + 2, text.data(), 1));
    text = buffer_of(data_hex);
    EXPECT_EQ(INVALID_HANDLE_ERROR, BLF_EcbHex(h + 2, text.data(), 1));
    EXPECT_EQ(MEMORY_ERROR, BLF_EcbHex(h, text.data(), 1));
    EXPECT_EQ(MEMORY_ERROR, API_ErrorCode());
    EXPECT_EQ(data_hex, text.data());
    EXPECT_EQ(0, BLF_Final(h));
}
