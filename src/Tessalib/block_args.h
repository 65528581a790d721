// Argument handling shared by the exports of the per-algorithm block-cipher
// families: the checks, in each family's order, and the decoding of key, IV
// and data text, for the one-shots and the _Init functions.
//
// Every function here returns 0 or a negated error code; the exports turn it
// into their own sign. Decoded keys and IVs live in SecretBytes, decoded data
// in a SecretBuffer from the checked allocator: everything that can be
// checked without the data buffer (the text's characters, the key, the IV,
// the mode, the handle) is checked before the buffer is made, each check in
// its place in the function's order, and a buffer that cannot be had is
// -MEMORY_ERROR, after those checks and before the cipher runs, with nothing
// written.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/frame.h"
#include "core/secret.h"
#include "encode/hex.h"
#include "tessalib.h"

// True for a null or empty text.
inline bool text_missing(const char* text) noexcept { return text == nullptr || text[0] == '\0'; }

// Strict hex decoding of a key or IV: the number of bytes the whole text
// encodes (at most `capacity` of them stored), with an invalid text, a null
// text or a null output counted as 0 bytes.
inline std::size_t hex_decode_count(uint8_t* output, std::size_t capacity, const char* text) noexcept {
    if (output == nullptr || text == nullptr) return 0;
    const long long n = HexDecodeStrict(output, capacity, text);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

// A strict-hex data text, measured and validated, not yet decoded.
struct HexData {
    const char* text;
    std::size_t text_len;
    std::size_t data_len;  // text_len / 2
};

// Measures and validates `text` (not null) without making a buffer: a data
// size that does not fit a positive int32_t: -BAD_PARAM_ERROR; an odd length
// or a character that is not a hex digit: -BAD_FORMAT_ERROR; else 0.
int32_t hex_data_check(const char* text, HexData& data) noexcept;

// Decodes a checked text into a wiped buffer of data_len bytes, runs
// `work(bytes, data_len)` on it in place and, when that returns 0, writes the
// result to `output` as upper-case hex with a NUL (text_len characters;
// `output` may be the text itself). A buffer that cannot be had:
// -MEMORY_ERROR; otherwise the code of `work`. Nothing is written on failure.
template <typename Work>
int32_t hex_data_run(const HexData& data, char* output, Work work) noexcept {
    SecretBuffer bytes;
    if (!bytes.allocate(data.data_len)) return -MEMORY_ERROR;
    HexDecodeStrict(bytes.data(), data.data_len, data.text);
    const int32_t rc = work(bytes.data(), data.data_len);
    if (rc != 0) return rc;
    HexEncodeUpper(output, data.text_len + 1, bytes.data(), data.data_len);
    return 0;
}

// The largest block (IV) and text-form key of the families.
constexpr std::size_t kFamilyMaxBlock = 16;
constexpr std::size_t kFamilyMaxKey = 56;

// The keys a family's text forms take: the decoder stores at most `capacity`
// bytes (at most kFamilyMaxKey), and `min_len` to `max_len` decoded bytes are
// accepted.
struct KeyLengths {
    std::size_t capacity;
    std::size_t min_len;
    std::size_t max_len;
};

// 0 when `key_len` decoded bytes are accepted; no bytes: -no_key_code; any
// other length: -BAD_KEY_LEN_ERROR.
inline int32_t check_key_length(std::size_t key_len, const KeyLengths& lengths, int32_t no_key_code) noexcept {
    if (key_len == 0) return -no_key_code;
    if (key_len < lengths.min_len || key_len > lengths.max_len) return -BAD_KEY_LEN_ERROR;
    return 0;
}

// The decoded arguments of a text one-shot as the family's engine gets them.
struct TextArgs {
    int32_t mode;  // EngineMode
    int32_t encrypt;
    const uint8_t* key;
    std::size_t key_len;   // accepted by the family's KeyLengths
    const uint8_t* iv;     // a block of bytes; zeros in ECB
    uint8_t* data;         // processed in place
    std::size_t data_len;  // at most INT32_MAX
};

// Runs the family's one-shot engine over args.data in place: 0 or a negated
// error code.
using TextEngine = int32_t (*)(const TextArgs& args) noexcept;

// Where the hex one-shots parse the mode: before the other arguments are
// checked, or after them.
enum class ModeCheck { kFirst, kAfterArguments };

// What the families' text one-shots differ in.
struct TextCipher {
    std::size_t block;          // IV length in bytes (at most kFamilyMaxBlock)
    KeyLengths key;
    int32_t no_key_code;        // a key text that gives no bytes
    ModeCheck hex_mode_check;   // the order of the hex forms' first checks
    int32_t b64_missing_code;   // a null or empty argument of the base64 form
    TextEngine engine;
};

// The hex one-shot. First the arguments, in the family's order: `output`
// null, `dataHex` or `keyHex` null or empty, and `modeText` null or empty:
// BAD_PARAM_ERROR; `modeText` not a mode: BAD_MODE_ERROR. Then the IV when
// the mode is not ECB (BAD_IV_ERROR unless it is exactly a block of strict
// hex), `dataHex` shorter than 2 characters (BAD_LENGTH_ERROR), the data
// (BAD_FORMAT_ERROR), the key (check_key_length), the data buffer
// (MEMORY_ERROR), the engine in place, and on success the upper-case hex
// result in `output` (room for the length of `dataHex` + 1; `output` may be
// `dataHex`). The ECB-only forms pass "ECB". Codes negated.
int32_t hex_oneshot(const TextCipher& cipher, char* output, const char* dataHex, const char* keyHex,
                    int32_t encrypt, const char* modeText, const char* ivHex) noexcept;

// The base64 one-shot: `output` null or `dataB64`, `keyB64` or `modeText`
// null or empty: the family's missing-argument code; `modeText` not a mode:
// BAD_MODE_ERROR; then the IV (a block, decoded with capacity block), the
// data (no bytes: BAD_FORMAT_ERROR), the key (decoded with the key
// capacity), the data buffer (MEMORY_ERROR), the engine in place, and on
// success the base64 result in `output` with room for the length of
// `dataB64` + 1 (SHORT_BUF_ERROR when it needs more). Codes negated.
int32_t b64_oneshot(const TextCipher& cipher, char* output, const char* dataB64, const char* keyB64,
                    int32_t encrypt, const char* modeText, const char* ivB64) noexcept;

// The bodies of the families' _Hex, _HexMode and _B64Mode exports: the frame
// around hex_oneshot or b64_oneshot, the result as a positive code.
inline int32_t block_hex_mode(const TextCipher& cipher, char* output, const char* dataHex, const char* keyHex,
                              int32_t encrypt, const char* modeText, const char* ivHex) noexcept {
    frame_begin();
    return frame_status(positive_code(hex_oneshot(cipher, output, dataHex, keyHex, encrypt, modeText, ivHex)));
}

inline int32_t block_b64_mode(const TextCipher& cipher, char* output, const char* dataB64, const char* keyB64,
                              int32_t encrypt, const char* modeText, const char* ivB64) noexcept {
    frame_begin();
    return frame_status(positive_code(b64_oneshot(cipher, output, dataB64, keyB64, encrypt, modeText, ivB64)));
}

// The mode, IV and key of an _InitHex, decoded; wiped when it goes out of scope.
struct InitHexArgs {
    int32_t mode = 0;
    SecretBytes<kFamilyMaxBlock> iv;
    SecretBytes<kFamilyMaxKey> key;
    std::size_t key_len = 0;
};

// The checks and decoding of every _InitHex: `keyHex` or `modeText` null or
// empty: BAD_PARAM_ERROR; not a mode: BAD_MODE_ERROR; mode not ECB and
// `ivHex` missing or not exactly a block of strict hex: BAD_IV_ERROR; the key
// (no bytes or invalid hex: BAD_KEY_ERROR; outside `lengths`:
// BAD_KEY_LEN_ERROR). Fills `out` and returns 0, or returns the negated code.
int32_t decode_init_hex(InitHexArgs& out, std::size_t block, const KeyLengths& lengths, const char* keyHex,
                        const char* modeText, const char* ivHex) noexcept;

// The mode checks of a byte-form _Init, after its key checks: `modeText`
// null: NULL_ERROR; not a mode: BAD_MODE_ERROR; mode not ECB and `iv` null:
// BAD_IV_ERROR. Sets `mode` and returns 0, or returns the negated code.
int32_t check_init_mode(int32_t& mode, const char* modeText, const unsigned char* iv) noexcept;

// The checks of the byte one-shots that parse the mode first (AES, TDEA),
// in order: `modeText` null: NULL_ERROR; not a mode: BAD_MODE_ERROR;
// `output`, `input` or `key` null: NULL_ERROR; `inputLen` negative:
// BAD_PARAM_ERROR; mode not ECB and `iv` null: BAD_IV_ERROR; ECB or CBC with
// `inputLen` not a multiple of `block`: BAD_LENGTH_ERROR. Sets `mode` and
// returns 0, or returns the negated code. The ECB-only forms pass "ECB".
int32_t check_bytes_mode(int32_t& mode, int32_t block, const unsigned char* output, const unsigned char* input,
                         int32_t inputLen, const unsigned char* key, const char* modeText,
                         const unsigned char* iv) noexcept;

// The mode of the byte one-shots that leave the mode to the engine's order
// (DES, BLF): a null `modeText` is -NULL_ERROR, like the engine's other null
// arguments; otherwise the parsed mode, -1 when the text names none (the
// engine refuses it after its IV check). Returns 0 or -NULL_ERROR.
int32_t parse_engine_mode(int32_t& mode, const char* modeText) noexcept;
