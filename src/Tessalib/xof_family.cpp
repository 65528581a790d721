// XOF_Bytes and PRF_Bytes: SHAKE, MGF1 and Ascon-XOF of a message, and KMAC
// with a caller-chosen output length and customization string.
#include "core/frame.h"
#include "hash/kmac.h"
#include "hash/xof.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

int32_t xof_checked(unsigned char* output, int32_t outputLen, const unsigned char* message, int32_t messageLen,
                    uint32_t options) {
    return static_cast<int32_t>(xof_bytes(output, static_cast<std::size_t>(outputLen), message,
                                          static_cast<std::size_t>(messageLen), options));
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL XOF_Bytes(unsigned char* output, int32_t outputLen, const unsigned char* message,
                                              int32_t messageLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    if (output == nullptr || outputLen < 0) return frame_length(-BAD_PARAM_ERROR);
    if (message == nullptr && messageLen > 0) return frame_length(-BAD_PARAM_ERROR);
    if (messageLen < 0) return frame_length(-BAD_PARAM_ERROR);
    return frame_length(xof_checked(output, outputLen, message, messageLen, static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL PRF_Bytes(unsigned char* output, int32_t outputLen, const unsigned char* message,
                                              int32_t messageLen, const unsigned char* key, int32_t keyLen,
                                              const char* customization, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    if (output == nullptr || outputLen < 0 || message == nullptr || messageLen < 0)
        return frame_length(-BAD_PARAM_ERROR);
    const uint32_t opts = static_cast<uint32_t>(options);
    const uint32_t v = opts & 0xFFF;
    if (v == PRF_KMAC128 || v == PRF_KMAC256) {
        if (keyLen < 0 || (key == nullptr && keyLen != 0)) return frame_length(-BAD_PARAM_ERROR);
        if (outputLen == 0) return frame_length(0);
        kmac_bytes(output, static_cast<std::size_t>(outputLen), message, static_cast<std::size_t>(messageLen), key,
                   static_cast<std::size_t>(keyLen), customization, v == PRF_KMAC128 ? 128 : 256);
        return frame_length(outputLen);
    }
    if (v == XOF_SHAKE128 || v == XOF_SHAKE256)
        return frame_length(xof_checked(output, outputLen, message, messageLen, opts));
    return frame_length(-BAD_FLAG_ERROR);
}
