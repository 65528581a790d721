// PBE_, XOF_Bytes and PRF_Bytes as a caller sees them: the Wycheproof PBKDF2
// files, RFC 7914 scrypt, the NIST SHAKE and Ascon-XOF known answers, check
// orders and signs, and the sizes that must not wrap around 32 bits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "json_lite.h"
#include "tessalib.h"
#include "test_util.h"
#include "vector_files.h"

namespace {

using tu::Bytes;

const uint8_t* u8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
int32_t len32(const std::string& s) { return static_cast<int32_t>(s.size()); }

struct Pbkdf2File {
    const char* file;
    int32_t option;
};

const Pbkdf2File kPbkdf2Files[] = {
    {"pbkdf2_hmacsha1_test.json", HASH_ALG_SHA1},     {"pbkdf2_hmacsha224_test.json", HASH_ALG_SHA224},
    {"pbkdf2_hmacsha256_test.json", HASH_ALG_SHA256}, {"pbkdf2_hmacsha384_test.json", HASH_ALG_SHA384},
    {"pbkdf2_hmacsha512_test.json", HASH_ALG_SHA512},
};

constexpr long long kLongIterationCount = 1 << 24;

// Runs one Wycheproof PBKDF2 case through PBE_Kdf2; an empty password, which
// PBE_Kdf2 refuses, goes through PBE_Kdf2Hex instead.
void check_pbkdf2_case(const Pbkdf2File& f, const json::Value& t) {
    const Bytes password = tu::from_hex(t["password"].as_string());
    const Bytes salt = tu::from_hex(t["salt"].as_string());
    const std::string want = t["dk"].as_string();
    const int32_t dk_len = static_cast<int32_t>(t["dkLen"].as_int());
    const int32_t iterations = static_cast<int32_t>(t["iterationCount"].as_int());
    if (password.empty()) {
        std::vector<char> hex(2 * static_cast<std::size_t>(dk_len) + 1);
        ASSERT_EQ(PBE_Kdf2Hex(hex.data(), 2 * dk_len, dk_len, "", t["salt"].as_string().c_str(), iterations,
                              f.option),
                  0);
        EXPECT_EQ(std::string(hex.data()), tu::to_hex(tu::from_hex(want), true)) << f.file << " " << t["tcId"].as_int();
        return;
    }
    Bytes out(static_cast<std::size_t>(dk_len));
    ASSERT_EQ(PBE_Kdf2(out.data(), dk_len, password.data(), static_cast<int32_t>(password.size()), salt.data(),
                       static_cast<int32_t>(salt.size()), iterations, f.option),
              0);
    EXPECT_EQ(tu::to_hex(out, false), want) << f.file << " tcId " << t["tcId"].as_int();
}

TEST(Pbkdf2Api, Wycheproof) {
    for (const Pbkdf2File& f : kPbkdf2Files) {
        json::for_each_wycheproof_test(tu::vector_path(std::string("wycheproof/") + f.file),
                                       [&](const json::Value&, const json::Value& t) {
            if (t["iterationCount"].as_int() < kLongIterationCount) check_pbkdf2_case(f, t);
        });
    }
}

#if !defined(TESSALIB_SANITIZED)
// The one case with 16,777,216 iterations (RFC 6070's long case); it takes
// seconds, so it has its own test and is left out of the sanitizer build.
TEST(Pbkdf2Api, WycheproofLongIterationCount) {
    std::size_t ran = 0;
    json::for_each_wycheproof_test(tu::vector_path("wycheproof/pbkdf2_hmacsha1_test.json"),
                                   [&](const json::Value&, const json::Value& t) {
        if (t["iterationCount"].as_int() < kLongIterationCount) return;
        check_pbkdf2_case(kPbkdf2Files[0], t);
        ++ran;
    });
    EXPECT_EQ(ran, 1u);
}
#endif

TEST(Pbkdf2Api, Kdf2ChecksAndPositiveCodes) {
    unsigned char out[32];
    const std::string pw = "password", salt = "salt";
    struct Case {
        unsigned char* out;
        int32_t dk;
        const uint8_t* pw;
        int32_t pw_len;
        const uint8_t* salt;
        int32_t salt_len;
        int32_t iterations;
        int32_t option;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 20, u8(pw), 8, u8(salt), 4, 1, 0, NULL_ERROR},
        {out, 20, nullptr, 8, u8(salt), 4, 1, 0, NULL_ERROR},
        {out, 20, u8(pw), 8, nullptr, 4, 1, 0, NULL_ERROR},
        {out, 20, nullptr, -1, u8(salt), 4, 1, 1, NULL_ERROR},  // NULL comes before everything
        {out, 0, u8(pw), 8, u8(salt), 4, 1, 0, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 0, u8(salt), 4, 1, 0, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 8, u8(salt), 0, 1, 0, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 8, u8(salt), 4, 0, 0, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 8, u8(salt), 4, -5, 0, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 8, u8(salt), 4, 1, HASH_ALG_MD5, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 8, u8(salt), 4, 1, HASH_ALG_SHA3_256, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 8, u8(salt), 4, 1, HASH_ALG_RMD160, BAD_PARAM_ERROR},
        {out, 20, u8(pw), 8, u8(salt), 4, 1, 0x70, 0},  // only the low four bits select the PRF
    };
    for (const Case& c : cases) {
        std::memset(out, 0x55, sizeof out);
        EXPECT_EQ(PBE_Kdf2(c.out, c.dk, c.pw, c.pw_len, c.salt, c.salt_len, c.iterations, c.option), c.want);
        EXPECT_EQ(API_ErrorCode(), c.want);
        if (c.want != 0) {
            EXPECT_EQ(out[0], 0x55) << "an unsupported PRF is found before the output is touched";
        }
    }
    EXPECT_EQ(tu::to_hex(out, 20, false), "0c60c80f961f0e71f3a9b524af6012062fe037a6");  // RFC 6070, c = 1
    // 25 bytes: block 1 and the first 5 bytes of block 2.
    unsigned char two[40], one[25];
    ASSERT_EQ(PBE_Kdf2(two, 40, u8(pw), 8, u8(salt), 4, 2, 0), 0);
    ASSERT_EQ(PBE_Kdf2(one, 25, u8(pw), 8, u8(salt), 4, 2, 0), 0);
    EXPECT_EQ(tu::to_hex(one, 25), tu::to_hex(two, 25));
}

