// SHA-224/256 engine: 64 unrolled rounds over a 16-word rolling schedule,
// or the processor's SHA instructions where present; whole blocks are
// compressed straight from the caller's buffer.
#include "hash/sha256.h"

#include <cstring>

#include "core/cpu.h"
#include "core/wipe.h"
#include "core/endian.h"
#include "hash/md_buffer.h"


namespace {

alignas(64) constexpr uint32_t kK[64] = {
    0x428a2f98u, 0x71374491u, 0xb5c0fbcfu, 0xe9b5dba5u, 0x3956c25bu, 0x59f111f1u, 0x923f82a4u, 0xab1c5ed5u,
    0xd807aa98u, 0x12835b01u, 0x243185beu, 0x550c7dc3u, 0x72be5d74u, 0x80deb1feu, 0x9bdc06a7u, 0xc19bf174u,
    0xe49b69c1u, 0xefbe4786u, 0x0fc19dc6u, 0x240ca1ccu, 0x2de92c6fu, 0x4a7484aau, 0x5cb0a9dcu, 0x76f988dau,
    0x983e5152u, 0xa831c66du, 0xb00327c8u, 0xbf597fc7u, 0xc6e00bf3u, 0xd5a79147u, 0x06ca6351u, 0x14292967u,
    0x27b70a85u, 0x2e1b2138u, 0x4d2c6dfcu, 0x53380d13u, 0x650a7354u, 0x766a0abbu, 0x81c2c92eu, 0x92722c85u,
    0xa2bfe8a1u, 0xa81a664bu, 0xc24b8b70u, 0xc76c51a3u, 0xd192e819u, 0xd6990624u, 0xf40e3585u, 0x106aa070u,
    0x19a4c116u, 0x1e376c08u, 0x2748774cu, 0x34b0bcb5u, 0x391c0cb3u, 0x4ed8aa4au, 0x5b9cca4fu, 0x682e6ff3u,
    0x748f82eeu, 0x78a5636fu, 0x84c87814u, 0x8cc70208u, 0x90befffau, 0xa4506cebu, 0xbef9a3f7u, 0xc67178f2u,
};

}  // namespace

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SHA256_HAVE_SHANI 1

namespace {

// True when the processor has the SHA extensions, SSE4.1 and SSSE3.
bool cpu_has_sha_ni() noexcept {
    const CpuFeatures& f = cpu_features();
    return f.sha && f.sse41 && f.ssse3;
}

// Four rounds with the message words m (already byte-swapped) plus the
// next schedule steps: next += alignr(m, prev); next = msg2(next, m);
// prev = msg1(prev, m).
#define SHA256_NI_ROUNDS(m, k)                                   \
    msg = _mm_add_epi32(m, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kK + (k)))); \
    state1 = _mm_sha256rnds2_epu32(state1, state0, msg);
#define SHA256_NI_FINISH                                         \
    msg = _mm_shuffle_epi32(msg, 0x0E);                          \
    state0 = _mm_sha256rnds2_epu32(state0, state1, msg);
#define SHA256_NI_SCHEDULE(m, prev, next)                        \
    next = _mm_add_epi32(next, _mm_alignr_epi8(m, prev, 4));     \
    next = _mm_sha256msg2_epu32(next, m);

