// The checks and the engine call shared by the COMPR_ and ZLIB_ exports
// (ZLIB_Deflate and ZLIB_Inflate are the zlib method without an option word).
#pragma once
#include <cstddef>
#include <cstdint>

#include "encode/compress.h"
#include "tessalib.h"

// The method in the low four bits of an option word.
constexpr int32_t kComprMethodMask = 0xF;

// In order: a method other than COMPR_METHOD_ZLIB or COMPR_METHOD_ZSTD:
// -BAD_FLAG_ERROR; input null, inputLen < 0 or outputLen < 0:
// -BAD_PARAM_ERROR; then the engine, in query mode for a null output or an
// outputLen of 0. The length written or needed, or a negated code.
inline int32_t compr_run(bool compress, int32_t method, unsigned char* output, int32_t outputLen,
                         const unsigned char* input, int32_t inputLen) noexcept {
    if (method != COMPR_METHOD_ZLIB && method != COMPR_METHOD_ZSTD) return -BAD_FLAG_ERROR;
    if (input == nullptr || inputLen < 0 || outputLen < 0) return -BAD_PARAM_ERROR;
    uint8_t* out = outputLen == 0 ? nullptr : output;
    const std::size_t out_len = static_cast<std::size_t>(outputLen);
    const std::size_t in_len = static_cast<std::size_t>(inputLen);
    if (method == COMPR_METHOD_ZLIB)
        return compress ? zlib_compress(out, out_len, input, in_len) : zlib_uncompress(out, out_len, input, in_len);
    return compress ? zstd_compress(out, out_len, input, in_len) : zstd_uncompress(out, out_len, input, in_len);
}
