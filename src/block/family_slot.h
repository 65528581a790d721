// The per-thread slot handling shared by the block-cipher families. A slot
// (block/slots.h) holds the keyed engine context `ctx`, the live `handle` (0
// when no context is open) and the code of the family's last failing _Init.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "block/family_args.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "tessalib.h"

// Ends any open context of the slot: the handle is cleared and the keyed
// context wiped.
template <typename Slot>
void close_slot(Slot& slot) noexcept {
    slot.handle = 0;
    secure_wipe_obj(slot.ctx);
}

// True when `handle` is the slot's live handle (never for 0).
template <typename Slot>
bool slot_is_live(const Slot& slot, int32_t handle) noexcept {
    return handle != 0 && static_cast<uint32_t>(handle) == slot.handle;
}

// Records the outcome of an _Init whose keying of slot.ctx returned `rc`: a
// new handle on success; on failure the code as initError and the context
// wiped. Returns the handle through the frame (0 on failure).
template <typename Slot>
int32_t finish_init(Slot& slot, int32_t rc) noexcept {
    slot.initError = rc;
    if (rc != 0) {
        secure_wipe_obj(slot.ctx);
        return static_cast<int32_t>(frame_handle(0, rc));
    }
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, 0));
}

// _Update: `dataLen` bytes of `data` in place through the engine's update
// function (AesUpdate, DesUpdate, ...) on the slot's context.
template <typename Slot, typename Update>
int32_t slot_update(Slot& slot, int32_t handle, unsigned char* data, int32_t dataLen, Update update) noexcept {
    if (data == nullptr) return NULL_ERROR;
    if (dataLen < 0) return BAD_PARAM_ERROR;
    if (!slot_is_live(slot, handle)) return INVALID_HANDLE_ERROR;
    return update(&slot.ctx, data, data, static_cast<std::size_t>(dataLen));
}

// _UpdateHex: as slot_update on the bytes of `dataHex`, the result written
// back over `dataHex` in upper-case hex (unchanged on failure).
template <typename Slot, typename Update>
int32_t slot_update_hex(Slot& slot, int32_t handle, char* dataHex, Update update) noexcept {
    if (text_missing(dataHex)) return BAD_PARAM_ERROR;
    if (!slot_is_live(slot, handle)) return INVALID_HANDLE_ERROR;
    return hex_in_place(dataHex, dataHex, [&](uint8_t* data, std::size_t len) noexcept {
        return update(&slot.ctx, data, data, len);
    });
}

// _Final: with the live handle the context is wiped and the slot closed.
template <typename Slot>
int32_t slot_final(Slot& slot, int32_t handle) noexcept {
    if (!slot_is_live(slot, handle)) return INVALID_HANDLE_ERROR;
    close_slot(slot);
    return 0;
}