TEST(Pbkdf2Api, Kdf2HexChecksAndOutput) {
    char out[200];
    struct Case {
        char* out;
        int32_t max;
        int32_t dk;
        const char* pw;
        const char* salt;
        int32_t iterations;
        int32_t option;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 40, 20, "password", "73616c74", 1, 0, NULL_ERROR},
        {out, 40, 20, nullptr, "73616c74", 1, 0, NULL_ERROR},
        {out, 40, 20, "password", nullptr, 1, 0, NULL_ERROR},
        {out, 0, 20, "password", "73616c74", 1, 0, BAD_PARAM_ERROR},
        {out, 40, 0, "password", "73616c74", 1, 0, BAD_PARAM_ERROR},
        {out, 40, 20, "password", "73616c74", 0, 0, BAD_PARAM_ERROR},
        {out, 31, 16, "password", "73616c74", 1, 0, SHORT_BUF_ERROR},
        {out, 39, 20, "password", "zz", 1, 1, SHORT_BUF_ERROR},        // before the salt and the PRF
        {out, 0x7FFFFFFF, 0x40000000, "password", "73616c74", 1, 0, BAD_PARAM_ERROR},  // 2 x dkLen > 2^31 - 1
        {out, 0x7FFFFFFF, 0x7FFFFFFF, "password", "73616c74", 1, 0, BAD_PARAM_ERROR},
        {out, 0x7FFFFFFD, 0x3FFFFFFF, "password", "73616c74", 1, 0, SHORT_BUF_ERROR},  // fits, one character short
        {out, 40, 20, "password", "73616c7", 1, 0, BAD_FORMAT_ERROR},
        {out, 40, 20, "password", "73 61", 1, 0, BAD_FORMAT_ERROR},
        {out, 40, 20, "password", "7361:6c74", 1, 0, BAD_FORMAT_ERROR},
        {out, 40, 20, "password", "zz", 1, 1, BAD_FORMAT_ERROR},      // the salt before the PRF
        {out, 40, 20, "password", "73616c74", 1, 1, BAD_PARAM_ERROR},
        {out, 40, 20, "password", "73616C74", 1, 0, 0},
        {out, 40, 20, "", "", 1, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PBE_Kdf2Hex(c.out, c.max, c.dk, c.pw, c.salt, c.iterations, c.option), c.want)
            << c.max << " " << c.dk << " " << (c.salt ? c.salt : "(null)");
        EXPECT_EQ(API_ErrorCode(), c.want);
    }
    ASSERT_EQ(PBE_Kdf2Hex(out, 199, 20, "password", "73616c74", 4096, 0), 0);
    EXPECT_STREQ(out, "4B007901B765489ABEAD49D926F721D065A429C1");  // RFC 6070, upper case
}

