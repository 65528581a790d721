// SHA1_, SHA2_, MD5_ and SHA3_ exports: positive codes, null handling, files,
// and each family's own streaming slot.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tessalib.h"
#include "test_util.h"

namespace {

// The three alike families, told through one table.
struct Family {
    const char* name;
    int32_t code;  // HASH_ code of the same algorithm
    int hex_len;
    int32_t (*string_hex)(char*, const char*);
    int32_t (*bytes_hex)(char*, const unsigned char*, int32_t);
    int32_t (*bytes)(unsigned char*, const unsigned char*, int32_t);
    int32_t (*file_hex)(char*, const char*, const char*);
    int32_t (*init)(void);
    int32_t (*add_string)(int32_t, const char*);
    int32_t (*add_bytes)(int32_t, const unsigned char*, int32_t);
    int32_t (*hex_digest)(char*, int32_t);
    int32_t (*reset)(int32_t);
    const char* empty_digest;
};

const Family kFamilies[] = {
    {"SHA1", HASH_ALG_SHA1, 40, SHA1_StringHexHash, SHA1_BytesHexHash, SHA1_BytesHash, SHA1_FileHexHash, SHA1_Init,
     SHA1_AddString, SHA1_AddBytes, SHA1_HexDigest, SHA1_Reset, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {"SHA2", HASH_ALG_SHA256, 64, SHA2_StringHexHash, SHA2_BytesHexHash, SHA2_BytesHash, SHA2_FileHexHash, SHA2_Init,
     SHA2_AddString, SHA2_AddBytes, SHA2_HexDigest, SHA2_Reset,
     "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"MD5", HASH_ALG_MD5, 32, MD5_StringHexHash, MD5_BytesHexHash, MD5_BytesHash, MD5_FileHexHash, MD5_Init,
     MD5_AddString, MD5_AddBytes, MD5_HexDigest, MD5_Reset, "d41d8cd98f00b204e9800998ecf8427e"},
};

std::string reference_hex(int32_t code, const std::string& msg) {
    char out[129];
    HASH_HexFromBytes(out, 128, reinterpret_cast<const unsigned char*>(msg.data()), static_cast<int32_t>(msg.size()), code);
    return out;
}

TEST(HashFamilies, OneShotMembers) {
    const unsigned char abc[] = {'a', 'b', 'c'};
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        char out[80];
        EXPECT_EQ(f.string_hex(out, ""), 0);
        EXPECT_STREQ(out, f.empty_digest);
        EXPECT_EQ(f.string_hex(out, "abc"), 0);
        EXPECT_EQ(out, reference_hex(f.code, "abc"));
        EXPECT_EQ(static_cast<int>(std::strlen(out)), f.hex_len);
        EXPECT_EQ(f.string_hex(nullptr, "abc"), 0);
        std::memset(out, 0, sizeof out);
        EXPECT_EQ(f.bytes_hex(out, abc, 3), 0);
        EXPECT_EQ(out, reference_hex(f.code, "abc"));
        EXPECT_EQ(f.bytes_hex(out, nullptr, 0), 0);
        EXPECT_STREQ(out, f.empty_digest);
        EXPECT_EQ(f.bytes_hex(nullptr, abc, 3), 0);
        unsigned char raw[64];
        EXPECT_EQ(f.bytes(raw, abc, 3), 0);
        EXPECT_EQ(tu::to_hex(raw, static_cast<std::size_t>(f.hex_len / 2), false), reference_hex(f.code, "abc"));

        // Errors are positive and recorded; null pointers are refused, never read.
        struct {
            const char* what;
            int32_t result, code;
        } errors[] = {
            {"negative length (hex)", f.bytes_hex(out, abc, -1), BAD_PARAM_ERROR},
            {"negative length (raw)", f.bytes(raw, abc, -1), BAD_PARAM_ERROR},
            {"null message (string)", f.string_hex(out, nullptr), BAD_PARAM_ERROR},
            {"null message (hex)", f.bytes_hex(out, nullptr, 3), BAD_PARAM_ERROR},
            {"null message (raw)", f.bytes(raw, nullptr, 3), BAD_PARAM_ERROR},
            {"null raw output", f.bytes(nullptr, abc, 3), BAD_PARAM_ERROR},
            {"null file name", f.file_hex(out, nullptr, "b"), BAD_PARAM_ERROR},
            {"null mode", f.file_hex(out, "x", nullptr), BAD_PARAM_ERROR},
            {"missing file", f.file_hex(out, "/nonexistent/dir/file", "b"), OPEN_ERROR},
        };
        for (const auto& e : errors) EXPECT_EQ(e.result, e.code) << e.what;
        EXPECT_EQ(f.bytes(nullptr, abc, 3), BAD_PARAM_ERROR);
        EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    }
}

TEST(HashFamilies, FileMembersTextModeAndReadErrors) {
    tu::TempDir dir;
    const std::string path = dir.file("abc");
    tu::write_file(path, "abc\r\n");
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        char out[80];
        EXPECT_EQ(f.file_hex(out, path.c_str(), "t"), 0);
        EXPECT_EQ(out, reference_hex(f.code, "abc\n"));
        EXPECT_EQ(f.file_hex(out, path.c_str(), "Text"), 0);
        EXPECT_EQ(out, reference_hex(f.code, "abc\n"));
        for (const char* mode : {"b", "", "rt", "x"}) {
            EXPECT_EQ(f.file_hex(out, path.c_str(), mode), 0) << mode;
            EXPECT_EQ(out, reference_hex(f.code, "abc\r\n")) << mode;
        }
        EXPECT_EQ(f.file_hex(nullptr, path.c_str(), "b"), 0);
        std::strcpy(out, "unchanged");
        const int32_t r = f.file_hex(out, dir.path().c_str(), "b");
#ifdef _WIN32
        EXPECT_TRUE(r == READ_ERROR || r == OPEN_ERROR) << r;
#else
        EXPECT_EQ(r, READ_ERROR);
#endif
        EXPECT_STREQ(out, "unchanged");
    }
}

