// Key derivation and XOF engines: PBKDF2 (RFC 6070, RFC 7914 section 11),
// scrypt and its Salsa20/8 core (RFC 7914), argument checks and range
// checks, MGF1's counter blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hash/hash_engine.h"
#include "hash/hmac.h"
#include "hash/mgf1.h"
#include "hash/pbkdf2.h"
#include "hash/scrypt.h"
#include "hash/xof.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

struct Pbkdf2Case {
    uint32_t code;
    std::string password;
    std::string salt;
    uint32_t iterations;
    const char* dk;
};

// RFC 6070 (HMAC-SHA-1; the 16,777,216-iteration case is in the Wycheproof
// file and runs through the exports) and RFC 7914 section 11 (HMAC-SHA-256).
const Pbkdf2Case kPbkdf2Cases[] = {
    {kHashSha1, "password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
    {kHashSha1, "password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
    {kHashSha1, "password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
    {kHashSha1, "passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
     "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
    {kHashSha1, std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3"},
    {kHashSha256, "passwd", "salt", 1,
     "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc49ca9cccf179b645991664b39d77ef317c71b845b1e"
     "30bd509112041d3a19783"},
    {kHashSha256, "Password", "NaCl", 80000,
     "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56a1d425a1225833549adb841b51c9b3176a272bdebba"
     "1d078478f62b397f33c8d"},
};

std::string derive_hex(uint32_t code, const std::string& pw, const std::string& salt, uint32_t iterations,
                       std::size_t dk_len) {
    Bytes out(dk_len);
    const int32_t rc = pbkdf2(out.data(), dk_len, reinterpret_cast<const uint8_t*>(pw.data()), pw.size(),
                              reinterpret_cast<const uint8_t*>(salt.data()), salt.size(), iterations, code);
    return rc != 0 ? "error " + std::to_string(rc) : tu::to_hex(out, false);
}

TEST(Pbkdf2Engine, PublishedVectors) {
    for (const Pbkdf2Case& c : kPbkdf2Cases) {
        const std::string want = c.dk;
        EXPECT_EQ(derive_hex(c.code, c.password, c.salt, c.iterations, want.size() / 2), want)
            << c.code << " " << c.iterations;
    }
}

// PBKDF2 is the concatenation of blocks T_1, T_2, ...: a shorter key is a
// prefix of a longer one, for every PRF, also across a partial last block.
TEST(Pbkdf2Engine, ShorterKeysArePrefixesAcrossBlocks) {
    for (uint32_t code : {0u, 3u, 4u, 5u, 6u}) {
        const std::string whole = derive_hex(code, "pw", "salty", 3, 150);
        for (std::size_t len : {1u, 19u, 20u, 21u, 28u, 29u, 33u, 48u, 49u, 64u, 65u, 149u})
            EXPECT_EQ(derive_hex(code, "pw", "salty", 3, len), whole.substr(0, 2 * len)) << code << " " << len;
    }
}

// The first block is HMAC(P, S || INT(1)) and later iterations chain through
// HMAC: checked against the streaming HMAC engine for each PRF.
TEST(Pbkdf2Engine, IterationsChainThroughHmac) {
    const std::string pw = "a password longer than one SHA-1 block, so that it is hashed first......";
    for (uint32_t code : {0u, 3u, 4u, 5u, 6u}) {
        const HashAlgorithm* alg = hash_algorithm(code);
        Bytes salt1 = tu::bytes_of("NaCl");
        for (uint8_t b : {0, 0, 0, 1}) salt1.push_back(b);
        Bytes u(alg->digest_len), t(alg->digest_len);
        hmac_bytes(u.data(), u.size(), salt1.data(), salt1.size(), reinterpret_cast<const uint8_t*>(pw.data()),
                   pw.size(), code);
        t = u;
        for (int j = 1; j < 3; ++j) {
            Bytes next(alg->digest_len);
            hmac_bytes(next.data(), next.size(), u.data(), u.size(), reinterpret_cast<const uint8_t*>(pw.data()),
                       pw.size(), code);
            u = next;
            for (std::size_t i = 0; i < t.size(); ++i) t[i] ^= u[i];
        }
        EXPECT_EQ(derive_hex(code, pw, "NaCl", 3, alg->digest_len), tu::to_hex(t, false)) << code;
    }
}

TEST(Pbkdf2Engine, RefusesBadArgumentsWithNegatedCodesBeforeWriting) {
    uint8_t out[8] = {0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55};
    const uint8_t pw[] = {'p'};
    struct Case {
        uint8_t* out;
        uint64_t len;
        const uint8_t* pw;
        std::size_t pw_len;
        const uint8_t* salt;
        std::size_t salt_len;
        uint32_t iterations;
        uint32_t code;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 8, pw, 1, pw, 1, 1, 3, -NULL_ERROR},
        {out, 8, nullptr, 1, pw, 1, 1, 3, -NULL_ERROR},
        {out, 8, pw, 1, nullptr, 1, 1, 3, -NULL_ERROR},
        {out, 0, pw, 1, pw, 1, 1, 3, -BAD_PARAM_ERROR},
        {out, 8, pw, 1, pw, 1, 0, 3, -BAD_PARAM_ERROR},
        {out, 8, pw, 1, pw, 1, 1, 1, -BAD_PARAM_ERROR},
        {out, 8, pw, 1, pw, 1, 1, 7, -BAD_PARAM_ERROR},
        {out, 8, pw, 1, pw, 1, 1, 10, -BAD_PARAM_ERROR},
        {out, 21 * (uint64_t{1} << 32), pw, 1, pw, 1, 1, 0, -BAD_PARAM_ERROR},  // more than 2^32 - 1 blocks
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pbkdf2(c.out, c.len, c.pw, c.pw_len, c.salt, c.salt_len, c.iterations, c.code), c.want);
        EXPECT_EQ(out[0], 0x55);
    }
    // Null pointers with length 0 are the empty password and salt.
    EXPECT_EQ(pbkdf2(out, 8, nullptr, 0, nullptr, 0, 1, 3), 0);
}

// RFC 7914 section 8: the Salsa20/8 core.
TEST(ScryptEngine, Salsa20_8CoreVector) {
    const Bytes in = tu::from_hex(
        "7e879a214f3ec9867ca940e641718f26baee555b8c61c1b50df846116dcd3b1dee24f319df9b3d8514121e4b5ac5aa3276021d2909"
        "c74829edebc68db8b8c25e");
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = static_cast<uint32_t>(in[4 * i]) | static_cast<uint32_t>(in[4 * i + 1]) << 8 |
               static_cast<uint32_t>(in[4 * i + 2]) << 16 | static_cast<uint32_t>(in[4 * i + 3]) << 24;
    salsa20_8_core(x);
    Bytes out(64);
    for (int i = 0; i < 64; ++i) out[i] = static_cast<uint8_t>(x[i / 4] >> (8 * (i % 4)));
    EXPECT_EQ(tu::to_hex(out, false),
              "a41f859c6608cc993b81cacb020cef05044b2181a2fd337dfd7b1c6396682f29b4393168e3c9e6bcfe6bc5b7a06d96bae424cc"
              "102c91745c24ad673dc7618f81");
}

struct ScryptCase {
    const char* password;
    const char* salt;
    uint64_t n, r, p;
    const char* dk;
};

// RFC 7914 section 12 (the N = 1048576 case runs through the exports).
const ScryptCase kScryptCases[] = {
    {"", "", 16, 1, 1,
     "77d6576238657b203b19ca42c18a0497f16b4844e3074ae8dfdffa3fede21442fcd0069ded0948f8326a753a0fc81f17e8d3e0fb2e"
     "0d3628cf35e20c38d18906"},
    {"password", "NaCl", 1024, 8, 16,
     "fdbabe1c9d3472007856e7190d01e9fe7c6ad7cbc8237830e77376634b3731622eaf30d92e22a3886ff109279d9830dac727afb94a"
     "83ee6d8360cbdfa2cc0640"},
    {"pleaseletmein", "SodiumChloride", 16384, 8, 1,
     "7023bdcb3afd7348461c06cd81fd38ebfda8fbba904f8e3ea9b543f6545da1f2d5432955613f0fcf62d49705242a9af9e61e85dc0d"
     "651e40dfcf017b45575887"},
};

TEST(ScryptEngine, PublishedVectors) {
    for (const ScryptCase& c : kScryptCases) {
        Bytes out(64);
        const std::string pw = c.password, salt = c.salt;
        ASSERT_EQ(scrypt_derive(out.data(), out.size(), reinterpret_cast<const uint8_t*>(pw.data()), pw.size(),
                                reinterpret_cast<const uint8_t*>(salt.data()), salt.size(), c.n, c.r, c.p),
                  0);
        EXPECT_EQ(tu::to_hex(out, false), c.dk) << c.n;
    }
}

TEST(ScryptEngine, ChecksInOrderWithNegativeCodes) {
    uint8_t out[16];
    const uint8_t pw[] = {'p'};
    constexpr uint64_t kMaxR = (uint64_t{1} << 57) - 1;
    struct Case {
        uint8_t* out;
        std::size_t dk;
        const uint8_t* pw;
        std::size_t pw_len;
        uint64_t n, r, p;
        int32_t want;
    };
    const Case cases[] = {
        {nullptr, 16, pw, 1, 16, 1, 1, -NULL_ERROR},
        {out, 16, nullptr, 1, 16, 1, 1, -NULL_ERROR},
        {nullptr, 0, pw, 1, 0, 0, 0, -NULL_ERROR},
        {out, 0, pw, 1, 16, 1, 1, -BAD_PARAM_ERROR},
        {out, 16, pw, 1, 0, 1, 1, -BAD_PARAM_ERROR},
        {out, 16, pw, 1, 16, 0, 1, -BAD_PARAM_ERROR},
        {out, 16, pw, 1, 16, 1, 0, -BAD_PARAM_ERROR},
        {out, 16, pw, 1, 3, 0, 1, -BAD_PARAM_ERROR},  // zero checks come before range checks
        {out, 16, pw, 1, 16, kMaxR + 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, 16, 1, uint64_t{1} << 30, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, 16, 8, (uint64_t{1} << 30) / 8, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, 1, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, 15, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, 24, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, uint64_t{1} << 57, 1, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, uint64_t{1} << 56, 2, 1, -OUT_OF_RANGE_ERROR},
        {out, 16, pw, 1, 0xFFFFFFFFFFFFFFF0ull, 1, 1, -OUT_OF_RANGE_ERROR},  // a negative N, sign-extended
        {out, 16, pw, 1, 16, 0xFFFFFFFFFFFFFFFFull, 1, -OUT_OF_RANGE_ERROR},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scrypt_derive(c.out, c.dk, c.pw, c.pw_len, pw, 1, c.n, c.r, c.p), c.want)
            << c.n << " " << c.r << " " << c.p;
}

#if !defined(TESSALIB_SANITIZED)
// The work areas come from the C heap: a request no machine can meet is
// reported, not fatal. (The sanitizer's allocator aborts on such a request
// instead of returning null, so this runs in the plain builds only.)
TEST(ScryptEngine, UnmeetableMemoryIsMemoryError) {
    uint8_t out[16];
    EXPECT_EQ(scrypt_derive(out, 16, nullptr, 0, nullptr, 0, uint64_t{1} << 50, 1, 1), -MEMORY_ERROR);
    EXPECT_EQ(scrypt_derive(out, 16, nullptr, 0, nullptr, 0, 2, 1, (uint64_t{1} << 30) - 2), -MEMORY_ERROR);
}
#endif

// MGF1 computes ceil(len / hLen) blocks Hash(seed || C) and keeps what is
// asked for.
TEST(Mgf1Engine, CounterBlocksAreConcatenated) {
    const Bytes seed = tu::bytes_of("seed bytes");
    for (uint32_t code : {0u, 3u, 4u, 5u, 6u}) {
        const HashAlgorithm* alg = hash_algorithm(code);
        Bytes want;
        for (uint8_t c = 0; c < 3; ++c) {
            Bytes in = seed;
            for (uint8_t b : {uint8_t{0}, uint8_t{0}, uint8_t{0}, c}) in.push_back(b);
            Bytes d(alg->digest_len);
            hash_digest(alg, in.data(), in.size(), d.data());
            want.insert(want.end(), d.begin(), d.end());
        }
        for (std::size_t len : {std::size_t{1}, std::size_t{alg->digest_len}, std::size_t{alg->digest_len + 1},
                                std::size_t{3 * alg->digest_len}}) {
            Bytes out(len);
            EXPECT_EQ(mgf1(out.data(), len, seed.data(), seed.size(), code), static_cast<int64_t>(len));
            EXPECT_EQ(out, Bytes(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(len))) << code << " " << len;
        }
    }
    uint8_t out[4];
    EXPECT_EQ(mgf1(out, 0, seed.data(), seed.size(), 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(mgf1(out, 0, seed.data(), seed.size(), 1), -BAD_PARAM_ERROR);  // the length is checked first
    for (uint32_t code : {1u, 2u, 7u, 8u, 10u, 15u})
        EXPECT_EQ(mgf1(out, 4, seed.data(), seed.size(), code), -BAD_FLAG_ERROR) << code;
}

TEST(XofEngine, DispatcherSelectsByTheLowTwelveBits) {
    const Bytes msg = tu::bytes_of("abc");
    Bytes a(40), b(40);
    EXPECT_EQ(xof_bytes(a.data(), 40, msg.data(), 3, XOF_SHAKE128), 40);
    EXPECT_EQ(xof_bytes(b.data(), 40, msg.data(), 3, 0x7000 | XOF_SHAKE128), 40);
    EXPECT_EQ(a, b);
    shake_bytes(b.data(), 40, msg.data(), 3, 168);
    EXPECT_EQ(a, b);
    for (uint32_t option : {0x200u, 0x201u, 0x205u, 0x209u, 0x20Cu, 0x220u, 0x103u, 0u})
        EXPECT_EQ(xof_bytes(a.data(), 40, msg.data(), 3, option), -BAD_FLAG_ERROR) << std::hex << option;
    EXPECT_EQ(xof_bytes(a.data(), 0, msg.data(), 3, XOF_SHAKE256), 0);
    EXPECT_EQ(xof_bytes(a.data(), 0, msg.data(), 3, XOF_MGF1_SHA1), -BAD_PARAM_ERROR);
}

}  // namespace
