// scrypt. Blocks are kept as host-order 32-bit words from the moment they are
// read until they are written back, and BlockMix writes its output straight
// to where it is needed: the first ROMix loop fills V[i + 1] from V[i] and the
// second ping-pongs between two scratch blocks, so nothing is copied.
//
// Two Salsa20/8 cores run the same ROMix: the portable one on words in their
// natural order, and on processors with SSE2 one that does the four
// quarter-rounds of a column (or row) step at once in four vector lanes. The
// vector core keeps each 16-word sub-block in diagonal order (see SseCore),
// a permutation applied when a block is read and undone when it is written;
// xor, addition and copies are lane by lane and do not care about the order.
#include "hash/scrypt.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/endian.h"
#include "core/frame.h"
#include "core/wipe.h"
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

// The portable core: sub-blocks in natural word order. mix is BlockMix(in)
// or, with in2, BlockMix(in ^ in2), into out; x and t are 16-word scratch
// blocks in the work area (wiped with it).
struct ScalarCore {
    static constexpr int kWord0 = 0, kWord1 = 1;  // where words 0 and 1 of a sub-block are kept
    static void load(uint32_t* x, const uint8_t* p) noexcept {
        for (int k = 0; k < 16; ++k) x[k] = load_le32(p + 4 * k);
    }
    static void store(uint8_t* p, const uint32_t* x) noexcept {
        for (int k = 0; k < 16; ++k) store_le32(p + 4 * k, x[k]);
    }
    static void mix(const uint32_t* in, const uint32_t* in2, uint32_t* out, std::size_t r, uint32_t* x,
                    uint32_t* t) noexcept {
        if (in2 == nullptr)
            block_mix(in, out, r, x);
        else
            block_mix_xor(in, in2, out, r, x, t);
    }
};

#if defined(__SSE2__)
#define SCRYPT_HAVE_SSE2 1

// The vector core. A sub-block is kept as four vectors of four words,
//   a = (x0, x5, x10, x15), b = (x4, x9, x14, x3), c = (x8, x13, x2, x7),
//   d = (x12, x1, x6, x11),
// so that each column step of Salsa20 is b ^= (a + d) <<< 7,
// c ^= (b + a) <<< 9, d ^= (c + b) <<< 13, a ^= (d + c) <<< 18 in all four
// lanes at once. Rotating the lanes of b, c and d (and swapping the roles of b
// and d) turns the columns into rows, and the same rotation turns them back.
struct SseCore {
    static constexpr int kOrder[16] = {0, 5, 10, 15, 4, 9, 14, 3, 8, 13, 2, 7, 12, 1, 6, 11};
    static constexpr int kWord0 = 0, kWord1 = 13;
    static void load(uint32_t* x, const uint8_t* p) noexcept {
        for (int k = 0; k < 16; ++k) x[k] = load_le32(p + 4 * kOrder[k]);
    }
    static void store(uint8_t* p, const uint32_t* x) noexcept {
        for (int k = 0; k < 16; ++k) store_le32(p + 4 * kOrder[k], x[k]);
    }
    static __m128i rotl(__m128i v, int n) noexcept {
        return _mm_or_si128(_mm_slli_epi32(v, n), _mm_srli_epi32(v, 32 - n));
    }
    static __m128i at(const uint32_t* p, int i) noexcept {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p) + i);
    }
    static void put(uint32_t* p, int i, __m128i v) noexcept {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p) + i, v);
    }
    // (a, b, c, d) = Salsa20/8 of (a, b, c, d).
    static void rounds(__m128i& a, __m128i& b, __m128i& c, __m128i& d) noexcept {
        const __m128i a0 = a, b0 = b, c0 = c, d0 = d;
        for (int half = 0; half < 8; ++half) {  // four column and four row steps
            b = _mm_xor_si128(b, rotl(_mm_add_epi32(a, d), 7));
            c = _mm_xor_si128(c, rotl(_mm_add_epi32(b, a), 9));
            d = _mm_xor_si128(d, rotl(_mm_add_epi32(c, b), 13));
            a = _mm_xor_si128(a, rotl(_mm_add_epi32(d, c), 18));
            const __m128i t = b;
            b = _mm_shuffle_epi32(d, 0x39);
            d = _mm_shuffle_epi32(t, 0x93);
            c = _mm_shuffle_epi32(c, 0x4E);
        }
        a = _mm_add_epi32(a, a0);
        b = _mm_add_epi32(b, b0);
        c = _mm_add_epi32(c, c0);
        d = _mm_add_epi32(d, d0);
    }
    // As ScalarCore::mix; the running sub-block stays in registers and the
    // scratch blocks are not needed.
    static void mix(const uint32_t* in, const uint32_t* in2, uint32_t* out, std::size_t r, uint32_t*,
                    uint32_t*) noexcept {
        const uint32_t* last = in + (2 * r - 1) * 16;
        __m128i a = at(last, 0), b = at(last, 1), c = at(last, 2), d = at(last, 3);
        if (in2 != nullptr) {
            const uint32_t* last2 = in2 + (2 * r - 1) * 16;
            a = _mm_xor_si128(a, at(last2, 0));
            b = _mm_xor_si128(b, at(last2, 1));
            c = _mm_xor_si128(c, at(last2, 2));
            d = _mm_xor_si128(d, at(last2, 3));
        }
        for (std::size_t i = 0; i < 2 * r; ++i) {
            const uint32_t* sub = in + 16 * i;
            a = _mm_xor_si128(a, at(sub, 0));
            b = _mm_xor_si128(b, at(sub, 1));
            c = _mm_xor_si128(c, at(sub, 2));
            d = _mm_xor_si128(d, at(sub, 3));
            if (in2 != nullptr) {
                const uint32_t* sub2 = in2 + 16 * i;
                a = _mm_xor_si128(a, at(sub2, 0));
                b = _mm_xor_si128(b, at(sub2, 1));
                c = _mm_xor_si128(c, at(sub2, 2));
                d = _mm_xor_si128(d, at(sub2, 3));
            }
            rounds(a, b, c, d);
            uint32_t* dst = out + 16 * ((i & 1) ? r + i / 2 : i / 2);
            put(dst, 0, a);
            put(dst, 1, b);
            put(dst, 2, c);
            put(dst, 3, d);
        }
    }
};
#endif

