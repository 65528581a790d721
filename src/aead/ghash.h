// GHASH (NIST SP 800-38D) by table: the 256 products of the hash key H with
// every byte value, built once per key, and a block function that looks one
// of them up per input byte. A processor's carry-less multiply can take the
// place of ghash_blocks beside this unit.
//
// Field elements are 16-byte blocks in GCM's bit order: the first bit of the
// first byte (0x80) is the coefficient of x^0. In the two words of a
// GhashWords, `hi` holds bytes 0 to 7 and `lo` bytes 8 to 15, each loaded
// big-endian, so that multiplying by x is a right shift.
#pragma once
#include <cstddef>
#include <cstdint>

struct GhashWords {
    uint64_t hi, lo;
};

// M[b] = b * H for every byte value b, the byte taken as the first byte of a
// block (its 0x80 bit the coefficient of x^0). 4 KiB per key; key material.
struct GhashTable {
    GhashWords m[256];
};

// Builds the table of the hash key h (16 bytes). No branch or table index
// depends on h.
void ghash_table_init(GhashTable* table, const uint8_t h[16]) noexcept;

// y = (y ^ X) * H for each of the nblocks 16-byte blocks X at data, in order.
// The look-ups are indexed by y ^ X, which holds secret data: GHASH by table
// makes no constant-time claim (a processor's carry-less multiply does).
void ghash_blocks(const GhashTable* table, GhashWords* y, const uint8_t* data, std::size_t nblocks) noexcept;

// The running GHASH of a stream of bytes: whole blocks go straight through,
// a partial block waits in buf until it is filled or padded.
struct GhashStream {
    GhashWords y;         // the accumulator
    uint8_t buf[16];      // a partial block
    uint32_t fill;        // bytes waiting in buf (0 to 15)
    uint32_t reserved;
};

// Adds bytes (any length, any number of calls).
void ghash_stream_update(const GhashTable* table, GhashStream* st, const uint8_t* data, std::size_t len) noexcept;
// Completes a partial block with zero bytes and hashes it; nothing when the
// bytes so far fill whole blocks.
void ghash_stream_pad(const GhashTable* table, GhashStream* st) noexcept;
// Hashes the lengths block: the AAD and text lengths in bits, 64-bit
// big-endian each (after ghash_stream_pad), and writes the 16-byte result.
void ghash_stream_lengths(const GhashTable* table, GhashStream* st, uint64_t aad_bytes, uint64_t text_bytes,
                          uint8_t out[16]) noexcept;
