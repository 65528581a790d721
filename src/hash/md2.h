// MD2 (RFC 1319): streaming engine on a plain record.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kMd2DigestLen = 16;
constexpr std::size_t kMd2BlockLen = 16;

struct Md2State {
    uint8_t x[48];      // the 48-byte MD2 state; its first 16 bytes are the digest
    uint8_t checksum[16];
    uint8_t buf[16];    // partial block
    uint32_t buf_len;   // bytes waiting in buf
};

void md2_init(Md2State* st) noexcept;
void md2_update(Md2State* st, const uint8_t* data, std::size_t len) noexcept;
// Writes the 16-byte digest and wipes the state.
void md2_final(Md2State* st, uint8_t* out) noexcept;
