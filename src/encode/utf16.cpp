// UTF-16 to UTF-8 conversion, one unit at a time.
#include "encode/utf16.h"

#include <cstdint>

#include "tessalib.h"

namespace {

inline bool is_surrogate(uint16_t u) noexcept { return u >= 0xD800 && u <= 0xDFFF; }

}  // namespace

long long Utf8LengthOfUtf16(const uint16_t* text) noexcept {
    if (text == nullptr) return 0;
    long long len = 0;
    for (const uint16_t* p = text; *p != 0; ++p) {
        const uint16_t u = *p;
        if (is_surrogate(u)) return -1;
        len += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
    return len;
}

int32_t Utf8FromUtf16(char* output, std::size_t room, const uint16_t* text) noexcept {
    const long long len = Utf8LengthOfUtf16(text);
    if (len < 0) return -ENCODING_ERROR;
    if (len > INT32_MAX) return -BAD_PARAM_ERROR;
    if (room < static_cast<std::size_t>(len) + 1) return -SHORT_BUF_ERROR;
    std::size_t n = 0;
    for (const uint16_t* p = text; p != nullptr && *p != 0; ++p) {
        const uint32_t u = *p;
        if (u < 0x80) {
            output[n++] = static_cast<char>(u);
        } else if (u < 0x800) {
            output[n++] = static_cast<char>(0xC0 | (u >> 6));
            output[n++] = static_cast<char>(0x80 | (u & 0x3F));
        } else {
            output[n++] = static_cast<char>(0xE0 | (u >> 12));
            output[n++] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            output[n++] = static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    output[n] = '\0';
    return static_cast<int32_t>(n);
}
