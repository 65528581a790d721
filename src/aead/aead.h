// The algorithms of the AEAD_ family, chosen by the low byte of an option
// word, and the one-shot encryption and decryption of each: AES-128-GCM and
// AES-256-GCM (codes 1 and 2, the numbers of RFC 5116's registry),
// ChaCha20-Poly1305 (29, RFC 8439), Ascon-128 and Ascon-128a (26 and 27).
#pragma once
#include <cstddef>
#include <cstdint>

#include "tessalib.h"

struct AeadChoice {
    uint32_t code;       // AEAD_AES_128_GCM, AEAD_AES_256_GCM, AEAD_CHACHA20_POLY1305, AEAD_ASCON_128(A)
    uint32_t key_len;    // bytes: 16 or 32
    uint32_t nonce_len;  // bytes: 12, or 16 for Ascon
};

constexpr std::size_t kAeadTagLen = 16;
constexpr std::size_t kAeadMaxKeyLen = 32;

// The algorithm of the low byte of `options` (the other bits are not read).
// 0 and *choice, or -BAD_FLAG_ERROR for a code outside the table.
int32_t aead_choose(uint32_t options, AeadChoice* choice) noexcept;

// True for Ascon-128 and Ascon-128a, which the one-shot functions with a
// separate tag and the incremental functions do not take.
inline bool aead_is_ascon(const AeadChoice& c) noexcept {
    return c.code == AEAD_ASCON_128 || c.code == AEAD_ASCON_128A;
}

// Encrypts len bytes of in into out (out may equal in; null only when len is
// 0) and writes the 16-byte tag. The key and nonce have the lengths of the
// choice. The GCM key block is made on the stack and wiped.
void aead_seal(const AeadChoice& c, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
               std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out, uint8_t tag[16]) noexcept;

// Decrypts len bytes of in into out (out may equal in, or be null to verify
// only) after comparing the first tag_len bytes (1 to 16) of the computed tag
// with `tag` in constant time: 0, or -AUTH_FAIL_ERROR. On a mismatch GCM and
// ChaCha20-Poly1305 write nothing; Ascon (whose tag_len is 16) leaves the
// first len bytes of out zero.
int32_t aead_open(const AeadChoice& c, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                  std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t* tag, std::size_t tag_len,
                  uint8_t* out) noexcept;
