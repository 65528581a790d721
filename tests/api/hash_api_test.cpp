// HASH_ exports as a caller sees them: results and their signs, query mode,
// truncation, options, bit strings, files (text mode, read errors) and the
// streaming context's handle rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

std::string hex_bytes(const std::string& msg, int32_t options) {
    char out[129];
    const int32_t n = HASH_HexFromBytes(out, 128, reinterpret_cast<const unsigned char*>(msg.data()),
                                        static_cast<int32_t>(msg.size()), options);
    return n < 0 ? "error " + std::to_string(n) : std::string(out, static_cast<std::size_t>(n));
}

std::string hex_of(const Bytes& b) { return tu::to_hex(b, false); }

const char kSha256Abc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const char kSha256Empty[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

TEST(HashApi, EmptyMessageWithNullPointerGivesTheEmptyDigest) {
    unsigned char out[64];
    EXPECT_EQ(HASH_Bytes(out, 64, nullptr, 0, HASH_ALG_SHA256), 32);
    EXPECT_EQ(tu::to_hex(out, 32, false), kSha256Empty);
    char hex[65];
    EXPECT_EQ(HASH_HexFromBytes(hex, 64, nullptr, 0, HASH_ALG_SHA256), 64);
    EXPECT_STREQ(hex, kSha256Empty);
}

TEST(HashApi, ShortOutputsTruncateAndQueriesReturnTheFullSize) {
    const unsigned char abc[] = {'a', 'b', 'c'};
    unsigned char out[64];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(HASH_Bytes(out, 10, abc, 3, HASH_ALG_SHA256), 10);
    EXPECT_EQ(tu::to_hex(out, 10, false), std::string(kSha256Abc, 20));
    EXPECT_EQ(out[10], 0xEE);
    EXPECT_EQ(HASH_Bytes(nullptr, 10, abc, 3, HASH_ALG_SHA256), 32);
    EXPECT_EQ(HASH_Bytes(out, 0, abc, 3, HASH_ALG_SHA256), 32);
    EXPECT_EQ(HASH_Bytes(out, -5, abc, 3, HASH_ALG_SHA256), 32);

    struct {
        int32_t max;
        int32_t result;
    } cases[] = {{41, 40}, {40, 40}, {39, 38}, {1, 0}, {0, 40}, {-1, 40}, {-100, 40}};
    for (const auto& c : cases) {
        char hex[64];
        std::memset(hex, 'X', sizeof hex);
        EXPECT_EQ(HASH_HexFromBytes(hex, c.max, abc, 3, HASH_ALG_SHA1), c.result) << c.max;
        if (c.max >= 1) {
            EXPECT_EQ(std::strlen(hex), static_cast<std::size_t>(c.result)) << c.max;
            EXPECT_EQ(std::string(hex), std::string("a9993e364706816aba3e25717850c26c9cd0d89d", c.result));
        } else {
            EXPECT_EQ(hex[0], 'X') << "query mode wrote to the output, max " << c.max;
        }
    }
    char hex[8];
    std::memset(hex, 'X', sizeof hex);
    EXPECT_EQ(HASH_HexFromHex(hex, -3, "616263", HASH_ALG_SHA1), 40);
    EXPECT_EQ(hex[0], 'X');
}

TEST(HashApi, OptionWordSelectsAlgorithmAndDoubleHashing) {
    struct {
        int32_t options;
        const char* digest;
    } cases[] = {
        {HASH_ALG_SHA256, kSha256Abc},
        {0x13, kSha256Abc},  // bits above the code are ignored
        {HASH_ALG_SHA256 | HASH_OPT_DOUBLE, "4f8b42c22dd3729b519ba6f68d2da7cc5b2d606d05daed5ad5128cc03e6c6358"},
        {HASH_ALG_SHA3_256 | HASH_OPT_DOUBLE, "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"},
        {HASH_ALG_HASH160 | HASH_OPT_DOUBLE, "bb1be98c142444d7a56aa3981c3942a978e4dc33"},
        {HASH_ALG_MD2, "da853b0d3f88d99b30283a69e6ded6bb"},
        {HASH_ALG_RMD160, "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc"},
        {HASH_ALG_ASCON_HASH, "d37fe9f1d10dbcfad8408a6804dbe91124a8912693322bb23ec1701e19e3fd51"},
        {HASH_ALG_ASCON_HASHA, "836a5ddba0142b011ce3425ea9789fd6a21628d619195a48c1540f847667a84e"},
    };
    for (const auto& c : cases) EXPECT_EQ(hex_bytes("abc", c.options), c.digest) << std::hex << c.options;
    // HASH160 of the empty message is RIPEMD-160 of the SHA-256 digest of it.
    char want[41], got[41];
    ASSERT_EQ(HASH_HexFromHex(want, 40, kSha256Empty, HASH_ALG_RMD160), 40);
    ASSERT_EQ(HASH_HexFromBytes(got, 40, nullptr, 0, HASH_ALG_HASH160), 40);
    EXPECT_STREQ(got, want);
}

TEST(HashApi, ErrorsAreNegativeAndRecorded) {
    const unsigned char m[] = {1, 2, 3};
    char hex[130];
    unsigned char out[64];
    struct {
        const char* what;
        int32_t result;
        int32_t code;
    } cases[] = {
        {"code 0x1F", HASH_Bytes(out, 64, m, 3, 0x1F), BAD_FLAG_ERROR},
        {"code 9", HASH_Bytes(out, 64, m, 3, 0x09), BAD_FLAG_ERROR},
        {"code 14", HASH_HexFromBytes(hex, 128, m, 3, 14), BAD_FLAG_ERROR},
        {"null message", HASH_Bytes(out, 64, nullptr, 1, 3), BAD_PARAM_ERROR},
        {"negative length", HASH_Bytes(out, 64, m, -1, 3), BAD_PARAM_ERROR},
        {"hex: null", HASH_HexFromHex(hex, 128, nullptr, 3), BAD_PARAM_ERROR},
        {"hex: odd", HASH_HexFromHex(hex, 128, "a", 3), INVALID_DATA_ERROR},
        {"hex: not hex", HASH_HexFromHex(hex, 128, "zz", 3), INVALID_DATA_ERROR},
        {"hex: space", HASH_HexFromHex(hex, 128, "61 62", 3), INVALID_DATA_ERROR},
        {"hex: bad code", HASH_HexFromHex(hex, 128, "61", 9), BAD_FLAG_ERROR},
        {"bits: null, positive", HASH_HexFromBits(hex, 128, nullptr, 8, 3), BAD_PARAM_ERROR},
        {"bits: negative", HASH_HexFromBits(hex, 128, m, -1, 3), OUT_OF_RANGE_ERROR},
        {"bits: null, zero", HASH_HexFromBits(hex, 128, nullptr, 0, 3), BAD_PARAM_ERROR},
        {"bits: md5", HASH_HexFromBits(hex, 128, m, 8, HASH_ALG_MD5), BAD_FLAG_ERROR},
        {"bits: rmd160", HASH_HexFromBits(hex, 128, m, 8, HASH_ALG_RMD160), BAD_FLAG_ERROR},
        {"bits: ascon", HASH_HexFromBits(hex, 128, m, 8, HASH_ALG_ASCON_HASH), BAD_FLAG_ERROR},
        {"length: negative", HASH_Length(-1), BAD_FLAG_ERROR},
        {"length: 256", HASH_Length(256), BAD_FLAG_ERROR},
        {"length: double", HASH_Length(0x20003), BAD_FLAG_ERROR},
        {"length: 9", HASH_Length(9), BAD_FLAG_ERROR},
        {"file: null", HASH_File(out, 64, nullptr, 3), BAD_PARAM_ERROR},
        {"file: empty", HASH_HexFromFile(hex, 128, "", 3), BAD_PARAM_ERROR},
        {"file: missing", HASH_File(out, 64, "/nonexistent/dir/file", 0xAF), OPEN_ERROR},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, -c.code) << c.what;
    // The last error is the last call's code, by its absolute value.
    EXPECT_EQ(HASH_HexFromHex(hex, 128, "abc", 3), -INVALID_DATA_ERROR);
    EXPECT_EQ(API_ErrorCode(), INVALID_DATA_ERROR);
    EXPECT_EQ(HASH_Length(HASH_ALG_ASCON_HASHA), 32);
    EXPECT_EQ(API_ErrorCode(), 0);
}

TEST(HashApi, LengthFollowsTheCodeTable) {
    const int32_t expect[][2] = {{0, 20},  {1, 16},  {2, 16},  {3, 32},  {4, 48},    {5, 64},    {6, 28},
                                 {7, 20},  {8, 20},  {10, 28}, {11, 32}, {12, 48},   {13, 64},   {0xAF, 32},
                                 {0xBF, 32}, {0x13, 32}, {0x9F, -BAD_FLAG_ERROR}, {14, -BAD_FLAG_ERROR}};
    for (const auto& e : expect) EXPECT_EQ(HASH_Length(e[0]), e[1]) << std::hex << e[0];
}

TEST(HashApi, HexFromHexHashesTheDecodedBytes) {
    char a[65], b[65];
    EXPECT_EQ(HASH_HexFromHex(a, 64, "", HASH_ALG_SHA256), 64);
    EXPECT_STREQ(a, kSha256Empty);
    EXPECT_EQ(HASH_HexFromHex(a, 64, "616263", HASH_ALG_SHA256), 64);
    EXPECT_STREQ(a, kSha256Abc);
    EXPECT_EQ(HASH_HexFromHex(b, 64, "DEADbeef", HASH_ALG_SHA256 | HASH_OPT_DOUBLE), 64);
    EXPECT_EQ(hex_bytes(std::string("\xde\xad\xbe\xef"), HASH_ALG_SHA256 | HASH_OPT_DOUBLE), b);
}

// --- Bit strings -------------------------------------------------------------

// Independent bit-level references: the message as a list of bits, padded
// bit by bit, then compressed by small straightforward implementations.
using Bits = std::vector<int>;

Bits bits_fips180(const Bytes& msg, int nbits) {  // bit i of byte j is at 7 - i
    Bits b;
    for (int i = 0; i < nbits; ++i) b.push_back((msg[i / 8] >> (7 - i % 8)) & 1);
    return b;
}

Bits bits_fips202(const Bytes& msg, int nbits) {  // whole bytes LSB first; the last r bits from the top of the byte
    Bits b;
    const int whole = nbits / 8, r = nbits % 8;
    for (int j = 0; j < whole; ++j)
        for (int i = 0; i < 8; ++i) b.push_back((msg[j] >> i) & 1);
    const int last = r ? msg[whole] >> (8 - r) : 0;
    for (int i = 0; i < r; ++i) b.push_back((last >> i) & 1);
    return b;
}

uint32_t ror(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

std::string sha256_reference(Bits bits) {
    static const uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    const uint64_t len = bits.size();
    bits.push_back(1);
    while (bits.size() % 512 != 448) bits.push_back(0);
    for (int i = 63; i >= 0; --i) bits.push_back(static_cast<int>((len >> i) & 1));
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    for (std::size_t blk = 0; blk < bits.size(); blk += 512) {
        uint32_t w[64];
        for (int t = 0; t < 16; ++t) {
            w[t] = 0;
            for (int i = 0; i < 32; ++i) w[t] = (w[t] << 1) | static_cast<uint32_t>(bits[blk + 32 * t + i]);
        }
        for (int t = 16; t < 64; ++t)
            w[t] = (ror(w[t - 2], 17) ^ ror(w[t - 2], 19) ^ (w[t - 2] >> 10)) + w[t - 7] +
                   (ror(w[t - 15], 7) ^ ror(w[t - 15], 18) ^ (w[t - 15] >> 3)) + w[t - 16];
        uint32_t v[8];
        std::memcpy(v, h, sizeof v);
        for (int t = 0; t < 64; ++t) {
            const uint32_t t1 = v[7] + (ror(v[4], 6) ^ ror(v[4], 11) ^ ror(v[4], 25)) + ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[t] + w[t];
            const uint32_t t2 = (ror(v[0], 2) ^ ror(v[0], 13) ^ ror(v[0], 22)) + ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            for (int i = 7; i > 0; --i) v[i] = v[i - 1];
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (int i = 0; i < 8; ++i) h[i] += v[i];
    }
    Bytes out;
    for (uint32_t x : h)
        for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(x >> (8 * i)));
    return hex_of(out);
}

uint64_t rol(uint64_t x, int n) { return n == 0 ? x : (x << n) | (x >> (64 - n)); }

void keccak_reference(uint64_t a[25]) {
    static const int rho[25] = {0, 1, 62, 28, 27, 36, 44, 6, 55, 20, 3, 10, 43, 25, 39, 41, 45, 15, 21, 8, 18, 2, 61, 56, 14};
    for (int round = 0; round < 24; ++round) {
        uint64_t c[5], b[25];
        for (int x = 0; x < 5; ++x) c[x] = a[x] ^ a[x + 5] ^ a[x + 10] ^ a[x + 15] ^ a[x + 20];
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 5; ++y) a[x + 5 * y] ^= c[(x + 4) % 5] ^ rol(c[(x + 1) % 5], 1);
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 5; ++y) b[y + 5 * ((2 * x + 3 * y) % 5)] = rol(a[x + 5 * y], rho[x + 5 * y]);
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 5; ++y) a[x + 5 * y] = b[x + 5 * y] ^ (~b[(x + 1) % 5 + 5 * y] & b[(x + 2) % 5 + 5 * y]);
        // Round constant from the LFSR of FIPS 202.
        static uint8_t lfsr_state = 1;
        if (round == 0) lfsr_state = 1;
        for (int j = 0; j < 7; ++j) {
            if (lfsr_state & 1) a[0] ^= 1ull << ((1 << j) - 1);
            lfsr_state = static_cast<uint8_t>((lfsr_state & 0x80) ? (lfsr_state << 1) ^ 0x71 : lfsr_state << 1);
        }
    }
}

