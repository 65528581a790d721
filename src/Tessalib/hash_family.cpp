// HASH_: one-shot digests of bytes, bit strings, hex and files, and the
// per-thread streaming context.
#include <cstring>

#include "Tessalib/hash_args.h"
#include "Tessalib/hash_slot.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/hash_engine.h"
#include "hash/hash_file.h"
#include "tessalib.h"

namespace {

// Hex of the digest of message with the option word's algorithm, or the
// engine's negated code.
int32_t hex_from_bytes(char* output, int32_t maxChars, const uint8_t* message, std::size_t len, int32_t options) {
    SecretBytes<kHashMaxDigestLen> digest;
    const int32_t n = hash_bytes(digest.bytes, digest.size(), message, len, static_cast<uint32_t>(options));
    return n < 0 ? n : hex_out_leading(output, maxChars, digest.bytes, static_cast<std::size_t>(n));
}

int32_t file_digest(uint8_t* digest, const char* fileName, int32_t options) {
    if (fileName == nullptr || fileName[0] == '\0') return -BAD_PARAM_ERROR;
    return hash_file(digest, fileName, static_cast<uint32_t>(options));
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL HASH_Bytes(unsigned char* output, int32_t outputLen, const unsigned char* message,
                                               int32_t messageLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (messageLen < 0 || (message == nullptr && messageLen > 0)) return frame_length(-BAD_PARAM_ERROR);
    const std::size_t capacity = outputLen > 0 ? static_cast<std::size_t>(outputLen) : 0;
    return frame_length(hash_bytes(output, capacity, message, static_cast<std::size_t>(messageLen),
                                   static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromBytes(char* output, int32_t maxChars, const unsigned char* message,
                                                      int32_t messageLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (messageLen < 0 || (message == nullptr && messageLen > 0)) return frame_length(-BAD_PARAM_ERROR);
    return frame_length(hex_from_bytes(output, maxChars, message, static_cast<std::size_t>(messageLen), options));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromBits(char* output, int32_t maxChars, const unsigned char* message,
                                                     int32_t nbits, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (message == nullptr && nbits > 0) return frame_length(-BAD_PARAM_ERROR);
    if (nbits < 0) return frame_length(-OUT_OF_RANGE_ERROR);
    if (message == nullptr) return frame_length(-BAD_PARAM_ERROR);
    SecretBytes<kHashMaxDigestLen> digest;
    const int32_t n = hash_bits(digest.bytes, message, static_cast<uint64_t>(nbits), static_cast<uint32_t>(options));
    return frame_length(n < 0 ? n : hex_out_leading(output, maxChars, digest.bytes, static_cast<std::size_t>(n)));
}

// The text and the option are checked before the decoded copy is allocated,
// so only a valid request can meet MEMORY_ERROR.
TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromHex(char* output, int32_t maxChars, const char* messageHex,
                                                    int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (messageHex == nullptr) return frame_length(-BAD_PARAM_ERROR);
    const long long len = HexDecodeStrict(nullptr, 0, messageHex);
    if (len < 0) return frame_length(-INVALID_DATA_ERROR);
    if (hash_algorithm(static_cast<uint32_t>(options)) == nullptr) return frame_length(-BAD_FLAG_ERROR);
    SecretBuffer message;
    if (!decode_hex_strict(message, messageHex, static_cast<std::size_t>(len))) return frame_length(-MEMORY_ERROR);
    return frame_length(hex_from_bytes(output, maxChars, message.data(), message.size(), options));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_File(unsigned char* output, int32_t outputLen, const char* fileName,
                                              int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    SecretBytes<kHashMaxDigestLen> digest;
    const int32_t n = file_digest(digest.bytes, fileName, options);
    return frame_length(n < 0 ? n : bytes_out_leading(output, outputLen, digest.bytes, static_cast<std::size_t>(n)));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromFile(char* output, int32_t maxChars, const char* fileName,
                                                     int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    SecretBytes<kHashMaxDigestLen> digest;
    const int32_t n = file_digest(digest.bytes, fileName, options);
    return frame_length(n < 0 ? n : hex_out_leading(output, maxChars, digest.bytes, static_cast<std::size_t>(n)));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Length(int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (options < 0 || options >= 256) return frame_length(-BAD_FLAG_ERROR);
    return frame_length(hash_digest_length(static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Init(int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    HashSlot& slot = frame_begin()->workspace.hash;
    // Any earlier context ends here, also when the code is refused.
    secure_wipe_obj(slot);
    const uint32_t code = static_cast<uint32_t>(options) & 0xF;
    if (!hash_code_streaming(code)) return static_cast<int32_t>(frame_handle(0, NOT_SUPPORTED_ERROR));
    hash_algorithm(code)->init(&slot.state);
    slot.code = code;
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, NOT_SUPPORTED_ERROR));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    return frame_call(kExportNegatedStatus, [&] {
        return frame_status(slot_add_bytes(frame_begin()->workspace.hash, handle, data, dataLen));
    });
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Final(unsigned char* output, int32_t outputLen, int32_t handle) {
    return frame_call(kExportLength, [&] {
        return frame_length(slot_final(frame_begin()->workspace.hash, output, outputLen, handle));
    });
}

TESSALIB_API int32_t TESSALIB_CALL HASH_DigestLength(int32_t handle) {
    return frame_call(kExportLength,
                      [&] { return frame_length(slot_length_of(frame_begin()->workspace.hash, handle)); });
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Reset(int32_t handle) {
    return frame_call(kExportNegatedStatus,
                      [&] { return frame_status(slot_reset(frame_begin()->workspace.hash, handle)); });
}
