// The thread's last error and the error table, as a caller sees them.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <thread>

#include "tessalib.h"

namespace {
// A framed export that fails with BAD_PARAM_ERROR (a NULL input).
int32_t failing_call() { return CNV_HexStrFromBytes(nullptr, 0, nullptr, 0); }
// A framed export that succeeds with a length result.
int32_t succeeding_call() {
    const unsigned char bytes[16] = {0};
    char out[64];
    return CNV_HexStrFromBytes(out, 63, bytes, 16);
}
}  // namespace

TEST(ApiVersion, IsTheReleaseNumberAndLeavesTheLastError) {
    ASSERT_EQ(failing_call(), -BAD_PARAM_ERROR);
    EXPECT_EQ(API_Version(), 62201);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
}

TEST(LastError, IsSetByAFailureClearedBySuccessAndStableWhenRead) {
    ASSERT_EQ(failing_call(), -BAD_PARAM_ERROR);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);  // reading does not clear
    char text[100];
    ASSERT_GT(API_ErrorLookup(text, 99, API_ErrorCode()), 0);  // nor does a lookup
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    EXPECT_EQ(succeeding_call(), 32);  // a length result is not an error
    EXPECT_EQ(API_ErrorCode(), 0);
}

TEST(LastError, IsPerThread) {
    // Each thread fails differently and reads back its own code.
    int32_t seen_a = -1, seen_b = -1;
    std::thread a([&] {
        CNV_HexStrFromBytes(nullptr, 0, nullptr, 0);  // BAD_PARAM_ERROR
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen_a = API_ErrorCode();
    });
    std::thread b([&] {
        CNV_BytesFromHexStr(nullptr, 0, "0x12");  // INVALID_DATA_ERROR: x is not a hex digit
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen_b = API_ErrorCode();
    });
    a.join();
    b.join();
    EXPECT_EQ(seen_a, BAD_PARAM_ERROR);
    EXPECT_EQ(seen_b, INVALID_DATA_ERROR);
    EXPECT_EQ(succeeding_call(), 32);
    EXPECT_EQ(API_ErrorCode(), 0);  // neither touched this thread's last error
}

TEST(ErrorLookup, FormatsMessageAndNameWithTruncationAndQuery) {
    const std::string bad_key = "Invalid key length (BAD_KEY_LEN_ERROR)";
    const struct {
        int32_t code;
        int32_t outputLen;
        bool null_output;
        int32_t result;
        std::string text;
    } cases[] = {
        {33, 0, true, 38, ""},         // query with a NULL buffer
        {33, 0, false, 38, ""},        // query with a zero count
        {33, -5, false, 38, ""},       // negative count is a query too
        {33, 10, false, 10, bad_key.substr(0, 10)},
        {-33, 100, false, 38, bad_key},
        {33, 38, false, 38, bad_key},  // exactly fits
        {0, 100, false, 40, "OK, success, no error (SUCCESS_NO_ERROR)"},
        {9745, 200, false, 62, "Something not expected to happen has happened (INTERNAL_ERROR)"},
        {-299, 200, false, 50, "PRNG: Catastrophic failure (PRNG_ERR_CATASTROPHIC)"},
    };
    for (const auto& c : cases) {
        char buf[256];
        std::memset(buf, '#', sizeof buf);
        buf[255] = '\0';
        EXPECT_EQ(API_ErrorLookup(c.null_output ? nullptr : buf, c.outputLen, c.code), c.result) << c.code;
        if (!c.text.empty()) {
            EXPECT_EQ(std::string(buf), c.text) << c.code;
        } else if (!c.null_output) {
            EXPECT_EQ(buf[0], '#') << "query wrote into the buffer";
        }
    }
}

TEST(ErrorLookup, UnknownCodesReturnZeroAndLeaveTheBuffer) {
    for (int32_t code : {10, -10, 13, 53, 63, 65, 1000, INT32_MIN, INT32_MAX}) {
        char buf[16] = "untouched";
        EXPECT_EQ(API_ErrorLookup(buf, 15, code), 0) << code;
        EXPECT_STREQ(buf, "untouched") << code;
        EXPECT_EQ(API_ErrorLookup(nullptr, 0, code), 0) << code;
    }
}

TEST(ErrorLookup, DoesNotTouchTheLastError) {
    ASSERT_EQ(failing_call(), -BAD_PARAM_ERROR);
    char buf[64];
    API_ErrorLookup(buf, 63, 10);
    API_ErrorLookup(buf, 63, 33);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
}
