// Ascon-128 and Ascon-128a, version 1.2 (the final-round NIST lightweight
// cryptography variants: the original initial values, big-endian byte
// order), on the Ascon permutation of hash/ascon.h. A 16-byte key, a 16-byte
// nonce and a 16-byte tag; Ascon-128 absorbs 8 bytes per permutation of 6
// rounds, Ascon-128a 16 bytes per permutation of 8 rounds.
#pragma once
#include <cstddef>
#include <cstdint>

enum class AsconAeadKind : uint32_t { ascon128, ascon128a };

constexpr std::size_t kAsconAeadKeyLen = 16;
constexpr std::size_t kAsconAeadNonceLen = 16;
constexpr std::size_t kAsconAeadTagLen = 16;

// Encrypts len bytes of in into out (out may equal in; null only when len is
// 0) and writes the 16-byte tag.
void ascon_aead_encrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                        std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                        uint8_t tag[16]) noexcept;

// Decrypts len bytes of in into out (out may equal in) and compares the
// 16-byte tag in constant time: 0, or -AUTH_FAIL_ERROR with the first len
// bytes of out set to zero.
int32_t ascon_aead_decrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                           std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t tag[16],
                           uint8_t* out) noexcept;

// The ways of running the sponge: on any processor, or with BMI1 and BMI2.
// The calls above take the faster one this processor has; these run a
// chosen one (which must be available), for the tests.
enum class AsconAeadPath : uint32_t { portable, bmi };
bool ascon_aead_path_available(AsconAeadPath path) noexcept;
void ascon_aead_encrypt_path(AsconAeadPath path, AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16],
                             const uint8_t* aad, std::size_t aad_len, const uint8_t* in, std::size_t len,
                             uint8_t* out, uint8_t tag[16]) noexcept;
int32_t ascon_aead_decrypt_path(AsconAeadPath path, AsconAeadKind kind, const uint8_t key[16],
                                const uint8_t nonce[16], const uint8_t* aad, std::size_t aad_len, const uint8_t* in,
                                std::size_t len, const uint8_t tag[16], uint8_t* out) noexcept;