// The first 64-bit little-endian word of the last 64-byte sub-block.
template <typename Core>
inline uint64_t integerify(const uint32_t* x, std::size_t r) noexcept {
    const uint32_t* last = x + (2 * r - 1) * 16;
    return static_cast<uint64_t>(last[Core::kWord0]) | (static_cast<uint64_t>(last[Core::kWord1]) << 32);
}

// ROMix of one 128 r-byte block of B in place. v holds N blocks of 32 r
// words; xy two such blocks and two 16-word scratch blocks.
template <typename Core>
void ro_mix(uint8_t* block, std::size_t r, uint64_t n, uint32_t* v, uint32_t* xy) noexcept {
    const std::size_t words = 32 * r;
    uint32_t* x = xy;
    uint32_t* y = xy + words;
    uint32_t* s = xy + 2 * words;
    uint32_t* t = s + 16;
    for (std::size_t k = 0; k < words; k += 16) Core::load(v + k, block + 4 * k);
    for (uint64_t i = 0; i + 1 < n; ++i) Core::mix(v + i * words, nullptr, v + (i + 1) * words, r, s, t);
    Core::mix(v + (n - 1) * words, nullptr, x, r, s, t);
    const uint64_t mask = n - 1;
    for (uint64_t i = 0; i < n; i += 2) {
        Core::mix(x, v + (integerify<Core>(x, r) & mask) * words, y, r, s, t);
        Core::mix(y, v + (integerify<Core>(y, r) & mask) * words, x, r, s, t);
    }
    for (std::size_t k = 0; k < words; k += 16) Core::store(block + 4 * k, x + k);
}

// A work area from the checked allocator (null when it cannot be had). It
// is declared an allocation, as malloc is, so that the optimiser knows the
// areas alias nothing else and keeps ROMix's values in registers.
[[gnu::malloc, gnu::noinline]] void* work_area(uint64_t n) noexcept {
    return MemAllocChecked(static_cast<std::size_t>(n));
}

// Wipes the first n bytes of a work area and frees it (null is ignored).
void release(void* p, std::size_t n) noexcept {
    if (p == nullptr) return;
    secure_wipe(p, n);
    MemFree(p);
}

}  // namespace

