// The CNV_ exports as a caller sees them: results, query mode, truncation,
// argument checks and the thread's last error.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

namespace {

const unsigned char kDeadBeef[] = {0xDE, 0xAD, 0xBE, 0xEF};

std::vector<uint16_t> utf16_of(const std::string& ascii) {
    std::vector<uint16_t> units(ascii.begin(), ascii.end());
    units.push_back(0);
    return units;
}

// Leaves a recorded last error behind (INVALID_DATA_ERROR).
void fail_a_framed_call() {
    unsigned char out[4];
    ASSERT_EQ(CNV_BytesFromHexStr(out, 4, "zz"), -INVALID_DATA_ERROR);
    ASSERT_EQ(API_ErrorCode(), INVALID_DATA_ERROR);
}

}  // namespace

TEST(CnvHexStrFromBytes, WritesUpperCaseAndTruncatesAtWholeBytes) {
    const struct {
        int32_t outputLen;
        int32_t result;
        const char* text;
    } cases[] = {{10, 4, "DEAD"}, {4, 4, "DEAD"}, {3, 2, "DE"}, {2, 2, "DE"}, {1, 0, ""}};
    for (const auto& c : cases) {
        char out[16];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(CNV_HexStrFromBytes(out, c.outputLen, kDeadBeef, 2), c.result) << c.outputLen;
        EXPECT_STREQ(out, c.text);
        EXPECT_EQ(API_ErrorCode(), 0) << "truncation is not an error";
    }
    EXPECT_EQ(CNV_HexStrFromBytes(nullptr, 0, kDeadBeef, 2), 4);
    char out[4];
    EXPECT_EQ(CNV_HexStrFromBytes(out, 0, kDeadBeef, 2), 4);
    EXPECT_EQ(CNV_HexStrFromBytes(out, 3, kDeadBeef, 0), 0);
    EXPECT_STREQ(out, "");
}

TEST(CnvB64StrFromBytes, PadsToFourAndTruncatesAtWholeGroups) {
    const struct {
        int32_t inputLen;
        int32_t outputLen;
        int32_t result;
        const char* text;
    } cases[] = {
        {1, 20, 4, "3g=="}, {2, 20, 4, "3q0="}, {3, 20, 4, "3q2+"}, {4, 20, 8, "3q2+7w=="},
        {0, 20, 0, ""},     {4, 7, 4, "3q2+"},  {4, 3, 0, ""},
    };
    for (const auto& c : cases) {
        char out[24];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(CNV_B64StrFromBytes(out, c.outputLen, kDeadBeef, c.inputLen), c.result);
        EXPECT_STREQ(out, c.text);
        EXPECT_EQ(API_ErrorCode(), 0);
    }
    for (int32_t len : {0, 1, 2, 3, 4}) EXPECT_EQ(CNV_B64StrFromBytes(nullptr, 0, kDeadBeef, len), (len + 2) / 3 * 4);
}

TEST(CnvBytesFromStr, DecodeSkipSeparatorsAndRefuseForeignCharacters) {
    const struct {
        bool b64;
        const char* input;
        int32_t result;  // with room for 16 bytes, and in query mode
        const char* bytes;
    } cases[] = {
        {false, "de:ad be-ef", 4, "DEADBEEF"},
        {false, "ABC", 1, "AB"},
        {false, "\tAB,\r\ncd;", 2, "ABCD"},
        {false, "", 0, ""},
        {false, "0x12", -INVALID_DATA_ERROR, ""},
        {false, "12\x7F", -INVALID_DATA_ERROR, ""},
        {false, "12\x01", -INVALID_DATA_ERROR, ""},
        {false, "12\xC3\xA9", -INVALID_DATA_ERROR, ""},
        {true, "3q2+\r\n7w==", 4, "DEADBEEF"},
        {true, " 3q2 +7w", 4, "DEADBEEF"},
        {true, "3g==3q2+", 1, "DE"},  // stops at the first "="
        {true, "3q2-7w==", -INVALID_DATA_ERROR, ""},
        {true, "3q2_7w==", -INVALID_DATA_ERROR, ""},
        {true, "3g==:", -INVALID_DATA_ERROR, ""},  // the whole text is checked
        {true, "", 0, ""},
    };
    for (const auto& c : cases) {
        auto decode = c.b64 ? CNV_BytesFromB64Str : CNV_BytesFromHexStr;
        unsigned char out[16];
        std::memset(out, 0xA5, sizeof out);
        EXPECT_EQ(decode(nullptr, 0, c.input), c.result) << c.input;
        EXPECT_EQ(decode(out, 0, c.input), c.result) << c.input;
        EXPECT_EQ(decode(out, 16, c.input), c.result) << c.input;
        EXPECT_EQ(API_ErrorCode(), c.result < 0 ? -c.result : 0) << c.input;
        if (c.result >= 0) {
            EXPECT_EQ(tu::to_hex(out, static_cast<std::size_t>(c.result)), c.bytes);
        }
        EXPECT_EQ(out[c.result > 0 ? c.result : 0], 0xA5) << c.input;
    }
}

