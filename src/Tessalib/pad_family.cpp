// PAD_: block padding for bytes and hex text. Results are lengths or negated
// codes.
#include <climits>
#include <cstring>

#include "block/padding.h"
#include "core/frame.h"
#include "core/secret.h"
#include "encode/hex.h"
#include "tessalib.h"

namespace {

bool block_ok(int32_t blockLen) noexcept { return blockLen == 8 || blockLen == 16; }

// A character pair of PAD_UnpadHex read as a hex number: both digits, the
// leading digit alone when the second is not one, 0 when the first is not.
uint8_t pair_value(const char* pair) noexcept {
    const int16_t hi = kHexDecodeTable[static_cast<unsigned char>(pair[0])];
    if (hi < 0) return 0;
    const int16_t lo = kHexDecodeTable[static_cast<unsigned char>(pair[1])];
    return static_cast<uint8_t>(lo < 0 ? hi : hi * 16 + lo);
}

int32_t bytes_block(unsigned char* output, int32_t outputLen, const unsigned char* input, int32_t inputLen,
                    int32_t blockLen, int32_t options) noexcept {
    if (!block_ok(blockLen)) return -BAD_BLK_LEN_ERROR;
    if (input == nullptr && inputLen > 0) return -NULL_ERROR;
    if (inputLen < 0) return -BAD_PARAM_ERROR;
    const std::size_t len = static_cast<std::size_t>(inputLen);
    const uint64_t total = len + pad_count(len, static_cast<std::size_t>(blockLen));
    if (total > INT32_MAX) return -BAD_PARAM_ERROR;
    if (output == nullptr || outputLen < 1) return static_cast<int32_t>(total);
    return PadBlock(output, static_cast<std::size_t>(outputLen), input, len, static_cast<std::size_t>(blockLen),
                    static_cast<uint32_t>(options));
}

int32_t unpad_bytes(unsigned char* output, int32_t outputLen, const unsigned char* input, int32_t inputLen,
                    int32_t blockLen, int32_t options) noexcept {
    if (!block_ok(blockLen)) return -BAD_BLK_LEN_ERROR;
    if (input == nullptr || output == nullptr) return -NULL_ERROR;
    if (inputLen < blockLen) return -BAD_LENGTH_ERROR;
    return UnpadBlock(output, outputLen < 0 ? 0 : static_cast<std::size_t>(outputLen), input,
                      static_cast<std::size_t>(inputLen), static_cast<std::size_t>(blockLen),
                      static_cast<uint32_t>(options));
}

int32_t hex_block(char* output, int32_t outputLen, const char* inputHex, int32_t blockLen, int32_t options) noexcept {
    if (!block_ok(blockLen)) return -BAD_BLK_LEN_ERROR;
    if (inputHex == nullptr) return -NULL_ERROR;
    const std::size_t chars = std::strlen(inputHex);
    if (chars % 2 != 0) return -BAD_FORMAT_ERROR;
    const std::size_t n = pad_count(chars / 2, static_cast<std::size_t>(blockLen));
    const uint64_t total = static_cast<uint64_t>(chars) + 2 * n;
    if (total > INT32_MAX) return -BAD_PARAM_ERROR;
    if (output == nullptr || outputLen < 1) return static_cast<int32_t>(total);
    if (static_cast<uint64_t>(outputLen) < total) return -SHORT_BUF_ERROR;
    uint8_t padding[16];
    pad_write(padding, n, static_cast<uint32_t>(options));
    if (output != inputHex) std::memmove(output, inputHex, chars);
    HexEncodeUpper(output + chars, 2 * n + 1, padding, n);
    return static_cast<int32_t>(total);
}

int32_t unpad_hex(char* output, int32_t outputLen, const char* inputHex, int32_t blockLen, int32_t options) noexcept {
    if (!block_ok(blockLen)) return -BAD_BLK_LEN_ERROR;
    if (inputHex == nullptr || output == nullptr) return -NULL_ERROR;
    const std::size_t chars = std::strlen(inputHex);
    if (chars == 0 || chars % 2 != 0) return -BAD_FORMAT_ERROR;
    const std::size_t block = static_cast<std::size_t>(blockLen);
    const std::size_t k = chars / 2;
    if (k < block || k % block != 0) return -BAD_LENGTH_ERROR;
    SecretBytes<16> last;
    const char* tail = inputHex + chars - 2 * block;
    for (std::size_t i = 0; i < block; ++i) last.bytes[i] = pair_value(tail + 2 * i);
    const int32_t n = CheckPadding(last.bytes, block, block, static_cast<uint32_t>(options));
    if (n < 0) return n;
    const std::size_t result = 2 * (k - static_cast<std::size_t>(n));
    if (result > INT32_MAX) return -BAD_PARAM_ERROR;
    if (outputLen < 1) return static_cast<int32_t>(result);
    if (static_cast<std::size_t>(outputLen) < result) return -SHORT_BUF_ERROR;
    if (output != inputHex) std::memmove(output, inputHex, result);
    output[result] = '\0';
    return static_cast<int32_t>(result);
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL PAD_BytesBlock(unsigned char* output, int32_t outputLen, const unsigned char* input,
                                                   int32_t inputLen, int32_t blockLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    return frame_length(bytes_block(output, outputLen, input, inputLen, blockLen, options));
}

TESSALIB_API int32_t TESSALIB_CALL PAD_UnpadBytes(unsigned char* output, int32_t outputLen, const unsigned char* input,
                                                   int32_t inputLen, int32_t blockLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    return frame_length(unpad_bytes(output, outputLen, input, inputLen, blockLen, options));
}

TESSALIB_API int32_t TESSALIB_CALL PAD_HexBlock(char* output, int32_t outputLen, const char* inputHex,
                                                 int32_t blockLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    return frame_length(hex_block(output, outputLen, inputHex, blockLen, options));
}

TESSALIB_API int32_t TESSALIB_CALL PAD_UnpadHex(char* output, int32_t outputLen, const char* inputHex,
                                                 int32_t blockLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    return frame_length(unpad_hex(output, outputLen, inputHex, blockLen, options));
}
