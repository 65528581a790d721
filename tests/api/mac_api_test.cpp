// MAC_ exports and the Hmac members of SHA1_, SHA2_ and MD5_ as a caller sees
// them: the Wycheproof files through MAC_Bytes, selection by option word,
// check order and signs, query mode and truncation, the streaming context
// and its handle rules, the last error.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "json_lite.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

const uint8_t* u8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }
int32_t len32(const std::string& s) { return static_cast<int32_t>(s.size()); }
// A pointer that is never NULL, also for an empty vector (the exports refuse
// a NULL key or PRF message whatever the length).
const uint8_t* ptr(const Bytes& b) {
    static const uint8_t none = 0;
    return b.empty() ? &none : b.data();
}

const std::string kJefe = "Jefe";
const std::string kJefeMsg = "what do ya want for nothing?";
// RFC 4231 test case 2 (HMAC-SHA-256) and RFC 2202 test case 2 (SHA-1, MD5).
const char kJefeSha256[] = "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843";
const char kJefeSha1[] = "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79";
const char kJefeMd5[] = "750c783e6ab0b503eaa86e310a5db738";

std::string mac_hex(const Bytes& msg, const Bytes& key, int32_t options) {
    char out[129];
    const int32_t n = MAC_HexFromBytes(out, 128, msg.data(), static_cast<int32_t>(msg.size()), key.data(),
                                       static_cast<int32_t>(key.size()), options);
    return n < 0 ? "error " + std::to_string(n) : std::string(out, static_cast<std::size_t>(n));
}

struct WycheproofMac {
    const char* file;
    int32_t option;
};

const WycheproofMac kWycheproofMacs[] = {
    {"hmac_sha1_test.json", MAC_HMAC_SHA1},         {"hmac_sha224_test.json", MAC_HMAC_SHA224},
    {"hmac_sha256_test.json", MAC_HMAC_SHA256},     {"hmac_sha384_test.json", MAC_HMAC_SHA384},
    {"hmac_sha512_test.json", MAC_HMAC_SHA512},     {"hmac_sha3_224_test.json", MAC_HMAC_SHA3_224},
    {"hmac_sha3_256_test.json", MAC_HMAC_SHA3_256}, {"hmac_sha3_384_test.json", MAC_HMAC_SHA3_384},
    {"hmac_sha3_512_test.json", MAC_HMAC_SHA3_512}, {"aes_cmac_test.json", 0},
};

// Every case through MAC_Bytes with an output length of tagSize bits, which
// gives the truncated tag: valid tags match, invalid ones do not, and CMAC
// keys of other sizes are refused.
TEST(MacApi, WycheproofHmacAndCmac) {
    for (const WycheproofMac& w : kWycheproofMacs) {
        json::for_each_wycheproof_test(tu::vector_path(std::string("wycheproof/") + w.file),
                                       [&](const json::Value& group, const json::Value& t) {
            const Bytes key = tu::from_hex(t["key"].as_string());
            const Bytes msg = tu::from_hex(t["msg"].as_string());
            const Bytes want = tu::from_hex(t["tag"].as_string());
            const int32_t tag_len = static_cast<int32_t>(group["tagSize"].as_int() / 8);
            const bool valid = t["result"].as_string() == "valid";
            int32_t option = w.option;
            if (option == 0 && std::string(w.file) == "aes_cmac_test.json")
                option = key.size() == 24 ? MAC_CMAC_AES192 : key.size() == 32 ? MAC_CMAC_AES256 : MAC_CMAC_AES128;
            Bytes tag(64);
            const int32_t n = MAC_Bytes(tag.data(), tag_len, msg.data(), static_cast<int32_t>(msg.size()),
                                        ptr(key), static_cast<int32_t>(key.size()), option);
            if (option >= MAC_CMAC_AES128 && key.size() != 16 && key.size() != 24 && key.size() != 32) {
                EXPECT_EQ(n, -BAD_KEY_LEN_ERROR) << w.file << " tcId " << t["tcId"].as_int();
                EXPECT_FALSE(valid);
                return;
            }
            ASSERT_EQ(n, tag_len) << w.file << " tcId " << t["tcId"].as_int();
            tag.resize(static_cast<std::size_t>(n));
            EXPECT_EQ(tag == want, valid) << w.file << " tcId " << t["tcId"].as_int();
        });
    }
}