TEST(CnvBytesFromStr, ShortOutputTruncatesSilently) {
    unsigned char out[4];
    std::memset(out, 0, sizeof out);
    EXPECT_EQ(CNV_BytesFromHexStr(out, 2, "DE AD BE EF"), 2);
    EXPECT_EQ(tu::to_hex(out, 4), "DEAD0000");
    EXPECT_EQ(CNV_BytesFromB64Str(out, 2, "3q2+7w=="), 0);  // a group is written whole or not at all
    EXPECT_EQ(CNV_BytesFromB64Str(out, 3, "3q2+7w=="), 3);
    EXPECT_EQ(tu::to_hex(out, 4), "DEADBE00");
    EXPECT_EQ(API_ErrorCode(), 0);
}

TEST(CnvFilters, KeepTheAlphabetOfExactlyInputLenCharacters) {
    const struct {
        bool b64;
        std::string input;
        int32_t inputLen;
        const char* kept;
    } cases[] = {
        {true, "Zm9v\r\nYmFy\n", 11, "Zm9vYmFy"},
        {true, "+/=_-.", 6, "+/="},
        {false, "de:ad be-ef", 11, "deadbeef"},
        {false, std::string("12\0" "34", 5), 5, "1234"},  // a NUL is dropped, not an end
        {false, "12345", 3, "123"},
        {false, "12", 0, ""},
        {true, "12", -5, ""},
    };
    for (const auto& c : cases) {
        auto filter = c.b64 ? CNV_B64Filter : CNV_HexFilter;
        std::string out(c.input.size() + 1, '#');
        EXPECT_EQ(filter(&out[0], c.input.data(), c.inputLen), static_cast<int32_t>(std::strlen(c.kept)));
        EXPECT_STREQ(out.c_str(), c.kept);
        std::string same = c.input + '#';
        EXPECT_EQ(filter(&same[0], same.data(), c.inputLen), static_cast<int32_t>(std::strlen(c.kept)));
        EXPECT_STREQ(same.c_str(), c.kept);
    }
}

