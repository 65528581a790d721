// SHA3_: streaming SHA3-224/256/384/512 with lower-case hex output. The Add
// and Reset members are shared with the other fixed-algorithm families.
#include "Tessalib/fixed_hash.h"
#include "Tessalib/hash_args.h"
#include "Tessalib/hash_slot.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "hash/sha3.h"
#include "tessalib.h"

namespace {
// The SHA-3 update is the same for every digest size, so any SHA-3 code
// selects it.
constexpr FixedFamily kSha3{HASH_ALG_SHA3_256, &ThreadWorkspace::sha3};
}  // namespace

TESSALIB_API int32_t TESSALIB_CALL SHA3_Init(int32_t hashBits) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    Sha3Slot& slot = frame_begin()->workspace.sha3;
    slot.handle = 0;
    secure_wipe_obj(slot.state);
    if (!sha3_init(&slot.state.sha3, hashBits)) return 0;  // no error is recorded
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(slot.handle);
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_AddString(int32_t handle, const char* text) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_add_string(kSha3, handle, text); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_add_bytes(kSha3, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_HexDigest(char* output, int32_t maxChars, int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    Sha3Slot& slot = frame_begin()->workspace.sha3;
    if (!handle_is_live(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    SecretBytes<kHashMaxDigestLen> digest;
    const std::size_t len = sha3_final(&slot.state.sha3, digest.bytes, digest.size());
    secure_wipe_obj(slot);
    return frame_length(hex_out_leading(output, maxChars, digest.bytes, len));
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_LengthInBytes(int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    Sha3Slot& slot = frame_begin()->workspace.sha3;
    if (!handle_is_live(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    return frame_length(static_cast<int32_t>(slot.state.sha3.digest_len));
}

TESSALIB_API int32_t TESSALIB_CALL SHA3_Reset(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return fixed_reset(kSha3, handle); });
}
