// scrypt. Blocks are kept as host-order 32-bit words from the moment they are
// read until they are written back, and BlockMix writes its output straight
// to where it is needed: the first ROMix loop fills V[i + 1] from V[i] and the
// second ping-pongs between two scratch blocks, so nothing is copied.
#include "hash/scrypt.h"

#include <cstdlib>
#include <cstring>

#include "core/wipe.h"
#include "hash/bytes.h"
#include "hash/hash_engine.h"
#include "hash/pbkdf2.h"
#include "tessalib.h"

namespace {

inline uint32_t rotl(uint32_t v, int n) noexcept { return (v << n) | (v >> (32 - n)); }

// x = x ^ in, then Salsa20/8 of it: the whole state stays in locals.
inline void salsa_xor(uint32_t b[16], const uint32_t* in) noexcept {
    uint32_t x0 = b[0] ^= in[0], x1 = b[1] ^= in[1], x2 = b[2] ^= in[2], x3 = b[3] ^= in[3];
    uint32_t x4 = b[4] ^= in[4], x5 = b[5] ^= in[5], x6 = b[6] ^= in[6], x7 = b[7] ^= in[7];
    uint32_t x8 = b[8] ^= in[8], x9 = b[9] ^= in[9], x10 = b[10] ^= in[10], x11 = b[11] ^= in[11];
    uint32_t x12 = b[12] ^= in[12], x13 = b[13] ^= in[13], x14 = b[14] ^= in[14], x15 = b[15] ^= in[15];
    for (int i = 0; i < 8; i += 2) {
        // columns
        x4 ^= rotl(x0 + x12, 7);
        x8 ^= rotl(x4 + x0, 9);
        x12 ^= rotl(x8 + x4, 13);
        x0 ^= rotl(x12 + x8, 18);
        x9 ^= rotl(x5 + x1, 7);
        x13 ^= rotl(x9 + x5, 9);
        x1 ^= rotl(x13 + x9, 13);
        x5 ^= rotl(x1 + x13, 18);
        x14 ^= rotl(x10 + x6, 7);
        x2 ^= rotl(x14 + x10, 9);
        x6 ^= rotl(x2 + x14, 13);
        x10 ^= rotl(x6 + x2, 18);
        x3 ^= rotl(x15 + x11, 7);
        x7 ^= rotl(x3 + x15, 9);
        x11 ^= rotl(x7 + x3, 13);
        x15 ^= rotl(x11 + x7, 18);
        // rows
        x1 ^= rotl(x0 + x3, 7);
        x2 ^= rotl(x1 + x0, 9);
        x3 ^= rotl(x2 + x1, 13);
        x0 ^= rotl(x3 + x2, 18);
        x6 ^= rotl(x5 + x4, 7);
        x7 ^= rotl(x6 + x5, 9);
        x4 ^= rotl(x7 + x6, 13);
        x5 ^= rotl(x4 + x7, 18);
        x11 ^= rotl(x10 + x9, 7);
        x8 ^= rotl(x11 + x10, 9);
        x9 ^= rotl(x8 + x11, 13);
        x10 ^= rotl(x9 + x8, 18);
        x12 ^= rotl(x15 + x14, 7);
        x13 ^= rotl(x12 + x15, 9);
        x14 ^= rotl(x13 + x12, 13);
        x15 ^= rotl(x14 + x13, 18);
    }
    b[0] += x0;
    b[1] += x1;
    b[2] += x2;
    b[3] += x3;
    b[4] += x4;
    b[5] += x5;
    b[6] += x6;
    b[7] += x7;
    b[8] += x8;
    b[9] += x9;
    b[10] += x10;
    b[11] += x11;
    b[12] += x12;
    b[13] += x13;
    b[14] += x14;
    b[15] += x15;
}

inline void xor16(uint32_t* d, const uint32_t* a, const uint32_t* b) noexcept {
    for (int i = 0; i < 16; ++i) d[i] = a[i] ^ b[i];
}

// out = BlockMix(in): 2r sub-blocks of 16 words; the even-numbered results
// go to the first half of out, the odd-numbered ones to the second. x is a
// 16-word scratch block in the work area (wiped with it).
void block_mix(const uint32_t* in, uint32_t* out, std::size_t r, uint32_t* x) noexcept {
    std::memcpy(x, in + (2 * r - 1) * 16, 64);
    for (std::size_t i = 0; i < r; ++i) {
        salsa_xor(x, in + 32 * i);
        std::memcpy(out + 16 * i, x, 64);
        salsa_xor(x, in + 32 * i + 16);
        std::memcpy(out + 16 * (r + i), x, 64);
    }
}

// out = BlockMix(a ^ b), without forming a ^ b first; x and t are 16-word
// scratch blocks in the work area.
void block_mix_xor(const uint32_t* a, const uint32_t* b, uint32_t* out, std::size_t r, uint32_t* x,
                   uint32_t* t) noexcept {
    xor16(x, a + (2 * r - 1) * 16, b + (2 * r - 1) * 16);
    for (std::size_t i = 0; i < r; ++i) {
        xor16(t, a + 32 * i, b + 32 * i);
        salsa_xor(x, t);
        std::memcpy(out + 16 * i, x, 64);
        xor16(t, a + 32 * i + 16, b + 32 * i + 16);
        salsa_xor(x, t);
        std::memcpy(out + 16 * (r + i), x, 64);
    }
}

// The first 64-bit little-endian word of the last 64-byte sub-block.
inline uint64_t integerify(const uint32_t* x, std::size_t r) noexcept {
    const uint32_t* last = x + (2 * r - 1) * 16;
    return static_cast<uint64_t>(last[0]) | (static_cast<uint64_t>(last[1]) << 32);
}

// ROMix of one 128 r-byte block of B in place. v holds N blocks of 32 r
// words; xy two such blocks and two 16-word scratch blocks.
void ro_mix(uint8_t* block, std::size_t r, uint64_t n, uint32_t* v, uint32_t* xy) noexcept {
    const std::size_t words = 32 * r;
    uint32_t* x = xy;
    uint32_t* y = xy + words;
    uint32_t* s = xy + 2 * words;
    uint32_t* t = s + 16;
    for (std::size_t k = 0; k < words; ++k) v[k] = hashbytes::load_le32(block + 4 * k);
    for (uint64_t i = 0; i + 1 < n; ++i) block_mix(v + i * words, v + (i + 1) * words, r, s);
    block_mix(v + (n - 1) * words, x, r, s);
    const uint64_t mask = n - 1;
    for (uint64_t i = 0; i < n; i += 2) {
        block_mix_xor(x, v + (integerify(x, r) & mask) * words, y, r, s, t);
        block_mix_xor(y, v + (integerify(y, r) & mask) * words, x, r, s, t);
    }
    for (std::size_t k = 0; k < words; ++k) hashbytes::store_le32(block + 4 * k, x[k]);
}

// Wipes the first n bytes of a work area and frees it (null is ignored).
void release(void* p, std::size_t n) noexcept {
    if (p == nullptr) return;
    secure_wipe(p, n);
    std::free(p);
}

}  // namespace

