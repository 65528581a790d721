// GHASH (NIST SP 800-38D) on two paths, chosen when a key is set up
// (cpu_aes_path(), core/cpu.h) and remembered by the key:
// - the processor's carry-less multiply (aead/ghash_clmul.cpp): the powers
//   H, H^2, ..., H^16 computed at key set-up, several blocks per reduction;
//   no branch or address depends on the key or the data;
// - by table, for processors without it: the 256 products of the hash key H
//   with every byte value, built once per key, and a block function that
//   looks one of them up per input byte.
//
// Field elements are 16-byte blocks in GCM's bit order: the first bit of the
// first byte (0x80) is the coefficient of x^0. In the two words of a
// GhashWords, `hi` holds bytes 0 to 7 and `lo` bytes 8 to 15, each loaded
// big-endian, so that multiplying by x is a right shift.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/cpu.h"

struct GhashWords {
    uint64_t hi, lo;
};

// M[b] = b * H for every byte value b, the byte taken as the first byte of a
// block (its 0x80 bit the coefficient of x^0). 4 KiB per key; key material.
struct GhashTable {
    GhashWords m[256];
};

// The powers of H for the carry-less multiply: pow[i] = H^(16 - i), each in
// the byte-reversed form the instructions work on (two 64-bit halves, low
// half first). 256 bytes per key; key material.
constexpr int kGhashPowers = 16;
struct GhashPowers {
    uint64_t pow[kGhashPowers][2];
};

// The hash key of one path. Key material.
struct GhashKey {
    uint32_t path;  // AesPath: tables, or the carry-less multiply
    uint32_t reserved[3];
    union {
        GhashTable table;
        GhashPowers powers;
    };
};

// Builds the key of the hash key h (16 bytes) for a path (the carry-less
// multiply unless path is AesPath::tables). No branch or table index depends
// on h.
void ghash_key_init(GhashKey* key, const uint8_t h[16], AesPath path) noexcept;

// y = (y ^ X) * H for each of the nblocks 16-byte blocks X at data, in order.
// By table the look-ups are indexed by y ^ X, which holds secret data: that
// path makes no constant-time claim (the carry-less multiply does).
void ghash_blocks(const GhashKey* key, GhashWords* y, const uint8_t* data, std::size_t nblocks) noexcept;

// The carry-less multiply path (aead/ghash_clmul.cpp), for ghash_blocks only:
// 128-bit registers (AesPath::aesni) or 256-bit ones too (AesPath::vaes, in a
// build with the 256-bit paths).
void ghash_clmul_init(GhashPowers* p, const uint8_t h[16]) noexcept;
void ghash_clmul_blocks(const GhashPowers* p, GhashWords* y, const uint8_t* data, std::size_t nblocks,
                        bool wide) noexcept;

// The running GHASH of a stream of bytes: whole blocks go straight through,
// a partial block waits in buf until it is filled or padded.
struct GhashStream {
    GhashWords y;         // the accumulator
    uint8_t buf[16];      // a partial block
    uint32_t fill;        // bytes waiting in buf (0 to 15)
    uint32_t reserved;
};

// Adds bytes (any length, any number of calls).
void ghash_stream_update(const GhashKey* key, GhashStream* st, const uint8_t* data, std::size_t len) noexcept;
// Completes a partial block with zero bytes and hashes it; nothing when the
// bytes so far fill whole blocks.
void ghash_stream_pad(const GhashKey* key, GhashStream* st) noexcept;
// Hashes the lengths block: the AAD and text lengths in bits, 64-bit
// big-endian each (after ghash_stream_pad), and writes the 16-byte result.
void ghash_stream_lengths(const GhashKey* key, GhashStream* st, uint64_t aad_bytes, uint64_t text_bytes,
                          uint8_t out[16]) noexcept;
