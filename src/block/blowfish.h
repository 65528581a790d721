// Blowfish: 8-byte block, 1 to 56 key bytes, 16 rounds, in the five modes of
// operation, plus raw ECB with an already keyed context.
#pragma once
#include <cstddef>
#include <cstdint>

struct BlowfishContext {
    uint32_t direction;         // nonzero: encrypt; 0: decrypt
    uint32_t mode;              // EngineMode
    uint32_t schedule[1042];    // the four S-boxes (4 x 256 words), then the P-array (18 words)
    uint32_t reg[2];            // the chaining register as two big-endian words
    uint32_t initialIv[2];      // the IV given at setup
};

// Every operation here returns 0 or a negated error code.

// Keys `ctx` with keyLen bytes. Checks in order: mode not ECB and `iv` null:
// -BAD_IV_ERROR; mode not 0 to 4: -BAD_MODE_ERROR; keyLen below 1 or above 56:
// -BAD_KEY_LEN_ERROR; key null: -BAD_KEY_ERROR. On failure the context is left
// zeroed.
int32_t BlowfishSetup(BlowfishContext* ctx, int32_t mode, const uint8_t* key, int32_t keyLen, int32_t encrypt,
                      const uint8_t* iv) noexcept;

// Processes len bytes (output may equal input) by the rules of
// block/cipher_modes.h; ECB and CBC need a multiple of 8 bytes, else
// -BAD_LENGTH_ERROR with nothing done.
int32_t BlowfishUpdate(BlowfishContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept;

// ECB with the context's schedule in the direction given here, whatever the
// context's own mode and direction; the register is not touched. len not a
// multiple of 8: -BAD_LENGTH_ERROR.
int32_t BlowfishEcb(const BlowfishContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len,
                    int32_t encrypt) noexcept;

// One shot on a wiped stack context. Null output, input or key: -NULL_ERROR;
// negative length or keyLen: -BAD_PARAM_ERROR; then the codes of
// BlowfishSetup (the mode is an EngineMode, or -1 for a text that names none)
// and BlowfishUpdate.
int32_t BlowfishCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t keyLen,
                      int32_t encrypt, int32_t mode, const uint8_t* iv) noexcept;
