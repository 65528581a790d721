// SHA-1 engine: fully unrolled rounds over a 16-word rolling schedule, or
// the processor's SHA instructions where present; whole blocks are
// compressed straight from the caller's buffer.
#include "hash/sha1.h"

#include "core/cpu.h"
#include "core/wipe.h"
#include "core/endian.h"
#include "hash/md_buffer.h"


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

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SHA1_HAVE_SHANI 1

namespace {

// True when the processor has the SHA extensions, SSE4.1 and SSSE3.
bool cpu_has_sha_ni() noexcept {
    const CpuFeatures& f = cpu_features();
    return f.sha && f.sse41 && f.ssse3;
}

// Twenty groups of four rounds. Group g adds its message words to the E
// value carried from the group before (sha1nexte), runs four rounds with
// function g / 5 (sha1rnds4) and advances the schedule: msg1 and the xor
// prepare the words of a later group, msg2 finishes those of the next.
__attribute__((target("sha,sse4.1,ssse3"))) void sha1_blocks_ni(uint32_t h[5], const uint8_t* p,
                                                                std::size_t nblocks) noexcept {
    // Reverses all sixteen bytes: big-endian words, first word in the top lane.
    const __m128i mask = _mm_set_epi64x(0x0001020304050607ll, 0x08090a0b0c0d0e0fll);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1B);
    __m128i e0 = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);
    __m128i e1, m0, m1, m2, m3;
    while (nblocks--) {
        const __m128i abcd_save = abcd, e0_save = e0;
        m0 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), mask);
        m1 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), mask);
        m2 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), mask);
        m3 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), mask);
        e0 = _mm_add_epi32(e0, m0); e1 = abcd; abcd = _mm_sha1rnds4_epu32(abcd, e0, 0);
        e1 = _mm_sha1nexte_epu32(e1, m1); e0 = abcd; abcd = _mm_sha1rnds4_epu32(abcd, e1, 0); m0 = _mm_sha1msg1_epu32(m0, m1);
        e0 = _mm_sha1nexte_epu32(e0, m2); e1 = abcd; abcd = _mm_sha1rnds4_epu32(abcd, e0, 0); m1 = _mm_sha1msg1_epu32(m1, m2); m0 = _mm_xor_si128(m0, m2);
        e1 = _mm_sha1nexte_epu32(e1, m3); e0 = abcd; m0 = _mm_sha1msg2_epu32(m0, m3); abcd = _mm_sha1rnds4_epu32(abcd, e1, 0); m2 = _mm_sha1msg1_epu32(m2, m3); m1 = _mm_xor_si128(m1, m3);
        e0 = _mm_sha1nexte_epu32(e0, m0); e1 = abcd; m1 = _mm_sha1msg2_epu32(m1, m0); abcd = _mm_sha1rnds4_epu32(abcd, e0, 0); m3 = _mm_sha1msg1_epu32(m3, m0); m2 = _mm_xor_si128(m2, m0);
        e1 = _mm_sha1nexte_epu32(e1, m1); e0 = abcd; m2 = _mm_sha1msg2_epu32(m2, m1); abcd = _mm_sha1rnds4_epu32(abcd, e1, 1); m0 = _mm_sha1msg1_epu32(m0, m1); m3 = _mm_xor_si128(m3, m1);
        e0 = _mm_sha1nexte_epu32(e0, m2); e1 = abcd; m3 = _mm_sha1msg2_epu32(m3, m2); abcd = _mm_sha1rnds4_epu32(abcd, e0, 1); m1 = _mm_sha1msg1_epu32(m1, m2); m0 = _mm_xor_si128(m0, m2);
        e1 = _mm_sha1nexte_epu32(e1, m3); e0 = abcd; m0 = _mm_sha1msg2_epu32(m0, m3); abcd = _mm_sha1rnds4_epu32(abcd, e1, 1); m2 = _mm_sha1msg1_epu32(m2, m3); m1 = _mm_xor_si128(m1, m3);
        e0 = _mm_sha1nexte_epu32(e0, m0); e1 = abcd; m1 = _mm_sha1msg2_epu32(m1, m0); abcd = _mm_sha1rnds4_epu32(abcd, e0, 1); m3 = _mm_sha1msg1_epu32(m3, m0); m2 = _mm_xor_si128(m2, m0);
        e1 = _mm_sha1nexte_epu32(e1, m1); e0 = abcd; m2 = _mm_sha1msg2_epu32(m2, m1); abcd = _mm_sha1rnds4_epu32(abcd, e1, 1); m0 = _mm_sha1msg1_epu32(m0, m1); m3 = _mm_xor_si128(m3, m1);
        e0 = _mm_sha1nexte_epu32(e0, m2); e1 = abcd; m3 = _mm_sha1msg2_epu32(m3, m2); abcd = _mm_sha1rnds4_epu32(abcd, e0, 2); m1 = _mm_sha1msg1_epu32(m1, m2); m0 = _mm_xor_si128(m0, m2);
        e1 = _mm_sha1nexte_epu32(e1, m3); e0 = abcd; m0 = _mm_sha1msg2_epu32(m0, m3); abcd = _mm_sha1rnds4_epu32(abcd, e1, 2); m2 = _mm_sha1msg1_epu32(m2, m3); m1 = _mm_xor_si128(m1, m3);
        e0 = _mm_sha1nexte_epu32(e0, m0); e1 = abcd; m1 = _mm_sha1msg2_epu32(m1, m0); abcd = _mm_sha1rnds4_epu32(abcd, e0, 2); m3 = _mm_sha1msg1_epu32(m3, m0); m2 = _mm_xor_si128(m2, m0);
        e1 = _mm_sha1nexte_epu32(e1, m1); e0 = abcd; m2 = _mm_sha1msg2_epu32(m2, m1); abcd = _mm_sha1rnds4_epu32(abcd, e1, 2); m0 = _mm_sha1msg1_epu32(m0, m1); m3 = _mm_xor_si128(m3, m1);
        e0 = _mm_sha1nexte_epu32(e0, m2); e1 = abcd; m3 = _mm_sha1msg2_epu32(m3, m2); abcd = _mm_sha1rnds4_epu32(abcd, e0, 2); m1 = _mm_sha1msg1_epu32(m1, m2); m0 = _mm_xor_si128(m0, m2);
        e1 = _mm_sha1nexte_epu32(e1, m3); e0 = abcd; m0 = _mm_sha1msg2_epu32(m0, m3); abcd = _mm_sha1rnds4_epu32(abcd, e1, 3); m2 = _mm_sha1msg1_epu32(m2, m3); m1 = _mm_xor_si128(m1, m3);
        e0 = _mm_sha1nexte_epu32(e0, m0); e1 = abcd; m1 = _mm_sha1msg2_epu32(m1, m0); abcd = _mm_sha1rnds4_epu32(abcd, e0, 3); m3 = _mm_sha1msg1_epu32(m3, m0); m2 = _mm_xor_si128(m2, m0);
        e1 = _mm_sha1nexte_epu32(e1, m1); e0 = abcd; m2 = _mm_sha1msg2_epu32(m2, m1); abcd = _mm_sha1rnds4_epu32(abcd, e1, 3); m3 = _mm_xor_si128(m3, m1);
        e0 = _mm_sha1nexte_epu32(e0, m2); e1 = abcd; m3 = _mm_sha1msg2_epu32(m3, m2); abcd = _mm_sha1rnds4_epu32(abcd, e0, 3);
        e1 = _mm_sha1nexte_epu32(e1, m3); e0 = abcd; abcd = _mm_sha1rnds4_epu32(abcd, e1, 3);
        e0 = _mm_sha1nexte_epu32(e0, e0_save);
        abcd = _mm_add_epi32(abcd, abcd_save);
        p += 64;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_shuffle_epi32(abcd, 0x1B));
    h[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}

}  // namespace
#endif

void sha1_blocks(uint32_t h[5], const uint8_t* p, std::size_t nblocks) noexcept {
#ifdef SHA1_HAVE_SHANI
    // Processors with the SHA extensions run the rounds in hardware.
    static const bool use_ni = cpu_has_sha_ni();
    if (use_ni) {
        sha1_blocks_ni(h, p, nblocks);
        return;
    }
#endif
    sha1_blocks_generic(h, p, nblocks);
}

void sha1_blocks_generic(uint32_t h[5], const uint8_t* p, std::size_t nblocks) noexcept {
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

using Sha1Buffer = MdBuffer<Sha1State, 64, 8, MdOrder::big, sha1_blocks>;

void sha1_update(Sha1State* st, const uint8_t* data, std::size_t len) noexcept { Sha1Buffer::update(st, data, len); }

void sha1_final(Sha1State* st, uint8_t* out) noexcept {
    Sha1Buffer::finish(st);
    Sha1Buffer::output(st, out, 5);
}

void sha1_final_bits(Sha1State* st, uint8_t last, unsigned nbits, uint8_t* out) noexcept {
    Sha1Buffer::finish_bits(st, last, nbits);
    Sha1Buffer::output(st, out, 5);
}
