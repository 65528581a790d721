// CNV_: hex and base64 conversion of caller data, the two filters, UTF-16 to
// UTF-8 and the short-path query.
#include <cstdint>

#include "core/frame.h"
#include "encode/base64.h"
#include "encode/hex.h"
#include "encode/utf16.h"
#include "platform/platform.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

// A size worked out from caller lengths, or -BAD_PARAM_ERROR when it does not
// fit a positive int32_t.
int32_t length_result(uint64_t size) noexcept {
    return size > static_cast<uint64_t>(INT32_MAX) ? -BAD_PARAM_ERROR : static_cast<int32_t>(size);
}

// Whole size of a text output buffer of outputLen characters (outputLen >= 1).
std::size_t text_room(int32_t outputLen) noexcept { return static_cast<std::size_t>(outputLen) + 1; }

// Writes an empty text when the caller's buffer can hold it.
void write_empty_text(char* output, int32_t outputLen) noexcept {
    if (output != nullptr && outputLen >= 0) output[0] = '\0';
}

int32_t hex_str_from_bytes(char* output, int32_t outputLen, const unsigned char* input, int32_t inputLen) noexcept {
    if (input == nullptr || inputLen < 0) return -BAD_PARAM_ERROR;
    if (output == nullptr || outputLen < 1) return length_result(2 * static_cast<uint64_t>(inputLen));
    return static_cast<int32_t>(HexEncodeUpper(output, text_room(outputLen), input, static_cast<std::size_t>(inputLen)));
}

int32_t b64_str_from_bytes(char* output, int32_t outputLen, const unsigned char* input, int32_t inputLen) noexcept {
    if (input == nullptr || inputLen < 0) return -BAD_PARAM_ERROR;
    if (output == nullptr || outputLen < 1)
        return length_result(4 * ((static_cast<uint64_t>(inputLen) + 2) / 3));
    return static_cast<int32_t>(B64Encode(output, text_room(outputLen), input, static_cast<std::size_t>(inputLen)));
}

int32_t bytes_from_hex_str(unsigned char* output, int32_t outputLen, const char* input) noexcept {
    if (input == nullptr) return -BAD_PARAM_ERROR;
    if (!hex_text_is_valid(input)) return -INVALID_DATA_ERROR;
    if (output == nullptr || outputLen < 1) return length_result(hex_lenient_length(input));
    return static_cast<int32_t>(HexDecodeLenient(output, static_cast<std::size_t>(outputLen), input));
}

int32_t bytes_from_b64_str(unsigned char* output, int32_t outputLen, const char* input) noexcept {
    if (input == nullptr) return -BAD_PARAM_ERROR;
    if (!b64_text_is_valid(input)) return -INVALID_DATA_ERROR;
    if (output == nullptr || outputLen < 1) return length_result(b64_decoded_length(input));
    return static_cast<int32_t>(B64Decode(output, static_cast<std::size_t>(outputLen), input));
}

using FilterFn = std::size_t (*)(char*, const char*, std::size_t) noexcept;

int32_t filter_text(FilterFn filter, char* output, const char* input, int32_t inputLen) noexcept {
    if (input == nullptr || output == nullptr) return -BAD_PARAM_ERROR;
    if (inputLen <= 0) {
        output[0] = '\0';
        return 0;
    }
    return static_cast<int32_t>(filter(output, input, static_cast<std::size_t>(inputLen)));
}

// Maps a failing short-path query to the export's code.
int32_t short_path_failure(uint32_t sysError) noexcept {
    return (sysError == 2 || sysError == 3) ? -OPEN_ERROR : -MISC_ERROR;
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL CNV_HexStrFromBytes(char* output, int32_t outputLen, const unsigned char* input,
                                                       int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(hex_str_from_bytes(output, outputLen, input, inputLen));
}

TESSALIB_API int32_t TESSALIB_CALL CNV_BytesFromHexStr(unsigned char* output, int32_t outputLen, const char* input) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(bytes_from_hex_str(output, outputLen, input));
}

TESSALIB_API int32_t TESSALIB_CALL CNV_HexFilter(char* output, const char* input, int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(filter_text(hex_filter, output, input, inputLen));
}

TESSALIB_API int32_t TESSALIB_CALL CNV_B64StrFromBytes(char* output, int32_t outputLen, const unsigned char* input,
                                                       int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(b64_str_from_bytes(output, outputLen, input, inputLen));
}

TESSALIB_API int32_t TESSALIB_CALL CNV_BytesFromB64Str(unsigned char* output, int32_t outputLen, const char* input) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(bytes_from_b64_str(output, outputLen, input));
}

TESSALIB_API int32_t TESSALIB_CALL CNV_B64Filter(char* output, const char* input, int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(filter_text(b64_filter, output, input, inputLen));
}

TESSALIB_API int32_t TESSALIB_CALL CNV_Utf8FromWide(char* output, int32_t outputLen, const uint16_t* input) {
    if (const FrameRefusal refusal = frame_entry(kUnframedLength)) return refusal.result;
    if (input == nullptr || input[0] == 0) {
        write_empty_text(output, outputLen);
        return 0;
    }
    const long long needed = Utf8LengthOfUtf16(input);
    if (needed < 0) return -ENCODING_ERROR;
    if (needed > INT32_MAX) return -BAD_PARAM_ERROR;
    if (output == nullptr || outputLen < 1) return static_cast<int32_t>(needed);
    if (outputLen < needed) return -SHORT_BUF_ERROR;
    return Utf8FromUtf16(output, text_room(outputLen), input);
}

TESSALIB_API int32_t TESSALIB_CALL CNV_ShortPathName(char* output, int32_t outputLen, const uint16_t* input) {
    if (const FrameRefusal refusal = frame_entry(kUnframedLength)) return refusal.result;
    if (input == nullptr || input[0] == 0) {
        write_empty_text(output, outputLen);
        return 0;
    }
    uint32_t sysError = 0;
    const uint32_t size = plat::short_path(input, nullptr, 0, &sysError);  // units, with the 0
    if (size == 0) return short_path_failure(sysError);
    if (size > static_cast<uint32_t>(INT32_MAX)) return -BAD_PARAM_ERROR;
    if (output == nullptr || outputLen < 1) return static_cast<int32_t>(size);
    if (static_cast<uint32_t>(outputLen) < size) return -SHORT_BUF_ERROR;

    auto* shortPath = static_cast<uint16_t*>(MemCalloc(size, sizeof(uint16_t)));
    int32_t result;
    const uint32_t units = plat::short_path(input, shortPath, size, &sysError);
    if (units == 0) {
        result = short_path_failure(sysError);
    } else if (units >= size) {
        // The path changed between the two queries and needs more room now.
        result = -SHORT_BUF_ERROR;
    } else if (Utf8LengthOfUtf16(shortPath) != static_cast<long long>(units)) {
        result = -ENCODING_ERROR;  // not plain ASCII (or a surrogate)
    } else {
        result = Utf8FromUtf16(output, text_room(outputLen), shortPath);
    }
    MemFree(shortPath);
    return result;
}
