// DES (FIPS 46-3): 8-byte block, 8-byte key whose parity bits are ignored,
// in the five modes of operation; and the weak-key test.
#pragma once
#include <cstddef>
#include <cstdint>

struct DesContext {
    uint32_t schedule[32];  // 16 subkeys of 8 bytes, for the context's direction (encryption in CFB, OFB, CTR)
    uint32_t direction;     // nonzero: encrypt; 0: decrypt
    uint32_t mode;          // EngineMode
    uint32_t reg[2];        // the chaining register as two big-endian words
    uint32_t initialIv[2];  // the IV given at setup
};

// Every operation here returns 0 or a negated error code.

// Keys `ctx`. Checks in order: mode not ECB and `iv` null: -BAD_IV_ERROR; mode
// not 0 to 4: -BAD_MODE_ERROR; key null: -BAD_KEY_ERROR. Reads 8 key bytes and,
// except in ECB, 8 IV bytes. On failure the context is left zeroed.
int32_t DesSetup(DesContext* ctx, int32_t mode, const uint8_t* key, int32_t encrypt, const uint8_t* iv) noexcept;

// Processes len bytes (output may equal input) by the rules of
// block/cipher_modes.h; ECB and CBC need a multiple of 8 bytes, else
// -BAD_LENGTH_ERROR with nothing done.
int32_t DesUpdate(DesContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept;

// One shot on a wiped stack context. Null output, input or key: -NULL_ERROR;
// negative length: -BAD_PARAM_ERROR; then the codes of DesSetup (the mode is
// an EngineMode, or -1 for a text that names none) and DesUpdate.
int32_t DesCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t encrypt,
                 int32_t mode, const uint8_t* iv) noexcept;

// The weak-key test: keyLen 8, 16 or 24 (one, two or three DES keys), else
// -BAD_KEY_LEN_ERROR (also for a null key); -WEAK_KEY_ERROR when any of the
// keys, with its parity bits made odd, is one of the 4 weak or 12 semi-weak DES
// keys; else 0. Every key is compared with all 16 without a branch on its bytes.
int32_t des_check_key(const uint8_t* key, int32_t keyLen) noexcept;
