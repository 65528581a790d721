// COMPR_ and ZLIB_ as a caller sees them: round trips whose query sizes are
// the sizes produced, the exact codes of damaged and hostile inputs (a zlib
// stream that inflates past 2 GiB, a zstd frame that declares 2 GiB), and the
// formats checked with real peers: the zstd command-line tool and Python's
// zlib module.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;

namespace {

constexpr int32_t kZlib = COMPR_METHOD_ZLIB;
constexpr int32_t kZstd = COMPR_METHOD_ZSTD;

Bytes compress(const Bytes& in, int32_t method) {
    const int32_t n = COMPR_Compress(nullptr, 0, tu::nonnull(in), tu::len32(in), method);
    EXPECT_GT(n, 0);
    Bytes out(static_cast<std::size_t>(n));
    EXPECT_EQ(COMPR_Compress(out.data(), n, tu::nonnull(in), tu::len32(in), method), n);
    return out;
}

Bytes uncompress(const Bytes& in, int32_t method) {
    const int32_t n = COMPR_Uncompress(nullptr, 0, tu::nonnull(in), tu::len32(in), method);
    EXPECT_GE(n, 0);
    if (n < 0) return {};
    Bytes out(static_cast<std::size_t>(n) + 1);
    EXPECT_EQ(COMPR_Uncompress(out.data(), n == 0 ? 1 : n, tu::nonnull(in), tu::len32(in), method), n);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

}  // namespace

TEST(Compression, RoundTripsAndQueriesGiveTheSizesProduced) {
    tu::Prng rng(31);
    std::vector<Bytes> inputs = {{}, {0x41}, rng.bytes(1000), rng.bytes(200000)};
    Bytes text;
    while (text.size() < (1u << 20)) {
        const std::string line = "line " + std::to_string(text.size() % 977) + " of a highly compressible text\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    inputs.push_back(text);
    inputs.push_back(Bytes(64u << 20, 0));  // 64 MiB
    for (int32_t method : {kZlib, kZstd}) {
        for (const Bytes& in : inputs) {
            SCOPED_TRACE("method " + std::to_string(method) + " size " + std::to_string(in.size()));
            const Bytes packed = compress(in, method);
            EXPECT_EQ(uncompress(packed, method), in);
            // Any bits above the method are ignored.
            EXPECT_EQ(COMPR_Compress(nullptr, 0, tu::nonnull(in), tu::len32(in), method | 0x7F0),
                      tu::len32(packed));
        }
    }
}

TEST(Compression, EdgeCasesOfTheFormats) {
    const unsigned char none = 0;
    // An empty zlib stream: header, an empty final block, the check.
    EXPECT_EQ(ZLIB_Deflate(nullptr, 0, &none, 0), 8);
    unsigned char eight[8];
    EXPECT_EQ(ZLIB_Deflate(eight, 8, &none, 0), 8);
    unsigned char out[16];
    EXPECT_EQ(ZLIB_Inflate(out, sizeof out, eight, 8), 0);
    EXPECT_EQ(ZLIB_Inflate(nullptr, 0, eight, 8), 0);
    // One byte short of the query's answer.
    tu::Prng rng(32);
    const Bytes data = rng.bytes(3000);
    const int32_t n = ZLIB_Deflate(nullptr, 0, data.data(), tu::len32(data));
    Bytes small(static_cast<std::size_t>(n - 1));
    EXPECT_EQ(ZLIB_Deflate(small.data(), n - 1, data.data(), tu::len32(data)), -SHORT_BUF_ERROR);
    EXPECT_EQ(API_ErrorCode(), SHORT_BUF_ERROR);
    // Options: 2 is no method, 0x10 is zlib.
    EXPECT_EQ(COMPR_Compress(nullptr, 0, data.data(), tu::len32(data), 2), -BAD_FLAG_ERROR);
    EXPECT_EQ(COMPR_Compress(nullptr, 0, data.data(), tu::len32(data), 0x10), n);
    // Arguments, in order.
    EXPECT_EQ(COMPR_Uncompress(nullptr, 0, nullptr, 5, 15), -BAD_FLAG_ERROR);
    EXPECT_EQ(COMPR_Uncompress(nullptr, 0, nullptr, 5, 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(COMPR_Uncompress(nullptr, 0, data.data(), -1, 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(COMPR_Uncompress(out, -1, data.data(), 5, 1), -BAD_PARAM_ERROR);
    EXPECT_EQ(ZLIB_Inflate(nullptr, 0, nullptr, 0), -BAD_PARAM_ERROR);
}

TEST(Compression, DamagedInputsGiveTheirCodes) {
    tu::Prng rng(33);
    Bytes data = rng.bytes(2000);
    for (int i = 0; i < 300; ++i) data.push_back(static_cast<uint8_t>('a' + i % 7));
    const Bytes z = compress(data, kZlib), s = compress(data, kZstd);
    // The first block header of the zstd frame made reserved (type 3).
    Bytes reserved_block = s;
    {
        const uint8_t fhd = s[4];
        const bool single = (fhd & 0x20) != 0;
        const std::size_t fcs[] = {single ? 1u : 0u, 2, 4, 8};
        const std::size_t dict[] = {0, 1, 2, 4};
        const std::size_t at = 5 + (single ? 0 : 1) + dict[fhd & 3] + fcs[fhd >> 6];
        reserved_block[at] |= 0x06;
    }
    auto cut = [](Bytes b, std::size_t n) { b.resize(b.size() - n); return b; };
    auto flip = [](Bytes b, std::size_t at) { b[at] ^= 0x01; return b; };
    auto plus = [](Bytes b, const Bytes& tail) { b.insert(b.end(), tail.begin(), tail.end()); return b; };
    // A zstd frame without a content size ("abc" from a pipe), a skippable
    // frame, a zlib stream that needs a preset dictionary.
    const Bytes no_size = tu::from_hex("28b52ffd0458190000616263990977ad");
    const Bytes skippable = tu::from_hex("5a2a4d1804000000deadbeef");
    const Bytes needs_dict = tu::from_hex("78bb622008b3cb408802001a0b045d");
    // A frame of an old zstd format (0.6), which the system's libzstd could
    // read (found by the fuzzer: it declares 259 bytes and gives none): not a
    // frame of the current format, refused alike on every platform.
    const Bytes old_format = tu::from_hex("26b52ffd9c0300000000");
    struct Case {
        const char* what;
        int32_t method;
        Bytes input;
        int32_t query;  // the result of a query
        int32_t ample;  // the result with room for the data and more
    };
    const int32_t len = tu::len32(data);
    const Case cases[] = {
        {"zlib whole", kZlib, z, len, len},
        {"zlib truncated", kZlib, cut(z, 10), -INVALID_DATA_ERROR, -INVALID_DATA_ERROR},
        {"zlib without its check", kZlib, cut(z, 4), -INVALID_DATA_ERROR, -INVALID_DATA_ERROR},
        {"zlib with a wrong check", kZlib, flip(z, z.size() - 1), -INVALID_DATA_ERROR, -INVALID_DATA_ERROR},
        {"zlib with a wrong header", kZlib, flip(z, 0), -INVALID_DATA_ERROR, -INVALID_DATA_ERROR},
        {"zlib with garbage after it", kZlib, plus(z, rng.bytes(7)), len, len},
        {"zlib needing a dictionary", kZlib, needs_dict, -INVALID_DATA_ERROR, -INVALID_DATA_ERROR},
        {"zlib of nothing", kZlib, {}, -INVALID_DATA_ERROR, -INVALID_DATA_ERROR},
        {"zstd whole", kZstd, s, len, len},
        {"zstd truncated", kZstd, cut(s, 10), -ZLIB_COMPR_ERROR, -ZLIB_COMPR_ERROR},
        {"zstd cut inside its header", kZstd, Bytes(s.begin(), s.begin() + 5), -BAD_FORMAT_ERROR,
         -BAD_FORMAT_ERROR},
        {"zstd with a reserved block type", kZstd, reserved_block, -ZLIB_COMPR_ERROR, -ZLIB_COMPR_ERROR},
        {"zstd with garbage after it", kZstd, plus(s, rng.bytes(7)), -ZLIB_COMPR_ERROR, -ZLIB_COMPR_ERROR},
        {"zstd without a content size", kZstd, no_size, -INVALID_DATA_ERROR, -INVALID_DATA_ERROR},
        {"zstd skippable frame", kZstd, skippable, 0, 0},
        {"zstd skippable frame, then data", kZstd, plus(skippable, s), -ZLIB_COMPR_ERROR, -ZLIB_COMPR_ERROR},
        {"zstd frame of an old format", kZstd, old_format, -BAD_FORMAT_ERROR, -BAD_FORMAT_ERROR},
        {"zstd of random bytes", kZstd, rng.bytes(100), -BAD_FORMAT_ERROR, -BAD_FORMAT_ERROR},
        {"zstd of nothing", kZstd, {}, -BAD_FORMAT_ERROR, -BAD_FORMAT_ERROR},
    };
    Bytes out(data.size() + 100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(COMPR_Uncompress(nullptr, 0, tu::nonnull(c.input), tu::len32(c.input), c.method), c.query);
        EXPECT_EQ(COMPR_Uncompress(out.data(), tu::len32(out), tu::nonnull(c.input), tu::len32(c.input), c.method),
                  c.ample);
        if (c.ample < 0) {
            EXPECT_EQ(API_ErrorCode(), -c.ample);
        }
    }
    // A buffer one byte short: zlib may have written part of it, zstd does
    // not write at all.
    Bytes short_out(data.size() - 1, 0xEE);
    EXPECT_EQ(COMPR_Uncompress(short_out.data(), tu::len32(short_out), z.data(), tu::len32(z), kZlib),
              -SHORT_BUF_ERROR);
    std::fill(short_out.begin(), short_out.end(), 0xEE);
    EXPECT_EQ(COMPR_Uncompress(short_out.data(), tu::len32(short_out), s.data(), tu::len32(s), kZstd),
              -SHORT_BUF_ERROR);
    EXPECT_EQ(short_out, Bytes(data.size() - 1, 0xEE));
    // A zstd failure in the caller's buffer leaves zeros there, never part of
    // the data.
    Bytes filled(data.size(), 0xEE);
    EXPECT_EQ(COMPR_Uncompress(filled.data(), tu::len32(filled), reserved_block.data(), tu::len32(reserved_block),
                               kZstd),
              -ZLIB_COMPR_ERROR);
    EXPECT_EQ(filled, Bytes(data.size(), 0));
}

TEST(Compression, AZstdFrameDeclaringTwoGibibytesIsRefusedBeforeAllocating) {
    // Magic, a single-segment header with a 4-byte content size of 2^31, and
    // one RLE block of 1 byte: 13 bytes that claim 2 GiB.
    const Bytes frame = tu::from_hex("28b52ffd" "a0" "00000080" "130000" "61");
    unsigned char out[16];
    EXPECT_EQ(COMPR_Uncompress(nullptr, 0, frame.data(), tu::len32(frame), kZstd), -MEMORY_ERROR);
    EXPECT_EQ(COMPR_Uncompress(out, sizeof out, frame.data(), tu::len32(frame), kZstd), -MEMORY_ERROR);
    EXPECT_EQ(API_ErrorCode(), MEMORY_ERROR);
    // Just below, INT32_MAX fits a result, but 13 bytes cannot give it: the
    // frame is corrupt, found before anything is allocated.
    const Bytes below = tu::from_hex("28b52ffd" "a0" "ffffff7f" "130000" "61");
    EXPECT_EQ(COMPR_Uncompress(nullptr, 0, below.data(), tu::len32(below), kZstd), -ZLIB_COMPR_ERROR);
    EXPECT_EQ(COMPR_Uncompress(out, sizeof out, below.data(), tu::len32(below), kZstd), -ZLIB_COMPR_ERROR);
}

namespace {

// A zlib stream of zeros that inflates to a great deal, built directly (not
// by compressing gigabytes): one fixed-Huffman block, the header bits 1
// (BFINAL), 01 (fixed);
// one literal 0 (code 00110000, 8 bits), then copies of 258 bytes at distance
// 1 (length code 285: 11000101, 8 bits; distance code 0: 00000, 5 bits), then
// end of block (0000000, 7 bits). Bits are packed from the least significant
// bit of each byte; Huffman codes go most significant bit first.
class BitWriter {
public:
    void bits(uint32_t value, int count) {  // value's low `count` bits, low bit first
        acc_ |= static_cast<uint64_t>(value & ((1u << count) - 1)) << fill_;
        fill_ += count;
        while (fill_ >= 8) {
            out_.push_back(static_cast<uint8_t>(acc_));
            acc_ >>= 8;
            fill_ -= 8;
        }
    }
    void code(uint32_t value, int count) {  // a Huffman code, high bit first
        uint32_t reversed = 0;
        for (int i = 0; i < count; ++i) reversed |= ((value >> i) & 1) << (count - 1 - i);
        bits(reversed, count);
    }
    void align() {
        if (fill_ != 0) bits(0, 8 - fill_);
    }
    Bytes& out() { return out_; }

private:
    Bytes out_;
    uint64_t acc_ = 0;
    int fill_ = 0;
};

// A zlib stream of 1 + copies x 258 zero bytes.
Bytes zeros_stream(uint64_t copies) {
    BitWriter w;
    w.out() = {0x78, 0x01};
    w.bits(1, 1);  // final
    w.bits(1, 2);  // fixed Huffman
    w.code(0x30, 8);  // literal 0
    for (uint64_t i = 0; i < copies; ++i) w.bits(0xA3, 13);  // length 258 (11000101), distance 1 (00000)
    w.code(0, 7);  // end of block
    w.align();
    // Adler-32 of n zeros: a = 1, b = n mod 65521.
    const uint64_t n = 1 + copies * 258;
    const uint32_t adler = static_cast<uint32_t>((n % 65521) << 16 | 1);
    for (int s = 24; s >= 0; s -= 8) w.out().push_back(static_cast<uint8_t>(adler >> s));
    return w.out();
}

}  // namespace

TEST(Compression, ZlibBombStopsTheQueryInBoundedMemory) {
    // First the construction, on a small stream.
    const Bytes small = zeros_stream(100);
    EXPECT_EQ(ZLIB_Inflate(nullptr, 0, small.data(), tu::len32(small)), 1 + 100 * 258);
    // 2^31 / 258 copies and a few more: past INT32_MAX bytes from about 13 MB.
    const Bytes bomb = zeros_stream((1ull << 31) / 258 + 10);
#if !defined(_WIN32)
    struct rusage before;
    getrusage(RUSAGE_SELF, &before);
#endif
    EXPECT_EQ(COMPR_Uncompress(nullptr, 0, bomb.data(), tu::len32(bomb), kZlib), -ZLIB_COMPR_ERROR);
    unsigned char out[4096];
    EXPECT_EQ(ZLIB_Inflate(out, sizeof out, bomb.data(), tu::len32(bomb)), -SHORT_BUF_ERROR);
#if !defined(_WIN32)
    struct rusage after;
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "KiB of resident memory grew";
#endif
}

// --- Real peers --------------------------------------------------------------------------------

#if !defined(_WIN32)
namespace {

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}


}  // namespace

TEST(Compression, ZstdToolReadsOursAndWeReadItsFrames) {
    if (!have("zstd")) GTEST_SKIP() << "the zstd tool is not installed";
    tu::TempDir dir;
    tu::Prng rng(34);
    Bytes data = rng.bytes(300000);
    data.insert(data.end(), 300000, 'z');
    const std::string plain = dir.file("plain"), ours = dir.file("ours.zst"), back = dir.file("back");
    tu::write_bytes(ours, compress(data, kZstd));
    ASSERT_EQ(std::system(("zstd -q -d -f -o " + back + " " + ours).c_str()), 0);
    EXPECT_EQ(tu::read_bytes(back), data);
    tu::write_bytes(plain, data);
    for (const char* level : {"-1", "-3", "-19"}) {
        const std::string theirs = dir.file(std::string("theirs") + level + ".zst");
        ASSERT_EQ(std::system(("zstd -q -f " + std::string(level) + " -o " + theirs + " " + plain).c_str()), 0);
        EXPECT_EQ(uncompress(tu::read_bytes(theirs), kZstd), data) << level;
    }
}

TEST(Compression, PythonZlibReadsOursAndWeReadItsStreams) {
    if (!have("python3")) GTEST_SKIP() << "python3 is not installed";
    tu::TempDir dir;
    tu::Prng rng(35);
    Bytes data = rng.bytes(100000);
    data.insert(data.end(), 100000, 'p');
    const std::string plain = dir.file("plain"), ours = dir.file("ours.z"), back = dir.file("back");
    tu::write_bytes(plain, data);
    tu::write_bytes(ours, compress(data, kZlib));
    const std::string py = "python3 -c \"import sys, zlib; d = open(sys.argv[1], 'rb').read(); "
                           "open(sys.argv[2], 'wb').write(";
    ASSERT_EQ(std::system((py + "zlib.decompress(d))\" " + ours + " " + back).c_str()), 0);
    EXPECT_EQ(tu::read_bytes(back), data);
    for (int level : {1, 6, 9}) {
        const std::string theirs = dir.file("theirs" + std::to_string(level) + ".z");
        ASSERT_EQ(std::system((py + "zlib.compress(d, " + std::to_string(level) + "))\" " + plain + " " + theirs).c_str()),
                  0);
        EXPECT_EQ(uncompress(tu::read_bytes(theirs), kZlib), data) << level;
    }
}
#endif