// RFC 7914 section 12.
const char kScryptEmpty[] =
    "77D6576238657B203B19CA42C18A0497F16B4844E3074AE8DFDFFA3FEDE21442FCD0069DED0948F8326A753A0FC81F17E8D3E0FB2E0D3628"
    "CF35E20C38D18906";

TEST(ScryptApi, PublishedVectorThroughBothForms) {
    unsigned char out[64];
    const unsigned char none[1] = {0};
    ASSERT_EQ(PBE_Scrypt(out, 64, none, 0, none, 0, 16, 1, 1), 0);
    EXPECT_EQ(tu::to_hex(out, 64), kScryptEmpty);
    ASSERT_EQ(PBE_Scrypt(out, 64, nullptr, 0, nullptr, 0, 16, 1, 1), 0);
    EXPECT_EQ(tu::to_hex(out, 64), kScryptEmpty);
    char hex[129];
    ASSERT_EQ(PBE_ScryptHex(hex, 128, 64, "", "", 16, 1, 1), 0);
    EXPECT_STREQ(hex, kScryptEmpty);
    ASSERT_EQ(PBE_ScryptHex(hex, 128, 64, "password", "4e61436c", 1024, 8, 16), 0);
    EXPECT_STREQ(hex,
                 "FDBABE1C9D3472007856E7190D01E9FE7C6AD7CBC8237830E77376634B3731622EAF30D92E22A3886FF109279D9830DAC727"
                 "AFB94A83EE6D8360CBDFA2CC0640");
}

#if !defined(TESSALIB_SANITIZED)
// RFC 7914's largest case: N = 2^20, r = 8 (1 GiB of work area). It takes a
// few seconds, and is left out of the sanitizer build.
TEST(ScryptApi, PublishedVectorWithOneGibibyteOfWorkArea) {
    unsigned char out[64];
    const std::string pw = "pleaseletmein", salt = "SodiumChloride";
    ASSERT_EQ(PBE_Scrypt(out, 64, u8(pw), len32(pw), u8(salt), len32(salt), 1048576, 8, 1), 0);
    EXPECT_EQ(tu::to_hex(out, 64, false),
              "2101cb9b6a511aaeaddbbe09cf70f881ec568d574a2ffd4dabe5ee9820adaa478e56fd8f4ba5d09ffa1c6d927c40f4c337304049"
              "e8a952fbcbf45c6fa77a41a4");
}
#endif

