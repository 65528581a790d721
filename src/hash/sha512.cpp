// SHA-384/512 engine: 80 unrolled rounds over a 16-word rolling schedule;
// whole blocks are compressed straight from the caller's buffer. Processors
// with SSSE3 and BMI2 compute the message schedule two words at a time in
// vector registers beside the rounds, which use BMI2's rotate.
#include "hash/sha512.h"

#include <cstring>

#include "core/cpu.h"
#include "core/wipe.h"
#include "core/endian.h"
#include "hash/md_buffer.h"


alignas(64) const uint64_t kSha512K[80] = {
    0x428a2f98d728ae22ull, 0x7137449123ef65cdull, 0xb5c0fbcfec4d3b2full, 0xe9b5dba58189dbbcull,
    0x3956c25bf348b538ull, 0x59f111f1b605d019ull, 0x923f82a4af194f9bull, 0xab1c5ed5da6d8118ull,
    0xd807aa98a3030242ull, 0x12835b0145706fbeull, 0x243185be4ee4b28cull, 0x550c7dc3d5ffb4e2ull,
    0x72be5d74f27b896full, 0x80deb1fe3b1696b1ull, 0x9bdc06a725c71235ull, 0xc19bf174cf692694ull,
    0xe49b69c19ef14ad2ull, 0xefbe4786384f25e3ull, 0x0fc19dc68b8cd5b5ull, 0x240ca1cc77ac9c65ull,
    0x2de92c6f592b0275ull, 0x4a7484aa6ea6e483ull, 0x5cb0a9dcbd41fbd4ull, 0x76f988da831153b5ull,
    0x983e5152ee66dfabull, 0xa831c66d2db43210ull, 0xb00327c898fb213full, 0xbf597fc7beef0ee4ull,
    0xc6e00bf33da88fc2ull, 0xd5a79147930aa725ull, 0x06ca6351e003826full, 0x142929670a0e6e70ull,
    0x27b70a8546d22ffcull, 0x2e1b21385c26c926ull, 0x4d2c6dfc5ac42aedull, 0x53380d139d95b3dfull,
    0x650a73548baf63deull, 0x766a0abb3c77b2a8ull, 0x81c2c92e47edaee6ull, 0x92722c851482353bull,
    0xa2bfe8a14cf10364ull, 0xa81a664bbc423001ull, 0xc24b8b70d0f89791ull, 0xc76c51a30654be30ull,
    0xd192e819d6ef5218ull, 0xd69906245565a910ull, 0xf40e35855771202aull, 0x106aa07032bbd1b8ull,
    0x19a4c116b8d2d0c8ull, 0x1e376c085141ab53ull, 0x2748774cdf8eeb99ull, 0x34b0bcb5e19b48a8ull,
    0x391c0cb3c5c95a63ull, 0x4ed8aa4ae3418acbull, 0x5b9cca4f7763e373ull, 0x682e6ff3d6b2b8a3ull,
    0x748f82ee5defb2fcull, 0x78a5636f43172f60ull, 0x84c87814a1f0ab72ull, 0x8cc702081a6439ecull,
    0x90befffa23631e28ull, 0xa4506cebde82bde9ull, 0xbef9a3f7b2c67915ull, 0xc67178f2e372532bull,
    0xca273eceea26619cull, 0xd186b8c721c0c207ull, 0xeada7dd6cde0eb1eull, 0xf57d4f7fee6ed178ull,
    0x06f067aa72176fbaull, 0x0a637dc5a2c898a6ull, 0x113f9804bef90daeull, 0x1b710b35131c471bull,
    0x28db77f523047d84ull, 0x32caab7b40c72493ull, 0x3c9ebe0a15c9bebcull, 0x431d67c49c100d4cull,
    0x4cc5d4becb3e42b6ull, 0x597f299cfc657e2aull, 0x5fcb6fab3ad6faecull, 0x6c44198c4a475817ull,
};

#define SHA512_S0(x) (rotr64(x, 28) ^ rotr64(x, 34) ^ rotr64(x, 39))
#define SHA512_S1(x) (rotr64(x, 14) ^ rotr64(x, 18) ^ rotr64(x, 41))
#define SHA512_s0(x) (rotr64(x, 1) ^ rotr64(x, 8) ^ ((x) >> 7))
#define SHA512_s1(x) (rotr64(x, 19) ^ rotr64(x, 61) ^ ((x) >> 6))