// KMAC's output length is an input: cases with L = 256 (KMAC128) or 512
// (KMAC256) run through MAC_Bytes, all of them through PRF_Bytes.
TEST(MacApi, WycheproofKmac) {
    for (int32_t option : {MAC_KMAC128, MAC_KMAC256}) {
        const std::string file =
            std::string("wycheproof/kmac") + (option == MAC_KMAC128 ? "128" : "256") + "_no_customization_test.json";
        const int32_t mac_len = option == MAC_KMAC128 ? 32 : 64;
        json::for_each_wycheproof_test(tu::vector_path(file), [&](const json::Value& group, const json::Value& t) {
            const Bytes key = tu::from_hex(t["key"].as_string());
            const Bytes msg = tu::from_hex(t["msg"].as_string());
            const Bytes want = tu::from_hex(t["tag"].as_string());
            const int32_t l = static_cast<int32_t>(group["tagSize"].as_int() / 8);
            const bool valid = t["result"].as_string() == "valid";
            Bytes out(static_cast<std::size_t>(l));
            ASSERT_EQ(PRF_Bytes(out.data(), l, ptr(msg), static_cast<int32_t>(msg.size()), key.data(),
                                static_cast<int32_t>(key.size()), "", option),
                      l);
            EXPECT_EQ(out == want, valid) << file << " tcId " << t["tcId"].as_int();
            if (l == mac_len) {
                Bytes tag(static_cast<std::size_t>(mac_len));
                ASSERT_EQ(MAC_Bytes(tag.data(), mac_len, msg.data(), static_cast<int32_t>(msg.size()), ptr(key),
                                    static_cast<int32_t>(key.size()), option),
                          mac_len);
                EXPECT_EQ(tag, out);
            }
        });
    }
}

TEST(MacApi, ShortOutputsTruncateAndQueriesReturnTheTagLength) {
    unsigned char out[64];
    EXPECT_EQ(MAC_Bytes(out, 16, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4, MAC_HMAC_SHA256), 16);
    EXPECT_EQ(tu::to_hex(out, 16, false), std::string(kJefeSha256, 32));
    EXPECT_EQ(MAC_Bytes(nullptr, 64, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4, MAC_HMAC_SHA256), 32);
    EXPECT_EQ(MAC_Bytes(out, 0, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4, MAC_HMAC_SHA256), 32);
    char hex[129];
    EXPECT_EQ(MAC_HexFromBytes(hex, 64, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4, MAC_HMAC_SHA256), 64);
    EXPECT_STREQ(hex, kJefeSha256);
    EXPECT_EQ(MAC_HexFromBytes(hex, 41, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4, MAC_HMAC_SHA256), 40);
    EXPECT_STREQ(hex, std::string(kJefeSha256, 40).c_str());
    EXPECT_EQ(MAC_HexFromBytes(nullptr, 0, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4, MAC_HMAC_SHA256), 64);
    // A negative maximum is a query like 0: nothing is written.
    std::memset(hex, 'x', sizeof hex);
    EXPECT_EQ(MAC_HexFromBytes(hex, -5, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4, MAC_HMAC_SHA256), 64);
    EXPECT_EQ(hex[0], 'x');
    EXPECT_EQ(MAC_HexFromHex(hex, -1, "00", "0102", MAC_HMAC_SHA1), 40);
    EXPECT_EQ(hex[0], 'x');
    EXPECT_EQ(MAC_HexFromHex(hex, -1, "00", "00112233445566778899aabbccddeeff", MAC_CMAC_AES128), 32);
    EXPECT_EQ(hex[0], 'x');
    EXPECT_EQ(API_ErrorCode(), 0);
}

struct OptionCase {
    int32_t option;
    std::size_t key_len;
    int32_t want;  // tag length, or a negative code
};

