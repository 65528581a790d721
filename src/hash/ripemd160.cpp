// RIPEMD-160 engine: both lines of 80 steps fully unrolled, the five
// working variables rotating through the macro arguments. The two lines are
// independent chains; their steps alternate so that the processor can run
// one while the other waits.
#include "hash/ripemd160.h"

#include "core/wipe.h"
#include "core/endian.h"
#include "hash/md_buffer.h"


#define RMD_F1(x, y, z) ((x) ^ ((y) ^ (z)))
#define RMD_F2(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define RMD_F3(x, y, z) (((x) | ~(y)) ^ (z))
#define RMD_F4(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define RMD_F5(x, y, z) ((x) ^ ((y) | ~(z)))

// a = rol(a + f(b, c, d) + x + k, s) + e; c = rol(c, 10). The next step
// takes (e, a, b, c, d) as its (a, b, c, d, e).
#define RMD_STEP(f, a, b, c, d, e, xk, k, s)   \
    a += (xk) + (k);                            \
    a = rotl32(a + f(b, c, d), s) + (e);        \
    c = rotl32(c, 10);

void ripemd160_blocks(uint32_t h[5], const uint8_t* p, std::size_t nblocks) noexcept {
    uint32_t x[16];
    while (nblocks--) {
        for (int i = 0; i < 16; ++i) x[i] = load_le32(p + 4 * i);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        uint32_t ap = a, bp = b, cp = c, dp = d, ep = e;
        RMD_STEP(RMD_F1, a, b, c, d, e, x[0], 0x00000000u, 11)
        RMD_STEP(RMD_F5, ap, bp, cp, dp, ep, x[5], 0x50A28BE6u, 8)
        RMD_STEP(RMD_F1, e, a, b, c, d, x[1], 0x00000000u, 14)
        RMD_STEP(RMD_F5, ep, ap, bp, cp, dp, x[14], 0x50A28BE6u, 9)
        RMD_STEP(RMD_F1, d, e, a, b, c, x[2], 0x00000000u, 15)
        RMD_STEP(RMD_F5, dp, ep, ap, bp, cp, x[7], 0x50A28BE6u, 9)
        RMD_STEP(RMD_F1, c, d, e, a, b, x[3], 0x00000000u, 12)
        RMD_STEP(RMD_F5, cp, dp, ep, ap, bp, x[0], 0x50A28BE6u, 11)
        RMD_STEP(RMD_F1, b, c, d, e, a, x[4], 0x00000000u, 5)
        RMD_STEP(RMD_F5, bp, cp, dp, ep, ap, x[9], 0x50A28BE6u, 13)
        RMD_STEP(RMD_F1, a, b, c, d, e, x[5], 0x00000000u, 8)
        RMD_STEP(RMD_F5, ap, bp, cp, dp, ep, x[2], 0x50A28BE6u, 15)
        RMD_STEP(RMD_F1, e, a, b, c, d, x[6], 0x00000000u, 7)
        RMD_STEP(RMD_F5, ep, ap, bp, cp, dp, x[11], 0x50A28BE6u, 15)
        RMD_STEP(RMD_F1, d, e, a, b, c, x[7], 0x00000000u, 9)
        RMD_STEP(RMD_F5, dp, ep, ap, bp, cp, x[4], 0x50A28BE6u, 5)
        RMD_STEP(RMD_F1, c, d, e, a, b, x[8], 0x00000000u, 11)
        RMD_STEP(RMD_F5, cp, dp, ep, ap, bp, x[13], 0x50A28BE6u, 7)
        RMD_STEP(RMD_F1, b, c, d, e, a, x[9], 0x00000000u, 13)
        RMD_STEP(RMD_F5, bp, cp, dp, ep, ap, x[6], 0x50A28BE6u, 7)
        RMD_STEP(RMD_F1, a, b, c, d, e, x[10], 0x00000000u, 14)
        RMD_STEP(RMD_F5, ap, bp, cp, dp, ep, x[15], 0x50A28BE6u, 8)
        RMD_STEP(RMD_F1, e, a, b, c, d, x[11], 0x00000000u, 15)
        RMD_STEP(RMD_F5, ep, ap, bp, cp, dp, x[8], 0x50A28BE6u, 11)
        RMD_STEP(RMD_F1, d, e, a, b, c, x[12], 0x00000000u, 6)
        RMD_STEP(RMD_F5, dp, ep, ap, bp, cp, x[1], 0x50A28BE6u, 14)
        RMD_STEP(RMD_F1, c, d, e, a, b, x[13], 0x00000000u, 7)
        RMD_STEP(RMD_F5, cp, dp, ep, ap, bp, x[10], 0x50A28BE6u, 14)
        RMD_STEP(RMD_F1, b, c, d, e, a, x[14], 0x00000000u, 9)
        RMD_STEP(RMD_F5, bp, cp, dp, ep, ap, x[3], 0x50A28BE6u, 12)
        RMD_STEP(RMD_F1, a, b, c, d, e, x[15], 0x00000000u, 8)
        RMD_STEP(RMD_F5, ap, bp, cp, dp, ep, x[12], 0x50A28BE6u, 6)
        RMD_STEP(RMD_F2, e, a, b, c, d, x[7], 0x5A827999u, 7)
        RMD_STEP(RMD_F4, ep, ap, bp, cp, dp, x[6], 0x5C4DD124u, 9)
        RMD_STEP(RMD_F2, d, e, a, b, c, x[4], 0x5A827999u, 6)
        RMD_STEP(RMD_F4, dp, ep, ap, bp, cp, x[11], 0x5C4DD124u, 13)
        RMD_STEP(RMD_F2, c, d, e, a, b, x[13], 0x5A827999u, 8)
        RMD_STEP(RMD_F4, cp, dp, ep, ap, bp, x[3], 0x5C4DD124u, 15)
        RMD_STEP(RMD_F2, b, c, d, e, a, x[1], 0x5A827999u, 13)
        RMD_STEP(RMD_F4, bp, cp, dp, ep, ap, x[7], 0x5C4DD124u, 7)
        RMD_STEP(RMD_F2, a, b, c, d, e, x[10], 0x5A827999u, 11)
        RMD_STEP(RMD_F4, ap, bp, cp, dp, ep, x[0], 0x5C4DD124u, 12)
        RMD_STEP(RMD_F2, e, a, b, c, d, x[6], 0x5A827999u, 9)
        RMD_STEP(RMD_F4, ep, ap, bp, cp, dp, x[13], 0x5C4DD124u, 8)
        RMD_STEP(RMD_F2, d, e, a, b, c, x[15], 0x5A827999u, 7)
        RMD_STEP(RMD_F4, dp, ep, ap, bp, cp, x[5], 0x5C4DD124u, 9)
        RMD_STEP(RMD_F2, c, d, e, a, b, x[3], 0x5A827999u, 15)
        RMD_STEP(RMD_F4, cp, dp, ep, ap, bp, x[10], 0x5C4DD124u, 11)
        RMD_STEP(RMD_F2, b, c, d, e, a, x[12], 0x5A827999u, 7)
        RMD_STEP(RMD_F4, bp, cp, dp, ep, ap, x[14], 0x5C4DD124u, 7)
        RMD_STEP(RMD_F2, a, b, c, d, e, x[0], 0x5A827999u, 12)
        RMD_STEP(RMD_F4, ap, bp, cp, dp, ep, x[15], 0x5C4DD124u, 7)
        RMD_STEP(RMD_F2, e, a, b, c, d, x[9], 0x5A827999u, 15)
        RMD_STEP(RMD_F4, ep, ap, bp, cp, dp, x[8], 0x5C4DD124u, 12)
        RMD_STEP(RMD_F2, d, e, a, b, c, x[5], 0x5A827999u, 9)
        RMD_STEP(RMD_F4, dp, ep, ap, bp, cp, x[12], 0x5C4DD124u, 7)
        RMD_STEP(RMD_F2, c, d, e, a, b, x[2], 0x5A827999u, 11)
        RMD_STEP(RMD_F4, cp, dp, ep, ap, bp, x[4], 0x5C4DD124u, 6)
        RMD_STEP(RMD_F2, b, c, d, e, a, x[14], 0x5A827999u, 7)
        RMD_STEP(RMD_F4, bp, cp, dp, ep, ap, x[9], 0x5C4DD124u, 15)
        RMD_STEP(RMD_F2, a, b, c, d, e, x[11], 0x5A827999u, 13)
        RMD_STEP(RMD_F4, ap, bp, cp, dp, ep, x[1], 0x5C4DD124u, 13)
        RMD_STEP(RMD_F2, e, a, b, c, d, x[8], 0x5A827999u, 12)
        RMD_STEP(RMD_F4, ep, ap, bp, cp, dp, x[2], 0x5C4DD124u, 11)
        RMD_STEP(RMD_F3, d, e, a, b, c, x[3], 0x6ED9EBA1u, 11)
        RMD_STEP(RMD_F3, dp, ep, ap, bp, cp, x[15], 0x6D703EF3u, 9)
        RMD_STEP(RMD_F3, c, d, e, a, b, x[10], 0x6ED9EBA1u, 13)
        RMD_STEP(RMD_F3, cp, dp, ep, ap, bp, x[5], 0x6D703EF3u, 7)
        RMD_STEP(RMD_F3, b, c, d, e, a, x[14], 0x6ED9EBA1u, 6)
        RMD_STEP(RMD_F3, bp, cp, dp, ep, ap, x[1], 0x6D703EF3u, 15)
        RMD_STEP(RMD_F3, a, b, c, d, e, x[4], 0x6ED9EBA1u, 7)
        RMD_STEP(RMD_F3, ap, bp, cp, dp, ep, x[3], 0x6D703EF3u, 11)
        RMD_STEP(RMD_F3, e, a, b, c, d, x[9], 0x6ED9EBA1u, 14)
        RMD_STEP(RMD_F3, ep, ap, bp, cp, dp, x[7], 0x6D703EF3u, 8)
        RMD_STEP(RMD_F3, d, e, a, b, c, x[15], 0x6ED9EBA1u, 9)
        RMD_STEP(RMD_F3, dp, ep, ap, bp, cp, x[14], 0x6D703EF3u, 6)
        RMD_STEP(RMD_F3, c, d, e, a, b, x[8], 0x6ED9EBA1u, 13)
        RMD_STEP(RMD_F3, cp, dp, ep, ap, bp, x[6], 0x6D703EF3u, 6)
        RMD_STEP(RMD_F3, b, c, d, e, a, x[1], 0x6ED9EBA1u, 15)
        RMD_STEP(RMD_F3, bp, cp, dp, ep, ap, x[9], 0x6D703EF3u, 14)
        RMD_STEP(RMD_F3, a, b, c, d, e, x[2], 0x6ED9EBA1u, 14)
        RMD_STEP(RMD_F3, ap, bp, cp, dp, ep, x[11], 0x6D703EF3u, 12)
        RMD_STEP(RMD_F3, e, a, b, c, d, x[7], 0x6ED9EBA1u, 8)
        RMD_STEP(RMD_F3, ep, ap, bp, cp, dp, x[8], 0x6D703EF3u, 13)
        RMD_STEP(RMD_F3, d, e, a, b, c, x[0], 0x6ED9EBA1u, 13)
        RMD_STEP(RMD_F3, dp, ep, ap, bp, cp, x[12], 0x6D703EF3u, 5)
        RMD_STEP(RMD_F3, c, d, e, a, b, x[6], 0x6ED9EBA1u, 6)
        RMD_STEP(RMD_F3, cp, dp, ep, ap, bp, x[2], 0x6D703EF3u, 14)
        RMD_STEP(RMD_F3, b, c, d, e, a, x[13], 0x6ED9EBA1u, 5)
        RMD_STEP(RMD_F3, bp, cp, dp, ep, ap, x[10], 0x6D703EF3u, 13)
        RMD_STEP(RMD_F3, a, b, c, d, e, x[11], 0x6ED9EBA1u, 12)
        RMD_STEP(RMD_F3, ap, bp, cp, dp, ep, x[0], 0x6D703EF3u, 13)
        RMD_STEP(RMD_F3, e, a, b, c, d, x[5], 0x6ED9EBA1u, 7)
        RMD_STEP(RMD_F3, ep, ap, bp, cp, dp, x[4], 0x6D703EF3u, 7)
        RMD_STEP(RMD_F3, d, e, a, b, c, x[12], 0x6ED9EBA1u, 5)
        RMD_STEP(RMD_F3, dp, ep, ap, bp, cp, x[13], 0x6D703EF3u, 5)
        RMD_STEP(RMD_F4, c, d, e, a, b, x[1], 0x8F1BBCDCu, 11)
        RMD_STEP(RMD_F2, cp, dp, ep, ap, bp, x[8], 0x7A6D76E9u, 15)
        RMD_STEP(RMD_F4, b, c, d, e, a, x[9], 0x8F1BBCDCu, 12)
        RMD_STEP(RMD_F2, bp, cp, dp, ep, ap, x[6], 0x7A6D76E9u, 5)
        RMD_STEP(RMD_F4, a, b, c, d, e, x[11], 0x8F1BBCDCu, 14)
        RMD_STEP(RMD_F2, ap, bp, cp, dp, ep, x[4], 0x7A6D76E9u, 8)
        RMD_STEP(RMD_F4, e, a, b, c, d, x[10], 0x8F1BBCDCu, 15)
        RMD_STEP(RMD_F2, ep, ap, bp, cp, dp, x[1], 0x7A6D76E9u, 11)
        RMD_STEP(RMD_F4, d, e, a, b, c, x[0], 0x8F1BBCDCu, 14)
        RMD_STEP(RMD_F2, dp, ep, ap, bp, cp, x[3], 0x7A6D76E9u, 14)
        RMD_STEP(RMD_F4, c, d, e, a, b, x[8], 0x8F1BBCDCu, 15)
        RMD_STEP(RMD_F2, cp, dp, ep, ap, bp, x[11], 0x7A6D76E9u, 14)
        RMD_STEP(RMD_F4, b, c, d, e, a, x[12], 0x8F1BBCDCu, 9)
        RMD_STEP(RMD_F2, bp, cp, dp, ep, ap, x[15], 0x7A6D76E9u, 6)
        RMD_STEP(RMD_F4, a, b, c, d, e, x[4], 0x8F1BBCDCu, 8)
        RMD_STEP(RMD_F2, ap, bp, cp, dp, ep, x[0], 0x7A6D76E9u, 14)
        RMD_STEP(RMD_F4, e, a, b, c, d, x[13], 0x8F1BBCDCu, 9)
        RMD_STEP(RMD_F2, ep, ap, bp, cp, dp, x[5], 0x7A6D76E9u, 6)
        RMD_STEP(RMD_F4, d, e, a, b, c, x[3], 0x8F1BBCDCu, 14)
        RMD_STEP(RMD_F2, dp, ep, ap, bp, cp, x[12], 0x7A6D76E9u, 9)
        RMD_STEP(RMD_F4, c, d, e, a, b, x[7], 0x8F1BBCDCu, 5)
        RMD_STEP(RMD_F2, cp, dp, ep, ap, bp, x[2], 0x7A6D76E9u, 12)
        RMD_STEP(RMD_F4, b, c, d, e, a, x[15], 0x8F1BBCDCu, 6)
        RMD_STEP(RMD_F2, bp, cp, dp, ep, ap, x[13], 0x7A6D76E9u, 9)
        RMD_STEP(RMD_F4, a, b, c, d, e, x[14], 0x8F1BBCDCu, 8)
        RMD_STEP(RMD_F2, ap, bp, cp, dp, ep, x[9], 0x7A6D76E9u, 12)
        RMD_STEP(RMD_F4, e, a, b, c, d, x[5], 0x8F1BBCDCu, 6)
        RMD_STEP(RMD_F2, ep, ap, bp, cp, dp, x[7], 0x7A6D76E9u, 5)
        RMD_STEP(RMD_F4, d, e, a, b, c, x[6], 0x8F1BBCDCu, 5)
        RMD_STEP(RMD_F2, dp, ep, ap, bp, cp, x[10], 0x7A6D76E9u, 15)
        RMD_STEP(RMD_F4, c, d, e, a, b, x[2], 0x8F1BBCDCu, 12)
        RMD_STEP(RMD_F2, cp, dp, ep, ap, bp, x[14], 0x7A6D76E9u, 8)
        RMD_STEP(RMD_F5, b, c, d, e, a, x[4], 0xA953FD4Eu, 9)
        RMD_STEP(RMD_F1, bp, cp, dp, ep, ap, x[12], 0x00000000u, 8)
        RMD_STEP(RMD_F5, a, b, c, d, e, x[0], 0xA953FD4Eu, 15)
        RMD_STEP(RMD_F1, ap, bp, cp, dp, ep, x[15], 0x00000000u, 5)
        RMD_STEP(RMD_F5, e, a, b, c, d, x[5], 0xA953FD4Eu, 5)
        RMD_STEP(RMD_F1, ep, ap, bp, cp, dp, x[10], 0x00000000u, 12)
        RMD_STEP(RMD_F5, d, e, a, b, c, x[9], 0xA953FD4Eu, 11)
        RMD_STEP(RMD_F1, dp, ep, ap, bp, cp, x[4], 0x00000000u, 9)
        RMD_STEP(RMD_F5, c, d, e, a, b, x[7], 0xA953FD4Eu, 6)
        RMD_STEP(RMD_F1, cp, dp, ep, ap, bp, x[1], 0x00000000u, 12)
        RMD_STEP(RMD_F5, b, c, d, e, a, x[12], 0xA953FD4Eu, 8)
        RMD_STEP(RMD_F1, bp, cp, dp, ep, ap, x[5], 0x00000000u, 5)
        RMD_STEP(RMD_F5, a, b, c, d, e, x[2], 0xA953FD4Eu, 13)
        RMD_STEP(RMD_F1, ap, bp, cp, dp, ep, x[8], 0x00000000u, 14)
        RMD_STEP(RMD_F5, e, a, b, c, d, x[10], 0xA953FD4Eu, 12)
        RMD_STEP(RMD_F1, ep, ap, bp, cp, dp, x[7], 0x00000000u, 6)
        RMD_STEP(RMD_F5, d, e, a, b, c, x[14], 0xA953FD4Eu, 5)
        RMD_STEP(RMD_F1, dp, ep, ap, bp, cp, x[6], 0x00000000u, 8)
        RMD_STEP(RMD_F5, c, d, e, a, b, x[1], 0xA953FD4Eu, 12)
        RMD_STEP(RMD_F1, cp, dp, ep, ap, bp, x[2], 0x00000000u, 13)
        RMD_STEP(RMD_F5, b, c, d, e, a, x[3], 0xA953FD4Eu, 13)
        RMD_STEP(RMD_F1, bp, cp, dp, ep, ap, x[13], 0x00000000u, 6)
        RMD_STEP(RMD_F5, a, b, c, d, e, x[8], 0xA953FD4Eu, 14)
        RMD_STEP(RMD_F1, ap, bp, cp, dp, ep, x[14], 0x00000000u, 5)
        RMD_STEP(RMD_F5, e, a, b, c, d, x[11], 0xA953FD4Eu, 11)
        RMD_STEP(RMD_F1, ep, ap, bp, cp, dp, x[0], 0x00000000u, 15)
        RMD_STEP(RMD_F5, d, e, a, b, c, x[6], 0xA953FD4Eu, 8)
        RMD_STEP(RMD_F1, dp, ep, ap, bp, cp, x[3], 0x00000000u, 13)
        RMD_STEP(RMD_F5, c, d, e, a, b, x[15], 0xA953FD4Eu, 5)
        RMD_STEP(RMD_F1, cp, dp, ep, ap, bp, x[9], 0x00000000u, 11)
        RMD_STEP(RMD_F5, b, c, d, e, a, x[13], 0xA953FD4Eu, 6)
        RMD_STEP(RMD_F1, bp, cp, dp, ep, ap, x[11], 0x00000000u, 11)
        const uint32_t t = h[1] + c + dp;
        h[1] = h[2] + d + ep;
        h[2] = h[3] + e + ap;
        h[3] = h[4] + a + bp;
        h[4] = h[0] + b + cp;
        h[0] = t;
        p += 64;
    }
    secure_wipe(x, sizeof x);
}

void ripemd160_init(Ripemd160State* st) noexcept {
    st->h[0] = 0x67452301u;
    st->h[1] = 0xEFCDAB89u;
    st->h[2] = 0x98BADCFEu;
    st->h[3] = 0x10325476u;
    st->h[4] = 0xC3D2E1F0u;
    st->buf_len = 0;
    st->total = 0;
}

using Ripemd160Buffer = MdBuffer<Ripemd160State, 64, 8, MdOrder::little, ripemd160_blocks>;

void ripemd160_update(Ripemd160State* st, const uint8_t* data, std::size_t len) noexcept {
    Ripemd160Buffer::update(st, data, len);
}

void ripemd160_final(Ripemd160State* st, uint8_t* out) noexcept {
    Ripemd160Buffer::finish(st);
    Ripemd160Buffer::output(st, out, 5);
}
