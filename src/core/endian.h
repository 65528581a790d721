// Byte-order loads and stores and rotations, for every engine. Loads and
// stores go through memcpy, so any alignment is fine; the compiler turns
// them into single moves (and a byte swap where the order differs).
#pragma once
#include <cstdint>
#include <cstring>

inline uint32_t load_be32(const uint8_t* p) noexcept {
    uint32_t v;
    std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return v;
#else
    return __builtin_bswap32(v);
#endif
}

inline uint32_t load_le32(const uint8_t* p) noexcept {
    uint32_t v;
    std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap32(v);
#else
    return v;
#endif
}

inline uint64_t load_be64(const uint8_t* p) noexcept {
    uint64_t v;
    std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return v;
#else
    return __builtin_bswap64(v);
#endif
}

inline uint64_t load_le64(const uint8_t* p) noexcept {
    uint64_t v;
    std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap64(v);
#else
    return v;
#endif
}

inline void store_be32(uint8_t* p, uint32_t v) noexcept {
#if !(defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
    v = __builtin_bswap32(v);
#endif
    std::memcpy(p, &v, 4);
}

inline void store_le32(uint8_t* p, uint32_t v) noexcept {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    std::memcpy(p, &v, 4);
}

inline void store_be64(uint8_t* p, uint64_t v) noexcept {
#if !(defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
    v = __builtin_bswap64(v);
#endif
    std::memcpy(p, &v, 8);
}

inline void store_le64(uint8_t* p, uint64_t v) noexcept {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    std::memcpy(p, &v, 8);
}

inline uint32_t rotl32(uint32_t x, unsigned n) noexcept { return (x << n) | (x >> ((32 - n) & 31)); }
inline uint32_t rotr32(uint32_t x, unsigned n) noexcept { return (x >> n) | (x << ((32 - n) & 31)); }
inline uint64_t rotl64(uint64_t x, unsigned n) noexcept { return (x << n) | (x >> ((64 - n) & 63)); }
inline uint64_t rotr64(uint64_t x, unsigned n) noexcept { return (x >> n) | (x << ((64 - n) & 63)); }
