// The AES-GCM engine (NIST SP 800-38D) behind AEAD_ (AES-128-GCM and
// AES-256-GCM) and GCM_ (AES-128, -192 and -256, IVs of any length, tags of 4
// to 16 bytes): the key block, one-shot encryption and decryption, and the
// message stream of the incremental AEAD functions.
#pragma once
#include <cstddef>
#include <cstdint>

#include "aead/gcm_ctr.h"
#include "aead/ghash.h"

constexpr std::size_t kGcmTagLen = 16;
// The most text one message may hold: 2^39 - 256 bits (SP 800-38D), so that
// the 32-bit block counter never comes back to the block of the tag mask.
constexpr uint64_t kGcmMaxText = (uint64_t{1} << 36) - 32;

// The key block: the AES encryption key schedule, the key size and the GHASH
// key of H = AES_K(0^128) (the 4 KiB table, or the powers of H on the
// hardware path), both for the path chosen at set-up. About 4.3 KiB, all of
// it key material.
struct GcmKey {
    GcmAesKey aes;
    uint32_t key_bits;  // 128, 192 or 256
    GhashKey ghash;
};

// True for the key lengths GCM takes: 16, 24 and 32 bytes.
inline bool gcm_key_len_ok(std::size_t len) noexcept { return len == 16 || len == 24 || len == 32; }

// Builds the key block of a 16-, 24- or 32-byte key (gcm_key_len_ok).
void gcm_key_setup(GcmKey* key, const uint8_t* raw, std::size_t raw_len) noexcept;

// One-shot encryption: len bytes of in into out (out may equal in) under the
// IV (any length of at least 1 byte), with the AAD, and the 16-byte tag.
// out may be null only when len is 0 (the tag of the AAD alone).
void gcm_encrypt(const GcmKey* key, const uint8_t* iv, std::size_t iv_len, const uint8_t* aad, std::size_t aad_len,
                 const uint8_t* in, std::size_t len, uint8_t* out, uint8_t tag[16]) noexcept;

// One-shot decryption: hashes the ciphertext and compares the first tag_len
// bytes (1 to 16) of the computed tag with `tag` in constant time; on a
// mismatch returns -AUTH_FAIL_ERROR and writes nothing, on a match decrypts
// into out (which may equal in, or be null to verify only) and returns 0.
int32_t gcm_decrypt(const GcmKey* key, const uint8_t* iv, std::size_t iv_len, const uint8_t* aad, std::size_t aad_len,
                    const uint8_t* in, std::size_t len, const uint8_t* tag, std::size_t tag_len, uint8_t* out) noexcept;

// One message taken in pieces (the incremental AEAD functions): the counter,
// the running GHASH, the tag mask, the unused end of the last keystream
// block, and the byte counts. Key material.
struct GcmStream {
    GcmCounter ctr;
    GhashStream mac;
    uint8_t mask[16];       // E(K, J0), added to GHASH for the tag
    uint8_t keystream[16];  // the last keystream block
    uint32_t ks_left;       // its bytes not yet used, at its end (0 to 15)
    uint32_t reserved;
    uint64_t aad_len;       // bytes of AAD
    uint64_t text_len;      // bytes of text
};

// Starts a message with the IV (any length of at least 1 byte).
void gcm_stream_start(const GcmKey* key, GcmStream* st, const uint8_t* iv, std::size_t iv_len) noexcept;
// Adds AAD (before gcm_stream_aad_end).
void gcm_stream_aad(const GcmKey* key, GcmStream* st, const uint8_t* aad, std::size_t len) noexcept;
// Ends the AAD: completes its last block with zeros.
void gcm_stream_aad_end(const GcmKey* key, GcmStream* st) noexcept;
// Encrypts the next len bytes of text (out may equal in) and hashes them.
void gcm_stream_encrypt(const GcmKey* key, GcmStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
// Hashes the next len bytes of ciphertext, then decrypts them into out (which
// may equal in); with out null the keystream moves on just the same.
void gcm_stream_decrypt(const GcmKey* key, GcmStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
// Ends the message: writes the 16-byte tag and wipes the stream.
void gcm_stream_finish(const GcmKey* key, GcmStream* st, uint8_t tag[16]) noexcept;
