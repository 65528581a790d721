// Constant-time helpers: masks, selection and comparison in which no branch
// and no memory index depends on the values compared. A comparison that
// involves secret data (a key against a table of weak keys, a tag, a MAC,
// padding, a check value) uses ct_memeq, never memcmp.
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(TESSALIB_CT_VALGRIND)
#include <valgrind/memcheck.h>
#endif

// Hides a value from the optimiser so that masks stay branch-free.
inline uint32_t ct_barrier(uint32_t v) noexcept {
#if defined(__GNUC__) || defined(__clang__)
    __asm__("" : "+r"(v));
#endif
    return v;
}

// All-ones when v == 0, else zero.
inline uint32_t ct_is_zero_mask(uint32_t v) noexcept {
    v = ct_barrier(v);
    return static_cast<uint32_t>(0) - (((v | (0u - v)) >> 31) ^ 1u);
}

// All-ones when a == b, else zero.
inline uint32_t ct_eq_mask(uint32_t a, uint32_t b) noexcept { return ct_is_zero_mask(a ^ b); }

// All-ones when a < b, else zero; a and b must be below 2^31.
inline uint32_t ct_lt_mask(uint32_t a, uint32_t b) noexcept { return 0u - ((ct_barrier(a) - b) >> 31); }

// mask ? a : b, for an all-ones or all-zero mask.
inline uint32_t ct_select(uint32_t mask, uint32_t a, uint32_t b) noexcept {
    mask = ct_barrier(mask);
    return (a & mask) | (b & ~mask);
}

// 1 when the n bytes at a and b are equal, else 0; time depends on n only.
inline int ct_memeq(const void* a, const void* b, std::size_t n) noexcept {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    uint32_t diff = 0;
    for (std::size_t i = 0; i < n; ++i) diff |= static_cast<uint32_t>(x[i] ^ y[i]);
    return static_cast<int>(ct_is_zero_mask(diff) & 1u);
}

// Marks a verdict computed from secrets as public: the one value a function
// branches on, or returns, once every step that touches the secrets is done
// (the result of a tag comparison). In the build of the constant-time check
// (TESSALIB_CT_VALGRIND), where secrets are marked undefined for valgrind's
// memcheck, it marks the value defined again; elsewhere it does nothing.
inline int ct_public(int verdict) noexcept {
#if defined(TESSALIB_CT_VALGRIND)
    VALGRIND_MAKE_MEM_DEFINED(&verdict, sizeof verdict);
#endif
    return verdict;
}