TEST(CnvArguments, NullAndNegativeArgumentsAreRefusedAndRecorded) {
    char text[8];
    unsigned char bytes[8];
    const struct {
        const char* what;
        int32_t result;
    } cases[] = {
        {"hex null input", CNV_HexStrFromBytes(text, 7, nullptr, 0)},
        {"hex negative length", CNV_HexStrFromBytes(text, 7, kDeadBeef, -1)},
        {"hex query negative length", CNV_HexStrFromBytes(nullptr, 0, kDeadBeef, -1)},
        {"b64 null input", CNV_B64StrFromBytes(nullptr, 0, nullptr, 0)},
        {"b64 negative length", CNV_B64StrFromBytes(text, 7, kDeadBeef, INT32_MIN)},
        {"unhex null input", CNV_BytesFromHexStr(bytes, 8, nullptr)},
        {"unb64 null input", CNV_BytesFromB64Str(nullptr, 0, nullptr)},
        {"hex filter null input", CNV_HexFilter(text, nullptr, 3)},
        {"hex filter null output", CNV_HexFilter(nullptr, "abc", 3)},
        {"hex filter null output, zero length", CNV_HexFilter(nullptr, "abc", 0)},
        {"b64 filter null output", CNV_B64Filter(nullptr, "abc", 3)},
        {"b64 filter null both", CNV_B64Filter(nullptr, nullptr, 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, -BAD_PARAM_ERROR) << c.what;

    EXPECT_EQ(CNV_HexFilter(nullptr, "abc", 3), -BAD_PARAM_ERROR);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR) << "reading the last error changes nothing";
    EXPECT_EQ(CNV_HexFilter(text, "abc", 3), 3);
    EXPECT_EQ(API_ErrorCode(), 0) << "a successful framed call clears it";
}

TEST(CnvArguments, QuerySizesBeyondInt32AreRefusedNotWrapped) {
    // Query mode reads no input, so a small buffer stands in for a huge one.
    const struct {
        bool b64;
        int32_t inputLen;
        int32_t result;
    } cases[] = {
        {false, 0x3FFFFFFF, 0x7FFFFFFE},
        {false, 0x40000000, -BAD_PARAM_ERROR},
        {false, INT32_MAX, -BAD_PARAM_ERROR},
        {true, 1610612733, 2147483644},
        {true, 1610612734, -BAD_PARAM_ERROR},
        {true, INT32_MAX, -BAD_PARAM_ERROR},
    };
    for (const auto& c : cases) {
        auto encode = c.b64 ? CNV_B64StrFromBytes : CNV_HexStrFromBytes;
        EXPECT_EQ(encode(nullptr, 0, kDeadBeef, c.inputLen), c.result) << c.inputLen;
        EXPECT_EQ(API_ErrorCode(), c.result < 0 ? BAD_PARAM_ERROR : 0);
    }
}

TEST(CnvUtf8FromWide, ConvertsTheBasicPlaneAndLeavesTheLastErrorAlone) {
    const std::vector<uint16_t> e_acute = {0xE9, 0};
    const std::vector<uint16_t> emoji = {0x41, 0xD83D, 0xDE00, 0};
    const std::vector<uint16_t> mixed = {'a', 0xE9, 0x20AC, 0};  // 1 + 2 + 3 bytes

    fail_a_framed_call();
    char out[16];
    EXPECT_EQ(CNV_Utf8FromWide(out, 15, e_acute.data()), 2);
    EXPECT_STREQ(out, "\xC3\xA9");
    EXPECT_EQ(CNV_Utf8FromWide(nullptr, 0, mixed.data()), 6);
    EXPECT_EQ(CNV_Utf8FromWide(out, 0, mixed.data()), 6);
    EXPECT_EQ(CNV_Utf8FromWide(out, 6, mixed.data()), 6);
    EXPECT_STREQ(out, "a\xC3\xA9\xE2\x82\xAC");
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(CNV_Utf8FromWide(out, 5, mixed.data()), -SHORT_BUF_ERROR);
    EXPECT_EQ(out[0], '#');
    EXPECT_EQ(CNV_Utf8FromWide(out, 15, emoji.data()), -ENCODING_ERROR);
    EXPECT_EQ(CNV_Utf8FromWide(nullptr, 0, emoji.data()), -ENCODING_ERROR);
    EXPECT_EQ(API_ErrorCode(), INVALID_DATA_ERROR) << "unframed: neither recorded nor cleared";

    const uint16_t empty[] = {0};
    for (const uint16_t* input : {empty, static_cast<const uint16_t*>(nullptr)}) {
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(CNV_Utf8FromWide(out, 15, input), 0);
        EXPECT_EQ(out[0], '\0');
        EXPECT_EQ(CNV_Utf8FromWide(nullptr, 0, input), 0);
    }
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(CNV_Utf8FromWide(out, -1, empty), 0);
    EXPECT_EQ(out[0], '#') << "a negative outputLen gives no room for the NUL";
}

TEST(CnvShortPathName, GivesTheShortFormOfExistingPathsAndOpenErrorForMissingOnes) {
    tu::TempDir dir;
    const std::string file = dir.file("a long file name.txt");
    tu::write_file(file, "x");
    const auto path = utf16_of(file);

    fail_a_framed_call();
    const int32_t size = CNV_ShortPathName(nullptr, 0, path.data());
    ASSERT_GT(size, 1);
    std::vector<char> out(static_cast<std::size_t>(size) + 1, '#');
    EXPECT_EQ(CNV_ShortPathName(out.data(), size - 1, path.data()), -SHORT_BUF_ERROR);  // room for the NUL too
    EXPECT_EQ(out[0], '#');
    EXPECT_EQ(CNV_ShortPathName(out.data(), size, path.data()), size - 1);
    EXPECT_EQ(std::strlen(out.data()), static_cast<std::size_t>(size - 1));
#if !defined(_WIN32)
    EXPECT_EQ(std::string(out.data()), file) << "no short names here: the path comes back unchanged";
#endif

    const auto missing_file = utf16_of(dir.file("missing.txt"));
    const auto missing_dir = utf16_of(dir.file("missing") + "/x.txt");
    EXPECT_EQ(CNV_ShortPathName(nullptr, 0, missing_file.data()), -OPEN_ERROR);
    EXPECT_EQ(CNV_ShortPathName(out.data(), size, missing_dir.data()), -OPEN_ERROR);
    EXPECT_EQ(API_ErrorCode(), INVALID_DATA_ERROR) << "unframed: neither recorded nor cleared";

    const uint16_t empty[] = {0};
    out[0] = '#';
    EXPECT_EQ(CNV_ShortPathName(out.data(), size, empty), 0);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(CNV_ShortPathName(nullptr, 0, nullptr), 0);
}

#if !defined(_WIN32)
TEST(CnvShortPathName, RefusesAPathThatIsNotPlainAscii) {
    tu::TempDir dir;
    const std::string file = dir.file("caf\xC3\xA9.txt");
    tu::write_file(file, "x");
    std::vector<uint16_t> path = utf16_of(dir.file("caf"));
    path.pop_back();
    for (uint16_t u : {0xE9, 0x2E, 0x74, 0x78, 0x74, 0}) path.push_back(u);  // "\u00E9.txt"
    char out[512];
    EXPECT_EQ(CNV_ShortPathName(out, 511, path.data()), -ENCODING_ERROR);
}
#endif
