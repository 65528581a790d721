// AES (16-byte block; 128-, 192- and 256-bit keys) in the five modes of
// operation: on the processor's AES instructions where it has them, else
// with 32-bit round tables (block/aes.cpp; the path is cpu_aes_path()).
#pragma once
#include <cstddef>
#include <cstdint>

struct AesContext {
    uint32_t direction;     // nonzero: encrypt; 0: decrypt
    uint32_t mode;          // EngineMode
    uint32_t keyBits;       // 128, 192 or 256
    uint32_t schedule[60];  // round keys; in ECB and CBC decryption those of the equivalent inverse cipher
    uint32_t rounds;        // 10, 12 or 14
    uint8_t reg[16];        // CBC: previous ciphertext; CFB, OFB: feedback; CTR: counter block
    uint8_t initialIv[16];  // the IV given at setup
};

// Every operation here returns 0 or a negated error code.

// Keys `ctx` for a mode and direction. Checks in order: mode not ECB and `iv`
// null: -BAD_IV_ERROR; mode not 0 to 4: -BAD_MODE_ERROR; keyLen not 16, 24 or
// 32: -BAD_KEY_LEN_ERROR; key null: -BAD_KEY_ERROR. Reads 16 IV bytes except in
// ECB. On failure the context is left zeroed.
int32_t AesSetup(AesContext* ctx, int32_t mode, const uint8_t* key, int32_t keyLen, int32_t encrypt,
                 const uint8_t* iv) noexcept;

// Processes len bytes (output may equal input) by the rules of
// block/cipher_modes.h: ECB and CBC need a whole number of blocks, else
// -BAD_LENGTH_ERROR with nothing done. Only the register changes between
// calls. A context that was never keyed: -MISUSE_ERROR.
int32_t AesUpdate(AesContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept;

// One shot on a stack context, wiped before return. Null output, input or key:
// -NULL_ERROR; negative length: -BAD_PARAM_ERROR; then the codes of AesSetup
// (keyBits 128, 192 or 256) and AesUpdate.
int32_t AesCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t keyBits,
                 const uint8_t* iv, int32_t encrypt, int32_t mode) noexcept;

// The encryption key schedule of a 16-, 24- or 32-byte key (key_len must be
// one of them) into rk (4 x (rounds + 1) words, at most 60); returns the
// number of rounds, 10, 12 or 14.
uint32_t aes_expand_key(uint32_t* rk, const uint8_t* key, int key_len) noexcept;

// Single blocks with a keyed context, for constructions built on the cipher
// (CMAC). aes_block_encrypt needs an encryption schedule (any mode set up for
// encryption, or CFB/OFB/CTR); aes_block_decrypt needs an ECB or CBC context
// set up for decryption. out may equal in.
void aes_block_encrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept;
void aes_block_decrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept;

// CBC-MAC over whole blocks (CMAC's chain): x := E(x ^ block) for each of
// the blocks at in, with an encryption schedule as for aes_block_encrypt.
void aes_cbc_mac(const AesContext* ctx, uint8_t x[16], const uint8_t* in, std::size_t blocks) noexcept;