// Selection by option word: groups, key lengths, ignored high bits.
const OptionCase kOptionCases[] = {
    {MAC_HMAC_SHA1, 0, 20},   {MAC_HMAC_MD5, 5, 16},      {MAC_HMAC_SHA256, 5, 32},    {MAC_HMAC_SHA384, 5, 48},
    {MAC_HMAC_SHA512, 5, 64}, {MAC_HMAC_SHA224, 5, 28},   {MAC_HMAC_RMD160, 5, 20},    {MAC_HMAC_SHA3_224, 5, 28},
    {MAC_HMAC_SHA3_256, 5, 32}, {MAC_HMAC_SHA3_384, 5, 48}, {MAC_HMAC_SHA3_512, 5, 64},
    {0x13, 5, 32},                   // the HMAC group reads the low four bits only
    {0x10003, 5, 32},                // bits above the low twelve are ignored
    {2, 5, -BAD_FLAG_ERROR},         // MD2
    {8, 5, -BAD_FLAG_ERROR},         // HASH160
    {9, 5, -BAD_FLAG_ERROR},         {14, 5, -BAD_FLAG_ERROR},     {15, 5, -BAD_FLAG_ERROR},
    {0xAF, 5, -BAD_FLAG_ERROR},      // Ascon-Hash has no HMAC
    {MAC_CMAC_TDEA, 24, 8},          {MAC_CMAC_AES128, 16, 16},    {MAC_CMAC_AES192, 24, 16},
    {MAC_CMAC_AES256, 32, 16},       {0x1101, 16, 16},
    {MAC_CMAC_TDEA, 16, -BAD_KEY_LEN_ERROR},    {MAC_CMAC_AES128, 24, -BAD_KEY_LEN_ERROR},
    {MAC_CMAC_AES192, 16, -BAD_KEY_LEN_ERROR},  {MAC_CMAC_AES256, 0, -BAD_KEY_LEN_ERROR},
    {0x104, 16, -BAD_FLAG_ERROR},    {0x104, 5, -BAD_FLAG_ERROR},   // the option is checked before the key
    {0x300, 32, -BAD_FLAG_ERROR},    // 0x100 set: the CMAC group, where 0x300 names nothing
    {MAC_POLY1305, 32, 16},          {MAC_POLY1305, 31, -BAD_KEY_LEN_ERROR},
    {MAC_KMAC128, 0, 32},            {MAC_KMAC256, 7, 64},
    {0x203, 32, -BAD_FLAG_ERROR},    {0x210, 32, -BAD_FLAG_ERROR},
};

TEST(MacApi, OptionWordSelectsTheMacAndItsKeyLength) {
    const Bytes key(32, 0x4B);
    const std::string msg = "message";
    for (const OptionCase& c : kOptionCases) {
        unsigned char out[64];
        EXPECT_EQ(MAC_Bytes(out, 64, u8(msg), len32(msg), key.data(), static_cast<int32_t>(c.key_len), c.option),
                  c.want)
            << std::hex << c.option << " key " << std::dec << c.key_len;
        if (c.want < 0) {
            EXPECT_EQ(API_ErrorCode(), -c.want);
        }
        char hex[129];
        std::memset(hex, 'x', sizeof hex);
        const int32_t want_hex = c.want < 0 ? c.want : 2 * c.want;
        EXPECT_EQ(MAC_HexFromBytes(hex, 128, u8(msg), len32(msg), key.data(), static_cast<int32_t>(c.key_len),
                                   c.option),
                  want_hex);
        EXPECT_EQ(MAC_HexFromBytes(nullptr, 0, u8(msg), len32(msg), key.data(), static_cast<int32_t>(c.key_len),
                                   c.option),
                  want_hex);
        if (c.want < 0) {
            EXPECT_EQ(hex[0], 'x') << "nothing is written on an error";
        }
    }
}

