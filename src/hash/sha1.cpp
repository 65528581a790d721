// SHA-1 engine: fully unrolled rounds over a 16-word rolling schedule,
// whole blocks compressed straight from the caller's buffer.
#include "hash/sha1.h"

#include <cstring>

#include "core/wipe.h"
#include "hash/bytes.h"

using hashbytes::load_be32;
using hashbytes::rotl32;
using hashbytes::store_be32;

#define SHA1_W(i) \
    (w[(i) & 15] = rotl32(w[((i) + 13) & 15] ^ w[((i) + 8) & 15] ^ w[((i) + 2) & 15] ^ w[(i) & 15], 1))

#define SHA1_F1(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define SHA1_F2(b, c, d) ((b) ^ (c) ^ (d))
#define SHA1_F3(b, c, d) (((b) & (c)) + ((d) & ((b) ^ (c))))

#define SHA1_R0(a, b, c, d, e, i)                                             \
    e += SHA1_F1(b, c, d) + w[i] + 0x5A827999u + rotl32(a, 5);                \
    b = rotl32(b, 30);
#define SHA1_R1(a, b, c, d, e, i)                                             \
    e += SHA1_F1(b, c, d) + SHA1_W(i) + 0x5A827999u + rotl32(a, 5);           \
    b = rotl32(b, 30);
#define SHA1_R2(a, b, c, d, e, i)                                             \
    e += SHA1_F2(b, c, d) + SHA1_W(i) + 0x6ED9EBA1u + rotl32(a, 5);           \
    b = rotl32(b, 30);
#define SHA1_R3(a, b, c, d, e, i)                                             \
    e += SHA1_F3(b, c, d) + SHA1_W(i) + 0x8F1BBCDCu + rotl32(a, 5);           \
    b = rotl32(b, 30);
#define SHA1_R4(a, b, c, d, e, i)                                             \
    e += SHA1_F2(b, c, d) + SHA1_W(i) + 0xCA62C1D6u + rotl32(a, 5);           \
    b = rotl32(b, 30);

// Five rounds of one kind; the working variables rotate through the macro
// arguments instead of being shuffled.
#define SHA1_5(R, i)                  \
    R(a, b, c, d, e, (i));            \
    R(e, a, b, c, d, (i) + 1);        \
    R(d, e, a, b, c, (i) + 2);        \
    R(c, d, e, a, b, (i) + 3);        \
    R(b, c, d, e, a, (i) + 4);

void sha1_blocks(uint32_t h[5], const uint8_t* p, std::size_t nblocks) noexcept {
    uint32_t w[16];
    while (nblocks--) {
        for (int i = 0; i < 16; ++i) w[i] = load_be32(p + 4 * i);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        SHA1_5(SHA1_R0, 0)
        SHA1_5(SHA1_R0, 5)
        SHA1_5(SHA1_R0, 10)
        SHA1_R0(a, b, c, d, e, 15)
        SHA1_R1(e, a, b, c, d, 16)
        SHA1_R1(d, e, a, b, c, 17)
        SHA1_R1(c, d, e, a, b, 18)
        SHA1_R1(b, c, d, e, a, 19)
        SHA1_5(SHA1_R2, 20)
        SHA1_5(SHA1_R2, 25)
        SHA1_5(SHA1_R2, 30)
        SHA1_5(SHA1_R2, 35)
        SHA1_5(SHA1_R3, 40)
        SHA1_5(SHA1_R3, 45)
        SHA1_5(SHA1_R3, 50)
        SHA1_5(SHA1_R3, 55)
        SHA1_5(SHA1_R4, 60)
        SHA1_5(SHA1_R4, 65)
        SHA1_5(SHA1_R4, 70)
        SHA1_5(SHA1_R4, 75)
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        p += 64;
    }
    secure_wipe(w, sizeof w);
}

void sha1_init(Sha1State* st) noexcept {
    st->h[0] = 0x67452301u;
    st->h[1] = 0xEFCDAB89u;
    st->h[2] = 0x98BADCFEu;
    st->h[3] = 0x10325476u;
    st->h[4] = 0xC3D2E1F0u;
    st->buf_len = 0;
    st->total = 0;
}

void sha1_update(Sha1State* st, const uint8_t* data, std::size_t len) noexcept {
    if (len == 0) return;
    st->total += len;
    if (st->buf_len != 0) {
        std::size_t take = 64 - st->buf_len;
        if (take > len) take = len;
        std::memcpy(st->buf + st->buf_len, data, take);
        st->buf_len += static_cast<uint32_t>(take);
        data += take;
        len -= take;
        if (st->buf_len < 64) return;
        sha1_blocks(st->h, st->buf, 1);
        st->buf_len = 0;
    }
    if (len >= 64) {
        sha1_blocks(st->h, data, len / 64);
        data += len & ~static_cast<std::size_t>(63);
        len &= 63;
    }
    if (len != 0) {
        std::memcpy(st->buf, data, len);
        st->buf_len = static_cast<uint32_t>(len);
    }
}

// Appends the byte that carries the first padding bit, zeros and the 64-bit
// message length in bits, then writes the digest.
static void sha1_pad(Sha1State* st, uint8_t pad_byte, uint64_t bit_len, uint8_t* out) noexcept {
    st->buf[st->buf_len++] = pad_byte;
    if (st->buf_len > 56) {
        std::memset(st->buf + st->buf_len, 0, 64 - st->buf_len);
        sha1_blocks(st->h, st->buf, 1);
        st->buf_len = 0;
    }
    std::memset(st->buf + st->buf_len, 0, 56 - st->buf_len);
    hashbytes::store_be64(st->buf + 56, bit_len);
    sha1_blocks(st->h, st->buf, 1);
    for (int i = 0; i < 5; ++i) store_be32(out + 4 * i, st->h[i]);
    secure_wipe_obj(*st);
}

void sha1_final(Sha1State* st, uint8_t* out) noexcept { sha1_pad(st, 0x80, st->total << 3, out); }

void sha1_final_bits(Sha1State* st, uint8_t last, unsigned nbits, uint8_t* out) noexcept {
    if (nbits == 0) {
        sha1_final(st, out);
        return;
    }
    const uint8_t pad = static_cast<uint8_t>(last ^ (0x80u >> nbits));
    sha1_pad(st, pad, (st->total << 3) + nbits, out);
}
