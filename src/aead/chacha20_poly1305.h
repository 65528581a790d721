// ChaCha20-Poly1305 (RFC 8439, section 2.8): a 32-byte key, a 12-byte nonce,
// a 16-byte tag. The Poly1305 key is the first half of ChaCha20 block 0;
// the text is encrypted from block 1 on; the tag is Poly1305 over the AAD
// and the ciphertext, each zero-filled to 16 bytes, and their lengths as
// 64-bit little-endian numbers.
#pragma once
#include <cstddef>
#include <cstdint>

#include "aead/chacha20.h"
#include "hash/poly1305.h"

constexpr std::size_t kChaChaPolyKeyLen = 32;
constexpr std::size_t kChaChaPolyNonceLen = 12;
constexpr std::size_t kChaChaPolyTagLen = 16;
// The most text one message may hold: the 32-bit block counter runs from 1
// to 2^32 - 1 and never wraps inside a message.
constexpr uint64_t kChaChaPolyMaxText = ((uint64_t{1} << 32) - 1) * 64;

// One-shot encryption of len bytes of in into out (out may equal in; null
// only when len is 0) and the 16-byte tag.
void chacha20_poly1305_encrypt(const uint8_t key[32], const uint8_t nonce[12], const uint8_t* aad,
                               std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                               uint8_t tag[16]) noexcept;

// One-shot decryption. The tag is computed over the AAD, the ciphertext and
// the lengths first and its first tag_len bytes (1 to 16) compared with
// `tag` in constant time; on a mismatch it returns -AUTH_FAIL_ERROR and
// writes nothing; on a match it decrypts into out (which may equal in, or be
// null to verify only) and returns 0.
int32_t chacha20_poly1305_decrypt(const uint8_t key[32], const uint8_t nonce[12], const uint8_t* aad,
                                  std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t* tag,
                                  std::size_t tag_len, uint8_t* out) noexcept;

// One message taken in pieces (the incremental AEAD functions). Key material.
struct ChaChaPolyStream {
    ChaCha20Stream cipher;  // from block 1, with the unused end of a cut block
    Poly1305State mac;
    uint64_t aad_len;   // bytes of AAD
    uint64_t text_len;  // bytes of text
};

// Starts a message: the Poly1305 key from block 0, the cipher at block 1.
void chacha_poly_stream_start(ChaChaPolyStream* st, const uint8_t key[32], const uint8_t nonce[12]) noexcept;
// Adds AAD (before chacha_poly_stream_aad_end).
void chacha_poly_stream_aad(ChaChaPolyStream* st, const uint8_t* aad, std::size_t len) noexcept;
// Ends the AAD: zero bytes to a multiple of 16.
void chacha_poly_stream_aad_end(ChaChaPolyStream* st) noexcept;
// Encrypts the next len bytes (out may equal in) and MACs the ciphertext.
void chacha_poly_stream_encrypt(ChaChaPolyStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
// MACs the next len bytes of ciphertext, then decrypts them into out (which
// may equal in); with out null the keystream moves on just the same.
void chacha_poly_stream_decrypt(ChaChaPolyStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
// Ends the message: writes the 16-byte tag and wipes the stream.
void chacha_poly_stream_finish(ChaChaPolyStream* st, uint8_t tag[16]) noexcept;
