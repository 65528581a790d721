// The hex, base64 and UTF-16 codecs: truncation, skipping and stopping rules,
// the decoding tables, and round trips against a small reference encoder.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "encode/base64.h"
#include "encode/hex.h"
#include "encode/utf16.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

constexpr char kFill = '#';        // marks bytes a call must not touch
constexpr uint8_t kFillByte = 0xA5;

std::string encoded(std::size_t (*encode)(char*, std::size_t, const uint8_t*, std::size_t) noexcept,
                    const tu::Bytes& data, std::size_t room, std::size_t* result) {
    std::string buf(room + 4, kFill);
    *result = encode(&buf[0], room, data.data(), data.size());
    return buf;
}

}  // namespace

// --- Hex encoding -----------------------------------------------------------

TEST(HexEncode, TruncatesAtWholeBytesToTheRoomGiven) {
    const struct {
        const char* data;
        std::size_t room;
        const char* upper;  // written before the NUL; nullptr: nothing written at all
    } cases[] = {
        {"DEAD", 10, "DEAD"}, {"DEAD", 5, "DEAD"}, {"DEAD", 4, "DE"}, {"DEAD", 3, "DE"},
        {"DEAD", 2, ""},      {"DEAD", 1, ""},     {"DEAD", 0, nullptr}, {"", 1, ""},
        {"00FF7F80", 9, "00FF7F80"}, {"00FF7F80", 8, "00FF7F"},
    };
    for (const auto& c : cases) {
        const tu::Bytes data = tu::from_hex(c.data);
        for (bool upper : {true, false}) {
            std::size_t n = 0;
            const std::string buf = encoded(upper ? HexEncodeUpper : HexEncodeLower, data, c.room, &n);
            if (c.upper == nullptr) {
                EXPECT_EQ(n, 0u);
                EXPECT_EQ(buf, std::string(c.room + 4, kFill));
                continue;
            }
            std::string want = c.upper;
            if (!upper)
                for (auto& ch : want) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_EQ(n, want.size()) << c.data << " room " << c.room;
            EXPECT_EQ(std::string(buf.c_str()), want) << c.data << " room " << c.room;
            EXPECT_EQ(buf[n + 1], kFill) << "wrote past the NUL";
        }
    }
}

TEST(HexEncode, EveryByteValueMatchesTheReference) {
    tu::Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    std::vector<char> out(513);
    ASSERT_EQ(HexEncodeUpper(out.data(), out.size(), all.data(), all.size()), 512u);
    EXPECT_EQ(std::string(out.data()), tu::to_hex(all, true));
    ASSERT_EQ(HexEncodeLower(out.data(), out.size(), all.data(), all.size()), 512u);
    EXPECT_EQ(std::string(out.data()), tu::to_hex(all, false));
}

// --- Hex decoding -----------------------------------------------------------

TEST(HexDecodeStrict, AcceptsOnlyAnEvenRunOfHexDigits) {
    const struct {
        const char* text;
        std::size_t capacity;
        long long result;
        const char* stored;  // hex of the bytes stored
    } cases[] = {
        {"", 4, 0, ""},
        {"00ff", 1, 2, "00"},  // keeps counting past the capacity
        {"00fF", 4, 2, "00FF"},
        {"DEADbeef", 0, 4, ""},
        {"abc", 4, -1, ""},   // odd length
        {"0 1f", 4, -1, ""},  // a space is not a digit
        {"0g", 4, -1, ""},
        {"00ff00zz", 4, -1, ""},  // fails before storing anything
        {"\xC3\xA9", 4, -1, ""},
    };
    for (const auto& c : cases) {
        uint8_t out[8];
        std::memset(out, kFillByte, sizeof out);
        EXPECT_EQ(HexDecodeStrict(out, c.capacity, c.text), c.result) << c.text;
        const std::size_t stored = std::strlen(c.stored) / 2;
        EXPECT_EQ(tu::to_hex(out, stored), c.stored) << c.text;
        for (std::size_t i = stored; i < sizeof out; ++i) EXPECT_EQ(out[i], kFillByte) << c.text;
    }
    EXPECT_EQ(HexDecodeStrict(nullptr, 0, "0102"), 2);  // measure only
    EXPECT_EQ(HexDecodeStrict(nullptr, 4, "0102"), 2);
    EXPECT_EQ(HexDecodeStrict(nullptr, 0, nullptr), -1);
}

