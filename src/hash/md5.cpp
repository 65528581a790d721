// MD5 engine (RFC 1321): 64 unrolled steps; whole blocks are compressed
// straight from the caller's buffer.
#include "hash/md5.h"

#include "core/wipe.h"
#include "core/endian.h"
#include "hash/md_buffer.h"


// Each step's chain runs through b, the result of the step before; the
// functions are written so that as little as possible waits for it. G's two
// halves have no bit in common, so they are added separately and the half
// without b is ready early.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_H(x, y, z) ((x) ^ ((y) ^ (z)))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

#define MD5_STEP(f, a, b, c, d, xk, t, s) \
    a += (xk) + (t);                      \
    a += f(b, c, d);                      \
    a = rotl32(a, s) + (b);
#define MD5_STEP_G(a, b, c, d, xk, t, s)  \
    a += (xk) + (t) + ((c) & ~(d));       \
    a += (b) & (d);                       \
    a = rotl32(a, s) + (b);

void md5_blocks(uint32_t h[4], const uint8_t* p, std::size_t nblocks) noexcept {
    uint32_t x[16];
    while (nblocks--) {
        for (int i = 0; i < 16; ++i) x[i] = load_le32(p + 4 * i);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
        MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478u, 7)
        MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756u, 12)
        MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070dbu, 17)
        MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceeeu, 22)
        MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0fafu, 7)
        MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62au, 12)
        MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613u, 17)
        MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501u, 22)
        MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8u, 7)
        MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7afu, 12)
        MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1u, 17)
        MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7beu, 22)
        MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122u, 7)
        MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193u, 12)
        MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438eu, 17)
        MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821u, 22)
        MD5_STEP_G(a, b, c, d, x[1], 0xf61e2562u, 5)
        MD5_STEP_G(d, a, b, c, x[6], 0xc040b340u, 9)
        MD5_STEP_G(c, d, a, b, x[11], 0x265e5a51u, 14)
        MD5_STEP_G(b, c, d, a, x[0], 0xe9b6c7aau, 20)
        MD5_STEP_G(a, b, c, d, x[5], 0xd62f105du, 5)
        MD5_STEP_G(d, a, b, c, x[10], 0x02441453u, 9)
        MD5_STEP_G(c, d, a, b, x[15], 0xd8a1e681u, 14)
        MD5_STEP_G(b, c, d, a, x[4], 0xe7d3fbc8u, 20)
        MD5_STEP_G(a, b, c, d, x[9], 0x21e1cde6u, 5)
        MD5_STEP_G(d, a, b, c, x[14], 0xc33707d6u, 9)
        MD5_STEP_G(c, d, a, b, x[3], 0xf4d50d87u, 14)
        MD5_STEP_G(b, c, d, a, x[8], 0x455a14edu, 20)
        MD5_STEP_G(a, b, c, d, x[13], 0xa9e3e905u, 5)
        MD5_STEP_G(d, a, b, c, x[2], 0xfcefa3f8u, 9)
        MD5_STEP_G(c, d, a, b, x[7], 0x676f02d9u, 14)
        MD5_STEP_G(b, c, d, a, x[12], 0x8d2a4c8au, 20)
        MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942u, 4)
        MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681u, 11)
        MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122u, 16)
        MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380cu, 23)
        MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44u, 4)
        MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9u, 11)
        MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60u, 16)
        MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70u, 23)
        MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6u, 4)
        MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fau, 11)
        MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085u, 16)
        MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05u, 23)
        MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039u, 4)
        MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5u, 11)
        MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8u, 16)
        MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665u, 23)
        MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244u, 6)
        MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97u, 10)
        MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7u, 15)
        MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039u, 21)
        MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3u, 6)
        MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92u, 10)
        MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47du, 15)
        MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1u, 21)
        MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4fu, 6)
        MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0u, 10)
        MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314u, 15)
        MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1u, 21)
        MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82u, 6)
        MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235u, 10)
        MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bbu, 15)
        MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391u, 21)
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        p += 64;
    }
    secure_wipe(x, sizeof x);
}

void md5_init(Md5State* st) noexcept {
    st->h[0] = 0x67452301u;
    st->h[1] = 0xEFCDAB89u;
    st->h[2] = 0x98BADCFEu;
    st->h[3] = 0x10325476u;
    st->buf_len = 0;
    st->total = 0;
}

using Md5Buffer = MdBuffer<Md5State, 64, 8, MdOrder::little, md5_blocks>;

void md5_update(Md5State* st, const uint8_t* data, std::size_t len) noexcept { Md5Buffer::update(st, data, len); }

void md5_final(Md5State* st, uint8_t* out) noexcept {
    Md5Buffer::finish(st);
    Md5Buffer::output(st, out, 4);
}
