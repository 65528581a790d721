// Bodies shared by the fixed-algorithm hash families (one algorithm each,
// lower-case hex output, positive error codes). The exports frame them.
#pragma once
#include <cstdint>

#include "hash/hash_engine.h"

// Every body returns 0 or a positive error code.

// Hex of the digest of a NUL-terminated string; a null output computes and
// writes nothing. A null message is BAD_PARAM_ERROR.
int32_t fixed_string_hex(uint32_t code, char* output, const char* message) noexcept;
// Hex of the digest of bytes; a null output writes nothing.
int32_t fixed_bytes_hex(uint32_t code, char* output, const uint8_t* message, int32_t len) noexcept;
// The raw digest; a null output is BAD_PARAM_ERROR.
int32_t fixed_bytes(uint32_t code, uint8_t* output, const uint8_t* message, int32_t len) noexcept;
// Hex of a file's digest, text mode when mode begins with 't' or 'T'.
// OPEN_ERROR, READ_ERROR (nothing written), BAD_PARAM_ERROR for a null name
// or mode. A null output writes nothing.
int32_t fixed_file_hex(uint32_t code, char* output, const char* fileName, const char* mode) noexcept;

// Streaming on a family slot (state and stored handle).
struct FixedSlotRef {
    HashState* state;
    uint32_t* handle;
};
// Wipes the slot's earlier context, starts the algorithm and returns the new
// handle.
uint32_t fixed_init(uint32_t code, FixedSlotRef slot) noexcept;
int32_t fixed_add(uint32_t code, FixedSlotRef slot, int32_t handle, const uint8_t* data, int32_t len) noexcept;
int32_t fixed_add_string(uint32_t code, FixedSlotRef slot, int32_t handle, const char* text) noexcept;
// Finalises, clears the handle and wipes the slot; writes the hex digest
// when output is not null.
int32_t fixed_hex_digest(uint32_t code, FixedSlotRef slot, char* output, int32_t handle) noexcept;
int32_t fixed_reset(FixedSlotRef slot, int32_t handle) noexcept;

// True when handle is the slot's live handle.
inline bool slot_handle_ok(uint32_t stored, int32_t handle) noexcept {
    return handle != 0 && stored == static_cast<uint32_t>(handle);
}