void salsa20_8_core(uint32_t x[16]) noexcept {
    static const uint32_t zero[16] = {0};
    salsa_xor(x, zero);
}

int32_t scrypt_check_cost(uint64_t n, uint64_t r, uint64_t p) noexcept {
    if (n == 0 || r == 0 || p == 0) return -BAD_PARAM_ERROR;
    constexpr uint64_t kMaxR = (static_cast<uint64_t>(1) << 57) - 1;
    if (r > kMaxR || p >= (static_cast<uint64_t>(1) << 30) / r || n < 2 || (n & (n - 1)) != 0 || n > kMaxR / r)
        return -OUT_OF_RANGE_ERROR;
    return 0;
}

namespace {

template <typename Core>
int32_t scrypt_run(uint8_t* out, std::size_t dk_len, const uint8_t* password, std::size_t password_len,
                   const uint8_t* salt, std::size_t salt_len, uint64_t n, uint64_t r, uint64_t p) noexcept {
    if (out == nullptr || (password == nullptr && password_len != 0) || (salt == nullptr && salt_len != 0))
        return -NULL_ERROR;
    if (dk_len == 0) return -BAD_PARAM_ERROR;
    if (const int32_t rc = scrypt_check_cost(n, r, p)) return rc;

    // r N <= 2^57 - 1 and r p < 2^30, so none of these overflow 64 bits.
    const uint64_t block_bytes = 128 * r;
    const uint64_t v_bytes = block_bytes * n;
    const uint64_t b_bytes = block_bytes * p;
    const uint64_t xy_bytes = 2 * block_bytes + 128;  // X, Y and two Salsa20/8 blocks
    constexpr uint64_t kSizeMax = static_cast<uint64_t>(static_cast<std::size_t>(-1));
    if (v_bytes > kSizeMax || b_bytes > kSizeMax) return -MEMORY_ERROR;

    uint32_t* v = static_cast<uint32_t*>(work_area(v_bytes));
    uint8_t* b = static_cast<uint8_t*>(work_area(b_bytes));
    uint32_t* xy = static_cast<uint32_t*>(work_area(xy_bytes));
    int32_t rc = 0;
    bool used = false;  // the areas hold derived data and must be wiped
    if (v == nullptr || b == nullptr || xy == nullptr) {
        rc = -MEMORY_ERROR;
    } else if (pbkdf2(b, b_bytes, password, password_len, salt, salt_len, 1, kHashSha256) != 0) {
        rc = -INTERNAL_ERROR;
    } else {
        used = true;
        const std::size_t rr = static_cast<std::size_t>(r);
        for (uint64_t i = 0; i < p; ++i) ro_mix<Core>(b + i * block_bytes, rr, n, v, xy);
        if (pbkdf2(out, dk_len, password, password_len, b, static_cast<std::size_t>(b_bytes), 1, kHashSha256) != 0)
            rc = -INTERNAL_ERROR;
    }
    release(v, used ? static_cast<std::size_t>(v_bytes) : 0);
    release(b, used ? static_cast<std::size_t>(b_bytes) : 0);
    release(xy, used ? static_cast<std::size_t>(xy_bytes) : 0);
    return rc;
}

}  // namespace

int32_t scrypt_derive(uint8_t* out, std::size_t dk_len, const uint8_t* password, std::size_t password_len,
                      const uint8_t* salt, std::size_t salt_len, uint64_t n, uint64_t r, uint64_t p) noexcept {
#ifdef SCRYPT_HAVE_SSE2
    return scrypt_run<SseCore>(out, dk_len, password, password_len, salt, salt_len, n, r, p);
#else
    return scrypt_run<ScalarCore>(out, dk_len, password, password_len, salt, salt_len, n, r, p);
#endif
}

int32_t scrypt_derive_portable(uint8_t* out, std::size_t dk_len, const uint8_t* password, std::size_t password_len,
                               const uint8_t* salt, std::size_t salt_len, uint64_t n, uint64_t r,
                               uint64_t p) noexcept {
    return scrypt_run<ScalarCore>(out, dk_len, password, password_len, salt, salt_len, n, r, p);
}
