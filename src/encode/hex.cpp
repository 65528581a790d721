// Hexadecimal text codecs.
#include "encode/hex.h"

#include <cstring>

#include "encode/charclass.h"

const int16_t kHexDecodeTable[256] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x00
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x10
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x20
     0,  1,  2,  3,  4,  5,  6,  7,  8,  9, -1, -1, -1, -1, -1, -1,  // 0x30
    -1, 10, 11, 12, 13, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x40
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x50
    -1, 10, 11, 12, 13, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x60
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x70
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x80
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x90
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0xA0
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0xB0
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0xC0
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0xD0
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0xE0
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0xF0
};

namespace {

inline int hex_value(char c) noexcept { return kHexDecodeTable[static_cast<unsigned char>(c)]; }

std::size_t hex_encode(const char* digits, char* output, std::size_t room, const uint8_t* data,
                       std::size_t data_len) noexcept {
    std::size_t n = 0;
    // Two digits and the NUL must fit: a shortage truncates at a whole byte.
    for (std::size_t i = 0; i < data_len && room >= 3; ++i) {
        output[n++] = digits[data[i] >> 4];
        output[n++] = digits[data[i] & 0x0F];
        room -= 2;
    }
    if (room >= 1) output[n] = '\0';
    return n;
}

}  // namespace

std::size_t HexEncodeUpper(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept {
    return hex_encode("0123456789ABCDEF", output, room, data, dataLen);
}

std::size_t HexEncodeLower(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept {
    return hex_encode("0123456789abcdef", output, room, data, dataLen);
}

long long HexDecodeStrict(uint8_t* output, std::size_t capacity, const char* text) noexcept {
    if (text == nullptr) return -1;
    const std::size_t len = std::strlen(text);
    if (len % 2 != 0) return -1;
    for (std::size_t i = 0; i < len; ++i) {
        if (hex_value(text[i]) < 0) return -1;
    }
    const std::size_t count = len / 2;
    if (output != nullptr) {
        const std::size_t stored = count < capacity ? count : capacity;
        for (std::size_t i = 0; i < stored; ++i)
            output[i] = static_cast<uint8_t>((hex_value(text[2 * i]) << 4) | hex_value(text[2 * i + 1]));
    }
    return static_cast<long long>(count);
}

std::size_t HexDecodeLenient(uint8_t* output, std::size_t capacity, const char* text) noexcept {
    if (capacity == 0 || text == nullptr) return 0;
    std::size_t written = 0;
    int high = -1;  // a digit waiting for its partner
    for (const char* p = text; *p != '\0'; ++p) {
        const int v = hex_value(*p);
        if (v < 0) continue;
        if (high < 0) {
            high = v;
            continue;
        }
        output[written++] = static_cast<uint8_t>((high << 4) | v);
        high = -1;
        if (written == capacity) break;
    }
    return written;
}

std::size_t hex_lenient_length(const char* text) noexcept {
    if (text == nullptr) return 0;
    std::size_t digits = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (hex_value(*p) >= 0) ++digits;
    }
    return digits / 2;
}

bool hex_is_digits(const char* text) noexcept {
    for (const char* p = text; *p != '\0'; ++p)
        if (kHexDecodeTable[static_cast<unsigned char>(*p)] < 0) return false;
    return true;
}

bool hex_text_is_valid(const char* text) noexcept {
    for (const char* p = text; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (kHexDecodeTable[c] < 0 && !is_ascii_space(c) && !is_ascii_punct(c)) return false;
    }
    return true;
}

std::size_t hex_filter(char* out, const char* in, std::size_t in_len) noexcept {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < in_len; ++i) {
        const char c = in[i];
        if (hex_value(c) >= 0) out[kept++] = c;
    }
    out[kept] = '\0';
    return kept;
}
