// Argument handling shared by the per-algorithm block-cipher families: the
// decoding of key, IV and data text, the buffers that hold what was decoded,
// the checks and the decode, crypt and encode steps of the one-shots and the
// _Init functions. Every buffer here is wiped when it goes out of scope.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/frame.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "tessalib.h"

// A fixed-size stack buffer for a decoded key or IV.
template <std::size_t N>
struct SecretBytes {
    uint8_t bytes[N];
    SecretBytes() noexcept : bytes{} {}
    ~SecretBytes() { secure_wipe(bytes, N); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
};

// A heap buffer for decoded data, wiped and freed at the end of the call.
class SecretBuffer {
public:
    explicit SecretBuffer(std::size_t size) noexcept
        : data_(static_cast<uint8_t*>(MemAlloc(size))), size_(size) {}
    ~SecretBuffer() {
        secure_wipe(data_, size_);
        MemFree(data_);
    }
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;
    uint8_t* data() const noexcept { return data_; }

private:
    uint8_t* data_;
    std::size_t size_;
};

// True for a null or empty text.
inline bool text_missing(const char* text) noexcept { return text == nullptr || text[0] == '\0'; }

// Strict hex decoding as the families use it: the number of bytes the whole
// text encodes (at most `capacity` of them stored), with an invalid text, a
// null text or a null output counted as 0 bytes.
inline std::size_t hex_decode_count(uint8_t* output, std::size_t capacity, const char* text) noexcept {
    if (output == nullptr || text == nullptr) return 0;
    const long long n = HexDecodeStrict(output, capacity, text);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

// True when a data size worked out from a caller's text fits a positive int32_t.
inline bool data_size_ok(uint64_t size) noexcept { return size <= static_cast<uint64_t>(INT32_MAX); }

// Decodes the whole strict-hex `text` into a wiped buffer of (length / 2)
// bytes, runs `work(data, len)` on it in place and, when that returns 0,
// writes the result to `output` as upper-case hex with a NUL (as many
// characters as `text` has; `output` may be `text`). An odd length or
// invalid hex: BAD_FORMAT_ERROR; otherwise the code of `work`.
template <typename Work>
int32_t hex_in_place(char* output, const char* text, Work work) noexcept {
    const std::size_t text_len = std::strlen(text);
    const std::size_t data_len = text_len / 2;
    if (!data_size_ok(data_len)) return BAD_PARAM_ERROR;
    SecretBuffer data(data_len);
    if ((text_len & 1) != 0 || hex_decode_count(data.data(), data_len, text) != data_len) return BAD_FORMAT_ERROR;
    const int32_t rc = work(data.data(), data_len);
    if (rc != 0) return rc;
    HexEncodeUpper(output, text_len + 1, data.data(), data_len);
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

// 0 when `key_len` decoded bytes are accepted; no bytes: `no_key_code`;
// any other length: BAD_KEY_LEN_ERROR.
inline int32_t check_key_length(std::size_t key_len, const KeyLengths& lengths, int32_t no_key_code) noexcept {
    if (key_len == 0) return no_key_code;
    if (key_len < lengths.min_len || key_len > lengths.max_len) return BAD_KEY_LEN_ERROR;
    return 0;
}

// The decoded arguments of a text one-shot as the family's engine gets them.
struct TextArgs {
    int32_t mode;          // parsed from modeText
    const char* modeText;
    int32_t encrypt;
    const uint8_t* key;
    std::size_t key_len;   // accepted by the family's KeyLengths
    const uint8_t* iv;     // a block of bytes; zeros in ECB
    uint8_t* data;         // processed in place
    std::size_t data_len;  // at most INT32_MAX
};

// Runs the family's cipher over args.data in place: 0 or an error code.
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
// (BAD_FORMAT_ERROR), the key (check_key_length), the engine in place, and
// on success the upper-case hex result in `output` (room for the length of
// `dataHex` + 1; `output` may be `dataHex`). The ECB-only forms pass "ECB".
int32_t hex_oneshot(const TextCipher& cipher, char* output, const char* dataHex, const char* keyHex,
                    int32_t encrypt, const char* modeText, const char* ivHex) noexcept;

// The base64 one-shot: `output` null or `dataB64`, `keyB64` or `modeText`
// null or empty: the family's missing-argument code; `modeText` not a mode:
// BAD_MODE_ERROR; then the IV (a block, decoded with capacity block), the
// data (no bytes: BAD_FORMAT_ERROR), the key (decoded with the key
// capacity), the engine in place, and on success the base64 result in
// `output` with room for the length of `dataB64` + 1 (SHORT_BUF_ERROR when
// it needs more).
int32_t b64_oneshot(const TextCipher& cipher, char* output, const char* dataB64, const char* keyB64,
                    int32_t encrypt, const char* modeText, const char* ivB64) noexcept;

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
// BAD_KEY_LEN_ERROR). Fills `out` and returns 0, or returns the code.
int32_t decode_init_hex(InitHexArgs& out, std::size_t block, const KeyLengths& lengths, const char* keyHex,
                        const char* modeText, const char* ivHex) noexcept;

// The mode checks of a byte-form _Init, after its key checks: `modeText`
// null: NULL_ERROR; not a mode: BAD_MODE_ERROR; mode not ECB and `iv` null:
// BAD_IV_ERROR. Sets `mode` and returns 0, or returns the code.
int32_t check_init_mode(int32_t& mode, const char* modeText, const unsigned char* iv) noexcept;

// The checks of the byte one-shots that parse the mode first (AES, TDEA),
// in order: `modeText` null: NULL_ERROR; not a mode: BAD_MODE_ERROR;
// `output`, `input` or `key` null: NULL_ERROR; `inputLen` negative:
// BAD_PARAM_ERROR; mode not ECB and `iv` null: BAD_IV_ERROR; ECB or CBC with
// `inputLen` not a multiple of `block`: BAD_LENGTH_ERROR. Sets `mode` and
// returns 0, or returns the code. The ECB-only forms pass "ECB".
int32_t check_bytes_mode(int32_t& mode, int32_t block, const unsigned char* output, const unsigned char* input,
                         int32_t inputLen, const unsigned char* key, const char* modeText,
                         const unsigned char* iv) noexcept;