TEST(ScryptApi, ChecksInOrderWithNegativeCodes) {
    unsigned char out[16];
    const unsigned char pw[4] = {'p', 'a', 's', 's'};
    struct Case {
        unsigned char* out;
        int32_t dk;
        const unsigned char* pw;
        int32_t pw_len;
        const unsigned char* salt;
        int32_t salt_len;
        int32_t n, r, p;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 16, pw, 4, pw, 4, 16, 1, 1, -NULL_ERROR},
        {out, 16, nullptr, 4, pw, 4, 16, 1, 1, -NULL_ERROR},
        {out, 16, pw, 4, nullptr, 4, 16, 1, 1, -NULL_ERROR},
        {out, 16, nullptr, -1, pw, 4, 16, 1, 1, -NULL_ERROR},  // null checks first
        {out, -16, pw, 4, pw, 4, 16, 1, 1, -BAD_PARAM_ERROR},  // negative lengths are refused,
        {out, 16, pw, -4, pw, 4, 16, 1, 1, -BAD_PARAM_ERROR},  // never taken as huge sizes
        {out, 16, pw, 4, pw, -4, 16, 1, 1, -BAD_PARAM_ERROR},
        {out, -16, pw, 4, pw, 4, 15, 1, 1, -BAD_PARAM_ERROR},
        {out, 0, pw, 4, pw, 4, 16, 1, 1, -BAD_PARAM_ERROR},
        {out, 16, pw, 4, pw, 4, 0, 1, 1, -BAD_PARAM_ERROR},
        {out, 16, pw, 4, pw, 4, 16, 0, 1, -BAD_PARAM_ERROR},
        {out, 16, pw, 4, pw, 4, 16, 1, 0, -BAD_PARAM_ERROR},
        {out, 16, pw, 4, pw, 4, 15, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 4, pw, 4, 1, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 4, pw, 4, 16, 1, 1 << 30, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 4, pw, 4, -16, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 4, pw, 4, 16, -1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 4, pw, 4, 16, 1, -1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 4, pw, 4, 16, 1, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PBE_Scrypt(c.out, c.dk, c.pw, c.pw_len, c.salt, c.salt_len, c.n, c.r, c.p), c.want)
            << c.dk << " " << c.pw_len << " " << c.salt_len << " " << c.n << " " << c.r << " " << c.p;
        EXPECT_EQ(API_ErrorCode(), -c.want);
    }
}

TEST(ScryptApi, HexChecksInOrderWithNegativeCodes) {
    char out[129];
    struct Case {
        char* out;
        int32_t max;
        int32_t dk;
        const char* pw;
        const char* salt;
        int32_t n, r, p;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 64, 32, "pw", "00", 16, 1, 1, -NULL_ERROR},
        {out, 64, 32, nullptr, "00", 16, 1, 1, -NULL_ERROR},
        {out, 64, 32, "pw", nullptr, 16, 1, 1, -NULL_ERROR},
        {out, 0, 32, "pw", "00", 16, 1, 1, -BAD_PARAM_ERROR},
        {out, 64, 0, "pw", "00", 16, 1, 1, -BAD_PARAM_ERROR},
        {out, 64, -32, "pw", "00", 16, 1, 1, -BAD_PARAM_ERROR},
        {out, 64, 32, "pw", "00", 0, 1, 1, -BAD_PARAM_ERROR},
        {out, 64, 32, "pw", "00", 16, 0, 1, -BAD_PARAM_ERROR},
        {out, 64, 32, "pw", "00", 16, 1, 0, -BAD_PARAM_ERROR},
        {out, 63, 32, "pw", "00", 16, 1, 1, -SHORT_BUF_ERROR},
        {out, -64, 32, "pw", "00", 16, 1, 1, -SHORT_BUF_ERROR},
        {out, 0x7FFFFFFF, 0x40000000, "pw", "00", 16, 1, 1, -BAD_PARAM_ERROR},  // 2 x dkLen > 2^31 - 1
        {out, 0x7FFFFFFD, 0x3FFFFFFF, "pw", "00", 16, 1, 1, -SHORT_BUF_ERROR},  // fits, one character short
        {out, 63, 32, "pw", "0", 15, 1, 1, -SHORT_BUF_ERROR},
        {out, 64, 32, "pw", "0", 15, 1, 1, -BAD_FORMAT_ERROR},
        {out, 64, 32, "pw", "0x00", 16, 1, 1, -BAD_FORMAT_ERROR},
        {out, 64, 32, "pw", "00", 15, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 64, 32, "pw", "00", -2, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 64, 32, "pw", "", 16, 1, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PBE_ScryptHex(c.out, c.max, c.dk, c.pw, c.salt, c.n, c.r, c.p), c.want)
            << c.max << " " << c.dk << " " << (c.salt ? c.salt : "(null)") << " " << c.n;
        EXPECT_EQ(API_ErrorCode(), -c.want);
    }
    // The hex form gives the bytes of the byte form in upper-case hex.
    unsigned char bytes[20];
    ASSERT_EQ(PBE_Scrypt(bytes, 20, u8("secret"), 6, u8("\x01\xab"), 2, 32, 2, 2), 0);
    ASSERT_EQ(PBE_ScryptHex(out, 40, 20, "secret", "01AB", 32, 2, 2), 0);
    EXPECT_EQ(std::string(out), tu::to_hex(bytes, 20, true));
}

