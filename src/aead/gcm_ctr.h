// The AES of the GCM engine: the encryption key schedule and GCM's counter
// mode (SP 800-38D's GCTR: the last word of the counter block counts as a
// big-endian 32-bit number, the first three stay as they are), on the path
// chosen when the key is set up (cpu_aes_path(), core/cpu.h) and remembered
// by the key: the processor's AES instructions (aead/gcm_ctr_hw.cpp), or the
// round tables of block/aes_core.h on processors without them.
//
// The counter shortcut of the table path: in counter mode three of the four
// words that enter the first round are the same for every block of a
// message, so their share of round 1 (twelve of its sixteen look-ups) is
// computed once per message and kept in the GcmCounter; each block then does
// four look-ups for round 1. The hardware path keeps the three words as they
// are instead.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/cpu.h"

// An AES encryption key schedule (key material).
struct GcmAesKey {
    uint32_t rk[60];  // 4 x (rounds + 1) round-key words
    uint32_t rounds;  // 10, 12 or 14
    uint32_t path;    // AesPath
};

// Counter mode from one counter block, per message (key material).
struct GcmCounter {
    uint32_t round1[4];  // table path: round 1's output words less the counter word's share
    uint32_t counter;    // the counter word of the next block
    uint32_t reserved;
    uint8_t fixed[16];   // hardware path: the counter block, its first 12 bytes the fixed ones
};

// Keys k with a 16-, 24- or 32-byte key (key_len must be one of them) for a
// path.
void gcm_aes_setup(GcmAesKey* k, const uint8_t* key, std::size_t key_len, AesPath path) noexcept;

// One block through AES (out may equal in).
void gcm_aes_block(const GcmAesKey* k, uint8_t out[16], const uint8_t in[16]) noexcept;

// Starts counter mode at the counter block `block` (its last word is the
// counter of the first keystream block).
void gcm_ctr_start(const GcmAesKey* k, GcmCounter* c, const uint8_t block[16]) noexcept;

// out = in ^ the next nblocks keystream blocks (out may equal in); the
// counter advances by nblocks, wrapping modulo 2^32.
void gcm_ctr_xor(const GcmAesKey* k, GcmCounter* c, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept;