std::string sha3_256_reference(Bits bits) {
    const std::size_t rate_bits = 1088;
    bits.push_back(0);
    bits.push_back(1);
    bits.push_back(1);
    while (bits.size() % rate_bits != rate_bits - 1) bits.push_back(0);
    bits.push_back(1);
    uint64_t a[25] = {0};
    for (std::size_t blk = 0; blk < bits.size(); blk += rate_bits) {
        for (std::size_t i = 0; i < rate_bits; ++i)
            if (bits[blk + i]) a[i / 64] ^= 1ull << (i % 64);
        keccak_reference(a);
    }
    Bytes out;
    for (int i = 0; i < 32; ++i) out.push_back(static_cast<uint8_t>(a[i / 8] >> (8 * (i % 8))));
    return hex_of(out);
}

std::string hex_bits(const Bytes& msg, int nbits, int32_t options) {
    char out[129];
    const int32_t n = HASH_HexFromBits(out, 128, msg.data(), nbits, options);
    return n < 0 ? "error " + std::to_string(n) : std::string(out);
}

TEST(HashApi, BitStringsFollowTheFipsConventions) {
    // NIST SHA3-256 examples for the 5-bit message 11001 and the 30-bit
    // message 110010100001101011011110100110 (bit order of FIPS 202).
    EXPECT_EQ(hex_bits({0x98}, 5, HASH_ALG_SHA3_256), "7b0047cf5a456882363cbf0fb05322cf65f4b7059a46365e830132e3b5d957af");
    EXPECT_EQ(hex_bits({0x53, 0x58, 0x7B, 0x64}, 30, HASH_ALG_SHA3_256),
              "c8242fef409e5ae9d1f1c857ae4dc624b92b19809f62aa8c07411c54a078b1d0");
    tu::Prng prng(5);
    // Lengths around the block and rate boundaries, where the padding spills
    // into a fresh block.
    for (int nbits : {1, 2, 3, 4, 5, 6, 7, 8, 9, 440, 445, 447, 448, 449, 503, 504, 505, 511, 512, 513, 1077, 1080,
                      1083, 1084, 1085, 1086, 1087, 1088, 1089, 2170, 2173, 2174, 2175, 2176, 2177}) {
        Bytes msg = prng.bytes(static_cast<std::size_t>(nbits / 8 + 1));
        if (nbits % 8) msg[nbits / 8] &= static_cast<uint8_t>(0xFF << (8 - nbits % 8));  // unused bits clear
        EXPECT_EQ(hex_bits(msg, nbits, HASH_ALG_SHA256), sha256_reference(bits_fips180(msg, nbits))) << nbits;
        EXPECT_EQ(hex_bits(msg, nbits, HASH_ALG_SHA3_256), sha3_256_reference(bits_fips202(msg, nbits))) << nbits;
        if (nbits % 8 == 0) {
            const std::string bytes(msg.begin(), msg.begin() + nbits / 8);
            for (int32_t code : {0, 3, 4, 5, 6, 10, 11, 12, 13})
                EXPECT_EQ(hex_bits(msg, nbits, code), hex_bytes(bytes, code)) << nbits << " code " << code;
        }
    }
}

