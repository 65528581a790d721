// Poly1305 (RFC 8439): the one-time authenticator behind MAC_POLY1305.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kPoly1305KeyLen = 32;
constexpr std::size_t kPoly1305TagLen = 16;

// The accumulator h and the clamped multiplier r in radix 2^64; s is the
// second key half, added at the end.
struct Poly1305State {
    uint64_t r0, r1;
    uint64_t s1;        // r1 + r1 / 4: r1 * 2^128 reduced mod 2^130 - 5
    uint64_t h0, h1, h2;
    uint64_t pad0, pad1;  // s
    uint8_t buf[16];      // partial block
    uint32_t buf_len;
    uint32_t reserved;
};

// Keys st with a 32-byte one-time key: r (first 16 bytes, clamped) and s.
void poly1305_init(Poly1305State* st, const uint8_t key[32]) noexcept;
// Adds bytes; any length and any number of calls (partial blocks are kept).
void poly1305_update(Poly1305State* st, const uint8_t* data, std::size_t len) noexcept;
// Writes the 16-byte tag and wipes the state (key and accumulator).
void poly1305_finish(Poly1305State* st, uint8_t tag[16]) noexcept;

// One shot on a stack state, wiped before return.
void poly1305_bytes(uint8_t tag[16], const uint8_t* msg, std::size_t len, const uint8_t key[32]) noexcept;
// As poly1305_bytes, always one block at a time (never the vector path).
void poly1305_bytes_portable(uint8_t tag[16], const uint8_t* msg, std::size_t len, const uint8_t key[32]) noexcept;