// Maj(a, b, c) = b ^ ((a ^ b) & (b ^ c)); the a ^ b of one round is the b ^ c
// of the next, so it is carried in bc instead of being computed again.
#define SHA512_RND(a, b, c, d, e, f, g, h, i)                                          \
    t1 = h + kSha512K[i] + w[(i) & 15] + SHA512_S1(e) + ((g) ^ ((e) & ((f) ^ (g))));  \
    d += t1;                                                                           \
    ab = (a) ^ (b);                                                                    \
    h = t1 + SHA512_S0(a) + ((b) ^ (ab & bc));                                         \
    bc = ab;

#define SHA512_RNDX(a, b, c, d, e, f, g, h, i)                                         \
    w[(i) & 15] += SHA512_s1(w[((i) - 2) & 15]) + w[((i) - 7) & 15] +                  \
                   SHA512_s0(w[((i) - 15) & 15]);                                      \
    SHA512_RND(a, b, c, d, e, f, g, h, i)

#define SHA512_8(R, i)                       \
    R(a, b, c, d, e, f, g, h, (i));          \
    R(h, a, b, c, d, e, f, g, (i) + 1);      \
    R(g, h, a, b, c, d, e, f, (i) + 2);      \
    R(f, g, h, a, b, c, d, e, (i) + 3);      \
    R(e, f, g, h, a, b, c, d, (i) + 4);      \
    R(d, e, f, g, h, a, b, c, (i) + 5);      \
    R(c, d, e, f, g, h, a, b, (i) + 6);      \
    R(b, c, d, e, f, g, h, a, (i) + 7);