TEST(MacApi, ByteArgumentsAreCheckedInOrder) {
    const unsigned char key[4] = {1, 2, 3, 4};
    const unsigned char msg[4] = {5, 6, 7, 8};
    unsigned char out[64];
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
        {out, 64, nullptr, 1, key, 4, MAC_HMAC_SHA1, -BAD_PARAM_ERROR},
        {out, -1, msg, 4, key, 4, MAC_HMAC_SHA1, -BAD_PARAM_ERROR},
        {out, 64, msg, -1, key, 4, MAC_HMAC_SHA1, -BAD_PARAM_ERROR},
        {out, 64, msg, 4, nullptr, 0, MAC_HMAC_SHA1, -BAD_PARAM_ERROR},
        {out, 64, msg, 4, key, -1, MAC_HMAC_SHA1, -BAD_PARAM_ERROR},
        {out, 64, msg, 4, key, -1, 2, -BAD_PARAM_ERROR},  // argument checks come before the option
        {out, 64, nullptr, 0, key, 4, MAC_HMAC_SHA1, 20},
        {out, 64, nullptr, 0, key, 0, MAC_KMAC128, 32},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MAC_Bytes(c.out, c.out_len, c.msg, c.msg_len, c.key, c.key_len, c.option), c.want);
        if (c.out_len >= 0) {
            char hex[129];
            const int32_t want_hex = c.want < 0 ? c.want : 2 * c.want;
            EXPECT_EQ(MAC_HexFromBytes(hex, 128, c.msg, c.msg_len, c.key, c.key_len, c.option), want_hex);
        }
    }
}

TEST(MacApi, KmacTagsAreNeverTruncated) {
    const Bytes key(16, 1);
    unsigned char out[64];
    EXPECT_EQ(MAC_Bytes(out, 31, nullptr, 0, key.data(), 16, MAC_KMAC128), -SHORT_BUF_ERROR);
    EXPECT_EQ(API_ErrorCode(), SHORT_BUF_ERROR);
    EXPECT_EQ(MAC_Bytes(out, 63, nullptr, 0, key.data(), 16, MAC_KMAC256), -SHORT_BUF_ERROR);
    EXPECT_EQ(MAC_Bytes(nullptr, 5, nullptr, 0, key.data(), 16, MAC_KMAC128), 32);
    EXPECT_EQ(MAC_Bytes(out, 0, nullptr, 0, key.data(), 16, MAC_KMAC256), 64);
    char hex[129];
    EXPECT_EQ(MAC_HexFromBytes(hex, 63, nullptr, 0, key.data(), 16, MAC_KMAC128), -SHORT_BUF_ERROR);
    EXPECT_EQ(MAC_HexFromBytes(hex, 64, nullptr, 0, key.data(), 16, MAC_KMAC128), 64);
    EXPECT_EQ(std::strlen(hex), 64u);
    EXPECT_EQ(MAC_HexFromBytes(nullptr, 0, nullptr, 0, key.data(), 16, MAC_KMAC256), 128);
}

TEST(MacApi, HexFromHexChecksInOrder) {
    char hex[129];
    const char key16[] = "000102030405060708090a0b0c0d0e0f";
    const char key32[] = "000102030405060708090a0b0c0d0e0f000102030405060708090a0b0c0d0e0f";
    struct Case {
        const char* msg;
        const char* key;
        int32_t option;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, key16, MAC_HMAC_SHA1, -BAD_PARAM_ERROR},
        {"00", nullptr, MAC_HMAC_SHA1, -BAD_PARAM_ERROR},
        {"00", "", 0x205, -BAD_FLAG_ERROR},               // 0x200-group option before the key
        {"00", "", MAC_HMAC_SHA1, -BAD_KEY_LEN_ERROR},
        {"00", "", MAC_CMAC_AES128, -BAD_KEY_LEN_ERROR},
        {"00", "", MAC_POLY1305, -BAD_KEY_LEN_ERROR},
        {"00", "", MAC_KMAC128, 64},                      // an empty KMAC key is allowed
        {"zz", "", MAC_KMAC256, -BAD_FORMAT_ERROR},
        {"00", "0g", MAC_HMAC_SHA1, -BAD_FORMAT_ERROR},
        {"00", "012", MAC_HMAC_SHA1, -BAD_FORMAT_ERROR},
        {"00", "01 02", MAC_HMAC_SHA1, -BAD_FORMAT_ERROR},
        {"00", key16, MAC_POLY1305, -BAD_KEY_LEN_ERROR},  // before the message is looked at
        {"0", key32, MAC_POLY1305, -BAD_FORMAT_ERROR},
        {"0", key16, MAC_HMAC_SHA1, -BAD_FORMAT_ERROR},
        {"", key16, MAC_HMAC_SHA1, 40},                    // an empty message
        {"", key16, 2, -BAD_FLAG_ERROR},
        {"00", key16, MAC_CMAC_AES192, -BAD_KEY_LEN_ERROR},
        {"00", key16, MAC_CMAC_AES128, 32},
        {"00", key32, MAC_POLY1305, 32},
        {"00", "0102030405060708090a0b0c0d0e0f101112131415161718", MAC_CMAC_TDEA, 16},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MAC_HexFromHex(hex, 128, c.msg, c.key, c.option), c.want)
            << (c.msg ? c.msg : "(null)") << " / " << (c.key ? c.key : "(null)") << " / " << std::hex << c.option;
    // The same tag as from bytes.
    ASSERT_EQ(MAC_HexFromHex(hex, 128, "77686174", "4A656665", MAC_HMAC_SHA256), 64);
    EXPECT_EQ(hex, mac_hex(tu::bytes_of("what"), tu::bytes_of("Jefe"), MAC_HMAC_SHA256));
}

