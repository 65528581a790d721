// Export-side handling of the per-thread streaming slots of the hash and MAC
// families: the handle test, and the streaming members HASH_ and MAC_ share
// (AddBytes, Final, the length query and Reset make the same checks in the
// same order and differ only in the engine behind the slot).
#pragma once
#include <cstddef>
#include <cstdint>

#include "Tessalib/hash_args.h"
#include "block/handle.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "hash/slots.h"
#include "tessalib.h"

// The engine behind each slot kind: add bytes; the digest or tag length;
// finish into out (kHashMaxDigestLen bytes of room) and wipe the whole slot,
// handle included, returning the length.
void slot_update(HashSlot& slot, const uint8_t* data, std::size_t len) noexcept;
void slot_update(MacSlot& slot, const uint8_t* data, std::size_t len) noexcept;
std::size_t slot_length(const HashSlot& slot) noexcept;
std::size_t slot_length(const MacSlot& slot) noexcept;
std::size_t slot_finish(HashSlot& slot, uint8_t* out) noexcept;
std::size_t slot_finish(MacSlot& slot, uint8_t* out) noexcept;

// _AddBytes: -INVALID_HANDLE_ERROR for a handle other than the live one,
// then -BAD_PARAM_ERROR for NULL data (even with length 0) or a negative
// length; else adds the bytes and returns 0.
template <typename Slot>
int32_t slot_add_bytes(Slot& slot, int32_t handle, const uint8_t* data, int32_t len) noexcept {
    if (!handle_is_live(slot.handle, handle)) return -INVALID_HANDLE_ERROR;
    if (data == nullptr || len < 0) return -BAD_PARAM_ERROR;
    slot_update(slot, data, static_cast<std::size_t>(len));
    return 0;
}

// _Final: -BAD_PARAM_ERROR for a NULL output or outputLen < 1, then
// -INVALID_HANDLE_ERROR; else finishes, copies min(outputLen, length) bytes
// and returns that number. A failed call leaves the slot as it was.
template <typename Slot>
int32_t slot_final(Slot& slot, uint8_t* output, int32_t outputLen, int32_t handle) noexcept {
    if (output == nullptr || outputLen < 1) return -BAD_PARAM_ERROR;
    if (!handle_is_live(slot.handle, handle)) return -INVALID_HANDLE_ERROR;
    SecretBytes<kHashMaxDigestLen> digest;
    const std::size_t len = slot_finish(slot, digest.bytes);
    return bytes_out_leading(output, outputLen, digest.bytes, len);
}

// HASH_DigestLength, MAC_CodeLength: the length, or -INVALID_HANDLE_ERROR.
template <typename Slot>
int32_t slot_length_of(const Slot& slot, int32_t handle) noexcept {
    if (!handle_is_live(slot.handle, handle)) return -INVALID_HANDLE_ERROR;
    return static_cast<int32_t>(slot_length(slot));
}

// _Reset: wipes the slot, handle included; 0 or -INVALID_HANDLE_ERROR.
template <typename Slot>
int32_t slot_reset(Slot& slot, int32_t handle) noexcept {
    if (!handle_is_live(slot.handle, handle)) return -INVALID_HANDLE_ERROR;
    secure_wipe_obj(slot);
    return 0;
}
