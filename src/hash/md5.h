// MD5 (RFC 1321): streaming engine on a plain record.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kMd5DigestLen = 16;
constexpr std::size_t kMd5BlockLen = 64;

struct Md5State {
    uint32_t h[4];     // chaining value
    uint32_t buf_len;  // bytes waiting in buf
    uint64_t total;    // message bytes absorbed so far
    uint8_t buf[64];   // partial block
};

void md5_init(Md5State* st) noexcept;
void md5_update(Md5State* st, const uint8_t* data, std::size_t len) noexcept;
// Writes the 16-byte digest and wipes the state.
void md5_final(Md5State* st, uint8_t* out) noexcept;
void md5_blocks(uint32_t h[4], const uint8_t* p, std::size_t nblocks) noexcept;
