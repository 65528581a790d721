// ChaCha20 (RFC 8439 and the original definition with a 64-bit counter):
// key setup, the counter and nonce layouts, keystream blocks and XOR into
// data. ChaCha20-Poly1305 (aead/chacha20_poly1305.h) and the stream-cipher
// functions use it.
//
// The 16-word state holds the constant "expand 32-byte k" and the key for a
// 32-byte key, or "expand 16-byte k" and the key twice for a 16-byte key;
// words 12 to 15 hold the block counter and the nonce (chacha20_set_iv).
// The block counter in words 12 and 13 advances as one 64-bit number (a
// carry out of word 12 goes into word 13, whatever the IV length).
//
// Whole blocks go several at a time where the processor allows (the paths
// of aead/arx_path.h, shared with Salsa20); chacha20_xor_blocks_path runs a
// chosen one, for the tests. No branch and no memory index depends on the
// key or the data.
#pragma once
#include <cstddef>
#include <cstdint>

#include "aead/arx_path.h"

constexpr std::size_t kChaCha20BlockLen = 64;

struct ChaCha20State {
    uint32_t w[16];
};

// Sets the constant and the key (key_len 16 or 32; other lengths are the
// caller's to refuse). Words 12 to 15 are set to zero.
void chacha20_set_key(ChaCha20State* st, const uint8_t* key, std::size_t key_len) noexcept;

// Sets words 12 to 15 by IV length: 8 bytes: word 12 the counter, word 13
// zero, words 14 and 15 the IV; 12 bytes (RFC 8439): word 12 the counter,
// words 13 to 15 the IV; 16 bytes: words 12 to 15 the IV (the counter is
// not used). iv_len must be one of these.
void chacha20_set_iv(ChaCha20State* st, const uint8_t* iv, std::size_t iv_len, uint32_t counter) noexcept;

// The keystream block at the current counter into out; the counter advances.
void chacha20_block(ChaCha20State* st, uint8_t out[64]) noexcept;

// out = in ^ the next nblocks keystream blocks (out may equal in); the
// counter advances by nblocks.
void chacha20_xor_blocks(ChaCha20State* st, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept;

// The ways of making several blocks at once.
using ChaCha20Path = ArxPath;
// True when this processor and build can run the path.
inline bool chacha20_path_available(ChaCha20Path path) noexcept { return arx_path_available(path); }
// chacha20_xor_blocks by the given path (which must be available); blocks
// the path cannot take (a short run, a counter about to carry) go one at a
// time.
void chacha20_xor_blocks_path(ChaCha20Path path, ChaCha20State* st, uint8_t* out, const uint8_t* in,
                              std::size_t nblocks) noexcept;

// A keystream taken in pieces of any length: whole blocks go straight from
// the input to the output, and a block cut by the end of a piece is kept
// so that the next piece goes on with its remaining bytes. Key material.
struct ChaCha20Stream {
    ChaCha20State st;
    uint8_t keystream[64];  // the block cut at the end of the last piece
    uint32_t pos;           // bytes of it used: 1 to 63, or 0 when none is kept
    uint32_t reserved;
};

// Starts a stream at the state's current counter (the state as set up by
// chacha20_set_key and chacha20_set_iv).
void chacha20_stream_start(ChaCha20Stream* s, const ChaCha20State* st) noexcept;
// out = in ^ the next len bytes of keystream (out may equal in). With out
// null the keystream moves on by len bytes and nothing is written.
void chacha20_stream_xor(ChaCha20Stream* s, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