// The output may be the message or the key buffer: the whole input is read
// before the first tag byte is written.
TEST(MacApi, OutputMayBeTheMessageOrTheKey) {
    tu::Prng prng(5);
    const Bytes msg = prng.bytes(64), key = prng.bytes(32);
    for (int32_t option : {MAC_HMAC_SHA512, MAC_CMAC_AES256, MAC_POLY1305, MAC_KMAC256}) {
        unsigned char want[64];
        const int32_t n = MAC_Bytes(want, 64, msg.data(), 64, key.data(), 32, option);
        ASSERT_GT(n, 0) << option;
        Bytes in_msg = msg, in_key = key;
        EXPECT_EQ(MAC_Bytes(in_msg.data(), 64, in_msg.data(), 64, key.data(), 32, option), n);
        EXPECT_EQ(tu::to_hex(in_msg.data(), static_cast<std::size_t>(n)), tu::to_hex(want, static_cast<std::size_t>(n)))
            << option;
        if (n <= 32) {
            EXPECT_EQ(MAC_Bytes(in_key.data(), 32, msg.data(), 64, in_key.data(), 32, option), n);
            EXPECT_EQ(tu::to_hex(in_key.data(), static_cast<std::size_t>(n)),
                      tu::to_hex(want, static_cast<std::size_t>(n)))
                << option;
        }
    }
}

// RFC 8439 section 2.5.2 through the export.
TEST(MacApi, Poly1305ThroughTheExport) {
    const std::string msg = "Cryptographic Forum Research Group";
    const Bytes key = tu::from_hex("85d6be7857556d337f4452fe42d506a80103808afb0db2fd4abff6af4149f51b");
    EXPECT_EQ(mac_hex(tu::bytes_of(msg), key, MAC_POLY1305), "a8061dc1305136c6c22b8baf0c0127a9");
}

TEST(MacApi, StreamingMatchesOneShotForEveryStreamingCode) {
    tu::Prng prng(21);
    const Bytes key = prng.bytes(150), msg = prng.bytes(700);
    for (int32_t option : {MAC_HMAC_SHA1, MAC_HMAC_SHA256, MAC_HMAC_SHA384, MAC_HMAC_SHA512, MAC_HMAC_SHA224,
                           MAC_HMAC_SHA3_224, MAC_HMAC_SHA3_256, MAC_HMAC_SHA3_384, MAC_HMAC_SHA3_512}) {
        const std::string want = mac_hex(msg, key, option);
        for (int round = 0; round < 8; ++round) {
            const int32_t h = MAC_Init(key.data(), static_cast<int32_t>(key.size()), option);
            ASSERT_NE(h, 0);
            EXPECT_EQ(h & 1, 1);
            EXPECT_EQ(MAC_CodeLength(h), static_cast<int32_t>(want.size() / 2));
            std::size_t pos = 0;
            while (pos < msg.size()) {
                const std::size_t n = std::min<std::size_t>(prng.below(200), msg.size() - pos);
                ASSERT_EQ(MAC_AddBytes(h, msg.data() + pos, static_cast<int32_t>(n)), 0);
                pos += n;
            }
            unsigned char tag[64];
            ASSERT_EQ(MAC_Final(tag, 64, h), static_cast<int32_t>(want.size() / 2));
            EXPECT_EQ(tu::to_hex(tag, want.size() / 2, false), want) << option;
        }
    }
}