void salsa20_8_core(uint32_t x[16]) noexcept {
    static const uint32_t zero[16] = {0};
    salsa_xor(x, zero);
}

int32_t scrypt_derive(uint8_t* out, std::size_t dk_len, const uint8_t* password, std::size_t password_len,
                      const uint8_t* salt, std::size_t salt_len, uint64_t n, uint64_t r, uint64_t p) noexcept {
    if (out == nullptr || (password == nullptr && password_len != 0) || (salt == nullptr && salt_len != 0))
        return -NULL_ERROR;
    if (dk_len == 0 || n == 0 || r == 0 || p == 0) return -BAD_PARAM_ERROR;
    constexpr uint64_t kMaxR = (static_cast<uint64_t>(1) << 57) - 1;
    if (r > kMaxR || p >= (static_cast<uint64_t>(1) << 30) / r || n < 2 || (n & (n - 1)) != 0 || n > kMaxR / r)
        return -OUT_OF_RANGE_ERROR;

    // r N <= 2^57 - 1 and r p < 2^30, so none of these overflow 64 bits.
    const uint64_t block_bytes = 128 * r;
    const uint64_t v_bytes = block_bytes * n;
    const uint64_t b_bytes = block_bytes * p;
    const uint64_t xy_bytes = 2 * block_bytes + 128;  // X, Y and two Salsa20/8 blocks
    constexpr uint64_t kSizeMax = static_cast<uint64_t>(static_cast<std::size_t>(-1));
    if (v_bytes > kSizeMax || b_bytes > kSizeMax) return -MEMORY_ERROR;

    uint32_t* v = static_cast<uint32_t*>(std::malloc(static_cast<std::size_t>(v_bytes)));
    uint8_t* b = static_cast<uint8_t*>(std::malloc(static_cast<std::size_t>(b_bytes)));
    uint32_t* xy = static_cast<uint32_t*>(std::malloc(static_cast<std::size_t>(xy_bytes)));
    int32_t rc = 0;
    bool used = false;  // the areas hold derived data and must be wiped
    if (v == nullptr || b == nullptr || xy == nullptr) {
        rc = -MEMORY_ERROR;
    } else if (pbkdf2(b, b_bytes, password, password_len, salt, salt_len, 1, kHashSha256) != 0) {
        rc = -INTERNAL_ERROR;
    } else {
        used = true;
        const std::size_t rr = static_cast<std::size_t>(r);
        for (uint64_t i = 0; i < p; ++i) ro_mix(b + i * block_bytes, rr, n, v, xy);
        if (pbkdf2(out, dk_len, password, password_len, b, static_cast<std::size_t>(b_bytes), 1, kHashSha256) != 0)
            rc = -INTERNAL_ERROR;
    }
    release(v, used ? static_cast<std::size_t>(v_bytes) : 0);
    release(b, used ? static_cast<std::size_t>(b_bytes) : 0);
    release(xy, used ? static_cast<std::size_t>(xy_bytes) : 0);
    return rc;
}
