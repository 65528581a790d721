// The incremental AEAD context (AES-128-GCM, AES-256-GCM and
// ChaCha20-Poly1305) and its stages:
//
//   0 cleared -> init -> 1 keyed -> set_nonce -> 2 nonce set (AAD may be
//   added) -> start_encrypt -> 3 encrypting, or start_decrypt -> 4
//   decrypting -> update (any number) -> finish_encrypt / finish_decrypt -> 1
//
// Every call here but aead_ctx_init comes after the caller's handle check,
// returns 0 or a negated code, and changes nothing when it fails before its
// work (a call in the wrong stage is -MISUSE_ERROR). The checks of each call
// are listed with it, in their order. A context whose algorithm is not 1, 2
// or 29 (which no sequence of these calls makes) gives -INTERNAL_ERROR.
#pragma once
#include <cstddef>
#include <cstdint>

#include "aead/aead.h"
#include "aead/chacha20_poly1305.h"
#include "aead/gcm.h"

enum AeadStage : uint32_t {
    kAeadCleared = 0,
    kAeadKeyed = 1,
    kAeadNonceSet = 2,
    kAeadEncrypting = 3,
    kAeadDecrypting = 4,
};

// The context of one thread's AEAD slot. Key material throughout.
struct AeadContext {
    int32_t algorithm;          // 1, 2 or 29 once keyed; -1 after a failed code; 0 cleared
    uint32_t stage;             // AeadStage
    uint8_t raw_key[kAeadMaxKeyLen];
    uint8_t expected_tag[16];   // the tag given to start_decrypt
    uint32_t expected_tag_len;  // 4 to 16
    uint32_t reserved;
    union {
        struct {
            GcmKey key;  // built afresh from raw_key at each set_nonce
            GcmStream msg;
        } gcm;
        ChaChaPolyStream chacha;
    } u;
};

// Keys a wiped context (the caller wipes it first): the low byte of options
// 1 takes a 16-byte key, 2 and 29 a 32-byte key (else -BAD_KEY_LEN_ERROR);
// any other code (Ascon's included) sets algorithm to -1 and gives
// -BAD_FLAG_ERROR. On success the context is in stage 1.
int32_t aead_ctx_init(AeadContext* ctx, const uint8_t* key, std::size_t key_len, uint32_t options) noexcept;

// nonce NULL or nonce_len < 1: -BAD_IV_ERROR; nonce_len not 12:
// -BAD_IV_LEN_ERROR; stage not 1: -MISUSE_ERROR. Starts a message (stage 2).
int32_t aead_ctx_set_nonce(AeadContext* ctx, const uint8_t* nonce, int32_t nonce_len) noexcept;

// aad_len < 0: -BAD_PARAM_ERROR; stage not 2: -MISUSE_ERROR; then a NULL aad
// or aad_len 0 adds nothing. Adds AAD.
int32_t aead_ctx_add_aad(AeadContext* ctx, const uint8_t* aad, int32_t aad_len) noexcept;

// Stage not 2: -MISUSE_ERROR. Ends the AAD; stage 3.
int32_t aead_ctx_start_encrypt(AeadContext* ctx) noexcept;

// tag NULL or tag_len < 1: -BAD_PARAM_ERROR; stage not 2: -MISUSE_ERROR;
// tag_len < 4: -BAD_PARAM_ERROR. Ends the AAD, keeps the first
// min(tag_len, 16) bytes of the tag; stage 4.
int32_t aead_ctx_start_decrypt(AeadContext* ctx, const uint8_t* tag, int32_t tag_len) noexcept;

// output_len or input_len < 0: -BAD_PARAM_ERROR; input and output non-NULL,
// input_len >= 1 and output_len < input_len: -SHORT_BUF_ERROR; input NULL
// with input_len > 0: -BAD_PARAM_ERROR; stage not 3 or 4: -MISUSE_ERROR;
// stage 3 with output NULL and input_len > 0: -BAD_PARAM_ERROR; text past
// the message limit (kGcmMaxText, kChaChaPolyMaxText): -BAD_LENGTH_ERROR,
// with nothing processed. Then encrypts (and MACs the ciphertext) or MACs
// and decrypts exactly input_len bytes; in stage 4 a NULL output only MACs,
// the keystream moving on over the bytes all the same.
int32_t aead_ctx_update(AeadContext* ctx, uint8_t* output, int32_t output_len, const uint8_t* input,
                        int32_t input_len) noexcept;

// tag NULL or tag_len < 1: -BAD_PARAM_ERROR; tag_len < 16: -SHORT_BUF_ERROR;
// stage not 3: -MISUSE_ERROR. Writes the 16-byte tag; stage 1.
int32_t aead_ctx_finish_encrypt(AeadContext* ctx, uint8_t* tag, int32_t tag_len) noexcept;

// Stage not 4: -MISUSE_ERROR. Compares the kept tag's bytes with the
// computed tag in constant time: 0 or -AUTH_FAIL_ERROR; stage 1 either way.
int32_t aead_ctx_finish_decrypt(AeadContext* ctx) noexcept;
