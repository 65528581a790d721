// MD5_: MD5 digests and HMAC-MD5 as lower-case hex, one-shot and streaming,
// with positive error codes. The members' bodies are shared with the other
// fixed-algorithm families (Tessalib/fixed_hash.h).
#include "Tessalib/fixed_hash.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {
constexpr FixedFamily kMd5{HASH_ALG_MD5, &ThreadWorkspace::md5};
}  // namespace

TESSALIB_API int32_t TESSALIB_CALL MD5_StringHexHash(char* output, const char* message) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_string_hex_hash(kMd5, output, message); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_BytesHexHash(char* output, const unsigned char* message, int32_t messageLen) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_bytes_hex_hash(kMd5, output, message, messageLen); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_BytesHash(unsigned char* output, const unsigned char* message,
                                                 int32_t messageLen) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_bytes_hash(kMd5, output, message, messageLen); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_FileHexHash(char* output, const char* fileName, const char* mode) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_file_hex_hash(kMd5, output, fileName, mode); });
}

// Unframed: cannot fail, leaves the thread's last error alone.
TESSALIB_API int32_t TESSALIB_CALL MD5_Init(void) {
    return frame_call(kUnframedHandle, [&] { return fixed_init(kMd5); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_AddString(int32_t handle, const char* text) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_add_string(kMd5, handle, text); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_add_bytes(kMd5, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_HexDigest(char* output, int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_hex_digest(kMd5, output, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_Reset(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_reset(kMd5, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_Hmac(char* output, const unsigned char* message, int32_t messageLen,
                                            const unsigned char* key, int32_t keyLen) {
    return frame_call(kExportPositiveStatus,
                      [&] { return fixed_hmac(kMd5, output, message, messageLen, key, keyLen); });
}

TESSALIB_API int32_t TESSALIB_CALL MD5_HmacHex(char* output, const char* messageHex, const char* keyHex) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_hmac_hex(kMd5, output, messageHex, keyHex); });
}