std::string xof_hex(int32_t option, const Bytes& msg, int32_t out_len) {
    Bytes out(static_cast<std::size_t>(out_len) + 1);
    const int32_t n = XOF_Bytes(out.data(), out_len, msg.empty() ? nullptr : msg.data(),
                                static_cast<int32_t>(msg.size()), option);
    return n < 0 ? "error " + std::to_string(n) : tu::to_hex(out.data(), static_cast<std::size_t>(n), false);
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

struct ShakeFile {
    const char* file;
    int32_t option;
};

const ShakeFile kShakeFiles[] = {
    {"sha3/SHAKE128ShortMsg.rsp", XOF_SHAKE128}, {"sha3/SHAKE128LongMsg.rsp", XOF_SHAKE128},
    {"sha3/SHAKE128VariableOut.rsp", XOF_SHAKE128}, {"sha3/SHAKE256ShortMsg.rsp", XOF_SHAKE256},
    {"sha3/SHAKE256LongMsg.rsp", XOF_SHAKE256}, {"sha3/SHAKE256VariableOut.rsp", XOF_SHAKE256},
};

// The NIST CAVP byte-oriented SHAKE vectors through XOF_Bytes (ShortMsg and
// LongMsg have a fixed output length in their header, VariableOut one per
// record; "Len = 0" is written with the message 00).
TEST(XofApi, ShakeKnownAnswers) {
    for (const ShakeFile& f : kShakeFiles) {
        const auto records = tv::read_vector_file(tu::vector_path(f.file));
        ASSERT_FALSE(records.empty()) << f.file;
        for (const tv::Record& r : records) {
            if (!r.has("Output")) continue;
            const long long bits = r.has("Outputlen") ? r.number("Outputlen") : std::stoll(r.header("Outputlen"));
            Bytes msg = r.bytes("Msg");
            if (r.has("Len") && r.number("Len") == 0) msg.clear();
            EXPECT_EQ(xof_hex(f.option, msg, static_cast<int32_t>(bits / 8)), lower(r.get("Output"))) << r.where(f.file);
        }
    }
}

// The Ascon v1.2 XOF known-answer files (32-byte outputs).
TEST(XofApi, AsconXofKnownAnswers) {
    const struct {
        const char* file;
        int32_t option;
    } files[] = {{"ascon/asconxofv12_LWC_HASH_KAT_256.txt", XOF_ASCON_XOF},
                 {"ascon/asconxofav12_LWC_HASH_KAT_256.txt", XOF_ASCON_XOFA}};
    for (const auto& f : files) {
        const auto records = tv::read_vector_file(tu::vector_path(f.file));
        ASSERT_EQ(records.size(), 1025u) << f.file;
        for (const tv::Record& r : records)
            EXPECT_EQ(xof_hex(f.option, r.bytes("Msg"), 32), lower(r.get("MD"))) << r.where(f.file);
    }
}

TEST(XofApi, OutputLengthsAndPrefixes) {
    // SHAKE128 of the empty message (FIPS 202 examples).
    EXPECT_EQ(xof_hex(XOF_SHAKE128, Bytes(), 16), "7f9c2ba4e88f827d616045507605853e");
    EXPECT_EQ(xof_hex(XOF_SHAKE256, Bytes(), 16), "46b9dd2b0ba88d13233b3feb743eeb24");
    const Bytes msg = tu::bytes_of("a message");
    for (int32_t option : {XOF_SHAKE128, XOF_SHAKE256, XOF_ASCON_XOF, XOF_ASCON_XOFA, XOF_MGF1_SHA1,
                           XOF_MGF1_SHA256, XOF_MGF1_SHA384, XOF_MGF1_SHA512, XOF_MGF1_SHA224}) {
        const std::string whole = xof_hex(option, msg, 500);
        ASSERT_EQ(whole.size(), 1000u) << option;
        for (int32_t len : {1, 20, 21, 135, 136, 137, 168, 169, 200, 499})
            EXPECT_EQ(xof_hex(option, msg, len), whole.substr(0, 2 * static_cast<std::size_t>(len))) << option;
    }
    EXPECT_NE(xof_hex(XOF_ASCON_XOF, msg, 32), xof_hex(XOF_ASCON_XOFA, msg, 32));
    // MGF1-SHA-1 of 21 bytes is block 0 and the first byte of block 1.
    Bytes seed_c = msg;
    for (uint8_t b : {0, 0, 0, 0}) seed_c.push_back(b);
    unsigned char block0[20], block1[20];
    HASH_Bytes(block0, 20, seed_c.data(), static_cast<int32_t>(seed_c.size()), HASH_ALG_SHA1);
    seed_c.back() = 1;
    HASH_Bytes(block1, 20, seed_c.data(), static_cast<int32_t>(seed_c.size()), HASH_ALG_SHA1);
    EXPECT_EQ(xof_hex(XOF_MGF1_SHA1, msg, 21), tu::to_hex(block0, 20, false) + tu::to_hex(block1, 1, false));
}

TEST(XofApi, ChecksInOrder) {
    unsigned char out[8];
    const unsigned char msg[3] = {1, 2, 3};
    struct Case {
        unsigned char* out;
        int32_t out_len;
        const unsigned char* msg;
        int32_t msg_len;
        int32_t option;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 8, msg, 3, XOF_SHAKE128, -BAD_PARAM_ERROR},
        {nullptr, 0, msg, 3, XOF_SHAKE128, -BAD_PARAM_ERROR},
        {out, -1, msg, 3, XOF_SHAKE128, -BAD_PARAM_ERROR},
        {out, 8, nullptr, 3, XOF_SHAKE128, -BAD_PARAM_ERROR},
        {out, 8, msg, -3, XOF_SHAKE128, -BAD_PARAM_ERROR},
        {out, 8, msg, -3, 0x205, -BAD_PARAM_ERROR},
        {out, 0, msg, 3, XOF_MGF1_SHA1, -BAD_PARAM_ERROR},
        {out, 0, msg, 3, 0x211, -BAD_PARAM_ERROR},  // MGF1's length is checked before its hash
        {out, 8, msg, 3, 0x211, -BAD_FLAG_ERROR},   // MD5
        {out, 8, msg, 3, 0x21A, -BAD_FLAG_ERROR},
        {out, 8, msg, 3, 0x205, -BAD_FLAG_ERROR},
        {out, 8, msg, 3, MAC_KMAC128, -BAD_FLAG_ERROR},
        {out, 0, msg, 3, XOF_SHAKE128, 0},
        {out, 8, nullptr, 0, XOF_ASCON_XOF, 8},
        {out, 8, msg, 3, 0x10000 | XOF_SHAKE256, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XOF_Bytes(c.out, c.out_len, c.msg, c.msg_len, c.option), c.want) << std::hex << c.option;
        EXPECT_EQ(API_ErrorCode(), c.want < 0 ? -c.want : 0);
    }
}

