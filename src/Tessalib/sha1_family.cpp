// SHA1_: SHA-1 digests and HMAC-SHA-1 as lower-case hex, one-shot and streaming,
// with positive error codes. The members' bodies are shared with the other
// fixed-algorithm families (Tessalib/fixed_hash.h).
#include "Tessalib/fixed_hash.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {
constexpr FixedFamily kSha1{HASH_ALG_SHA1, &ThreadWorkspace::sha1};
}  // namespace

TESSALIB_API int32_t TESSALIB_CALL SHA1_StringHexHash(char* output, const char* message) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_string_hex_hash(kSha1, output, message); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_BytesHexHash(char* output, const unsigned char* message, int32_t messageLen) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_bytes_hex_hash(kSha1, output, message, messageLen); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_BytesHash(unsigned char* output, const unsigned char* message,
                                                  int32_t messageLen) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_bytes_hash(kSha1, output, message, messageLen); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_FileHexHash(char* output, const char* fileName, const char* mode) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_file_hex_hash(kSha1, output, fileName, mode); });
}

// Unframed: cannot fail, leaves the thread's last error alone.
TESSALIB_API int32_t TESSALIB_CALL SHA1_Init(void) {
    return frame_call(kUnframedHandle, [&] { return fixed_init(kSha1); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_AddString(int32_t handle, const char* text) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_add_string(kSha1, handle, text); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_add_bytes(kSha1, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_HexDigest(char* output, int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_hex_digest(kSha1, output, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_Reset(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_reset(kSha1, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_Hmac(char* output, const unsigned char* message, int32_t messageLen,
                                             const unsigned char* key, int32_t keyLen) {
    return frame_call(kExportPositiveStatus,
                      [&] { return fixed_hmac(kSha1, output, message, messageLen, key, keyLen); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_HmacHex(char* output, const char* messageHex, const char* keyHex) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_hmac_hex(kSha1, output, messageHex, keyHex); });
}