TEST(HashFamilies, StreamingMembersAndHandleRules) {
    for (const Family& f : kFamilies) {
        SCOPED_TRACE(f.name);
        char out[80];
        // Init is unframed: it leaves the last error as it was.
        EXPECT_EQ(f.bytes(nullptr, nullptr, 0), BAD_PARAM_ERROR);
        const int32_t h = f.init();
        EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
        ASSERT_NE(h, 0);
        EXPECT_EQ(h & 1, 1);
        EXPECT_EQ(f.add_string(h, "ab"), 0);
        EXPECT_EQ(f.add_bytes(h, reinterpret_cast<const unsigned char*>("c"), 1), 0);
        EXPECT_EQ(f.add_bytes(h, nullptr, 0), 0);
        // Failing calls change nothing.
        EXPECT_EQ(f.add_bytes(h, reinterpret_cast<const unsigned char*>("zz"), -1), BAD_PARAM_ERROR);
        EXPECT_EQ(f.add_bytes(h, nullptr, 2), BAD_PARAM_ERROR);
        EXPECT_EQ(f.add_string(h, nullptr), BAD_PARAM_ERROR);
        EXPECT_EQ(f.add_string(0, "zz"), INVALID_HANDLE_ERROR);
        EXPECT_EQ(f.add_bytes(h + 2, nullptr, -1), INVALID_HANDLE_ERROR);
        EXPECT_EQ(f.hex_digest(out, h ^ 0x100), INVALID_HANDLE_ERROR);
        EXPECT_EQ(API_ErrorCode(), INVALID_HANDLE_ERROR);
        EXPECT_EQ(f.hex_digest(out, h), 0);
        EXPECT_EQ(out, reference_hex(f.code, "abc"));
        EXPECT_EQ(f.add_bytes(h, reinterpret_cast<const unsigned char*>("c"), 1), INVALID_HANDLE_ERROR);

        // A NULL output still ends the context.
        const int32_t h2 = f.init();
        EXPECT_EQ(f.hex_digest(nullptr, h2), 0);
        EXPECT_EQ(f.add_bytes(h2, reinterpret_cast<const unsigned char*>("c"), 1), INVALID_HANDLE_ERROR);

        // Reset ends it too; a new Init replaces the old context.
        const int32_t h3 = f.init();
        EXPECT_EQ(f.reset(h3), 0);
        EXPECT_EQ(f.reset(h3), INVALID_HANDLE_ERROR);
        const int32_t h4 = f.init();
        const int32_t h5 = f.init();
        if (h4 != h5) {
            EXPECT_EQ(f.add_string(h4, "x"), INVALID_HANDLE_ERROR);
        }
        EXPECT_EQ(f.hex_digest(out, h5), 0);
        EXPECT_STREQ(out, f.empty_digest);
    }
}

