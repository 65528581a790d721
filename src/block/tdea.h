// Triple DES (TDEA, SP 800-67): encrypt-decrypt-encrypt with three 8-byte
// keys K1 || K2 || K3, in the five modes of operation.
#pragma once
#include <cstddef>
#include <cstdint>

struct TdeaContext {
    uint32_t schedule[3][32];  // one DES schedule per stage, in stage order
    uint32_t direction;        // nonzero: encrypt; 0: decrypt
    uint32_t mode;             // EngineMode
    uint32_t reg[2];           // the chaining register as two big-endian words
    uint32_t initialIv[2];     // the IV given at setup
};

// Every operation here returns 0 or a negated error code.

// Keys `ctx` with 24 key bytes. ECB and CBC encryption, and every use in CFB,
// OFB and CTR: E(K1), D(K2), E(K3); ECB and CBC decryption: D(K3), E(K2),
// D(K1). Checks in order: mode not ECB and `iv` null: -BAD_IV_ERROR; mode not
// 0 to 4: -BAD_MODE_ERROR; key null: -BAD_KEY_ERROR. On failure the context is
// left zeroed.
int32_t TdeaSetup(TdeaContext* ctx, int32_t mode, const uint8_t* key, int32_t encrypt, const uint8_t* iv) noexcept;

// Processes len bytes (output may equal input) by the rules of
// block/cipher_modes.h; ECB and CBC need a multiple of 8 bytes, else
// -BAD_LENGTH_ERROR with nothing done.
int32_t TdeaUpdate(TdeaContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept;

// One shot on a wiped stack context. Null output, input or key: -NULL_ERROR;
// negative length: -BAD_PARAM_ERROR; then the codes of TdeaSetup and
// TdeaUpdate.
int32_t TdeaCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, const uint8_t* iv,
                  int32_t encrypt, int32_t mode) noexcept;

// One 8-byte block through the context's three stages: the forward cipher
// when it was set up for encryption or for CFB, OFB or CTR. out may equal in.
void tdea_block(const TdeaContext* ctx, uint8_t out[8], const uint8_t in[8]) noexcept;