__attribute__((target("sha,sse4.1,ssse3"))) void sha256_blocks_ni(uint32_t hv[8], const uint8_t* p,
                                                                  std::size_t nblocks) noexcept {
    const __m128i mask = _mm_set_epi64x(0x0c0d0e0f08090a0bll, 0x0405060700010203ll);
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hv));      // DCBA
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hv + 4));  // HGFE
    tmp = _mm_shuffle_epi32(tmp, 0xB1);                                         // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B);                                   // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);                           // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);                                // CDGH
    __m128i msg, m0, m1, m2, m3;
    while (nblocks--) {
        const __m128i abef = state0, cdgh = state1;
        m0 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), mask);
        m1 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), mask);
        m2 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), mask);
        m3 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), mask);
        SHA256_NI_ROUNDS(m0, 0) SHA256_NI_FINISH
        SHA256_NI_ROUNDS(m1, 4) SHA256_NI_FINISH m0 = _mm_sha256msg1_epu32(m0, m1);
        SHA256_NI_ROUNDS(m2, 8) SHA256_NI_FINISH m1 = _mm_sha256msg1_epu32(m1, m2);
        SHA256_NI_ROUNDS(m3, 12) SHA256_NI_SCHEDULE(m3, m2, m0) SHA256_NI_FINISH m2 = _mm_sha256msg1_epu32(m2, m3);
        SHA256_NI_ROUNDS(m0, 16) SHA256_NI_SCHEDULE(m0, m3, m1) SHA256_NI_FINISH m3 = _mm_sha256msg1_epu32(m3, m0);
        SHA256_NI_ROUNDS(m1, 20) SHA256_NI_SCHEDULE(m1, m0, m2) SHA256_NI_FINISH m0 = _mm_sha256msg1_epu32(m0, m1);
        SHA256_NI_ROUNDS(m2, 24) SHA256_NI_SCHEDULE(m2, m1, m3) SHA256_NI_FINISH m1 = _mm_sha256msg1_epu32(m1, m2);
        SHA256_NI_ROUNDS(m3, 28) SHA256_NI_SCHEDULE(m3, m2, m0) SHA256_NI_FINISH m2 = _mm_sha256msg1_epu32(m2, m3);
        SHA256_NI_ROUNDS(m0, 32) SHA256_NI_SCHEDULE(m0, m3, m1) SHA256_NI_FINISH m3 = _mm_sha256msg1_epu32(m3, m0);
        SHA256_NI_ROUNDS(m1, 36) SHA256_NI_SCHEDULE(m1, m0, m2) SHA256_NI_FINISH m0 = _mm_sha256msg1_epu32(m0, m1);
        SHA256_NI_ROUNDS(m2, 40) SHA256_NI_SCHEDULE(m2, m1, m3) SHA256_NI_FINISH m1 = _mm_sha256msg1_epu32(m1, m2);
        SHA256_NI_ROUNDS(m3, 44) SHA256_NI_SCHEDULE(m3, m2, m0) SHA256_NI_FINISH m2 = _mm_sha256msg1_epu32(m2, m3);
        SHA256_NI_ROUNDS(m0, 48) SHA256_NI_SCHEDULE(m0, m3, m1) SHA256_NI_FINISH m3 = _mm_sha256msg1_epu32(m3, m0);
        SHA256_NI_ROUNDS(m1, 52) SHA256_NI_SCHEDULE(m1, m0, m2) SHA256_NI_FINISH
        SHA256_NI_ROUNDS(m2, 56) SHA256_NI_SCHEDULE(m2, m1, m3) SHA256_NI_FINISH
        SHA256_NI_ROUNDS(m3, 60) SHA256_NI_FINISH
        state0 = _mm_add_epi32(state0, abef);
        state1 = _mm_add_epi32(state1, cdgh);
        p += 64;
    }
    tmp = _mm_shuffle_epi32(state0, 0x1B);        // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);     // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);     // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(hv), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(hv + 4), state1);
}

}  // namespace
#endif

#define SHA256_S0(x) (rotr32(x, 2) ^ rotr32(x, 13) ^ rotr32(x, 22))
#define SHA256_S1(x) (rotr32(x, 6) ^ rotr32(x, 11) ^ rotr32(x, 25))
#define SHA256_s0(x) (rotr32(x, 7) ^ rotr32(x, 18) ^ ((x) >> 3))
#define SHA256_s1(x) (rotr32(x, 17) ^ rotr32(x, 19) ^ ((x) >> 10))

// One round; the caller rotates the roles of a..h through the arguments.
#define SHA256_RND(a, b, c, d, e, f, g, h, i)                                          \
    t1 = h + SHA256_S1(e) + ((g) ^ ((e) & ((f) ^ (g)))) + kK[i] + w[(i) & 15];       \
    d += t1;                                                                           \
    h = t1 + SHA256_S0(a) + (((a) & (b)) | ((c) & ((a) | (b))));

