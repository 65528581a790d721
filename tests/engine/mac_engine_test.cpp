// MAC engines against published vectors: HMAC (RFC 2202, RFC 4231 and the
// Wycheproof files), CMAC (SP 800-38B examples, Wycheproof), Poly1305
// (RFC 8439), KMAC (SP 800-185 samples, Wycheproof); streaming splits and
// the length encodings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ct.h"
#include "hash/cmac.h"
#include "hash/hmac.h"
#include "hash/kmac.h"
#include "hash/poly1305.h"
#include "json_lite.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

// A test input written compactly: "hex:..." for bytes, "rep:XX*N" for N
// copies of the byte XX, anything else for the text itself.
Bytes input(const std::string& text) {
    if (text.rfind("hex:", 0) == 0) return tu::from_hex(text.substr(4));
    if (text.rfind("rep:", 0) == 0) {
        const Bytes b = tu::from_hex(text.substr(4, 2));
        return Bytes(std::stoul(text.substr(7)), b[0]);
    }
    return tu::bytes_of(text);
}

std::string hmac_hex(uint32_t code, const Bytes& key, const Bytes& msg) {
    uint8_t tag[64];
    const int32_t n = hmac_bytes(tag, sizeof tag, msg.data(), msg.size(), key.data(), key.size(), code);
    return n < 0 ? "error" : tu::to_hex(tag, static_cast<std::size_t>(n), false);
}

struct MacCase {
    uint32_t code;
    const char* key;
    const char* data;
    const char* tag;  // truncated where the source truncates
};

const char kKey25[] = "hex:0102030405060708090a0b0c0d0e0f10111213141516171819";
const char kLongKeyData[] = "Test Using Larger Than Block-Size Key - Hash Key First";
const char kLongData2202[] = "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data";
const char kLongData4231[] =
    "This is a test using a larger than block-size key and a larger than block-size data. The key needs to be "
    "hashed before being used by the HMAC algorithm.";

