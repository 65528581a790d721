// GHASH with the per-key table of the 256 byte multiples of H.
//
// A block Z = Y ^ X of bytes z0..z15 is the sum of x^(8j) * z_j over its
// bytes, so Z * H is the sum of x^(8j) * M[z_j]. ghash_blocks takes the
// bytes in pairs j and j + 8 (whose shifts differ by one whole word) and
// runs Horner's rule over j = 7 down to 0 on a 256-bit accumulator that is
// never reduced on the way: eight shifts by one byte and two look-ups per
// step, and one reduction per block at the end. The products reach degree
// 247 at most, so the part above x^127, Q, has degree 119 at most and
// Q * x^128 = Q * (1 + x + x^2 + x^7) fits 128 bits without a second round.
#include "aead/ghash.h"

#include <cstring>

#include "core/block_buffer.h"
#include "core/endian.h"
#include "core/wipe.h"

namespace {

// The coefficients of x^128 = 1 + x + x^2 + x^7 in the top byte of `hi`.
constexpr uint64_t kReduce = 0xE100000000000000ull;

// v * x: a right shift, with the coefficient that leaves x^127 folded back.
// No branch on v.
inline GhashWords mul_x(GhashWords v) noexcept {
    const uint64_t carry = 0 - (v.lo & 1);
    return {(v.hi >> 1) ^ (kReduce & carry), (v.lo >> 1) | (v.hi << 63)};
}

#if defined(__GNUC__)
#define GHASH_INLINE inline __attribute__((always_inline))
#else
#define GHASH_INLINE inline
#endif

// One Horner step: w = w * x^8 + M[a] + x^64 * M[b], on the four words of
// the unreduced 256-bit accumulator (w0 holds x^0..x^63).
GHASH_INLINE void horner_step(const GhashWords* m, uint64_t& w0, uint64_t& w1, uint64_t& w2, uint64_t& w3,
                              std::size_t a, std::size_t b) noexcept {
    w3 = (w3 >> 8) | (w2 << 56);
    w2 = (w2 >> 8) | (w1 << 56);
    w1 = (w1 >> 8) | (w0 << 56);
    w0 >>= 8;
    const GhashWords& x = m[a];
    const GhashWords& y = m[b];
    w0 ^= x.hi;
    w1 ^= x.lo ^ y.hi;
    w2 ^= y.lo;
}

// (z_hi, z_lo) * H, reduced.
GHASH_INLINE GhashWords mul_h(const GhashWords* m, uint64_t z_hi, uint64_t z_lo) noexcept {
    uint64_t w0 = m[z_hi & 0xFF].hi;
    uint64_t w1 = m[z_hi & 0xFF].lo ^ m[z_lo & 0xFF].hi;
    uint64_t w2 = m[z_lo & 0xFF].lo;
    uint64_t w3 = 0;
    horner_step(m, w0, w1, w2, w3, (z_hi >> 8) & 0xFF, (z_lo >> 8) & 0xFF);
    horner_step(m, w0, w1, w2, w3, (z_hi >> 16) & 0xFF, (z_lo >> 16) & 0xFF);
    horner_step(m, w0, w1, w2, w3, (z_hi >> 24) & 0xFF, (z_lo >> 24) & 0xFF);
    horner_step(m, w0, w1, w2, w3, (z_hi >> 32) & 0xFF, (z_lo >> 32) & 0xFF);
    horner_step(m, w0, w1, w2, w3, (z_hi >> 40) & 0xFF, (z_lo >> 40) & 0xFF);
    horner_step(m, w0, w1, w2, w3, (z_hi >> 48) & 0xFF, (z_lo >> 48) & 0xFF);
    horner_step(m, w0, w1, w2, w3, z_hi >> 56, z_lo >> 56);
    // Q = (w2, w3); the result is (w0, w1) + Q * (1 + x + x^2 + x^7).
    const uint64_t q_hi = w2, q_lo = w3;
    return {w0 ^ q_hi ^ (q_hi >> 1) ^ (q_hi >> 2) ^ (q_hi >> 7),
            w1 ^ q_lo ^ ((q_lo >> 1) | (q_hi << 63)) ^ ((q_lo >> 2) | (q_hi << 62)) ^ ((q_lo >> 7) | (q_hi << 57))};
}

void table_init(GhashTable* table, const uint8_t h[16]) noexcept {
    GhashWords* m = table->m;
    m[0] = {0, 0};
    m[0x80] = {load_be64(h), load_be64(h + 8)};
    for (unsigned bit = 0x40; bit != 0; bit >>= 1) m[bit] = mul_x(m[bit << 1]);
    for (unsigned bit = 2; bit <= 0x80; bit <<= 1)
        for (unsigned low = 1; low < bit; ++low) m[bit + low] = {m[bit].hi ^ m[low].hi, m[bit].lo ^ m[low].lo};
}

void table_blocks(const GhashTable* table, GhashWords* y, const uint8_t* data, std::size_t nblocks) noexcept {
    GhashWords acc = *y;
    for (; nblocks != 0; --nblocks, data += 16)
        acc = mul_h(table->m, acc.hi ^ load_be64(data), acc.lo ^ load_be64(data + 8));
    *y = acc;
}

}  // namespace

void ghash_key_init(GhashKey* key, const uint8_t h[16], AesPath path) noexcept {
    key->path = static_cast<uint32_t>(path);
    key->reserved[0] = key->reserved[1] = key->reserved[2] = 0;
    if (path == AesPath::tables)
        table_init(&key->table, h);
    else
        ghash_clmul_init(&key->powers, h);
}

void ghash_blocks(const GhashKey* key, GhashWords* y, const uint8_t* data, std::size_t nblocks) noexcept {
    if (key->path == static_cast<uint32_t>(AesPath::tables))
        table_blocks(&key->table, y, data, nblocks);
    else
        ghash_clmul_blocks(&key->powers, y, data, nblocks, key->path == static_cast<uint32_t>(AesPath::vaes));
}

void ghash_stream_update(const GhashKey* key, GhashStream* st, const uint8_t* data, std::size_t len) noexcept {
    block_buffer_update(st->buf, st->fill, data, len,
                        [&](const uint8_t* p, std::size_t n) { ghash_blocks(key, &st->y, p, n); });
}

void ghash_stream_pad(const GhashKey* key, GhashStream* st) noexcept {
    if (st->fill == 0) return;
    std::memset(st->buf + st->fill, 0, 16 - st->fill);
    ghash_blocks(key, &st->y, st->buf, 1);
    secure_wipe(st->buf, sizeof st->buf);
    st->fill = 0;
}

void ghash_stream_lengths(const GhashKey* key, GhashStream* st, uint64_t aad_bytes, uint64_t text_bytes,
                          uint8_t out[16]) noexcept {
    uint8_t lengths[16];
    store_be64(lengths, aad_bytes * 8);
    store_be64(lengths + 8, text_bytes * 8);
    ghash_blocks(key, &st->y, lengths, 1);
    store_be64(out, st->y.hi);
    store_be64(out + 8, st->y.lo);
}