// Each family has its own slot: contexts of all of them and of HASH_ run
// side by side in one thread.
TEST(HashFamilies, SlotsAreSeparate) {
    const int32_t s1 = SHA1_Init(), s2 = SHA2_Init(), m = MD5_Init(), s3 = SHA3_Init(256), g = HASH_Init(HASH_ALG_SHA256);
    for (int32_t h : {s1, s2, m, s3, g}) ASSERT_NE(h, 0);
    EXPECT_EQ(SHA1_AddString(s1, "abc"), 0);
    EXPECT_EQ(SHA2_AddString(s2, "abc"), 0);
    EXPECT_EQ(MD5_AddString(m, "abc"), 0);
    EXPECT_EQ(SHA3_AddString(s3, "abc"), 0);
    EXPECT_EQ(HASH_AddBytes(g, reinterpret_cast<const unsigned char*>("abc"), 3), 0);
    char out[130];
    EXPECT_EQ(SHA2_HexDigest(out, s2), 0);
    EXPECT_EQ(out, reference_hex(HASH_ALG_SHA256, "abc"));
    EXPECT_EQ(SHA1_HexDigest(out, s1), 0);
    EXPECT_EQ(out, reference_hex(HASH_ALG_SHA1, "abc"));
    EXPECT_EQ(MD5_HexDigest(out, m), 0);
    EXPECT_EQ(out, reference_hex(HASH_ALG_MD5, "abc"));
    EXPECT_EQ(SHA3_HexDigest(out, 128, s3), 64);
    EXPECT_EQ(out, reference_hex(HASH_ALG_SHA3_256, "abc"));
    unsigned char raw[32];
    EXPECT_EQ(HASH_Final(raw, 32, g), 32);
    EXPECT_EQ(tu::to_hex(raw, 32, false), reference_hex(HASH_ALG_SHA256, "abc"));
}

TEST(HashFamilies, Sha3Members) {
    // Sizes: accepted ones give a handle, others 0 without an error. The call
    // is framed: it clears an earlier call's error.
    for (int32_t bits : {160, 0, -256, 257, 1024}) {
        EXPECT_EQ(SHA3_Reset(0), INVALID_HANDLE_ERROR);
        EXPECT_EQ(SHA3_Init(bits), 0) << bits;
        EXPECT_EQ(API_ErrorCode(), 0);
    }
    struct {
        int32_t bits, code, len;
    } sizes[] = {{224, 10, 28}, {256, 11, 32}, {384, 12, 48}, {512, 13, 64}};
    for (const auto& s : sizes) {
        const int32_t h = SHA3_Init(s.bits);
        ASSERT_NE(h, 0);
        EXPECT_EQ(SHA3_LengthInBytes(h), s.len);
        EXPECT_EQ(SHA3_AddString(h, "a"), 0);
        EXPECT_EQ(SHA3_AddBytes(h, reinterpret_cast<const unsigned char*>("bc"), 2), 0);
        char out[130];
        EXPECT_EQ(SHA3_HexDigest(out, 128, h), 2 * s.len);
        EXPECT_EQ(out, reference_hex(s.code, "abc"));
        EXPECT_EQ(SHA3_LengthInBytes(h), -INVALID_HANDLE_ERROR);
    }
    // A refused size still empties the slot.
    int32_t h = SHA3_Init(384);
    EXPECT_EQ(SHA3_Init(100), 0);
    EXPECT_EQ(SHA3_AddString(h, "a"), INVALID_HANDLE_ERROR);

    // Truncation, query mode (which also ends the context) and the signs.
    h = SHA3_Init(384);
    char out[20];
    std::memset(out, 'X', sizeof out);
    EXPECT_EQ(SHA3_HexDigest(out, 10, h), 10);
    EXPECT_EQ(std::string(out), reference_hex(12, "").substr(0, 10));
    EXPECT_EQ(SHA3_HexDigest(out, 10, h), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(API_ErrorCode(), INVALID_HANDLE_ERROR);
    h = SHA3_Init(224);
    EXPECT_EQ(SHA3_HexDigest(out, 11, h ^ 0x40), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(SHA3_HexDigest(nullptr, 11, h), 56);
    EXPECT_EQ(SHA3_AddString(h, "a"), INVALID_HANDLE_ERROR);
    h = SHA3_Init(512);
    EXPECT_EQ(SHA3_HexDigest(out, 0, h), 128);
    EXPECT_EQ(SHA3_Reset(h), INVALID_HANDLE_ERROR);
    h = SHA3_Init(256);
    EXPECT_EQ(SHA3_AddBytes(h, nullptr, 1), BAD_PARAM_ERROR);
    EXPECT_EQ(SHA3_AddBytes(h, reinterpret_cast<const unsigned char*>("a"), -1), BAD_PARAM_ERROR);
    EXPECT_EQ(SHA3_AddString(h, nullptr), BAD_PARAM_ERROR);
    EXPECT_EQ(SHA3_AddBytes(0, nullptr, -1), INVALID_HANDLE_ERROR);
    EXPECT_EQ(SHA3_Reset(h), 0);
    EXPECT_EQ(SHA3_Reset(h), INVALID_HANDLE_ERROR);
    EXPECT_EQ(SHA3_LengthInBytes(h), -INVALID_HANDLE_ERROR);
}

}  // namespace
