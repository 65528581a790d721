// Digest and tag outputs and hex arguments of the hash, MAC and KDF families.
#include "Tessalib/hash_args.h"

#include "encode/hex.h"

int32_t hex_out_leading(char* output, int32_t max_chars, const uint8_t* data, std::size_t len) noexcept {
    if (output == nullptr || max_chars < 1) return static_cast<int32_t>(2 * len);
    std::size_t n = len;
    if (static_cast<std::size_t>(max_chars) < 2 * n) n = static_cast<std::size_t>(max_chars) / 2;
    return static_cast<int32_t>(HexEncodeLower(output, 2 * n + 1, data, n));
}

bool decode_hex_strict(SecretBuffer& buf, const char* text, std::size_t len) noexcept {
    if (!buf.allocate(len)) return false;
    HexDecodeStrict(buf.data(), len, text);
    return true;
}

bool decode_hex_lenient(SecretBuffer& buf, const char* text) noexcept {
    const std::size_t len = hex_lenient_length(text);
    if (!buf.allocate(len)) return false;
    HexDecodeLenient(buf.data(), len, text);
    return true;
}
