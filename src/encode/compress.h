// Compression glue: whole byte arrays in one call through zlib (the zlib
// format: deflate at level 6, window bits 15, memory level 8, the default
// strategy) and zstd (one frame at level 3 with the content size in its
// header). Every function returns the number of bytes written, or with a
// null output (a query) the exact number the result needs, or a negated
// error code; the library's codes for the engines' results:
//   zlib: Z_BUF_ERROR -SHORT_BUF_ERROR, Z_MEM_ERROR -MEMORY_ERROR,
//   Z_DATA_ERROR -INVALID_DATA_ERROR, any other failure -ZLIB_COMPR_ERROR;
//   zstd: a failure of the engine -ZLIB_COMPR_ERROR.
// Lengths are at most INT32_MAX; a result that would pass it is
// -ZLIB_COMPR_ERROR, never a wrapped count. The engines' memory is released
// before return on every path; a buffer whose size comes from the data is
// made with the checked allocator (-MEMORY_ERROR when it cannot be had).
#pragma once
#include <cstddef>
#include <cstdint>

// The size of the scratch area the zlib queries run the engine into.
constexpr std::size_t kZlibScratch = 16384;

// zlib compression. Query: deflate into the scratch area repeatedly, adding up
// the bytes, until the stream ends. Otherwise one deflate call with finish
// into output: an output too small for the whole stream is -SHORT_BUF_ERROR
// (output may then hold a partial stream).
int32_t zlib_compress(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t input_len) noexcept;

// zlib decompression (the zlib wrapper required). Query: inflate into the
// scratch area repeatedly, adding up the bytes, until the stream ends (what
// follows it is not read) or the input is used up: a stream that is not
// complete, or that asks for a preset dictionary, is -INVALID_DATA_ERROR; a
// total that would pass INT32_MAX stops the loop with -ZLIB_COMPR_ERROR.
// Otherwise inflate with finish into output: truncated data (all input used,
// no end) and a dictionary request are -INVALID_DATA_ERROR, an output too
// small -SHORT_BUF_ERROR (output may then hold a partial result).
int32_t zlib_uncompress(uint8_t* output, std::size_t output_len, const uint8_t* input,
                        std::size_t input_len) noexcept;

// The zstd compression bound of n bytes: n + n / 256 + (131072 - n) / 2048
// for n below 131072, in 64 bits.
uint64_t zstd_bound(uint64_t n) noexcept;

// zstd compression into one frame that records the content size. Query: the
// compressed size (the frame is made in a temporary buffer of the bound).
// Otherwise output_len below the compressed size is -SHORT_BUF_ERROR with
// output untouched; an output with room for the bound receives the frame
// directly, a smaller one through the temporary buffer. After an engine
// failure the output is left zero-filled where it was written.
int32_t zstd_compress(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t input_len) noexcept;

// zstd decompression of one frame. In order: a malformed or incomplete frame
// header: -BAD_FORMAT_ERROR; no content size in it: -INVALID_DATA_ERROR (a
// skippable frame has content size 0); a content size above INT32_MAX:
// -MEMORY_ERROR; one that the input's blocks could not give (more than 128
// KiB for every 3 bytes): -ZLIB_COMPR_ERROR; nothing is allocated before
// these. Then output_len below the content size: -SHORT_BUF_ERROR, output
// untouched. A query decompresses into a temporary buffer (checked
// allocator) and returns the content size; otherwise the data is
// decompressed into output. An engine failure (corrupt data, data after the
// frame) is -ZLIB_COMPR_ERROR, a result of another size than the header says
// -INTERNAL_ERROR; the output is then left zero-filled over the content size.
int32_t zstd_uncompress(uint8_t* output, std::size_t output_len, const uint8_t* input,
                        std::size_t input_len) noexcept;