TEST(HashApi, UnusedLowBitsCountForSha2ButNotForSha3) {
    const Bytes clean = {0x61, 0x80}, dirty = {0x61, 0x87};
    EXPECT_NE(hex_bits(clean, 9, HASH_ALG_SHA256), hex_bits(dirty, 9, HASH_ALG_SHA256));
    EXPECT_EQ(hex_bits(clean, 9, HASH_ALG_SHA3_256), hex_bits(dirty, 9, HASH_ALG_SHA3_256));
    EXPECT_EQ(hex_bits({0x12}, 0, HASH_ALG_SHA256), kSha256Empty);
    EXPECT_EQ(hex_bits({0x12}, 8, HASH_ALG_SHA256 | HASH_OPT_DOUBLE), hex_bytes("\x12", HASH_ALG_SHA256));
    char out[4];
    EXPECT_EQ(HASH_HexFromBits(out, 0, clean.data(), 9, HASH_ALG_SHA384), 96);
    EXPECT_EQ(HASH_HexFromBits(nullptr, 10, clean.data(), 9, HASH_ALG_SHA3_224), 56);
}

// --- Files ----------------------------------------------------------------------

std::string file_hex(const std::string& path, int32_t options) {
    char out[129];
    const int32_t n = HASH_HexFromFile(out, 128, path.c_str(), options);
    return n < 0 ? "error " + std::to_string(n) : std::string(out);
}