TEST(PrfApi, KmacWithOutputLengthAndCustomization) {
    Bytes key(32), data(200);
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<uint8_t>(0x40 + i);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    unsigned char out[64];
    // SP 800-185 KMAC samples 2 and 6.
    ASSERT_EQ(PRF_Bytes(out, 32, data.data(), 4, key.data(), 32, "My Tagged Application", PRF_KMAC128), 32);
    EXPECT_EQ(tu::to_hex(out, 32, false), "3b1fba963cd8b0b59e8c1a6d71888b7143651af8ba0a7070c0979e2811324aa5");
    ASSERT_EQ(PRF_Bytes(out, 64, data.data(), 200, key.data(), 32, "My Tagged Application", PRF_KMAC256), 64);
    EXPECT_EQ(tu::to_hex(out, 64, false),
              "b58618f71f92e1d56c1b8c55ddd7cd188b97b4ca4d99831eb2699a837da2e4d970fbacfde50033aea585f1a2708510c32d078808"
              "01bd182898fe476876fc8965");

    // 32 bytes with an empty customization string is the MAC_KMAC128 tag; a
    // NULL customization string is the empty string.
    unsigned char tag[32], prf[64], prf_null[32];
    ASSERT_EQ(MAC_Bytes(tag, 32, data.data(), 10, key.data(), 32, MAC_KMAC128), 32);
    ASSERT_EQ(PRF_Bytes(prf, 32, data.data(), 10, key.data(), 32, "", PRF_KMAC128), 32);
    ASSERT_EQ(PRF_Bytes(prf_null, 32, data.data(), 10, key.data(), 32, nullptr, PRF_KMAC128), 32);
    EXPECT_EQ(tu::to_hex(prf, 32), tu::to_hex(tag, 32));
    EXPECT_EQ(tu::to_hex(prf_null, 32), tu::to_hex(tag, 32));
    // The output length is an input: 64 bytes do not begin with the 32.
    ASSERT_EQ(PRF_Bytes(prf, 64, data.data(), 10, key.data(), 32, "", PRF_KMAC128), 64);
    EXPECT_NE(tu::to_hex(prf, 32), tu::to_hex(tag, 32));
    // An empty key and message are fine.
    EXPECT_EQ(PRF_Bytes(prf, 16, data.data(), 0, nullptr, 0, nullptr, PRF_KMAC256), 16);
}

