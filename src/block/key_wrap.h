// Key wrap: the AES key wrap of RFC 3394 (default initial value
// A6A6A6A6A6A6A6A6) and the Triple DES key wrap of RFC 3217, with the
// Triple DES wrap IV made from the handle generator. Lengths are checked by
// the callers (CIPHER_KeyWrap, CIPHER_KeyUnwrap); every cipher context is on
// the stack and wiped.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t kTdeaWrapKeyLen = 24;     // the key data and the KEK
constexpr std::size_t kTdeaWrappedLen = 40;     // the wrapped form
constexpr int32_t kKeyUnwrapIntegrity = -1;     // an unwrap whose integrity check failed

// Wraps key_len bytes of key data (a multiple of 8, at least 16) under a
// KEK of 16, 24 or 32 bytes into out (key_len + 8 bytes; out may overlap
// the key data).
void aes_key_wrap(uint8_t* out, const uint8_t* kek, std::size_t kek_len, const uint8_t* key_data,
                  std::size_t key_len) noexcept;

// The verdict of an unwrap: the n bytes of the value it computed against the
// value they must equal, compared in constant time. On a mismatch all
// out_len bytes of out are zeroed and kKeyUnwrapIntegrity is returned; else 0.
int32_t key_unwrap_verdict(const uint8_t* computed, const uint8_t* expected, std::size_t n, uint8_t* out,
                           std::size_t out_len) noexcept;

// Unwraps wrapped_len bytes (a multiple of 8, at least 24) into out
// (wrapped_len - 8 bytes; out may overlap the input). When the final
// integrity value is not A6A6A6A6A6A6A6A6 (compared in constant time) all
// out_len bytes of out are zeroed and kKeyUnwrapIntegrity is returned;
// else 0. out_len is at least wrapped_len - 8.
int32_t aes_key_unwrap(uint8_t* out, std::size_t out_len, const uint8_t* kek, std::size_t kek_len,
                       const uint8_t* wrapped, std::size_t wrapped_len) noexcept;

// The 8-byte IV of the inner pass of the Triple DES wrap: the 24 KEK bytes
// folded into 32 bits, XORed with one output of the handle generator
// (block/handle.h), seed a TinyMT32 whose next eight outputs give the IV
// bytes (the low byte of each). Not secret, not part of the format.
void tdea_wrap_iv(uint8_t iv[8], const uint8_t kek[24]) noexcept;

// The Triple DES wrap with a given inner IV: ICV = the first 8 bytes of
// SHA-1 of the key, CBC(kek, iv, key || ICV) behind iv, the 40 bytes
// reversed, CBC(kek, 4ADDA22C79E82105) over them into out. The parity bits
// of the key are used as given.
void tdea_key_wrap_iv(uint8_t out[40], const uint8_t kek[24], const uint8_t key_data[24],
                      const uint8_t iv[8]) noexcept;

// The same with the IV of tdea_wrap_iv.
void tdea_key_wrap(uint8_t out[40], const uint8_t kek[24], const uint8_t key_data[24]) noexcept;

// Unwraps the 40 bytes into the 24-byte key at out (out_len >= 24 bytes of
// room). When the check value does not match (compared in constant time)
// all out_len bytes are zeroed and kKeyUnwrapIntegrity is returned; else 0.
int32_t tdea_key_unwrap(uint8_t* out, std::size_t out_len, const uint8_t kek[24], const uint8_t wrapped[40]) noexcept;