// A round that first extends the schedule in place.
#define SHA256_RNDX(a, b, c, d, e, f, g, h, i)                                         \
    w[(i) & 15] += SHA256_s1(w[((i) - 2) & 15]) + w[((i) - 7) & 15] +                  \
                   SHA256_s0(w[((i) - 15) & 15]);                                      \
    SHA256_RND(a, b, c, d, e, f, g, h, i)

#define SHA256_8(R, i)                       \
    R(a, b, c, d, e, f, g, h, (i));          \
    R(h, a, b, c, d, e, f, g, (i) + 1);      \
    R(g, h, a, b, c, d, e, f, (i) + 2);      \
    R(f, g, h, a, b, c, d, e, (i) + 3);      \
    R(e, f, g, h, a, b, c, d, (i) + 4);      \
    R(d, e, f, g, h, a, b, c, (i) + 5);      \
    R(c, d, e, f, g, h, a, b, (i) + 6);      \
    R(b, c, d, e, f, g, h, a, (i) + 7);

void sha256_blocks(uint32_t hv[8], const uint8_t* p, std::size_t nblocks) noexcept {
#ifdef SHA256_HAVE_SHANI
    // Processors with the SHA extensions run the rounds in hardware.
    static const bool use_ni = cpu_has_sha_ni();
    if (use_ni) {
        sha256_blocks_ni(hv, p, nblocks);
        return;
    }
#endif
    sha256_blocks_generic(hv, p, nblocks);
}

void sha256_blocks_generic(uint32_t hv[8], const uint8_t* p, std::size_t nblocks) noexcept {
    uint32_t w[16];
    while (nblocks--) {
        for (int i = 0; i < 16; ++i) w[i] = load_be32(p + 4 * i);
        uint32_t a = hv[0], b = hv[1], c = hv[2], d = hv[3];
        uint32_t e = hv[4], f = hv[5], g = hv[6], h = hv[7];
        uint32_t t1;
        SHA256_8(SHA256_RND, 0)
        SHA256_8(SHA256_RND, 8)
        SHA256_8(SHA256_RNDX, 16)
        SHA256_8(SHA256_RNDX, 24)
        SHA256_8(SHA256_RNDX, 32)
        SHA256_8(SHA256_RNDX, 40)
        SHA256_8(SHA256_RNDX, 48)
        SHA256_8(SHA256_RNDX, 56)
        hv[0] += a;
        hv[1] += b;
        hv[2] += c;
        hv[3] += d;
        hv[4] += e;
        hv[5] += f;
        hv[6] += g;
        hv[7] += h;
        p += 64;
    }
    secure_wipe(w, sizeof w);
}

void sha256_init(Sha256State* st) noexcept {
    static constexpr uint32_t iv[8] = {
    0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au, 0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u,
    };
    std::memcpy(st->h, iv, sizeof iv);
    st->buf_len = 0;
    st->truncated = 0;
    st->total = 0;
}

void sha224_init(Sha256State* st) noexcept {
    static constexpr uint32_t iv[8] = {
    0xc1059ed8u, 0x367cd507u, 0x3070dd17u, 0xf70e5939u, 0xffc00b31u, 0x68581511u, 0x64f98fa7u, 0xbefa4fa4u,
    };
    std::memcpy(st->h, iv, sizeof iv);
    st->buf_len = 0;
    st->truncated = 1;
    st->total = 0;
}

using Sha256Buffer = MdBuffer<Sha256State, 64, 8, MdOrder::big, sha256_blocks>;

void sha256_update(Sha256State* st, const uint8_t* data, std::size_t len) noexcept {
    Sha256Buffer::update(st, data, len);
}

void sha256_final(Sha256State* st, uint8_t* out) noexcept {
    Sha256Buffer::finish(st);
    Sha256Buffer::output(st, out, st->truncated ? 7 : 8);
}

void sha256_final_bits(Sha256State* st, uint8_t last, unsigned nbits, uint8_t* out) noexcept {
    Sha256Buffer::finish_bits(st, last, nbits);
    Sha256Buffer::output(st, out, st->truncated ? 7 : 8);
}
