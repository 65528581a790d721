// Extendable-output functions: SHAKE128/256 (FIPS 202), Ascon-XOF and
// Ascon-XOFa (Ascon version 1.2), and the dispatcher over XOF option words
// that adds MGF1.
#pragma once
#include <cstddef>
#include <cstdint>

// SHAKE with rate 168 (SHAKE128) or 136 (SHAKE256) bytes: out_len bytes of
// output over msg. Null pointers are allowed with length 0.
void shake_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, uint32_t rate) noexcept;
// Ascon-XOF (a = false) or Ascon-XOFa (a = true).
void ascon_xof_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, bool a) noexcept;

// The dispatcher: the option word's low twelve bits select the function
// (higher bits are ignored), named by the XOF_ constants of the public
// header. MGF1 when option & 0xFF0 is XOF_MGF1_SHA1, the low four bits being
// the hash code (an out_len of 0 is -BAD_PARAM_ERROR, then a hash code other
// than 0, 3-6 is -BAD_FLAG_ERROR); else XOF_SHAKE128, XOF_SHAKE256,
// XOF_ASCON_XOF or XOF_ASCON_XOFA, any other value -BAD_FLAG_ERROR. Writes
// out_len bytes and returns out_len.
int64_t xof_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len,
                  uint32_t option) noexcept;