TEST(HexDecodeLenient, SkipsNonDigitsPairsAcrossThemAndStopsAtCapacity) {
    const struct {
        const char* text;
        std::size_t capacity;
        const char* bytes;
    } cases[] = {
        {"1 23", 8, "12"},  // the pair straddles the space; the 3 is dropped
        {"de:ad be-ef", 8, "DEADBEEF"},
        {"ABC", 8, "AB"},
        {"0x12", 8, "01"},  // x is skipped here; the export refuses it
        {"\xC3\xA9" "AB\x7F" "cd", 8, "ABCD"},
        {"DEADBEEF", 2, "DEAD"},
        {"DEADBEEF", 0, ""},
        {"", 8, ""},
        {"xyz", 8, ""},
        {"1", 8, ""},
    };
    for (const auto& c : cases) {
        uint8_t out[8];
        std::memset(out, kFillByte, sizeof out);
        const std::size_t n = HexDecodeLenient(out, c.capacity, c.text);
        EXPECT_EQ(tu::to_hex(out, n), c.bytes) << c.text;
        for (std::size_t i = n; i < sizeof out; ++i) EXPECT_EQ(out[i], kFillByte) << c.text;
        if (c.capacity == sizeof out) {
            EXPECT_EQ(hex_lenient_length(c.text), n) << c.text;
        }
    }
}

// --- Base64 -------------------------------------------------------------------

// RFC 4648 section 10 test vectors.
const struct {
    const char* text;
    const char* b64;
} kRfc4648Base64[] = {
    {"", ""},         {"f", "Zg=="},        {"fo", "Zm8="},       {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

TEST(B64Encode, MatchesTheRfc4648Vectors) {
    for (const auto& v : kRfc4648Base64) {
        std::size_t n = 0;
        const std::string buf = encoded(B64Encode, tu::bytes_of(v.text), 64, &n);
        EXPECT_EQ(std::string(buf.c_str()), v.b64);
        EXPECT_EQ(n, std::strlen(v.b64));
    }
}

TEST(B64Encode, TruncatesAtWholeGroupsAndDropsTheTailWhenRoomIsShort) {
    const struct {
        const char* data;
        std::size_t room;
        const char* b64;  // nullptr: nothing written at all
    } cases[] = {
        {"foobar", 9, "Zm9vYmFy"}, {"foobar", 8, "Zm9v"}, {"foobar", 5, "Zm9v"}, {"foobar", 4, ""},
        {"foob", 9, "Zm9vYg=="},   {"foob", 8, "Zm9v"},   {"f", 5, "Zg=="},      {"fo", 5, "Zm8="},
        {"f", 4, ""},              {"f", 0, nullptr},     {"", 1, ""},
    };
    for (const auto& c : cases) {
        std::size_t n = 0;
        const std::string buf = encoded(B64Encode, tu::bytes_of(c.data), c.room, &n);
        if (c.b64 == nullptr) {
            EXPECT_EQ(n, 0u);
            EXPECT_EQ(buf, std::string(c.room + 4, kFill));
            continue;
        }
        EXPECT_EQ(std::string(buf.c_str()), c.b64) << c.data << " room " << c.room;
        EXPECT_EQ(n, std::strlen(c.b64));
        EXPECT_EQ(buf[n + 1], kFill) << "wrote past the NUL";
    }
}

TEST(B64Decode, SkipsStopsAtPaddingAndHonoursCapacity) {
    const struct {
        const char* text;
        std::size_t capacity;
        const char* bytes;
    } cases[] = {
        {"Zm9v\r\nYmFy", 16, "foobar"},
        {" Zm9v YmE=", 16, "fooba"},
        {"Zg==Zm9v", 16, "f"},        // the first "=" ends the data
        {"Zm=9v", 16, "f"},           // two values before the "=" give one byte
        {"Zh==", 16, "f"},            // leftover bits of the last character are ignored
        {"Zm-9_v\xFF", 16, "foo"},    // characters outside the alphabet are skipped
        {"Z", 16, ""},                // a single pending value is dropped
        {"Zm9vY", 16, "foo"},
        {"Zm9vYmFy", 5, "foo"},       // the second group does not fit and is not written
        {"Zm9vYmFy", 3, "foo"},
        {"Zm9v", 2, ""},
        {"Zm9vYg", 4, "foob"},
        {"Zm9vYmE", 4, "foo"},        // three pending values need two bytes
        {"Zm9vYmE", 5, "fooba"},
        {"Zg", 1, "f"},
        {"Zm9v", 0, ""},
    };
    for (const auto& c : cases) {
        uint8_t out[16];
        std::memset(out, kFillByte, sizeof out);
        const std::size_t n = B64Decode(out, c.capacity, c.text);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), c.bytes) << c.text << " cap " << c.capacity;
        for (std::size_t i = n; i < sizeof out; ++i) EXPECT_EQ(out[i], kFillByte) << c.text;
        if (c.capacity == sizeof out) {
            EXPECT_EQ(b64_decoded_length(c.text), n) << c.text;
        }
    }
    for (const auto& v : kRfc4648Base64) {
        uint8_t out[16];
        const std::size_t n = B64Decode(out, sizeof out, v.b64);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), v.text);
        EXPECT_EQ(b64_decoded_length(v.b64), n);
    }
}

