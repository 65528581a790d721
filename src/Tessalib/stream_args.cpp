// The hex one-shot of the stream-cipher exports.
#include "Tessalib/stream_args.h"

#include <cstring>

#include "aead/stream_cipher.h"
#include "core/secret.h"
#include "encode/hex.h"
#include "tessalib.h"

namespace {

bool text_missing(const char* text) noexcept { return text == nullptr || text[0] == '\0'; }

// What the decoder writes is what the text's length promises only for hex
// digits of an even length: anything else is a format error.
bool whole_hex(const char* text) noexcept { return std::strlen(text) % 2 == 0 && hex_is_digits(text); }

// Decodes a checked text into a buffer of its own: false when the buffer
// cannot be had.
bool decode(SecretBuffer& buf, const char* text) noexcept {
    const std::size_t n = std::strlen(text) / 2;
    if (!buf.allocate(n)) return false;
    HexDecodeStrict(buf.data(), n, text);
    return true;
}

}  // namespace

int32_t stream_hex_run(char* output, int32_t maxChars, const char* inputHex, const char* keyHex, const char* ivHex,
                       uint32_t counter, uint32_t options) noexcept {
    if (output == nullptr) return -NULL_ERROR;
    if (text_missing(inputHex) || text_missing(keyHex) || maxChars < 0) return -BAD_PARAM_ERROR;
    if (!whole_hex(inputHex) || !whole_hex(keyHex)) return -BAD_FORMAT_ERROR;
    const uint32_t alg = stream_algorithm(options);
    const bool takes_iv = alg == STREAM_SALSA20 || alg == STREAM_CHACHA20;
    if (takes_iv) {
        if (text_missing(ivHex)) return -BAD_IV_ERROR;
        if (!whole_hex(ivHex)) return -BAD_FORMAT_ERROR;
    }
    if (alg != STREAM_ARCFOUR && !takes_iv) return -BAD_FLAG_ERROR;
    SecretBuffer data, key, iv;
    if (!decode(data, inputHex) || !decode(key, keyHex) || (takes_iv && !decode(iv, ivHex))) return -MEMORY_ERROR;
    const int32_t rc = stream_once(options, data.data(), data.data(), data.size(), key.data(), key.size(),
                                   takes_iv ? iv.data() : nullptr, takes_iv ? iv.size() : 0, counter);
    if (rc != 0) return rc;
    HexEncodeUpper(output, static_cast<std::size_t>(maxChars) + 1, data.data(), data.size());
    return 0;
}