TEST(HashApi, FilesInBinaryAndTextMode) {
    tu::TempDir dir;
    std::string chunk_edge(1023, 'x');
    chunk_edge += "\r\nyz";  // the CR ends the first 1024-byte read, the LF starts the next
    std::string cr_at_edge(1023, 'x');
    cr_at_edge += "\rz";  // a lone CR at the edge stays
    struct {
        std::string content;
        std::string text_view;  // what text mode hashes
    } cases[] = {
        {"abc\r\n", "abc\n"},
        {"a\rb\r\r\nc\n\r", "a\rb\r\nc\n\r"},
        {"abc\x1a" "def", "abc"},
        {"ab\r\x1a\n", "ab\r"},
        {"\x1a", ""},
        {"", ""},
        {chunk_edge, std::string(1023, 'x') + "\nyz"},
        {cr_at_edge, cr_at_edge},
        {std::string(3000, '\r'), std::string(3000, '\r')},
        {std::string(1500, '\n') + "\r\n\r\n", std::string(1502, '\n')},
    };
    int i = 0;
    for (const auto& c : cases) {
        const std::string path = dir.file("f" + std::to_string(i++));
        tu::write_file(path, c.content);
        for (int32_t code : {HASH_ALG_SHA256, HASH_ALG_MD5, HASH_ALG_HASH160, HASH_ALG_SHA3_512}) {
            EXPECT_EQ(file_hex(path, code), hex_bytes(c.content, code)) << i << " code " << code;
            EXPECT_EQ(file_hex(path, code | HASH_OPT_TEXT), hex_bytes(c.text_view, code)) << i << " code " << code;
        }
        EXPECT_EQ(file_hex(path, HASH_ALG_SHA1 | HASH_OPT_DOUBLE | HASH_OPT_TEXT),
                  hex_bytes(c.text_view, HASH_ALG_SHA1 | HASH_OPT_DOUBLE));
    }
    const std::string path = dir.file("abc");
    tu::write_file(path, "abc");
    unsigned char out[64];
    EXPECT_EQ(HASH_File(out, 5, path.c_str(), HASH_ALG_SHA256), 5);
    EXPECT_EQ(tu::to_hex(out, 5, false), std::string(kSha256Abc, 10));
    EXPECT_EQ(HASH_File(nullptr, 0, path.c_str(), HASH_ALG_SHA512), 64);
    EXPECT_EQ(HASH_HexFromFile(nullptr, 0, path.c_str(), HASH_ALG_SHA512), 128);
    EXPECT_EQ(HASH_File(out, 64, path.c_str(), HASH_ALG_ASCON_HASH), -BAD_FLAG_ERROR);
    EXPECT_EQ(HASH_HexFromFile(nullptr, 0, path.c_str(), HASH_ALG_ASCON_HASHA), -BAD_FLAG_ERROR);
    EXPECT_EQ(HASH_File(out, 64, path.c_str(), 9), -BAD_FLAG_ERROR);
    EXPECT_EQ(HASH_File(out, 64, dir.file("missing").c_str(), 9), -OPEN_ERROR);
}