// --- Tables, character classes and filters ---------------------------------------

TEST(DecodeTables, GiveDigitValuesAndNegativeForEverythingElse) {
    const std::string b64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string hex_lower = "0123456789abcdef", hex_upper = "0123456789ABCDEF";
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        int hex_want = -1;
        if (c != 0 && hex_lower.find(ch) != std::string::npos) hex_want = static_cast<int>(hex_lower.find(ch));
        if (c != 0 && hex_upper.find(ch) != std::string::npos) hex_want = static_cast<int>(hex_upper.find(ch));
        int b64_want = (c != 0 && b64.find(ch) != std::string::npos) ? static_cast<int>(b64.find(ch)) : -1;
        if (ch == '=') b64_want = 64;
        EXPECT_EQ(kHexDecodeTable[c] < 0 ? -1 : kHexDecodeTable[c], hex_want) << c;
        EXPECT_EQ(kB64DecodeTable[c] < 0 ? -1 : kB64DecodeTable[c], b64_want) << c;
    }
}

TEST(TextValidity, AllowsDigitsSeparatorsAndNothingElse) {
    // The C locale's classes are exactly the ASCII classes the checks use.
    for (int c = 1; c < 256; ++c) {
        const char text[2] = {static_cast<char>(c), '\0'};
        const bool space = std::isspace(c) != 0, punct = std::ispunct(c) != 0;
        EXPECT_EQ(hex_text_is_valid(text), std::isxdigit(c) != 0 || space || punct) << c;
        EXPECT_EQ(b64_text_is_valid(text), std::isalnum(c) != 0 || c == '+' || c == '/' || c == '=' || space) << c;
    }
    EXPECT_TRUE(hex_text_is_valid(""));
    EXPECT_TRUE(b64_text_is_valid(""));
    EXPECT_FALSE(hex_text_is_valid("00 11 2g"));
    EXPECT_FALSE(b64_text_is_valid("Zg==\x80"));  // checked past the "="
}

TEST(Filters, KeepAlphabetCharactersOfExactlyTheGivenLengthInPlace) {
    const struct {
        std::string input;
        std::size_t len;
        const char* hex;
        const char* b64;
    } cases[] = {
        {"de:ad be-ef", 11, "deadbeef", "deadbeef"},
        {std::string("ab\0cd", 5), 5, "abcd", "abcd"},  // an embedded NUL is dropped, not an end
        {"Zm9v\r\nYmE=\n", 11, "9E", "Zm9vYmE="},
        {"0x12+/=_-", 9, "012", "0x12+/="},
        {"abcdef", 3, "abc", "abc"},
        {"", 0, "", ""},
    };
    for (const auto& c : cases) {
        for (bool hex : {true, false}) {
            const char* want = hex ? c.hex : c.b64;
            auto filter = hex ? hex_filter : b64_filter;
            std::string out(c.len + 1, kFill);
            EXPECT_EQ(filter(&out[0], c.input.data(), c.len), std::strlen(want));
            EXPECT_STREQ(out.c_str(), want);
            std::string same = c.input + '#';
            EXPECT_EQ(filter(&same[0], same.data(), c.len), std::strlen(want));
            EXPECT_STREQ(same.c_str(), want);
        }
    }
}

