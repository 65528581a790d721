// SHA2_: SHA-256 digests as lower-case hex, one-shot and streaming, positive error
// codes. The bodies are shared with the other fixed-algorithm families.
#include "core/frame.h"
#include "hash/fixed_family.h"
#include "tessalib.h"

namespace {

constexpr uint32_t kCode = kHashSha256;

FixedSlotRef slot_of(ThreadState* ts) { return {&ts->workspace.sha2.state, &ts->workspace.sha2.handle}; }

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL SHA2_StringHexHash(char* output, const char* message) {
    frame_begin();
    return frame_status(fixed_string_hex(kCode, output, message));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_BytesHexHash(char* output, const unsigned char* message, int32_t messageLen) {
    frame_begin();
    return frame_status(fixed_bytes_hex(kCode, output, message, messageLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_BytesHash(unsigned char* output, const unsigned char* message, int32_t messageLen) {
    frame_begin();
    return frame_status(fixed_bytes(kCode, output, message, messageLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_FileHexHash(char* output, const char* fileName, const char* mode) {
    frame_begin();
    return frame_status(fixed_file_hex(kCode, output, fileName, mode));
}

// Unframed: cannot fail, leaves the thread's last error alone.
TESSALIB_API int32_t TESSALIB_CALL SHA2_Init(void) {
    return static_cast<int32_t>(fixed_init(kCode, slot_of(GetThreadState())));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_AddString(int32_t handle, const char* text) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_add_string(kCode, slot_of(ts), handle, text));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_add(kCode, slot_of(ts), handle, data, dataLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_HexDigest(char* output, int32_t handle) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_hex_digest(kCode, slot_of(ts), output, handle));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_Reset(int32_t handle) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_reset(slot_of(ts), handle));
}
