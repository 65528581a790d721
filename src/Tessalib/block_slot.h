// The context functions of the per-algorithm block-cipher families (_Init,
// _InitHex, _Update, _UpdateHex, _Final, _InitError), written once over the
// family's slot (block/slots.h) and engine. Each family's exports are
// one-line frames in its own file that call these with the family's
// ContextFamily. Results are the families' positive codes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "Tessalib/block_args.h"
#include "block/handle.h"
#include "block/modes.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "tessalib.h"

// What the context functions need to know of a family.
template <typename Context>
struct ContextFamily {
    BlockSlot<Context> ThreadWorkspace::*slot;  // the family's slot in the thread's workspace
    std::size_t block;                          // the IV length of _InitHex
    KeyLengths init_hex_key;                    // the keys _InitHex accepts
    // Keys a context (AesSetup, BlowfishSetup, or for the fixed-key ciphers
    // an adapter of their Setup that ignores keyLen) and runs data through
    // it (AesUpdate, ...).
    int32_t (*setup)(Context* ctx, int32_t mode, const uint8_t* key, int32_t keyLen, int32_t encrypt,
                     const uint8_t* iv) noexcept;
    int32_t (*update)(Context* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept;
};

template <typename Context>
BlockSlot<Context>& family_slot(const ContextFamily<Context>& family) noexcept {
    return GetThreadWorkspace()->*family.slot;
}

// Ends any open context of the slot: the handle is cleared and the keyed
// context wiped.
template <typename Context>
void close_slot(BlockSlot<Context>& slot) noexcept {
    slot.handle = 0;
    secure_wipe_obj(slot.ctx);
}

// True when `handle` is the slot's live handle (never for 0).
template <typename Context>
bool slot_is_live(const BlockSlot<Context>& slot, int32_t handle) noexcept {
    return handle_is_live(slot.handle, handle);
}

// Records the outcome of an _Init whose keying of slot.ctx returned `rc` (0
// or a negated code): a new handle on success; on failure the positive code
// as initError and the context wiped. Returns the handle through the frame
// (0 on failure).
template <typename Context>
int32_t finish_init(BlockSlot<Context>& slot, int32_t rc) noexcept {
    slot.initError = positive_code(rc);
    if (rc != 0) {
        secure_wipe_obj(slot.ctx);
        return static_cast<int32_t>(frame_handle(0, slot.initError));
    }
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, 0));
}

// The work of the context functions, on the family's slot in this thread.
// Each returns 0 or a negated code; the framed bodies below give the
// exports' results.

// _Init with `keyLen` key bytes (the fixed-key families pass their key
// length) on a closed slot. Checks in order: key null: BAD_KEY_ERROR;
// keyLen negative: BAD_PARAM_ERROR; then check_init_mode and the family's
// Setup.
template <typename Context>
int32_t slot_init(const ContextFamily<Context>& family, BlockSlot<Context>& slot, const unsigned char* key,
                  int32_t keyLen, int32_t encrypt, const char* modeText, const unsigned char* iv) noexcept {
    if (key == nullptr) return -BAD_KEY_ERROR;
    if (keyLen < 0) return -BAD_PARAM_ERROR;
    int32_t mode = kModeEcb;
    const int32_t rc = check_init_mode(mode, modeText, iv);
    if (rc != 0) return rc;
    return family.setup(&slot.ctx, mode, key, keyLen, encrypt, iv);
}

// _InitHex on a closed slot: decode_init_hex with the family's key lengths,
// then the family's Setup with the decoded key's length.
template <typename Context>
int32_t slot_init_hex(const ContextFamily<Context>& family, BlockSlot<Context>& slot, const char* keyHex,
                      int32_t encrypt, const char* modeText, const char* ivHex) noexcept {
    InitHexArgs args;
    const int32_t rc = decode_init_hex(args, family.block, family.init_hex_key, keyHex, modeText, ivHex);
    if (rc != 0) return rc;
    return family.setup(&slot.ctx, args.mode, args.key.bytes, static_cast<int32_t>(args.key_len), encrypt,
                        args.iv.bytes);
}

