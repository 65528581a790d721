// Salsa20 (Salsa20/20 as submitted to eSTREAM): a 16- or 32-byte key, an
// 8-byte IV and a 64-bit block counter starting at 0, over the keystream
// machinery it shares with ChaCha20 (aead/arx_lanes.h, the same block paths).
//
// The 16-word state: the constant "expand 32-byte k" for a 32-byte key, or
// "expand 16-byte k" with the 16-byte key in both key halves, in words 0, 5,
// 10 and 15; the key in words 1 to 4 and 11 to 14; the IV in words 6 and 7;
// the block counter in words 8 and 9 (one 64-bit number). No branch and no
// memory index depends on the key or the data.
#pragma once
#include <cstddef>
#include <cstdint>

#include "aead/arx_path.h"

struct Salsa20State {
    uint32_t w[16];
};

// Sets the constant, the key (key_len 16 or 32; others are the caller's to
// refuse) and the 8-byte IV, with the block counter at 0.
void salsa20_setup(Salsa20State* st, const uint8_t* key, std::size_t key_len, const uint8_t iv[8]) noexcept;

// Moves the block counter to `block` (the tests seek to the published
// vectors' offsets with it).
void salsa20_seek(Salsa20State* st, uint64_t block) noexcept;

// out = in ^ the next nblocks keystream blocks (out may equal in); the
// counter advances by nblocks. The _path form runs the given path (which
// must be available), for the tests.
void salsa20_xor_blocks(Salsa20State* st, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept;
void salsa20_xor_blocks_path(ArxPath path, Salsa20State* st, uint8_t* out, const uint8_t* in,
                             std::size_t nblocks) noexcept;

// A keystream taken in pieces of any length, as ChaCha20Stream.
struct Salsa20Stream {
    Salsa20State st;
    uint8_t keystream[64];  // the block cut at the end of the last piece
    uint32_t pos;           // bytes of it used: 1 to 63, or 0 when none is kept
    uint32_t reserved;
};

// Starts a stream at the state's current counter.
void salsa20_stream_start(Salsa20Stream* s, const Salsa20State* st) noexcept;
// out = in ^ the next len bytes of keystream (out may equal in).
void salsa20_stream_xor(Salsa20Stream* s, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