void sha512_blocks_generic(uint64_t hv[8], const uint8_t* p, std::size_t nblocks) noexcept {
    uint64_t w[16];
    while (nblocks--) {
        for (int i = 0; i < 16; ++i) w[i] = load_be64(p + 8 * i);
        uint64_t a = hv[0], b = hv[1], c = hv[2], d = hv[3];
        uint64_t e = hv[4], f = hv[5], g = hv[6], h = hv[7];
        uint64_t t1, ab, bc = b ^ c;
        SHA512_8(SHA512_RND, 0)
        SHA512_8(SHA512_RND, 8)
        SHA512_8(SHA512_RNDX, 16)
        SHA512_8(SHA512_RNDX, 24)
        SHA512_8(SHA512_RNDX, 32)
        SHA512_8(SHA512_RNDX, 40)
        SHA512_8(SHA512_RNDX, 48)
        SHA512_8(SHA512_RNDX, 56)
        SHA512_8(SHA512_RNDX, 64)
        SHA512_8(SHA512_RNDX, 72)
        hv[0] += a;
        hv[1] += b;
        hv[2] += c;
        hv[3] += d;
        hv[4] += e;
        hv[5] += f;
        hv[6] += g;
        hv[7] += h;
        p += 128;
    }
    secure_wipe(w, sizeof w);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SHA512_HAVE_VECTOR 1

namespace {

// True when the processor has SSSE3 and BMI2.
bool cpu_has_ssse3_bmi2() noexcept { return cpu_features().ssse3 && cpu_features().bmi2; }

#define SHA512_VEC __attribute__((target("ssse3,bmi2")))

// x >>> n in both 64-bit lanes.
#define SHA512_VROTR(x, n) _mm_xor_si128(_mm_srli_epi64(x, n), _mm_slli_epi64(x, 64 - (n)))

// A round that takes W[i] + K[i] from the ring wk.
#define SHA512_RND_WK(a, b, c, d, e, f, g, h, i)                                        \
    t1 = h + wk[(i) & 15] + SHA512_S1(e) + ((g) ^ ((e) & ((f) ^ (g))));                 \
    d += t1;                                                                             \
    ab = (a) ^ (b);                                                                      \
    h = t1 + SHA512_S0(a) + ((b) ^ (ab & bc));                                           \
    bc = ab;

// W[i + 16] and W[i + 17] (i even) from the ring of eight vectors x, which
// hold W[i] ... W[i + 15] two by two with W[i], W[i + 1] in x[(i / 2) & 7];
// the new pair replaces that oldest one, and W + K goes to wk.
#define SHA512_SCHED(i)                                                                   \
    {                                                                                     \
        const int j = ((i) / 2) & 7;                                                      \
        const __m128i w15 = _mm_alignr_epi8(x[(j + 1) & 7], x[j], 8);                    \
        const __m128i w7 = _mm_alignr_epi8(x[(j + 5) & 7], x[(j + 4) & 7], 8);            \
        const __m128i w2 = x[(j + 7) & 7];                                                \
        const __m128i s0 = _mm_xor_si128(_mm_xor_si128(SHA512_VROTR(w15, 1), SHA512_VROTR(w15, 8)), \
                                         _mm_srli_epi64(w15, 7));                         \
        const __m128i s1 = _mm_xor_si128(_mm_xor_si128(SHA512_VROTR(w2, 19), SHA512_VROTR(w2, 61)), \
                                         _mm_srli_epi64(w2, 6));                          \
        x[j] = _mm_add_epi64(_mm_add_epi64(x[j], w7), _mm_add_epi64(s0, s1));             \
        _mm_store_si128(reinterpret_cast<__m128i*>(wk + ((i) & 15)),                      \
                        _mm_add_epi64(x[j], _mm_load_si128(reinterpret_cast<const __m128i*>(kSha512K + (i) + 16)))); \
    }

// The message schedule two words at a time in vector registers, next to
// the rounds (which use BMI2's rotate): the schedule's work leaves the
// integer units to the rounds.
SHA512_VEC void sha512_blocks_vec(uint64_t hv[8], const uint8_t* p, std::size_t nblocks) noexcept {
    const __m128i swap = _mm_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    alignas(16) uint64_t wk[16];
    __m128i x[8];
    while (nblocks--) {
        for (int j = 0; j < 8; ++j) {
            x[j] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * j)), swap);
            _mm_store_si128(reinterpret_cast<__m128i*>(wk + 2 * j),
                            _mm_add_epi64(x[j], _mm_load_si128(reinterpret_cast<const __m128i*>(kSha512K + 2 * j))));
        }
        uint64_t a = hv[0], b = hv[1], c = hv[2], d = hv[3];
        uint64_t e = hv[4], f = hv[5], g = hv[6], h = hv[7];
        uint64_t t1, ab, bc = b ^ c;
        // Kept a loop: unrolled, the function is about 16 KB, near what the
        // processor keeps decoded, and the speed of short messages then
        // depends on where the code lands in the library (by up to a quarter);
        // as a loop it is about 6 KB and as fast or faster at every length.
#if defined(__GNUC__)
#pragma GCC unroll 1
#endif
        for (int i = 0; i < 64; i += 16) {
            SHA512_RND_WK(a, b, c, d, e, f, g, h, i)
            SHA512_RND_WK(h, a, b, c, d, e, f, g, i + 1)
            SHA512_SCHED(i)
            SHA512_RND_WK(g, h, a, b, c, d, e, f, i + 2)
            SHA512_RND_WK(f, g, h, a, b, c, d, e, i + 3)
            SHA512_SCHED(i + 2)
            SHA512_RND_WK(e, f, g, h, a, b, c, d, i + 4)
            SHA512_RND_WK(d, e, f, g, h, a, b, c, i + 5)
            SHA512_SCHED(i + 4)
            SHA512_RND_WK(c, d, e, f, g, h, a, b, i + 6)
            SHA512_RND_WK(b, c, d, e, f, g, h, a, i + 7)
            SHA512_SCHED(i + 6)
            SHA512_RND_WK(a, b, c, d, e, f, g, h, i + 8)
            SHA512_RND_WK(h, a, b, c, d, e, f, g, i + 9)
            SHA512_SCHED(i + 8)
            SHA512_RND_WK(g, h, a, b, c, d, e, f, i + 10)
            SHA512_RND_WK(f, g, h, a, b, c, d, e, i + 11)
            SHA512_SCHED(i + 10)
            SHA512_RND_WK(e, f, g, h, a, b, c, d, i + 12)
            SHA512_RND_WK(d, e, f, g, h, a, b, c, i + 13)
            SHA512_SCHED(i + 12)
            SHA512_RND_WK(c, d, e, f, g, h, a, b, i + 14)
            SHA512_RND_WK(b, c, d, e, f, g, h, a, i + 15)
            SHA512_SCHED(i + 14)
        }
        SHA512_RND_WK(a, b, c, d, e, f, g, h, 64)
        SHA512_RND_WK(h, a, b, c, d, e, f, g, 65)
        SHA512_RND_WK(g, h, a, b, c, d, e, f, 66)
        SHA512_RND_WK(f, g, h, a, b, c, d, e, 67)
        SHA512_RND_WK(e, f, g, h, a, b, c, d, 68)
        SHA512_RND_WK(d, e, f, g, h, a, b, c, 69)
        SHA512_RND_WK(c, d, e, f, g, h, a, b, 70)
        SHA512_RND_WK(b, c, d, e, f, g, h, a, 71)
        SHA512_RND_WK(a, b, c, d, e, f, g, h, 72)
        SHA512_RND_WK(h, a, b, c, d, e, f, g, 73)
        SHA512_RND_WK(g, h, a, b, c, d, e, f, 74)
        SHA512_RND_WK(f, g, h, a, b, c, d, e, 75)
        SHA512_RND_WK(e, f, g, h, a, b, c, d, 76)
        SHA512_RND_WK(d, e, f, g, h, a, b, c, 77)
        SHA512_RND_WK(c, d, e, f, g, h, a, b, 78)
        SHA512_RND_WK(b, c, d, e, f, g, h, a, 79)
        hv[0] += a;
        hv[1] += b;
        hv[2] += c;
        hv[3] += d;
        hv[4] += e;
        hv[5] += f;
        hv[6] += g;
        hv[7] += h;
        p += 128;
    }
    secure_wipe(wk, sizeof wk);
    secure_wipe(x, sizeof x);
}

}  // namespace
#endif

