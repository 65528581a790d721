// Absorbing bytes of any length into a function of whole blocks through a
// one-block buffer: the rule every block-wise MAC and hash stream shares
// (GHASH, Poly1305). The caller keeps the buffer and its fill count in its
// record.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// Feeds len bytes at data to blocks(p, n), which takes n whole blocks of B
// bytes: first completes a partial block waiting in buf (fill bytes), then
// passes the whole blocks of data straight through, then keeps the tail in
// buf. fill stays below B.
template <std::size_t B, typename Blocks>
inline void block_buffer_update(uint8_t (&buf)[B], uint32_t& fill, const uint8_t* data, std::size_t len,
                                Blocks blocks) noexcept {
    if (len == 0) return;
    if (fill != 0) {
        std::size_t take = B - fill;
        if (take > len) take = len;
        std::memcpy(buf + fill, data, take);
        fill += static_cast<uint32_t>(take);
        data += take;
        len -= take;
        if (fill < B) return;
        blocks(buf, std::size_t{1});
        fill = 0;
    }
    if (len >= B) {
        blocks(data, len / B);
        data += len - len % B;
        len %= B;
    }
    if (len != 0) {
        std::memcpy(buf, data, len);
        fill = static_cast<uint32_t>(len);
    }
}
