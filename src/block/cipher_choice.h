// The generic cipher interface's engine: the choice of algorithm (AES-128,
// AES-192, AES-256, Triple DES), mode and padding made from a text such as
// "aes128/cbc/pkcs5" or from an option word, resolved once into a CipherChoice,
// and the operations on it: encryption and decryption of a buffer with the
// padding and the IV block in front, and a context for data in pieces. The
// CIPHER_ exports and the file functions use these; the modes are those of
// block/cipher_modes.h through the AES and Triple DES engines.
#pragma once
#include <cstddef>
#include <cstdint>

#include "block/aes.h"
#include "block/tdea.h"

// Fields of the generic option word.
constexpr uint32_t kCipherAlgMask = 0xF0;
constexpr uint32_t kCipherModeMask = 0xF00;

// An algorithm of the option word's algorithm field.
struct CipherAlgorithm {
    uint32_t field;    // CIPHER_ALG_TDEA, CIPHER_ALG_AES128, ...
    uint32_t block;    // 8 or 16
    uint32_t key_len;  // 24, or 16, 24, 32
};

// The algorithm of the algorithm field of `options`, or null for a field
// that names none (0 included).
const CipherAlgorithm* cipher_algorithm(uint32_t options) noexcept;

// Parses an algorithm/mode/padding text into the option word fragment
// algorithm | mode | padding, or -1. Only ASCII letters and digits count
// (upper case read as lower case), at most 64 of them: an algorithm
// ("aes128", "aes192", "aes256", "tdea", "3des", "desede3", "desede", tried
// in that order as prefixes), then optionally a mode ("ecb", "cbc", "ofb",
// "cfb", "ctr"), then optionally a padding ("pkcs5padding", "pkcs5",
// "nopadding", "nopad", "oneandzeroespadding", "oneandzeroes",
// "ansix923padding", "ansix923", "w3cpadding", "w3c"), and nothing after.
// An empty text gives -1. `text` must not be null.
int32_t cipher_parse_alg_mode(const char* text) noexcept;

// An option word resolved: everything the operations below need.
struct CipherChoice {
    uint32_t options;    // the resolved word: the text's fields, the caller's other bits
    uint32_t algorithm;  // the algorithm field
    uint32_t block;      // B: 8 or 16
    uint32_t key_len;    // the key length the algorithm takes
    int32_t mode;        // EngineMode
    uint32_t padding;    // in ECB and CBC the padding field's scheme (CIPHER_PAD_PKCS5 for
                         // CIPHER_PAD_DEFAULT), 0 for none (always 0 in OFB, CFB and CTR)
    bool prefix_iv;      // OPT_PREFIX_IV
};

// Resolves `algModeText` (null or empty: none) and `options`, checking in
// order: text and algorithm bits both given, or neither: -BAD_FLAG_ERROR; a
// text that does not parse: -BAD_PARAM_ERROR (its fields replace the
// caller's algorithm, mode and padding fields); a mode field other than the
// five: -BAD_MODE_ERROR; an algorithm field other than the four:
// -INTERNAL_ERROR; key_len not the algorithm's: -BAD_KEY_LEN_ERROR; with
// check_iv, a mode other than ECB and iv_len not B: -BAD_IV_LEN_ERROR.
// 0 with *choice filled.
int32_t cipher_resolve(CipherChoice* choice, const char* algModeText, uint32_t options, int32_t key_len,
                       int32_t iv_len, bool check_iv) noexcept;

// The length of the encryption of len bytes: len, the padding when the choice
// pads, and B with prefix_iv. In 64 bits: the callers refuse one above
// INT32_MAX.
uint64_t cipher_encrypted_length(const CipherChoice& choice, uint64_t len) noexcept;

// The choice's cipher once over len bytes (out may be in): 0 or the engine's
// negated code (-BAD_LENGTH_ERROR for ECB or CBC data that is not whole
// blocks, -BAD_IV_ERROR for a null iv in a mode other than ECB).
int32_t cipher_crypt(const CipherChoice& choice, uint8_t* out, const uint8_t* in, std::size_t len, const uint8_t* key,
                     const uint8_t* iv, bool encrypt) noexcept;

// Writes the encryption of len bytes of input to output, which has room
// for cipher_encrypted_length bytes (at most INT32_MAX) and may hold the
// input anywhere: with prefix_iv the IV block first (iv when it is given and
// at least a block long, else zeros: in ECB the block is there but no IV is
// read), then the ciphertext of the input and its padding. Returns that
// length, or a negated code of cipher_crypt.
int32_t cipher_encrypt_buffer(const CipherChoice& choice, uint8_t* output, const uint8_t* input, std::size_t len,
                              const uint8_t* key, const uint8_t* iv, std::size_t iv_len) noexcept;

// Decrypts len bytes of input (with prefix_iv the first B bytes are the IV,
// and `iv` is not read) and removes the padding. With output null (a query)
// nothing is written; otherwise output has output_len bytes of room and may
// overlap the input. Without padding: output_len below the ciphertext
// length: -SHORT_BUF_ERROR. With padding the data is decrypted in output
// when it has room for the ciphertext, otherwise in a temporary buffer
// (checked allocator: -MEMORY_ERROR), so a query gives the exact plaintext
// length; a ciphertext shorter than B or not whole blocks:
// -BAD_LENGTH_ERROR; invalid padding: -DECRYPT_ERROR; output_len below the
// plaintext: -SHORT_BUF_ERROR. Returns the plaintext length, or a negated
// code (of cipher_crypt too). With prefix_iv, len must be at least B.
int32_t cipher_decrypt_buffer(const CipherChoice& choice, uint8_t* output, std::size_t output_len, const uint8_t* input,
                              std::size_t len, const uint8_t* key, const uint8_t* iv) noexcept;

// A keyed AES or Triple DES context for data in pieces (never padded).
struct CipherContext {
    uint32_t algorithm;  // the algorithm field it was keyed for; 0 when not keyed
    union {
        AesContext aes;
        TdeaContext tdea;
    } u;
};

// Keys a context for the choice's algorithm and mode in the direction of
// `encrypt`: 0, or the negated code of AesSetup / TdeaSetup (the context is
// then left zeroed).
int32_t cipher_ctx_setup(CipherContext* ctx, const CipherChoice& choice, const uint8_t* key, const uint8_t* iv,
                         int32_t encrypt) noexcept;

// Runs len bytes through the context (out may be in): 0, or
// -BAD_LENGTH_ERROR for ECB or CBC data that is not whole blocks (nothing
// done); -MISUSE_ERROR for a context that is not keyed.
int32_t cipher_ctx_update(CipherContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;