TEST(MacApi, StreamingHandleRules) {
    const unsigned char key[3] = {1, 2, 3};
    const unsigned char data[3] = {4, 5, 6};
    unsigned char tag[64];

    // Key checks leave the slot alone; option checks end the earlier context.
    int32_t h = MAC_Init(key, 3, MAC_HMAC_SHA256);
    ASSERT_NE(h, 0);
    EXPECT_EQ(MAC_Init(key, 0, MAC_HMAC_SHA256), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    EXPECT_EQ(MAC_Init(nullptr, 3, MAC_HMAC_SHA256), 0);
    EXPECT_EQ(MAC_AddBytes(h, data, 3), 0);
    for (int32_t option : {MAC_HMAC_MD5, MAC_HMAC_RMD160, 0x13, MAC_CMAC_AES128, MAC_POLY1305, MAC_KMAC128, 2}) {
        EXPECT_EQ(MAC_Init(key, 3, option), 0) << option;
        EXPECT_EQ(API_ErrorCode(), NOT_SUPPORTED_ERROR);
    }
    EXPECT_EQ(MAC_AddBytes(h, data, 3), -INVALID_HANDLE_ERROR);

    // A second Init abandons the first context.
    const int32_t h1 = MAC_Init(key, 3, MAC_HMAC_SHA1);
    const int32_t h2 = MAC_Init(key, 3, MAC_HMAC_SHA512);
    ASSERT_NE(h2, 0);
    if (h1 != h2) {
        EXPECT_EQ(MAC_AddBytes(h1, data, 3), -INVALID_HANDLE_ERROR);
    }
    EXPECT_EQ(MAC_CodeLength(h2), 64);

    // Argument checks and their order.
    EXPECT_EQ(MAC_AddBytes(0, data, 3), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(MAC_AddBytes(h2 + 2, nullptr, -1), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(MAC_AddBytes(h2, nullptr, 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(MAC_AddBytes(h2, data, -1), -BAD_PARAM_ERROR);
    EXPECT_EQ(MAC_AddBytes(h2, data, 0), 0);
    EXPECT_EQ(MAC_Final(nullptr, 64, h2 + 2), -BAD_PARAM_ERROR);
    EXPECT_EQ(MAC_Final(tag, 0, h2), -BAD_PARAM_ERROR);
    EXPECT_EQ(MAC_Final(tag, 64, h2 + 2), -INVALID_HANDLE_ERROR);

    // Final writes the leading bytes and ends the context.
    EXPECT_EQ(MAC_Final(tag, 10, h2), 10);
    EXPECT_EQ(MAC_Final(tag, 64, h2), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(API_ErrorCode(), INVALID_HANDLE_ERROR);
    EXPECT_EQ(MAC_CodeLength(h2), -INVALID_HANDLE_ERROR);

    // Reset ends it without a tag.
    h = MAC_Init(key, 3, MAC_HMAC_SHA3_256);
    EXPECT_EQ(MAC_Reset(h + 2), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(MAC_Reset(h), 0);
    EXPECT_EQ(MAC_Reset(h), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(MAC_AddBytes(h, data, 3), -INVALID_HANDLE_ERROR);
}

TEST(MacApi, HandlesBelongToTheirThread) {
    const unsigned char key[3] = {1, 2, 3};
    const int32_t h = MAC_Init(key, 3, MAC_HMAC_SHA256);
    ASSERT_NE(h, 0);
    int32_t other = 0;
    std::thread([&] { other = MAC_AddBytes(h, key, 3); }).join();
    EXPECT_EQ(other, -INVALID_HANDLE_ERROR);
    EXPECT_EQ(MAC_Reset(h), 0);
}

// A zero-length key works one-shot (the pointer must not be NULL) but not
// for MAC_Init, and not as an empty key string except for KMAC.
TEST(MacApi, EmptyKeys) {
    const unsigned char key[1] = {0};
    unsigned char out[64];
    EXPECT_EQ(MAC_Bytes(out, 64, nullptr, 0, key, 0, MAC_HMAC_SHA1), 20);
    EXPECT_EQ(tu::to_hex(out, 20, false), "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d");  // HMAC-SHA-1("", "")
    EXPECT_EQ(MAC_Init(key, 0, MAC_HMAC_SHA1), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    char hex[129];
    EXPECT_EQ(MAC_HexFromHex(hex, 128, "", "", MAC_HMAC_SHA1), -BAD_KEY_LEN_ERROR);
    EXPECT_EQ(MAC_HexFromHex(hex, 128, "", "", MAC_KMAC128), 64);
    char from_bytes[65];
    EXPECT_EQ(MAC_HexFromBytes(from_bytes, 64, nullptr, 0, key, 0, MAC_KMAC128), 64);
    EXPECT_STREQ(hex, from_bytes);
}

// HMAC-SHA-1, HMAC-SHA-256 and HMAC-MD5 members: lower-case hex, positive codes.
TEST(FixedHmacApi, ResultsAndChecks) {
    char out[65];
    EXPECT_EQ(SHA2_Hmac(out, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4), 0);
    EXPECT_STREQ(out, kJefeSha256);
    EXPECT_EQ(SHA1_Hmac(out, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4), 0);
    EXPECT_STREQ(out, kJefeSha1);
    EXPECT_EQ(MD5_Hmac(out, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4), 0);
    EXPECT_STREQ(out, kJefeMd5);

    const std::string msg_hex = tu::to_hex(tu::bytes_of(kJefeMsg), false);
    EXPECT_EQ(SHA2_HmacHex(out, msg_hex.c_str(), "4a656665"), 0);
    EXPECT_STREQ(out, kJefeSha256);
    // Lenient decoding: separators are skipped, a last lone digit is dropped.
    EXPECT_EQ(SHA2_HmacHex(out, msg_hex.c_str(), "4A 65:66-65"), 0);
    EXPECT_STREQ(out, kJefeSha256);
    EXPECT_EQ(SHA1_HmacHex(out, (msg_hex + "7").c_str(), "4a6566650"), 0);
    EXPECT_STREQ(out, kJefeSha1);
    EXPECT_EQ(MD5_HmacHex(out, msg_hex.c_str(), "4a656665"), 0);
    EXPECT_STREQ(out, kJefeMd5);
    EXPECT_EQ(SHA2_HmacHex(out, "", "xyz: -"), 0);
    EXPECT_STREQ(out, "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad");  // HMAC-SHA-256("", "")

    // A NULL output computes and writes nothing.
    EXPECT_EQ(SHA1_Hmac(nullptr, u8(kJefeMsg), len32(kJefeMsg), u8(kJefe), 4), 0);
    EXPECT_EQ(SHA1_HmacHex(nullptr, "00", "00"), 0);

    struct Case {
        int32_t (*fn)(char*, const unsigned char*, int32_t, const unsigned char*, int32_t);
        const unsigned char* msg;
        int32_t msg_len;
        const unsigned char* key;
        int32_t key_len;
        int32_t want;
    };
    const Case cases[] = {
        {SHA2_Hmac, u8(kJefeMsg), -1, u8(kJefe), 4, BAD_PARAM_ERROR},
        {SHA1_Hmac, u8(kJefeMsg), 3, u8(kJefe), -1, BAD_PARAM_ERROR},
        {MD5_Hmac, nullptr, 3, u8(kJefe), 4, BAD_PARAM_ERROR},
        {SHA2_Hmac, u8(kJefeMsg), 3, nullptr, 4, BAD_PARAM_ERROR},
        {SHA2_Hmac, nullptr, 0, nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.fn(out, c.msg, c.msg_len, c.key, c.key_len), c.want);
        EXPECT_EQ(API_ErrorCode(), c.want);
    }
    EXPECT_EQ(SHA2_HmacHex(out, nullptr, "00"), BAD_PARAM_ERROR);
    EXPECT_EQ(MD5_HmacHex(out, "00", nullptr), BAD_PARAM_ERROR);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
}

}  // namespace