// A path that opens but cannot be read (a directory on Linux) never yields
// the digest of an empty prefix.
TEST(HashApi, ReadErrorIsReportedAndNothingWritten) {
    tu::TempDir dir;
    unsigned char out[64];
    std::memset(out, 0xEE, sizeof out);
    const int32_t r = HASH_File(out, 64, dir.path().c_str(), HASH_ALG_SHA256);
    EXPECT_TRUE(r == -READ_ERROR || r == -OPEN_ERROR) << r;
    EXPECT_EQ(out[0], 0xEE);
#ifndef _WIN32
    EXPECT_EQ(r, -READ_ERROR);
    EXPECT_EQ(API_ErrorCode(), READ_ERROR);
    char hex[8] = "X";
    EXPECT_EQ(HASH_HexFromFile(hex, 7, dir.path().c_str(), HASH_ALG_SHA1 | HASH_OPT_TEXT), -READ_ERROR);
    EXPECT_STREQ(hex, "X");
#endif
}

// --- Streaming ------------------------------------------------------------------

TEST(HashApi, StreamingGivesTheOneShotDigest) {
    tu::Prng prng(3);
    const Bytes msg = prng.bytes(1000);
    // Bits above the code, HASH_OPT_DOUBLE included, are ignored here.
    for (int32_t code : {0, 3, 4, 5, 6, 10, 11, 12, 13, 0x13, HASH_ALG_SHA256 | HASH_OPT_DOUBLE}) {
        const int32_t h = HASH_Init(code);
        ASSERT_NE(h, 0);
        EXPECT_EQ(h & 1, 1);
        EXPECT_LE(h, 0x3FFFFFFF);
        EXPECT_EQ(HASH_DigestLength(h), HASH_Length(code & 0xF));
        std::size_t at = 0;
        while (at < msg.size()) {
            const std::size_t n = std::min<std::size_t>(prng.below(200), msg.size() - at);
            ASSERT_EQ(HASH_AddBytes(h, msg.data() + at, static_cast<int32_t>(n)), 0);
            at += n;
        }
        unsigned char got[64], want[64];
        const int32_t len = HASH_Bytes(want, 64, msg.data(), 1000, code & 0xF);
        EXPECT_EQ(HASH_Final(got, 64, h), len);
        EXPECT_EQ(tu::to_hex(got, static_cast<std::size_t>(len)), tu::to_hex(want, static_cast<std::size_t>(len)));
    }
}