// _Update: `dataLen` bytes of `data` in place through the slot's context.
// Checks in order: data null: NULL_ERROR; dataLen negative: BAD_PARAM_ERROR;
// handle not live: INVALID_HANDLE_ERROR; then the engine's Update.
template <typename Context>
int32_t slot_update(const ContextFamily<Context>& family, BlockSlot<Context>& slot, int32_t handle,
                    unsigned char* data, int32_t dataLen) noexcept {
    if (data == nullptr) return -NULL_ERROR;
    if (dataLen < 0) return -BAD_PARAM_ERROR;
    if (!slot_is_live(slot, handle)) return -INVALID_HANDLE_ERROR;
    return family.update(&slot.ctx, data, data, static_cast<std::size_t>(dataLen));
}

// _UpdateHex: as slot_update on the bytes of `dataHex`, the result written
// back over `dataHex` in upper-case hex (unchanged on failure). Checks in
// order: dataHex null or empty: BAD_PARAM_ERROR; handle not live:
// INVALID_HANDLE_ERROR; not strict hex: BAD_FORMAT_ERROR; the data buffer:
// MEMORY_ERROR; then the engine's Update.
template <typename Context>
int32_t slot_update_hex(const ContextFamily<Context>& family, BlockSlot<Context>& slot, int32_t handle,
                        char* dataHex) noexcept {
    if (text_missing(dataHex)) return -BAD_PARAM_ERROR;
    if (!slot_is_live(slot, handle)) return -INVALID_HANDLE_ERROR;
    HexData data;
    const int32_t rc = hex_data_check(dataHex, data);
    if (rc != 0) return rc;
    return hex_data_run(data, dataHex, [&](uint8_t* bytes, std::size_t len) noexcept {
        return family.update(&slot.ctx, bytes, bytes, len);
    });
}

// The bodies of the context exports: the frame, the work, the result in the
// families' positive codes. _Init and _InitHex end any open context of the
// slot first, whatever the outcome; _Final with the live handle wipes the
// context and closes the slot (any other handle: INVALID_HANDLE_ERROR);
// _InitError is unframed.

template <typename Context>
int32_t block_init(const ContextFamily<Context>& family, const unsigned char* key, int32_t keyLen, int32_t encrypt,
                   const char* modeText, const unsigned char* iv) noexcept {
    frame_begin();
    BlockSlot<Context>& slot = family_slot(family);
    close_slot(slot);
    return finish_init(slot, slot_init(family, slot, key, keyLen, encrypt, modeText, iv));
}

template <typename Context>
int32_t block_init_hex(const ContextFamily<Context>& family, const char* keyHex, int32_t encrypt,
                       const char* modeText, const char* ivHex) noexcept {
    frame_begin();
    BlockSlot<Context>& slot = family_slot(family);
    close_slot(slot);
    return finish_init(slot, slot_init_hex(family, slot, keyHex, encrypt, modeText, ivHex));
}

template <typename Context>
int32_t block_update(const ContextFamily<Context>& family, int32_t handle, unsigned char* data,
                     int32_t dataLen) noexcept {
    frame_begin();
    return frame_status(positive_code(slot_update(family, family_slot(family), handle, data, dataLen)));
}

template <typename Context>
int32_t block_update_hex(const ContextFamily<Context>& family, int32_t handle, char* dataHex) noexcept {
    frame_begin();
    return frame_status(positive_code(slot_update_hex(family, family_slot(family), handle, dataHex)));
}

template <typename Context>
int32_t block_final(const ContextFamily<Context>& family, int32_t handle) noexcept {
    frame_begin();
    BlockSlot<Context>& slot = family_slot(family);
    if (!slot_is_live(slot, handle)) return frame_status(INVALID_HANDLE_ERROR);
    close_slot(slot);
    return frame_status(0);
}

template <typename Context>
int32_t block_init_error(const ContextFamily<Context>& family) noexcept {
    return family_slot(family).initError;
}