TEST(PrfApi, ShakeIgnoresKeyAndCustomization) {
    const unsigned char msg[3] = {'a', 'b', 'c'};
    const unsigned char k1[4] = {1, 2, 3, 4}, k2[2] = {9, 9};
    unsigned char a[50], b[50], x[50];
    ASSERT_EQ(PRF_Bytes(a, 50, msg, 3, k1, 4, "one", XOF_SHAKE256), 50);
    ASSERT_EQ(PRF_Bytes(b, 50, msg, 3, k2, 2, "two", XOF_SHAKE256), 50);
    ASSERT_EQ(XOF_Bytes(x, 50, msg, 3, XOF_SHAKE256), 50);
    EXPECT_EQ(tu::to_hex(a, 50), tu::to_hex(b, 50));
    EXPECT_EQ(tu::to_hex(a, 50), tu::to_hex(x, 50));
}

TEST(PrfApi, ChecksInOrder) {
    unsigned char out[8] = {0x55};
    const unsigned char msg[3] = {1, 2, 3};
    const unsigned char key[4] = {1, 2, 3, 4};
    struct Case {
        unsigned char* out;
        int32_t out_len;
        const unsigned char* msg;
        int32_t msg_len;
        const unsigned char* key;
        int32_t key_len;
        int32_t option;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 8, msg, 3, key, 4, PRF_KMAC128, -BAD_PARAM_ERROR},
        {out, -1, msg, 3, key, 4, PRF_KMAC128, -BAD_PARAM_ERROR},
        {out, 8, nullptr, 0, key, 4, PRF_KMAC128, -BAD_PARAM_ERROR},  // NULL message even with length 0
        {out, 8, msg, -1, key, 4, PRF_KMAC128, -BAD_PARAM_ERROR},
        {out, 8, msg, 3, nullptr, 4, 0x205, -BAD_FLAG_ERROR},  // the option before the key
        {out, 8, msg, 3, key, 4, XOF_MGF1_SHA256, -BAD_FLAG_ERROR},
        {out, 8, msg, 3, key, 4, MAC_POLY1305, -BAD_FLAG_ERROR},
        {out, 8, msg, 3, nullptr, 4, PRF_KMAC128, -BAD_PARAM_ERROR},
        {out, 8, msg, 3, key, -1, PRF_KMAC256, -BAD_PARAM_ERROR},
        {out, 0, msg, 3, nullptr, 4, PRF_KMAC128, -BAD_PARAM_ERROR},  // the key before the length-0 shortcut
        {out, 0, msg, 3, key, 4, PRF_KMAC128, 0},
        {out, 0, msg, 3, key, 4, XOF_SHAKE128, 0},
        {out, 8, msg, 3, nullptr, -7, XOF_SHAKE128, 8},  // SHAKE does not look at the key
    };
    for (const Case& c : cases) {
        out[0] = 0x55;
        EXPECT_EQ(PRF_Bytes(c.out, c.out_len, c.msg, c.msg_len, c.key, c.key_len, "", c.option), c.want)
            << std::hex << c.option;
        EXPECT_EQ(API_ErrorCode(), c.want < 0 ? -c.want : 0);
        if (c.out_len == 0) {
            EXPECT_EQ(out[0], 0x55) << "length 0 touches nothing";
        }
    }
}


