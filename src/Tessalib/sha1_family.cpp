// SHA1_: SHA-1 digests as lower-case hex, one-shot and streaming, positive error
// codes. The bodies are shared with the other fixed-algorithm families.
#include "core/frame.h"
#include "hash/fixed_family.h"
#include "tessalib.h"

namespace {

constexpr uint32_t kCode = kHashSha1;

FixedSlotRef slot_of(ThreadState* ts) { return {&ts->workspace.sha1.state, &ts->workspace.sha1.handle}; }

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL SHA1_StringHexHash(char* output, const char* message) {
    frame_begin();
    return frame_status(fixed_string_hex(kCode, output, message));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_BytesHexHash(char* output, const unsigned char* message, int32_t messageLen) {
    frame_begin();
    return frame_status(fixed_bytes_hex(kCode, output, message, messageLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_BytesHash(unsigned char* output, const unsigned char* message, int32_t messageLen) {
    frame_begin();
    return frame_status(fixed_bytes(kCode, output, message, messageLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_FileHexHash(char* output, const char* fileName, const char* mode) {
    frame_begin();
    return frame_status(fixed_file_hex(kCode, output, fileName, mode));
}

// Unframed: cannot fail, leaves the thread's last error alone.
TESSALIB_API int32_t TESSALIB_CALL SHA1_Init(void) {
    return static_cast<int32_t>(fixed_init(kCode, slot_of(GetThreadState())));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_AddString(int32_t handle, const char* text) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_add_string(kCode, slot_of(ts), handle, text));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_add(kCode, slot_of(ts), handle, data, dataLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_HexDigest(char* output, int32_t handle) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_hex_digest(kCode, slot_of(ts), output, handle));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_Reset(int32_t handle) {
    ThreadState* ts = frame_begin();
    return frame_status(fixed_reset(slot_of(ts), handle));
}
