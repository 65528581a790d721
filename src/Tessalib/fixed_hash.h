// The members of the fixed-algorithm hash families. SHA1_, SHA2_ and MD5_
// are one family over three hashes, and SHA3_ shares their streaming Add and
// Reset members: each function here is the whole framed body of one member
// (checks, engine call, result as a positive code), and each family's file
// names its exports and calls these in one line.
#pragma once
#include <cstdint>

#include "core/workspace.h"

// A family: its hash code and its slot in the thread's workspace.
struct FixedFamily {
    uint32_t code;
    FixedHashSlot ThreadWorkspace::*slot;
};

// _StringHexHash: hex digest of a NUL-terminated string; a NULL output
// computes and writes nothing. 0, or BAD_PARAM_ERROR for a NULL message.
int32_t fixed_string_hex_hash(const FixedFamily& family, char* output, const char* message) noexcept;
// _BytesHexHash: hex digest of bytes; a NULL output writes nothing. 0, or
// BAD_PARAM_ERROR for a negative length or NULL bytes with a positive one.
int32_t fixed_bytes_hex_hash(const FixedFamily& family, char* output, const uint8_t* message, int32_t len) noexcept;
// _BytesHash: the raw digest. As above, and BAD_PARAM_ERROR for a NULL output.
int32_t fixed_bytes_hash(const FixedFamily& family, uint8_t* output, const uint8_t* message, int32_t len) noexcept;
// _FileHexHash: hex digest of a file, in text mode when mode begins with 't'
// or 'T'. BAD_PARAM_ERROR for a NULL name or mode, OPEN_ERROR, READ_ERROR
// (nothing written). A NULL output writes nothing.
int32_t fixed_file_hex_hash(const FixedFamily& family, char* output, const char* fileName, const char* mode) noexcept;

// _Init: wipes the slot's earlier context, starts the algorithm and returns
// the new handle. Unframed: the thread's last error is left alone.
int32_t fixed_init(const FixedFamily& family) noexcept;
// _AddString, _AddBytes: INVALID_HANDLE_ERROR, then BAD_PARAM_ERROR.
int32_t fixed_add_string(const FixedFamily& family, int32_t handle, const char* text) noexcept;
int32_t fixed_add_bytes(const FixedFamily& family, int32_t handle, const uint8_t* data, int32_t len) noexcept;
// _HexDigest: finishes, clears the handle and wipes the slot, then writes the
// hex digest when output is not NULL. INVALID_HANDLE_ERROR.
int32_t fixed_hex_digest(const FixedFamily& family, char* output, int32_t handle) noexcept;
// _Reset: wipes the slot and clears the handle. INVALID_HANDLE_ERROR.
int32_t fixed_reset(const FixedFamily& family, int32_t handle) noexcept;

// _Hmac: hex HMAC of bytes under a key; a NULL output computes and writes
// nothing. BAD_PARAM_ERROR for a negative length or a NULL pointer with a
// positive one (a NULL key with length 0 is the empty key).
int32_t fixed_hmac(const FixedFamily& family, char* output, const uint8_t* message, int32_t messageLen,
                   const uint8_t* key, int32_t keyLen) noexcept;
// _HmacHex: as fixed_hmac for a message and key decoded leniently from hex.
// BAD_PARAM_ERROR for a NULL text; MEMORY_ERROR when a decoded copy cannot
// be allocated (nothing is written).
int32_t fixed_hmac_hex(const FixedFamily& family, char* output, const char* messageHex, const char* keyHex) noexcept;
