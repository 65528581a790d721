// Poly1305 in radix 2^64: h (up to 131 bits) in three words, r in two, and
// 64 x 64 -> 128-bit products. Clamping leaves r1 divisible by 4, so the
// r1 * 2^128 terms fold back as r1 + r1 / 4 (2^130 = 5 mod p).
#include "hash/poly1305.h"

#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#endif

#include "core/wipe.h"
#include "hash/bytes.h"

using hashbytes::load_le64;
using hashbytes::store_le64;

namespace {

using u128 = unsigned __int128;

// The 128-bit product of a and b as two words.
inline void mul64(uint64_t a, uint64_t b, uint64_t& lo, uint64_t& hi) noexcept {
    const u128 p = static_cast<u128>(a) * b;
    lo = static_cast<uint64_t>(p);
    hi = static_cast<uint64_t>(p >> 64);
}

// out = a + b + carry_in; returns the carry out. On x86-64 this is one add
// with carry (GCC otherwise turns the comparisons into branches).
inline uint64_t addc(uint64_t a, uint64_t b, uint64_t carry_in, uint64_t& out) noexcept {
#if defined(__x86_64__) || defined(_M_X64)
    unsigned long long r;
    const unsigned char c = _addcarry_u64(static_cast<unsigned char>(carry_in), a, b, &r);
    out = r;
    return c;
#else
    const uint64_t t = a + carry_in;
    uint64_t c = t < carry_in ? 1 : 0;
    out = t + b;
    c += out < b ? 1 : 0;
    return c;
#endif
}

// (hi:lo) += (ahi:alo); the sums here never pass 128 bits.
inline void add128(uint64_t& lo, uint64_t& hi, uint64_t alo, uint64_t ahi) noexcept {
    const uint64_t c = addc(lo, alo, 0, lo);
    addc(hi, ahi, c, hi);
}

void poly1305_blocks(Poly1305State* st, const uint8_t* p, std::size_t nblocks, uint64_t hibit) noexcept {
    const uint64_t r0 = st->r0, r1 = st->r1, s1 = st->s1;
    uint64_t h0 = st->h0, h1 = st->h1, h2 = st->h2;
    while (nblocks--) {
        // h += m, with the 2^128 bit of a whole block
        uint64_t c = addc(h0, load_le64(p), 0, h0);
        c = addc(h1, load_le64(p + 8), c, h1);
        h2 += c + hibit;

        // h *= r (mod 2^130 - 5, partially reduced); h2 is at most 7, so
        // h2 * s1 and h2 * r0 fit one word.
        uint64_t d0l, d0h, d1l, d1h, tl, th;
        mul64(h0, r0, d0l, d0h);
        mul64(h1, s1, tl, th);
        add128(d0l, d0h, tl, th);
        mul64(h0, r1, d1l, d1h);
        mul64(h1, r0, tl, th);
        add128(d1l, d1h, tl, th);
        add128(d1l, d1h, h2 * s1, 0);
        add128(d1l, d1h, d0h, 0);
        const uint64_t d2 = h2 * r0 + d1h;

        // bits 130 and up, times 5, go back to the bottom
        c = (d2 >> 2) + (d2 & ~static_cast<uint64_t>(3));
        h2 = d2 & 3;
        c = addc(d0l, c, 0, h0);
        c = addc(d1l, 0, c, h1);
        h2 += c;
        p += 16;
    }
    st->h0 = h0;
    st->h1 = h1;
    st->h2 = h2;
}

}  // namespace

void poly1305_init(Poly1305State* st, const uint8_t key[32]) noexcept {
    st->r0 = load_le64(key) & 0x0FFFFFFC0FFFFFFFull;
    st->r1 = load_le64(key + 8) & 0x0FFFFFFC0FFFFFFCull;
    st->s1 = st->r1 + (st->r1 >> 2);
    st->h0 = st->h1 = st->h2 = 0;
    st->pad0 = load_le64(key + 16);
    st->pad1 = load_le64(key + 24);
    st->buf_len = 0;
    st->reserved = 0;
}

void poly1305_update(Poly1305State* st, const uint8_t* data, std::size_t len) noexcept {
    if (len == 0) return;
    if (st->buf_len != 0) {
        std::size_t take = 16 - st->buf_len;
        if (take > len) take = len;
        std::memcpy(st->buf + st->buf_len, data, take);
        st->buf_len += static_cast<uint32_t>(take);
        data += take;
        len -= take;
        if (st->buf_len < 16) return;
        poly1305_blocks(st, st->buf, 1, 1);
        st->buf_len = 0;
    }
    if (len >= 16) {
        poly1305_blocks(st, data, len / 16, 1);
        data += len & ~static_cast<std::size_t>(15);
        len &= 15;
    }
    if (len != 0) {
        std::memcpy(st->buf, data, len);
        st->buf_len = static_cast<uint32_t>(len);
    }
}

void poly1305_finish(Poly1305State* st, uint8_t tag[16]) noexcept {
    if (st->buf_len != 0) {
        // a short last block carries its 1 bit right after the message bytes
        st->buf[st->buf_len] = 1;
        for (std::size_t i = st->buf_len + 1; i < 16; ++i) st->buf[i] = 0;
        poly1305_blocks(st, st->buf, 1, 0);
    }
    uint64_t h0 = st->h0, h1 = st->h1;
    // h - p = h + 5 - 2^130; it is taken when h >= p (bit 130 of h + 5 set)
    u128 t = static_cast<u128>(h0) + 5;
    const uint64_t g0 = static_cast<uint64_t>(t);
    t = static_cast<u128>(h1) + static_cast<uint64_t>(t >> 64);
    const uint64_t g1 = static_cast<uint64_t>(t);
    const uint64_t g2 = st->h2 + static_cast<uint64_t>(t >> 64);
    const uint64_t mask = static_cast<uint64_t>(0) - (g2 >> 2);
    h0 = (h0 & ~mask) | (g0 & mask);
    h1 = (h1 & ~mask) | (g1 & mask);
    t = static_cast<u128>(h0) + st->pad0;
    h0 = static_cast<uint64_t>(t);
    h1 = h1 + st->pad1 + static_cast<uint64_t>(t >> 64);
    store_le64(tag, h0);
    store_le64(tag + 8, h1);
    secure_wipe_obj(*st);
}

void poly1305_bytes(uint8_t tag[16], const uint8_t* msg, std::size_t len, const uint8_t key[32]) noexcept {
    Poly1305State st;
    poly1305_init(&st, key);
    poly1305_update(&st, msg, len);
    poly1305_finish(&st, tag);
}
