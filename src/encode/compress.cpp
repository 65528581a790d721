// Compression through zlib and zstd.
#include "encode/compress.h"

#include <zlib.h>
#include <zstd.h>

#include <climits>
#include <cstring>

#include "core/secret.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

constexpr int kZlibLevel = 6;
constexpr int kZlibWindowBits = 15;
constexpr int kZlibMemLevel = 8;
constexpr int kZstdLevel = 3;

int32_t zlib_code(int ret) noexcept {
    switch (ret) {
        case Z_BUF_ERROR: return -SHORT_BUF_ERROR;
        case Z_MEM_ERROR: return -MEMORY_ERROR;
        case Z_DATA_ERROR: return -INVALID_DATA_ERROR;
        default: return -ZLIB_COMPR_ERROR;
    }
}

void stream_input(z_stream& zs, const uint8_t* input, std::size_t input_len) noexcept {
    std::memset(&zs, 0, sizeof zs);
    zs.next_in = const_cast<Bytef*>(input);
    zs.avail_in = static_cast<uInt>(input_len);
}

bool fits(uint64_t n) noexcept { return n <= static_cast<uint64_t>(INT32_MAX); }

// The scratch area of the zlib queries (what they produce is thrown away,
// but it is the caller's data: it is wiped).
struct Scratch {
    SecretBytes<kZlibScratch> area;
};

int32_t deflate_query(z_stream& zs) noexcept {
    Scratch scratch;
    uint64_t total = 0;
    int ret;
    do {
        zs.next_out = scratch.area.bytes;
        zs.avail_out = static_cast<uInt>(kZlibScratch);
        ret = deflate(&zs, Z_FINISH);
        total += kZlibScratch - zs.avail_out;
        if (ret == Z_STREAM_ERROR) break;
    } while (zs.avail_out == 0 && ret != Z_STREAM_END);
    if (ret != Z_STREAM_END) return ret == Z_OK || ret == Z_BUF_ERROR ? -INVALID_DATA_ERROR : zlib_code(ret);
    return fits(total) ? static_cast<int32_t>(total) : -ZLIB_COMPR_ERROR;
}

int32_t inflate_query(z_stream& zs) noexcept {
    Scratch scratch;
    uint64_t total = 0;
    for (;;) {
        zs.next_out = scratch.area.bytes;
        zs.avail_out = static_cast<uInt>(kZlibScratch);
        const int ret = inflate(&zs, Z_NO_FLUSH);
        total += kZlibScratch - zs.avail_out;
        if (!fits(total)) return -ZLIB_COMPR_ERROR;
        if (ret == Z_STREAM_END) return static_cast<int32_t>(total);
        if (ret == Z_NEED_DICT) return -INVALID_DATA_ERROR;
        if (ret == Z_MEM_ERROR || ret == Z_DATA_ERROR) return zlib_code(ret);
        if (ret != Z_OK && ret != Z_BUF_ERROR) return -ZLIB_COMPR_ERROR;
        // The input is used up and the stream has not ended: incomplete.
        if (zs.avail_in == 0 && zs.avail_out != 0) return -INVALID_DATA_ERROR;
        if (ret == Z_BUF_ERROR && zs.avail_out != 0) return -INVALID_DATA_ERROR;
    }
}

}  // namespace

namespace {

// The outcome of one call with finish into the caller's output.
int32_t finish_code(const z_stream& zs, int ret, bool inflating) noexcept {
    if (ret == Z_STREAM_END) return fits(zs.total_out) ? static_cast<int32_t>(zs.total_out) : -ZLIB_COMPR_ERROR;
    if (inflating && ret == Z_NEED_DICT) return -INVALID_DATA_ERROR;
    if (ret == Z_BUF_ERROR || ret == Z_OK) {
        // Inflating with all input used and no end: truncated data.
        return inflating && zs.avail_in == 0 ? -INVALID_DATA_ERROR : -SHORT_BUF_ERROR;
    }
    return zlib_code(ret);
}

// One stream over the whole input: the query loop into the scratch area, or
// one call with finish into output.
int32_t zlib_run(bool inflating, uint8_t* output, std::size_t output_len, const uint8_t* input,
                 std::size_t input_len) noexcept {
    z_stream zs;
    stream_input(zs, input, input_len);
    int ret = inflating ? inflateInit2(&zs, kZlibWindowBits)
                        : deflateInit2(&zs, kZlibLevel, Z_DEFLATED, kZlibWindowBits, kZlibMemLevel, Z_DEFAULT_STRATEGY);
    if (ret != Z_OK) return zlib_code(ret);
    int32_t rc;
    if (output == nullptr) {
        rc = inflating ? inflate_query(zs) : deflate_query(zs);
    } else {
        zs.next_out = output;
        zs.avail_out = static_cast<uInt>(output_len > UINT_MAX ? UINT_MAX : output_len);
        ret = inflating ? inflate(&zs, Z_FINISH) : deflate(&zs, Z_FINISH);
        rc = finish_code(zs, ret, inflating);
    }
    if (inflating)
        inflateEnd(&zs);
    else
        deflateEnd(&zs);
    return rc;
}

}  // namespace