TEST(HashApi, StreamingHandleRules) {
    const unsigned char d[] = {1, 2, 3};
    unsigned char out[64];

    // Codes the streaming interface refuses: 0 and NOT_SUPPORTED_ERROR.
    for (int32_t code : {1, 2, 7, 8, 9, 14, 15, 0xAF, 0xBF}) {
        EXPECT_EQ(HASH_Init(code), 0) << code;
        EXPECT_EQ(API_ErrorCode(), NOT_SUPPORTED_ERROR);
    }
    // A failed init ends the live context.
    int32_t h = HASH_Init(HASH_ALG_SHA256);
    ASSERT_NE(h, 0);
    EXPECT_EQ(API_ErrorCode(), 0);
    EXPECT_EQ(HASH_Init(HASH_ALG_MD5), 0);
    EXPECT_EQ(HASH_AddBytes(h, d, 3), -INVALID_HANDLE_ERROR);

    // A second init abandons the first context.
    const int32_t h1 = HASH_Init(HASH_ALG_SHA1);
    const int32_t h2 = HASH_Init(HASH_ALG_SHA512);
    ASSERT_NE(h2, 0);
    if (h1 != h2) {
        EXPECT_EQ(HASH_AddBytes(h1, d, 3), -INVALID_HANDLE_ERROR);
    }
    EXPECT_EQ(HASH_DigestLength(h2), 64);

    // Argument checks come in their order and leave the context usable.
    EXPECT_EQ(HASH_AddBytes(0, d, 3), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(HASH_AddBytes(h2 + 2, nullptr, 3), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(HASH_AddBytes(h2, nullptr, 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    EXPECT_EQ(HASH_AddBytes(h2, d, -1), -BAD_PARAM_ERROR);
    EXPECT_EQ(HASH_AddBytes(h2, d, 0), 0);
    EXPECT_EQ(HASH_Final(nullptr, 64, 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(HASH_Final(out, 0, h2), -BAD_PARAM_ERROR);
    EXPECT_EQ(HASH_Final(out, 64, h2 ^ 0x10), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(HASH_DigestLength(0), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(HASH_Reset(0), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(HASH_AddBytes(h2, d, 3), 0);
    EXPECT_EQ(HASH_Final(out, 10, h2), 10);
    unsigned char want[64];
    HASH_Bytes(want, 64, d, 3, HASH_ALG_SHA512);
    EXPECT_EQ(tu::to_hex(out, 10), tu::to_hex(want, 10));

    // After final or reset the handle is dead.
    EXPECT_EQ(HASH_Final(out, 64, h2), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(HASH_DigestLength(h2), -INVALID_HANDLE_ERROR);
    h = HASH_Init(HASH_ALG_SHA3_384);
    EXPECT_EQ(HASH_Reset(h), 0);
    EXPECT_EQ(HASH_AddBytes(h, d, 3), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(HASH_Reset(h), -INVALID_HANDLE_ERROR);
}

}  // namespace