// The output may be an input buffer: message, key, password or salt are read
// in full before the first output byte is written. Each case derives 100
// bytes from the first 40 bytes of `in` (and of the second input, `other`)
// once into a separate buffer and once over the buffer it reads.
TEST(KdfApi, OutputMayBeAnInputBuffer) {
    using Fn = int32_t (*)(unsigned char* out, const unsigned char* in, const unsigned char* other);
    const Fn cases[] = {
        [](unsigned char* o, const unsigned char* in, const unsigned char*) {
            return XOF_Bytes(o, 100, in, 40, XOF_SHAKE128);
        },
        [](unsigned char* o, const unsigned char* in, const unsigned char*) {
            return XOF_Bytes(o, 100, in, 40, XOF_MGF1_SHA256);
        },
        [](unsigned char* o, const unsigned char* in, const unsigned char*) {
            return XOF_Bytes(o, 100, in, 40, XOF_ASCON_XOF);
        },
        [](unsigned char* o, const unsigned char* in, const unsigned char* k) {
            return PRF_Bytes(o, 100, in, 40, k, 40, "custom", PRF_KMAC128);
        },
        [](unsigned char* o, const unsigned char* k, const unsigned char* in) {
            return PRF_Bytes(o, 100, in, 40, k, 40, "custom", PRF_KMAC256);
        },
        [](unsigned char* o, const unsigned char* pw, const unsigned char* salt) {
            return PBE_Kdf2(o, 100, pw, 40, salt, 40, 3, HASH_ALG_SHA384) == 0 ? 100 : -1;
        },
        [](unsigned char* o, const unsigned char* salt, const unsigned char* pw) {
            return PBE_Kdf2(o, 100, pw, 40, salt, 40, 3, HASH_ALG_SHA1) == 0 ? 100 : -1;
        },
        [](unsigned char* o, const unsigned char* pw, const unsigned char* salt) {
            return PBE_Scrypt(o, 100, pw, 40, salt, 40, 16, 1, 2) == 0 ? 100 : -1;
        },
        [](unsigned char* o, const unsigned char* salt, const unsigned char* pw) {
            return PBE_Scrypt(o, 100, pw, 40, salt, 40, 16, 1, 2) == 0 ? 100 : -1;
        },
    };
    tu::Prng prng(17);
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        Bytes in = prng.bytes(100);
        const Bytes other = prng.bytes(40);
        Bytes want(100);
        ASSERT_EQ(cases[i](want.data(), in.data(), other.data()), 100) << "case " << i;
        ASSERT_EQ(cases[i](in.data(), in.data(), other.data()), 100) << "case " << i;
        EXPECT_EQ(in, want) << "case " << i;
    }
}

}  // namespace