// --- Round trips on random data ------------------------------------------------

TEST(CodecRoundTrip, RandomDataMatchesTheReferenceEncoders) {
    tu::Prng prng(0xC0DEC);
    for (std::size_t len = 0; len < 200; ++len) {
        const tu::Bytes data = prng.bytes(len);
        std::vector<char> text(len * 2 + 2);
        ASSERT_EQ(HexEncodeUpper(text.data(), text.size(), data.data(), len), len * 2);
        ASSERT_EQ(std::string(text.data()), tu::to_hex(data));

        tu::Bytes back(len + 1, 0);
        ASSERT_EQ(HexDecodeStrict(back.data(), len, text.data()), static_cast<long long>(len));
        ASSERT_EQ(tu::Bytes(back.begin(), back.begin() + len), data);

        // Separators inserted at random places do not change the lenient result.
        std::string spaced;
        for (char ch : std::string(text.data())) {
            if (prng.below(3) == 0) spaced += " :-\n"[prng.below(4)];
            spaced += ch;
        }
        std::fill(back.begin(), back.end(), 0);
        ASSERT_EQ(HexDecodeLenient(back.data(), back.size(), spaced.c_str()), len);
        ASSERT_EQ(tu::Bytes(back.begin(), back.begin() + len), data);

        const std::string ref = tu::b64_reference(data);
        std::vector<char> b64(ref.size() + 1);
        ASSERT_EQ(B64Encode(b64.data(), b64.size(), data.data(), len), ref.size());
        ASSERT_EQ(std::string(b64.data()), ref);
        std::fill(back.begin(), back.end(), 0);
        ASSERT_EQ(B64Decode(back.data(), back.size(), ref.c_str()), len);
        ASSERT_EQ(tu::Bytes(back.begin(), back.begin() + len), data);
        ASSERT_EQ(b64_decoded_length(ref.c_str()), len);
    }
}

// --- UTF-16 to UTF-8 ------------------------------------------------------------

TEST(Utf8FromUtf16, EncodesEachUnitInOneToThreeBytesAndRefusesSurrogates) {
    const struct {
        std::vector<uint16_t> units;  // without the terminating 0
        int32_t result;
        const char* utf8;  // hex
    } cases[] = {
        {{}, 0, ""},
        {{0x41}, 1, "41"},
        {{0x7F, 0x80}, 3, "7FC280"},
        {{0xE9}, 2, "C3A9"},
        {{0x7FF, 0x800}, 5, "DFBFE0A080"},
        {{0x20AC, 0xFFFF}, 6, "E282ACEFBFBF"},
        {{0x41, 0xD83D, 0xDE00}, -ENCODING_ERROR, ""},  // a surrogate pair
        {{0xD800}, -ENCODING_ERROR, ""},
        {{0xDFFF, 0x41}, -ENCODING_ERROR, ""},
    };
    for (const auto& c : cases) {
        std::vector<uint16_t> text = c.units;
        text.push_back(0);
        const long long length = Utf8LengthOfUtf16(text.data());
        EXPECT_EQ(length, c.result < 0 ? -1 : c.result);
        char out[16];
        std::memset(out, kFill, sizeof out);
        EXPECT_EQ(Utf8FromUtf16(out, sizeof out, text.data()), c.result);
        if (c.result < 0) {
            EXPECT_EQ(out[0], kFill);
            continue;
        }
        EXPECT_EQ(tu::to_hex(reinterpret_cast<uint8_t*>(out), std::strlen(out)), c.utf8);
        // Room for exactly the text and its NUL works; one byte less writes nothing.
        const auto room = static_cast<std::size_t>(c.result) + 1;
        EXPECT_EQ(Utf8FromUtf16(out, room, text.data()), c.result);
        std::memset(out, kFill, sizeof out);
        EXPECT_EQ(Utf8FromUtf16(out, room - 1, text.data()), -SHORT_BUF_ERROR);
        EXPECT_EQ(out[0], kFill);
    }
    EXPECT_EQ(Utf8LengthOfUtf16(nullptr), 0);
}
