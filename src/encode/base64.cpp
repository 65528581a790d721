// Base64 text codecs.
#include "encode/base64.h"

#include "encode/charclass.h"

const int16_t kB64DecodeTable[256] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x00
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  // 0x10
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 62, -1, -1, -1, 63,  // 0x20
    52, 53, 54, 55, 56, 57, 58, 59, 60, 61, -1, -1, -1, 64, -1, -1,  // 0x30
    -1,  0,  1,  2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14,  // 0x40
    15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, -1, -1, -1, -1, -1,  // 0x50
    -1, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,  // 0x60
    41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, -1, -1, -1, -1, -1,  // 0x70
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

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int16_t kPadValue = 64;  // the table's value for "="

inline int b64_value(char c) noexcept { return kB64DecodeTable[static_cast<unsigned char>(c)]; }

}  // namespace

std::size_t B64Encode(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept {
    std::size_t n = 0;
    std::size_t i = 0;
    // Four characters and the NUL must fit: a shortage truncates at a whole group.
    while (dataLen - i >= 3 && room >= 5) {
        const uint32_t v = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
        output[n++] = kAlphabet[(v >> 18) & 0x3F];
        output[n++] = kAlphabet[(v >> 12) & 0x3F];
        output[n++] = kAlphabet[(v >> 6) & 0x3F];
        output[n++] = kAlphabet[v & 0x3F];
        room -= 4;
        i += 3;
    }
    const std::size_t tail = dataLen - i;
    if (tail < 3 && tail > 0 && room >= 5) {
        const uint32_t v = (uint32_t{data[i]} << 16) | (tail == 2 ? uint32_t{data[i + 1]} << 8 : 0u);
        output[n++] = kAlphabet[(v >> 18) & 0x3F];
        output[n++] = kAlphabet[(v >> 12) & 0x3F];
        output[n++] = tail == 2 ? kAlphabet[(v >> 6) & 0x3F] : '=';
        output[n++] = '=';
        room -= 4;
    }
    if (room >= 1) output[n] = '\0';
    return n;
}

std::size_t B64Decode(uint8_t* output, std::size_t capacity, const char* text) noexcept {
    if (capacity == 0 || text == nullptr) return 0;
    std::size_t written = 0;
    uint32_t bits = 0;  // the pending values, 6 bits each
    int pending = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        const int v = b64_value(*p);
        if (v == kPadValue) break;  // "=" ends the data
        if (v < 0) continue;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        if (++pending == 4) {
            if (capacity - written < 3) break;  // a group that does not fit is not written
            output[written++] = static_cast<uint8_t>(bits >> 16);
            output[written++] = static_cast<uint8_t>(bits >> 8);
            output[written++] = static_cast<uint8_t>(bits);
            bits = 0;
            pending = 0;
        }
        if (written == capacity) break;
    }
    // Leftover low bits of the last character are ignored.
    if (pending == 2 && capacity - written >= 1) {
        output[written++] = static_cast<uint8_t>(bits >> 4);
    } else if (pending == 3 && capacity - written >= 2) {
        output[written++] = static_cast<uint8_t>(bits >> 10);
        output[written++] = static_cast<uint8_t>(bits >> 2);
    }
    return written;
}

std::size_t b64_decoded_length(const char* text) noexcept {
    if (text == nullptr) return 0;
    std::size_t values = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        const int v = b64_value(*p);
        if (v == kPadValue) break;
        if (v >= 0) ++values;
    }
    const std::size_t rest = values % 4;
    return values / 4 * 3 + (rest == 2 ? 1 : rest == 3 ? 2 : 0);
}

bool b64_text_is_valid(const char* text) noexcept {
    for (const char* p = text; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (kB64DecodeTable[c] < 0 && !is_ascii_space(c)) return false;
    }
    return true;
}

std::size_t b64_filter(char* out, const char* in, std::size_t in_len) noexcept {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < in_len; ++i) {
        const char c = in[i];
        if (b64_value(c) >= 0) out[kept++] = c;
    }
    out[kept] = '\0';
    return kept;
}