int32_t zlib_compress(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t input_len) noexcept {
    return zlib_run(false, output, output_len, input, input_len);
}

int32_t zlib_uncompress(uint8_t* output, std::size_t output_len, const uint8_t* input,
                        std::size_t input_len) noexcept {
    return zlib_run(true, output, output_len, input, input_len);
}

uint64_t zstd_bound(uint64_t n) noexcept {
    constexpr uint64_t kSmall = 131072;
    return n + n / 256 + (n < kSmall ? (kSmall - n) / 2048 : 0);
}

int32_t zstd_compress(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t input_len) noexcept {
    const uint64_t bound = zstd_bound(input_len);
    if (output != nullptr && output_len >= bound) {
        const std::size_t n = ZSTD_compress(output, output_len, input, input_len, kZstdLevel);
        if (!ZSTD_isError(n) && fits(n)) return static_cast<int32_t>(n);
        secure_wipe(output, output_len < bound ? output_len : static_cast<std::size_t>(bound));
        return -ZLIB_COMPR_ERROR;
    }
    if (bound > SIZE_MAX) return -MEMORY_ERROR;
    SecretBuffer frame;
    if (!frame.allocate(static_cast<std::size_t>(bound))) return -MEMORY_ERROR;
    const std::size_t n = ZSTD_compress(frame.data(), frame.size(), input, input_len, kZstdLevel);
    if (ZSTD_isError(n) || !fits(n)) return -ZLIB_COMPR_ERROR;
    if (output == nullptr) return static_cast<int32_t>(n);
    if (output_len < n) return -SHORT_BUF_ERROR;
    std::memcpy(output, frame.data(), n);
    return static_cast<int32_t>(n);
}

int32_t zstd_uncompress(uint8_t* output, std::size_t output_len, const uint8_t* input,
                        std::size_t input_len) noexcept {
    // Frames of the current format (RFC 8878) and skippable frames only: the
    // system's libzstd may also read the formats of its 0.x releases, which
    // the Windows build leaves out, and both builds must answer alike.
    if (input_len >= 4) {
        const uint32_t magic = static_cast<uint32_t>(input[0]) | static_cast<uint32_t>(input[1]) << 8 |
                               static_cast<uint32_t>(input[2]) << 16 | static_cast<uint32_t>(input[3]) << 24;
        if (magic != ZSTD_MAGICNUMBER && (magic & ZSTD_MAGIC_SKIPPABLE_MASK) != ZSTD_MAGIC_SKIPPABLE_START)
            return -BAD_FORMAT_ERROR;
    }
    const unsigned long long size = ZSTD_getFrameContentSize(input, input_len);
    if (size == ZSTD_CONTENTSIZE_ERROR) return -BAD_FORMAT_ERROR;
    if (size == ZSTD_CONTENTSIZE_UNKNOWN) return -INVALID_DATA_ERROR;
    // The header is the sender's word: a size no result can have is refused
    // before anything is allocated.
    if (!fits(size)) return -MEMORY_ERROR;
    // Every block of a frame has a 3-byte header and gives at most 128 KiB: a
    // frame that declares more than its blocks could give is corrupt, which
    // the engine would find only after the buffer had been made.
    if (size > (static_cast<uint64_t>(input_len) / 3 + 1) * ZSTD_BLOCKSIZE_MAX) return -ZLIB_COMPR_ERROR;
    const std::size_t content = static_cast<std::size_t>(size);
    if (output != nullptr && output_len < content) return -SHORT_BUF_ERROR;
    // A query decompresses into a temporary buffer: the data is checked
    // before the size is answered.
    SecretBuffer temp;
    uint8_t* dst = output;
    if (output == nullptr) {
        if (!temp.allocate(content)) return -MEMORY_ERROR;
        dst = temp.data();
    }
    const std::size_t n = ZSTD_decompress(dst, content, input, input_len);
    int32_t rc = static_cast<int32_t>(content);
    if (ZSTD_isError(n))
        rc = -ZLIB_COMPR_ERROR;
    else if (n != content)
        rc = -INTERNAL_ERROR;
    if (rc < 0 && output != nullptr && content != 0) secure_wipe(output, content);
    return rc;
}