void sha512_blocks(uint64_t hv[8], const uint8_t* p, std::size_t nblocks) noexcept {
#ifdef SHA512_HAVE_VECTOR
    static const bool use_vector = cpu_has_ssse3_bmi2();
    if (use_vector) {
        sha512_blocks_vec(hv, p, nblocks);
        return;
    }
#endif
    sha512_blocks_generic(hv, p, nblocks);
}

static void sha512_start(Sha512State* st, const uint64_t iv[8], uint32_t truncated) noexcept {
    std::memcpy(st->h, iv, 8 * sizeof(uint64_t));
    st->total_lo = 0;
    st->total_hi = 0;
    st->buf_len = 0;
    st->truncated = truncated;
}

void sha512_init(Sha512State* st) noexcept {
    static constexpr uint64_t iv[8] = {
    0x6a09e667f3bcc908ull, 0xbb67ae8584caa73bull, 0x3c6ef372fe94f82bull, 0xa54ff53a5f1d36f1ull,
    0x510e527fade682d1ull, 0x9b05688c2b3e6c1full, 0x1f83d9abfb41bd6bull, 0x5be0cd19137e2179ull,
    };
    sha512_start(st, iv, 0);
}

void sha384_init(Sha512State* st) noexcept {
    static constexpr uint64_t iv[8] = {
    0xcbbb9d5dc1059ed8ull, 0x629a292a367cd507ull, 0x9159015a3070dd17ull, 0x152fecd8f70e5939ull,
    0x67332667ffc00b31ull, 0x8eb44a8768581511ull, 0xdb0c2e0d64f98fa7ull, 0x47b5481dbefa4fa4ull,
    };
    sha512_start(st, iv, 1);
}

using Sha512Buffer = MdBuffer<Sha512State, 128, 16, MdOrder::big, sha512_blocks>;

void sha512_update(Sha512State* st, const uint8_t* data, std::size_t len) noexcept {
    Sha512Buffer::update(st, data, len);
}

void sha512_update_lanes(Sha512State* const st[], const uint8_t* const data[], const std::size_t len[],
                         std::size_t count) noexcept {
    for (std::size_t first = 0; first < count; first += kSha512Lanes) {
        const std::size_t n = count - first < kSha512Lanes ? count - first : kSha512Lanes;
        Sha512State* const* rec = st + first;
        const uint8_t* at[kSha512Lanes];
        std::size_t left[kSha512Lanes];
        for (std::size_t i = 0; i < n; ++i) {
            at[i] = data[first + i];
            left[i] = len[first + i];
            Sha512Buffer::count(rec[i], left[i]);
        }
        // Each step takes the next block of every record that has one.
        for (;;) {
            uint64_t* h[kSha512Lanes];
            const uint8_t* p[kSha512Lanes];
            std::size_t lanes = 0;
            for (std::size_t i = 0; i < n; ++i) {
                const uint8_t* block = Sha512Buffer::next_block(rec[i], &at[i], &left[i]);
                if (block == nullptr) continue;
                h[lanes] = rec[i]->h;
                p[lanes++] = block;
            }
            if (lanes == 0) break;
            sha512_blocks_lanes(h, p, lanes);
        }
    }
}

void sha512_final(Sha512State* st, uint8_t* out) noexcept {
    Sha512Buffer::finish(st);
    Sha512Buffer::output(st, out, st->truncated ? 6 : 8);
}

void sha512_final_bits(Sha512State* st, uint8_t last, unsigned nbits, uint8_t* out) noexcept {
    Sha512Buffer::finish_bits(st, last, nbits);
    Sha512Buffer::output(st, out, st->truncated ? 6 : 8);
}
