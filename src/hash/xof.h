// Extendable-output functions: SHAKE128/256 (FIPS 202), Ascon-XOF and
// Ascon-XOFa (Ascon version 1.2), and the dispatcher over XOF option words
// that adds MGF1.
#pragma once
#include <cstddef>
#include <cstdint>

// XOF option values (the low twelve bits of the option word).
enum XofOption : uint32_t {
    kXofShake128 = 0x203,
    kXofShake256 = 0x204,
    kXofAsconXof = 0x20A,
    kXofAsconXofa = 0x20B,
    kXofMgf1 = 0x210,  // low four bits: the hash code (0, 3, 4, 5 or 6)
};

// SHAKE with rate 168 (SHAKE128) or 136 (SHAKE256) bytes: out_len bytes of
// output over msg. Null pointers are allowed with length 0.
void shake_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, uint32_t rate) noexcept;
// Ascon-XOF (a = false) or Ascon-XOFa (a = true).
void ascon_xof_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, bool a) noexcept;

// The dispatcher: the option word's low twelve bits select the function
// (higher bits are ignored). MGF1 when option & 0xFF0 is 0x210 (an out_len
// of 0 is -BAD_PARAM_ERROR, then a hash code other than 0, 3-6 is
// -BAD_FLAG_ERROR); else 0x203, 0x204, 0x20A or 0x20B, any other value
// -BAD_FLAG_ERROR. Writes out_len bytes and returns out_len.
int64_t xof_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len,
                  uint32_t option) noexcept;
