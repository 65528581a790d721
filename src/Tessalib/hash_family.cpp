// HASH_: one-shot digests of bytes, bit strings, hex and files, and the
// per-thread streaming context.
#include <cstring>

#include "block/handle.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/fixed_family.h"
#include "hash/hash_engine.h"
#include "hash/hash_file.h"
#include "tessalib.h"

namespace {

// Hex of the leading whole bytes of digest that fit maxChars characters;
// query mode (NULL output or maxChars < 1) returns twice the digest length.
int32_t hex_out(char* output, int32_t maxChars, const uint8_t* digest, std::size_t len) {
    if (output == nullptr || maxChars < 1) return static_cast<int32_t>(2 * len);
    std::size_t n = len;
    if (static_cast<std::size_t>(maxChars) < 2 * n) n = static_cast<std::size_t>(maxChars) / 2;
    return static_cast<int32_t>(HexEncodeLower(output, 2 * n + 1, digest, n));
}

// Streaming codes: SHA-1, SHA-2 and SHA-3.
bool streaming_code(uint32_t code) {
    return code == kHashSha1 || (code >= kHashSha256 && code <= kHashSha224) ||
           (code >= kHashSha3_224 && code <= kHashSha3_512);
}

int32_t hex_from_bytes(char* output, int32_t maxChars, const uint8_t* message, std::size_t len, int32_t options) {
    uint8_t digest[kHashMaxDigestLen];
    const int32_t n = hash_bytes(digest, sizeof digest, message, len, static_cast<uint32_t>(options));
    const int32_t result = n < 0 ? n : hex_out(output, maxChars, digest, static_cast<std::size_t>(n));
    secure_wipe(digest, sizeof digest);
    return result;
}

int32_t file_digest(uint8_t* digest, const char* fileName, int32_t options) {
    if (fileName == nullptr || fileName[0] == '\0') return -BAD_PARAM_ERROR;
    return hash_file(digest, fileName, static_cast<uint32_t>(options));
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL HASH_Bytes(unsigned char* output, int32_t outputLen, const unsigned char* message,
                                               int32_t messageLen, int32_t options) {
    frame_begin();
    if (messageLen < 0 || (message == nullptr && messageLen > 0)) return frame_length(-BAD_PARAM_ERROR);
    const std::size_t capacity = outputLen > 0 ? static_cast<std::size_t>(outputLen) : 0;
    return frame_length(hash_bytes(output, capacity, message, static_cast<std::size_t>(messageLen),
                                   static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromBytes(char* output, int32_t maxChars, const unsigned char* message,
                                                      int32_t messageLen, int32_t options) {
    frame_begin();
    if (messageLen < 0 || (message == nullptr && messageLen > 0)) return frame_length(-BAD_PARAM_ERROR);
    return frame_length(hex_from_bytes(output, maxChars, message, static_cast<std::size_t>(messageLen), options));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromBits(char* output, int32_t maxChars, const unsigned char* message,
                                                     int32_t nbits, int32_t options) {
    frame_begin();
    if (message == nullptr && nbits > 0) return frame_length(-BAD_PARAM_ERROR);
    if (nbits < 0) return frame_length(-OUT_OF_RANGE_ERROR);
    if (message == nullptr) return frame_length(-BAD_PARAM_ERROR);
    uint8_t digest[kHashMaxDigestLen];
    const int32_t n = hash_bits(digest, message, static_cast<uint64_t>(nbits), static_cast<uint32_t>(options));
    const int32_t result = n < 0 ? n : hex_out(output, maxChars, digest, static_cast<std::size_t>(n));
    secure_wipe(digest, sizeof digest);
    return frame_length(result);
}

TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromHex(char* output, int32_t maxChars, const char* messageHex,
                                                    int32_t options) {
    frame_begin();
    if (messageHex == nullptr) return frame_length(-BAD_PARAM_ERROR);
    const std::size_t chars = std::strlen(messageHex);
    if (chars % 2 != 0) return frame_length(-INVALID_DATA_ERROR);
    const std::size_t len = chars / 2;
    uint8_t* message = static_cast<uint8_t*>(MemAlloc(len));
    int32_t result = -INVALID_DATA_ERROR;
    if (HexDecodeStrict(message, len, messageHex) >= 0) result = hex_from_bytes(output, maxChars, message, len, options);
    secure_wipe(message, len);
    MemFree(message);
    return frame_length(result);
}

TESSALIB_API int32_t TESSALIB_CALL HASH_File(unsigned char* output, int32_t outputLen, const char* fileName,
                                              int32_t options) {
    frame_begin();
    uint8_t digest[kHashMaxDigestLen];
    int32_t n = file_digest(digest, fileName, options);
    if (n > 0 && output != nullptr && outputLen > 0) {
        if (outputLen < n) n = outputLen;
        std::memcpy(output, digest, static_cast<std::size_t>(n));
    }
    secure_wipe(digest, sizeof digest);
    return frame_length(n);
}

TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromFile(char* output, int32_t maxChars, const char* fileName,
                                                     int32_t options) {
    frame_begin();
    uint8_t digest[kHashMaxDigestLen];
    const int32_t n = file_digest(digest, fileName, options);
    const int32_t result = n < 0 ? n : hex_out(output, maxChars, digest, static_cast<std::size_t>(n));
    secure_wipe(digest, sizeof digest);
    return frame_length(result);
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Length(int32_t options) {
    frame_begin();
    if (options < 0 || options >= 256) return frame_length(-BAD_FLAG_ERROR);
    return frame_length(hash_digest_length(static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Init(int32_t options) {
    HashSlot& slot = frame_begin()->workspace.hash;
    // Any earlier context ends here, also when the code is refused.
    secure_wipe_obj(slot);
    const uint32_t code = static_cast<uint32_t>(options) & 0xF;
    if (!streaming_code(code)) return static_cast<int32_t>(frame_handle(0, NOT_SUPPORTED_ERROR));
    hash_algorithm(code)->init(&slot.state);
    slot.code = code;
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, NOT_SUPPORTED_ERROR));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    HashSlot& slot = frame_begin()->workspace.hash;
    if (!slot_handle_ok(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    if (data == nullptr || dataLen < 0) return frame_status(-BAD_PARAM_ERROR);
    hash_algorithm(slot.code)->update(&slot.state, data, static_cast<std::size_t>(dataLen));
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Final(unsigned char* output, int32_t outputLen, int32_t handle) {
    HashSlot& slot = frame_begin()->workspace.hash;
    if (output == nullptr || outputLen < 1) return frame_length(-BAD_PARAM_ERROR);
    if (!slot_handle_ok(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    const HashAlgorithm* alg = hash_algorithm(slot.code);
    uint8_t digest[kHashMaxDigestLen];
    alg->final(&slot.state, digest);
    int32_t n = static_cast<int32_t>(alg->digest_len);
    if (outputLen < n) n = outputLen;
    std::memcpy(output, digest, static_cast<std::size_t>(n));
    secure_wipe(digest, sizeof digest);
    secure_wipe_obj(slot);
    return frame_length(n);
}

TESSALIB_API int32_t TESSALIB_CALL HASH_DigestLength(int32_t handle) {
    HashSlot& slot = frame_begin()->workspace.hash;
    if (!slot_handle_ok(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    return frame_length(static_cast<int32_t>(hash_algorithm(slot.code)->digest_len));
}

TESSALIB_API int32_t TESSALIB_CALL HASH_Reset(int32_t handle) {
    HashSlot& slot = frame_begin()->workspace.hash;
    if (!slot_handle_ok(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    secure_wipe_obj(slot);
    return frame_status(0);
}