// RFC 2202 (HMAC-MD5, HMAC-SHA-1) and RFC 4231 (HMAC-SHA-224/256/384/512).
const MacCase kHmacCases[] = {
    {kHashMd5, "rep:0b*16", "Hi There", "9294727a3638bb1c13f48ef8158bfc9d"},
    {kHashMd5, "Jefe", "what do ya want for nothing?", "750c783e6ab0b503eaa86e310a5db738"},
    {kHashMd5, "rep:aa*16", "rep:dd*50", "56be34521d144c88dbb8c733f0e8b3f6"},
    {kHashMd5, kKey25, "rep:cd*50", "697eaf0aca3a3aea3a75164746ffaa79"},
    {kHashMd5, "rep:0c*16", "Test With Truncation", "56461ef2342edc00f9bab995"},
    {kHashMd5, "rep:aa*80", kLongKeyData, "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
    {kHashMd5, "rep:aa*80", kLongData2202, "6f630fad67cda0ee1fb1f562db3aa53e"},
    {kHashSha1, "rep:0b*20", "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
    {kHashSha1, "Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
    {kHashSha1, "rep:aa*20", "rep:dd*50", "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
    {kHashSha1, kKey25, "rep:cd*50", "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
    {kHashSha1, "rep:0c*20", "Test With Truncation", "4c1a03424b55e07fe7f27be1"},
    {kHashSha1, "rep:aa*80", kLongKeyData, "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
    {kHashSha1, "rep:aa*80", kLongData2202, "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
    {kHashSha224, "rep:0b*20", "Hi There", "896fb1128abbdf196832107cd49df33f47b4b1169912ba4f53684b22"},
    {kHashSha224, "Jefe", "what do ya want for nothing?", "a30e01098bc6dbbf45690f3a7e9e6d0f8bbea2a39e6148008fd05e44"},
    {kHashSha224, "rep:aa*20", "rep:dd*50", "7fb3cb3588c6c1f6ffa9694d7d6ad2649365b0c1f65d69d1ec8333ea"},
    {kHashSha224, kKey25, "rep:cd*50", "6c11506874013cac6a2abc1bb382627cec6a90d86efc012de7afec5a"},
    {kHashSha224, "rep:0c*20", "Test With Truncation", "0e2aea68a90c8d37c988bcdb9fca6fa8"},
    {kHashSha224, "rep:aa*131", kLongKeyData, "95e9a0db962095adaebe9b2d6f0dbce2d499f112f2d2b7273fa6870e"},
    {kHashSha224, "rep:aa*131", kLongData4231, "3a854166ac5d9f023f54d517d0b39dbd946770db9c2b95c9f6f565d1"},
    {kHashSha256, "rep:0b*20", "Hi There", "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
    {kHashSha256, "Jefe", "what do ya want for nothing?",
     "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
    {kHashSha256, "rep:aa*20", "rep:dd*50", "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
    {kHashSha256, kKey25, "rep:cd*50", "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
    {kHashSha256, "rep:0c*20", "Test With Truncation", "a3b6167473100ee06e0c796c2955552b"},
    {kHashSha256, "rep:aa*131", kLongKeyData, "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
    {kHashSha256, "rep:aa*131", kLongData4231, "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
    {kHashSha384, "rep:0b*20", "Hi There",
     "afd03944d84895626b0825f4ab46907f15f9dadbe4101ec682aa034c7cebc59cfaea9ea9076ede7f4af152e8b2fa9cb6"},
    {kHashSha384, "Jefe", "what do ya want for nothing?",
     "af45d2e376484031617f78d2b58a6b1b9c7ef464f5a01b47e42ec3736322445e8e2240ca5e69e2c78b3239ecfab21649"},
    {kHashSha384, "rep:aa*20", "rep:dd*50",
     "88062608d3e6ad8a0aa2ace014c8a86f0aa635d947ac9febe83ef4e55966144b2a5ab39dc13814b94e3ab6e101a34f27"},
    {kHashSha384, kKey25, "rep:cd*50",
     "3e8a69b7783c25851933ab6290af6ca77a9981480850009cc5577c6e1f573b4e6801dd23c4a7d679ccf8a386c674cffb"},
    {kHashSha384, "rep:0c*20", "Test With Truncation", "3abf34c3503b2a23a46efc619baef897"},
    {kHashSha384, "rep:aa*131", kLongKeyData,
     "4ece084485813e9088d2c63a041bc5b44f9ef1012a2b588f3cd11f05033ac4c60c2ef6ab4030fe8296248df163f44952"},
    {kHashSha384, "rep:aa*131", kLongData4231,
     "6617178e941f020d351e2f254e8fd32c602420feb0b8fb9adccebb82461e99c5a678cc31e799176d3860e6110c46523e"},
    {kHashSha512, "rep:0b*20", "Hi There",
     "87aa7cdea5ef619d4ff0b4241a1d6cb02379f4e2ce4ec2787ad0b30545e17cdedaa833b7d6b8a702038b274eaea3f4e4be9d914ee"
     "b61f1702e696c203a126854"},
    {kHashSha512, "Jefe", "what do ya want for nothing?",
     "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea2505549758bf75c05a994a6d034f65f8f0e6fdcaeab1a34"
     "d4a6b4b636e070a38bce737"},
    {kHashSha512, "rep:aa*20", "rep:dd*50",
     "fa73b0089d56a284efb0f0756c890be9b1b5dbdd8ee81a3655f83e33b2279d39bf3e848279a722c806b485a47e67c807b946a337b"
     "ee8942674278859e13292fb"},
    {kHashSha512, kKey25, "rep:cd*50",
     "b0ba465637458c6990e5a8c5f61d4af7e576d97ff94b872de76f8050361ee3dba91ca5c11aa25eb4d679275cc5788063a5f197411"
     "20c4f2de2adebeb10a298dd"},
    {kHashSha512, "rep:0c*20", "Test With Truncation", "415fad6271580a531d4179bc891d87a6"},
    {kHashSha512, "rep:aa*131", kLongKeyData,
     "80b24263c7c1a3ebb71493c1dd7be8b49b46d1f41b4aeec1121b013783f8f3526b56d037e05f2598bd0fd2215d6a1e5295e64f73f"
     "63f0aec8b915a985d786598"},
    {kHashSha512, "rep:aa*131", kLongData4231,
     "e37b6a775dc87dbaa4dfa9f96e5e3ffddebd71f8867289865df5a32d20cdc944b6022cac3c4982b10d5eeb55c3e4de15134676fb6"
     "de0446065c97440fa8c6a58"},
};

TEST(HmacEngine, PublishedVectors) {
    for (const MacCase& c : kHmacCases) {
        const std::string want = c.tag;
        EXPECT_EQ(hmac_hex(c.code, input(c.key), input(c.data)).substr(0, want.size()), want)
            << "code " << c.code << " key " << c.key << " data " << c.data;
    }
}

TEST(HmacEngine, OneShotCopiesTheLeadingBytesAndRefusesCodesWithoutHmac) {
    const Bytes key = tu::bytes_of("Jefe"), msg = tu::bytes_of("what do ya want for nothing?");
    uint8_t out[64] = {0};
    EXPECT_EQ(hmac_bytes(out, 5, msg.data(), msg.size(), key.data(), key.size(), kHashSha256), 5);
    EXPECT_EQ(tu::to_hex(out, 6, false), "5bdcc146bf00");
    EXPECT_EQ(hmac_bytes(nullptr, 0, msg.data(), msg.size(), key.data(), key.size(), kHashSha384), 48);
    for (uint32_t code : {2u, 8u, 9u, 14u, 15u, 0xAFu, 0xBFu})
        EXPECT_EQ(hmac_bytes(out, 64, msg.data(), msg.size(), key.data(), key.size(), code), -BAD_FLAG_ERROR) << code;
    EXPECT_EQ(hmac_sha3(out, 64, msg.data(), msg.size(), key.data(), key.size(), 160), -BAD_FLAG_ERROR);
    EXPECT_EQ(hmac_sha3(out, 64, msg.data(), msg.size(), key.data(), key.size(), 384), 48);
}

// Every split of a message into three pieces gives the one-shot tag, for a
// hash of each block size, and a restarted state needs no new key.
TEST(HmacEngine, StreamingSplitsAndRestartMatchOneShot) {
    tu::Prng prng(7);
    const Bytes key = prng.bytes(100);
    const Bytes msg = prng.bytes(300);
    for (uint32_t code : {0u, 3u, 5u, 10u, 13u, 7u}) {
        const std::string want = hmac_hex(code, key, msg);
        HmacState st;
        ASSERT_TRUE(hmac_init(&st, code, key.data(), key.size()));
        for (int round = 0; round < 40; ++round) {
            const std::size_t a = prng.below(301), b = a + prng.below(static_cast<uint32_t>(301 - a));
            hmac_update(&st, msg.data(), a);
            hmac_update(&st, msg.data() + a, b - a);
            hmac_update(&st, msg.data() + b, msg.size() - b);
            uint8_t tag[64];
            hmac_final_restart(&st, tag);
            ASSERT_EQ(tu::to_hex(tag, st.tag_len, false), want) << code << " split " << a << "," << b;
        }
        hmac_update(&st, msg.data(), 10);
        hmac_restart(&st);
        hmac_update(&st, msg.data(), msg.size());
        uint8_t tag[64];
        const std::size_t len = st.tag_len;
        hmac_final(&st, tag);
        EXPECT_EQ(tu::to_hex(tag, len, false), want);
        const HmacState zero{};
        EXPECT_EQ(std::memcmp(&st, &zero, sizeof st), 0) << "final wipes the state";
    }
}

// A key longer than the block (the rate for SHA-3) is replaced by its digest.
TEST(HmacEngine, LongKeysAreHashedFirst) {
    tu::Prng prng(9);
    const Bytes msg = prng.bytes(33);
    for (uint32_t code : {0u, 1u, 4u, 10u, 11u, 12u, 13u}) {
        const HashAlgorithm* alg = hash_algorithm(code);
        const Bytes block_key = prng.bytes(alg->block_len);
        const Bytes long_key = prng.bytes(alg->block_len + 1);
        Bytes digest(alg->digest_len);
        hash_digest(alg, long_key.data(), long_key.size(), digest.data());
        EXPECT_EQ(hmac_hex(code, long_key, msg), hmac_hex(code, digest, msg)) << code;
        // a key of exactly one block is used as it is
        hash_digest(alg, block_key.data(), block_key.size(), digest.data());
        EXPECT_NE(hmac_hex(code, block_key, msg), hmac_hex(code, digest, msg)) << code;
    }
}

struct WycheproofHmac {
    const char* file;
    uint32_t code;
};

const WycheproofHmac kWycheproofHmac[] = {
    {"hmac_sha1_test.json", kHashSha1},         {"hmac_sha224_test.json", kHashSha224},
    {"hmac_sha256_test.json", kHashSha256},     {"hmac_sha384_test.json", kHashSha384},
    {"hmac_sha512_test.json", kHashSha512},     {"hmac_sha3_224_test.json", kHashSha3_224},
    {"hmac_sha3_256_test.json", kHashSha3_256}, {"hmac_sha3_384_test.json", kHashSha3_384},
    {"hmac_sha3_512_test.json", kHashSha3_512},
};

// Valid tags (truncated to tagSize bits where the group says so) verify;
// invalid ones do not.
TEST(HmacEngine, Wycheproof) {
    for (const WycheproofHmac& w : kWycheproofHmac) {
        json::for_each_wycheproof_test(tu::vector_path(std::string("wycheproof/") + w.file),
                                       [&](const json::Value& group, const json::Value& t) {
            const Bytes key = tu::from_hex(t["key"].as_string());
            const Bytes msg = tu::from_hex(t["msg"].as_string());
            const Bytes want = tu::from_hex(t["tag"].as_string());
            const std::size_t tag_len = static_cast<std::size_t>(group["tagSize"].as_int() / 8);
            uint8_t tag[64];
            ASSERT_EQ(hmac_bytes(tag, sizeof tag, msg.data(), msg.size(), key.data(), key.size(), w.code),
                      static_cast<int32_t>(hash_algorithm(w.code)->digest_len));
            const bool ok = want.size() == tag_len && ct_memeq(tag, want.data(), tag_len) == 1;
            EXPECT_EQ(ok, t["result"].as_string() == "valid") << w.file << " tcId " << t["tcId"].as_int();
        });
    }
}

struct CmacCase {
    uint32_t variant;
    const char* key;
    std::size_t msg_len;  // leading bytes of kCmacMessage
    const char* tag;
};

const char kCmacMessage[] =
    "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e5130c81c46a35ce411e5fbc1191a0a52eff69f2445df4f"
    "9b17ad2b417be66c3710";
const char kAes128Key[] = "2b7e151628aed2a6abf7158809cf4f3c";
const char kAes192Key[] = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b";
const char kAes256Key[] = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";
const char kTdeaKey[] = "8aa83bf8cbda10620bc1bf19fbb6cd58bc313d4a371ca8b5";

// NIST SP 800-38B, appendix D (examples 1-16).
const CmacCase kCmacCases[] = {
    {kCmacAes128, kAes128Key, 0, "bb1d6929e95937287fa37d129b756746"},
    {kCmacAes128, kAes128Key, 16, "070a16b46b4d4144f79bdd9dd04a287c"},
    {kCmacAes128, kAes128Key, 40, "dfa66747de9ae63030ca32611497c827"},
    {kCmacAes128, kAes128Key, 64, "51f0bebf7e3b9d92fc49741779363cfe"},
    {kCmacAes192, kAes192Key, 0, "d17ddf46adaacde531cac483de7a9367"},
    {kCmacAes192, kAes192Key, 16, "9e99a7bf31e710900662f65e617c5184"},
    {kCmacAes192, kAes192Key, 40, "8a1de5be2eb31aad089a82e6ee908b0e"},
    {kCmacAes192, kAes192Key, 64, "a1d5df0eed790f794d77589659f39a11"},
    {kCmacAes256, kAes256Key, 0, "028962f61b7bf89efc6b551f4667d983"},
    {kCmacAes256, kAes256Key, 16, "28a7023f452e8f82bd4bf28d8c37c35c"},
    {kCmacAes256, kAes256Key, 40, "aaf3d8f1de5640c232f5b169b9c911e6"},
    {kCmacAes256, kAes256Key, 64, "e1992190549f6ed5696a2c056c315410"},
    {kCmacTdea, kTdeaKey, 0, "b7a688e122ffaf95"},
    {kCmacTdea, kTdeaKey, 8, "8e8f293136283797"},
    {kCmacTdea, kTdeaKey, 20, "743ddbe0ce2dc2ed"},
    {kCmacTdea, kTdeaKey, 32, "33e6b1092400eae5"},
};

TEST(CmacEngine, PublishedVectorsOneShotAndSplit) {
    const Bytes message = tu::from_hex(kCmacMessage);
    for (const CmacCase& c : kCmacCases) {
        const Bytes key = tu::from_hex(c.key);
        uint8_t tag[16];
        const int32_t n = cmac_bytes(tag, message.data(), c.msg_len, key.data(), key.size(), c.variant);
        ASSERT_GT(n, 0);
        EXPECT_EQ(tu::to_hex(tag, static_cast<std::size_t>(n), false), c.tag) << c.variant << " " << c.msg_len;
        for (std::size_t split = 0; split <= c.msg_len; ++split) {
            CmacState st;
            ASSERT_EQ(cmac_init(&st, c.variant, key.data(), key.size()), 0);
            cmac_update(&st, message.data(), split);
            cmac_update(&st, message.data() + split, c.msg_len - split);
            cmac_final(&st, tag);
            EXPECT_EQ(tu::to_hex(tag, static_cast<std::size_t>(n), false), c.tag) << "split " << split;
        }
    }
}

TEST(CmacEngine, RefusesUnknownVariantsBeforeKeyLengths) {
    const Bytes key(32, 1);
    uint8_t tag[16];
    EXPECT_EQ(cmac_bytes(tag, nullptr, 0, key.data(), 32, 0x104), -BAD_FLAG_ERROR);
    EXPECT_EQ(cmac_bytes(tag, nullptr, 0, key.data(), 7, 0x1FF), -BAD_FLAG_ERROR);
    EXPECT_EQ(cmac_bytes(tag, nullptr, 0, key.data(), 24, kCmacAes128), -BAD_KEY_LEN_ERROR);
    EXPECT_EQ(cmac_bytes(tag, nullptr, 0, key.data(), 16, kCmacTdea), -BAD_KEY_LEN_ERROR);
    EXPECT_EQ(cmac_bytes(tag, nullptr, 0, key.data(), 32, kCmacAes256), 16);
}

// Valid tags verify, modified ones do not, and keys of other sizes are refused.
TEST(CmacEngine, WycheproofAes) {
    json::for_each_wycheproof_test(tu::vector_path("wycheproof/aes_cmac_test.json"),
                                   [&](const json::Value& group, const json::Value& t) {
        const Bytes key = tu::from_hex(t["key"].as_string());
        const Bytes msg = tu::from_hex(t["msg"].as_string());
        const Bytes want = tu::from_hex(t["tag"].as_string());
        const std::size_t tag_len = static_cast<std::size_t>(group["tagSize"].as_int() / 8);
        const bool valid = t["result"].as_string() == "valid";
        const uint32_t variant = key.size() == 16 ? kCmacAes128 : key.size() == 24 ? kCmacAes192 : kCmacAes256;
        uint8_t tag[16];
        const int32_t n = cmac_bytes(tag, msg.data(), msg.size(), key.data(), key.size(), variant);
        if (key.size() != 16 && key.size() != 24 && key.size() != 32) {
            EXPECT_EQ(n, -BAD_KEY_LEN_ERROR) << "tcId " << t["tcId"].as_int();
            EXPECT_FALSE(valid);
            return;
        }
        ASSERT_EQ(n, 16);
        const bool ok = want.size() == tag_len && ct_memeq(tag, want.data(), tag_len) == 1;
        EXPECT_EQ(ok, valid) << "tcId " << t["tcId"].as_int();
    });
}

struct PolyCase {
    const char* key;
    const char* msg;
    const char* tag;
};

// RFC 8439 section 2.5.2 and appendix A.3 (test vectors 1 and 5-11, which
// exercise the final reduction).
const PolyCase kPolyCases[] = {
    {"85d6be7857556d337f4452fe42d506a80103808afb0db2fd4abff6af4149f51b", "Cryptographic Forum Research Group",
     "a8061dc1305136c6c22b8baf0c0127a9"},
    {"0000000000000000000000000000000000000000000000000000000000000000", "rep:00*64",
     "00000000000000000000000000000000"},
    {"0200000000000000000000000000000000000000000000000000000000000000", "hex:ffffffffffffffffffffffffffffffff",
     "03000000000000000000000000000000"},
    {"02000000000000000000000000000000ffffffffffffffffffffffffffffffff", "hex:02000000000000000000000000000000",
     "03000000000000000000000000000000"},
    {"0100000000000000000000000000000000000000000000000000000000000000",
     "hex:fffffffffffffffffffffffffffffffff0ffffffffffffffffffffffffffffff11000000000000000000000000000000",
     "05000000000000000000000000000000"},
    {"0100000000000000000000000000000000000000000000000000000000000000",
     "hex:fffffffffffffffffffffffffffffffffbfefefefefefefefefefefefefefefe01010101010101010101010101010101",
     "00000000000000000000000000000000"},
    {"0200000000000000000000000000000000000000000000000000000000000000", "hex:fdffffffffffffffffffffffffffffff",
     "faffffffffffffffffffffffffffffff"},
    {"0100000000000000040000000000000000000000000000000000000000000000",
     "hex:e33594d7505e43b900000000000000003394d7505e4379cd0100000000000000000000000000000000000000000000000100"
     "0000000000000000000000000000",
     "14000000000000005500000000000000"},
    {"0100000000000000040000000000000000000000000000000000000000000000",
     "hex:e33594d7505e43b900000000000000003394d7505e4379cd010000000000000000000000000000000000000000000000",
     "13000000000000000000000000000000"},
};

TEST(Poly1305Engine, PublishedVectorsOneShotAndSplit) {
    for (const PolyCase& c : kPolyCases) {
        const Bytes key = tu::from_hex(c.key);
        const Bytes msg = input(c.msg);
        uint8_t tag[16];
        poly1305_bytes(tag, msg.data(), msg.size(), key.data());
        EXPECT_EQ(tu::to_hex(tag, 16, false), c.tag) << c.msg;
        for (std::size_t split = 0; split <= msg.size(); ++split) {
            Poly1305State st;
            poly1305_init(&st, key.data());
            poly1305_update(&st, msg.data(), split);
            poly1305_update(&st, msg.data() + split, msg.size() - split);
            poly1305_finish(&st, tag);
            EXPECT_EQ(tu::to_hex(tag, 16, false), c.tag) << "split " << split;
            const Poly1305State zero{};
            EXPECT_EQ(std::memcmp(&st, &zero, sizeof st), 0) << "finish wipes the key and accumulator";
        }
    }
}

// Byte-at-a-time feeding over many blocks matches one call.
TEST(Poly1305Engine, ByteAtATimeMatchesOneCall) {
    tu::Prng prng(3);
    const Bytes key = prng.bytes(32), msg = prng.bytes(1000);
    uint8_t want[16], got[16];
    poly1305_bytes(want, msg.data(), msg.size(), key.data());
    Poly1305State st;
    poly1305_init(&st, key.data());
    for (uint8_t b : msg) poly1305_update(&st, &b, 1);
    poly1305_finish(&st, got);
    EXPECT_EQ(tu::to_hex(got, 16), tu::to_hex(want, 16));
}

struct KmacCase {
    unsigned strength;
    std::size_t data_len;  // bytes 00, 01, 02, ...
    const char* custom;
    const char* tag;
};

// NIST SP 800-185 KMAC samples 1-6 (key 40..5F).
const KmacCase kKmacCases[] = {
    {128, 4, "", "e5780b0d3ea6f7d3a429c5706aa43a00fadbd7d49628839e3187243f456ee14e"},
    {128, 4, "My Tagged Application", "3b1fba963cd8b0b59e8c1a6d71888b7143651af8ba0a7070c0979e2811324aa5"},
    {128, 200, "My Tagged Application", "1f5b4e6cca02209e0dcb5ca635b89a15e271ecc760071dfd805faa38f9729230"},
    {256, 4, "My Tagged Application",
     "20c570c31346f703c9ac36c61c03cb64c3970d0cfc787e9b79599d273a68d2f7f69d4cc3de9d104a351689f27cf6f5951f0103f33f4f"
     "24871024d9c27773a8dd"},
    {256, 200, "",
     "75358cf39e41494e949707927cee0af20a3ff553904c86b08f21cc414bcfd691589d27cf5e15369cbbff8b9a4c2eb17800855d0235ff"
     "635da82533ec6b759b69"},
    {256, 200, "My Tagged Application",
     "b58618f71f92e1d56c1b8c55ddd7cd188b97b4ca4d99831eb2699a837da2e4d970fbacfde50033aea585f1a2708510c32d07880801bd"
     "182898fe476876fc8965"},
};

TEST(KmacEngine, PublishedSamples) {
    Bytes key(32), data(200);
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<uint8_t>(0x40 + i);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    for (const KmacCase& c : kKmacCases) {
        Bytes out(std::string(c.tag).size() / 2);
        EXPECT_EQ(kmac_bytes(out.data(), out.size(), data.data(), c.data_len, key.data(), key.size(), c.custom,
                             c.strength),
                  out.size());
        EXPECT_EQ(tu::to_hex(out, false), c.tag) << c.strength << " " << c.data_len << " " << c.custom;
    }
}

TEST(KmacEngine, Wycheproof) {
    for (unsigned strength : {128u, 256u}) {
        const std::string file = "wycheproof/kmac" + std::to_string(strength) + "_no_customization_test.json";
        json::for_each_wycheproof_test(tu::vector_path(file), [&](const json::Value& group, const json::Value& t) {
            const Bytes key = tu::from_hex(t["key"].as_string());
            const Bytes msg = tu::from_hex(t["msg"].as_string());
            const Bytes want = tu::from_hex(t["tag"].as_string());
            // tagSize is the output length L: an input of KMAC, not a truncation.
            Bytes out(static_cast<std::size_t>(group["tagSize"].as_int() / 8));
            kmac_bytes(out.data(), out.size(), msg.data(), msg.size(), key.data(), key.size(), nullptr, strength);
            const bool ok = want.size() == out.size() && ct_memeq(out.data(), want.data(), out.size()) == 1;
            EXPECT_EQ(ok, t["result"].as_string() == "valid") << file << " tcId " << t["tcId"].as_int();
        });
    }
}

struct EncodeCase {
    uint64_t value;
    const char* left;
    const char* right;
};

// SP 800-185 section 2.3.1: the fewest bytes that hold the value, with their
// count before (left) or after (right); all eight bytes where needed.
const EncodeCase kEncodeCases[] = {
    {0, "0100", "0001"},
    {255, "01ff", "ff01"},
    {256, "020100", "010002"},
    {0xFFFFFFFFull, "04ffffffff", "ffffffff04"},
    {0x100000000ull, "050100000000", "010000000005"},
    {0xFFFFFFFFFFFFFFFFull, "08ffffffffffffffff", "ffffffffffffffff08"},
};

TEST(KmacEngine, LengthEncodingsUseAsManyBytesAsTheValueNeeds) {
    for (const EncodeCase& c : kEncodeCases) {
        uint8_t buf[9];
        std::size_t n = kmac_left_encode(buf, c.value);
        EXPECT_EQ(tu::to_hex(buf, n, false), c.left);
        n = kmac_right_encode(buf, c.value);
        EXPECT_EQ(tu::to_hex(buf, n, false), c.right);
    }
}

TEST(KmacEngine, StreamingMatchesOneShotAndOutputLengthIsAnInput) {
    tu::Prng prng(11);
    const Bytes key = prng.bytes(40), msg = prng.bytes(500);
    Bytes want(64), got(64), shorter(32);
    kmac_bytes(want.data(), 64, msg.data(), msg.size(), key.data(), key.size(), "ctx", 256);
    KmacState st;
    const char custom[] = "ctx";
    kmac_init(&st, 256, key.data(), key.size(), reinterpret_cast<const uint8_t*>(custom), 3);
    kmac_update(&st, msg.data(), 123);
    kmac_update(&st, msg.data() + 123, msg.size() - 123);
    kmac_final(&st, got.data(), 64);
    EXPECT_EQ(got, want);
    kmac_bytes(shorter.data(), 32, msg.data(), msg.size(), key.data(), key.size(), "ctx", 256);
    EXPECT_NE(tu::to_hex(shorter), tu::to_hex(want.data(), 32));
}

}  // namespace
