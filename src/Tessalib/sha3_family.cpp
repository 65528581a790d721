// SHA3_: streaming SHA3-224/256/384/512 with lower-case hex output.
#include "block/handle.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/fixed_family.h"
#include "hash/sha3.h"
#include "tessalib.h"

TESSALIB_API int32_t TESSALIB_CALL SHA3_Init(int32_t hashBits) {
    Sha3Slot& slot = frame_begin()->workspace.sha3;
    slot.handle = 0;
    secure_wipe_obj(slot.state);
    if (!sha3_init(&slot.state.sha3, hashBits)) return 0;  // no error is recorded
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(slot.handle);
}

// The SHA-3 update is the same for every digest size, so any SHA-3 code
// selects it.
TESSALIB_API int32_t TESSALIB_CALL SHA3_AddString(int32_t handle, const char* text) {
    ThreadState* ts = frame_begin();
    Sha3Slot& slot = ts->workspace.sha3;
    return frame_status(fixed_add_string(kHashSha3_256, {&slot.state, &slot.handle}, handle, text));
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    ThreadState* ts = frame_begin();
    Sha3Slot& slot = ts->workspace.sha3;
    return frame_status(fixed_add(kHashSha3_256, {&slot.state, &slot.handle}, handle, data, dataLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_HexDigest(char* output, int32_t maxChars, int32_t handle) {
    Sha3Slot& slot = frame_begin()->workspace.sha3;
    if (!slot_handle_ok(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    uint8_t digest[kHashMaxDigestLen];
    const std::size_t len = sha3_final(&slot.state.sha3, digest, sizeof digest);
    secure_wipe_obj(slot);
    int32_t result = static_cast<int32_t>(2 * len);
    if (output != nullptr && maxChars >= 1) {
        std::size_t n = len;
        if (static_cast<std::size_t>(maxChars) / 2 < n) n = static_cast<std::size_t>(maxChars) / 2;
        result = static_cast<int32_t>(HexEncodeLower(output, 2 * n + 1, digest, n));
    }
    secure_wipe(digest, sizeof digest);
    return frame_length(result);
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_LengthInBytes(int32_t handle) {
    Sha3Slot& slot = frame_begin()->workspace.sha3;
    if (!slot_handle_ok(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    return frame_length(static_cast<int32_t>(slot.state.sha3.digest_len));
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_Reset(int32_t handle) {
    ThreadState* ts = frame_begin();
    Sha3Slot& slot = ts->workspace.sha3;
    return frame_status(fixed_reset({&slot.state, &slot.handle}, handle));
}
