// PAD_UnpadBytes and PAD_UnpadHex on arbitrary input. They never crash and
// never write past their output; a success agrees with a plain reading of
// the scheme, keeps the input's leading bytes (or characters) and padding
// them again gives the input back for the schemes whose padding is fixed.
// Both forms agree on the same data.
//
// Input: byte 0 picks the block length (bit 0: 8 or 16) and the padding field
// (bits 4-7 as the option word's bits 16-19); the rest is the data.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "../support/cipher_vectors.h"
#include "fuzz_check.h"
#include "tessalib.h"

namespace {

// The padding length the scheme reads at the end of the data, or -1.
int plain_padding(const uint8_t* d, std::size_t len, int b, uint32_t field) {
    return cipher_vectors::reference_padding(d + len - static_cast<std::size_t>(b), b, field);
}

const char kHex[] = "0123456789ABCDEF";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int b = (data[0] & 1) ? 16 : 8;
    const uint32_t field = static_cast<uint32_t>(data[0] >> 4) << 16;
    const int32_t options = static_cast<int32_t>(field);
    ++data, --size;
    const int32_t len = static_cast<int32_t>(size);
    const std::vector<uint8_t> input(data, data + size);

    // An exact-size heap output, so the sanitizer sees any write past it.
    std::vector<uint8_t> out(size != 0 ? size : 1, 0xA5);
    const int32_t rc = PAD_UnpadBytes(out.data(), len, input.empty() ? out.data() : input.data(), len, b, options);
    if (size < static_cast<std::size_t>(b) || size % static_cast<std::size_t>(b) != 0) {
        FUZZ_CHECK(rc == -BAD_LENGTH_ERROR);
    } else {
        const int n = plain_padding(input.data(), size, b, field);
        if (n < 0) {
            FUZZ_CHECK(rc == -DECRYPT_ERROR);
        } else {
            FUZZ_CHECK(rc == len - n);
            FUZZ_CHECK(std::memcmp(out.data(), input.data(), static_cast<std::size_t>(rc)) == 0);
            const bool fixed = field != CIPHER_PAD_W3C;  // W3C's other padding bytes are arbitrary
            if (fixed) {
                std::vector<uint8_t> again(size);
                FUZZ_CHECK(PAD_BytesBlock(again.data(), len, out.data(), rc, b, options) == len);
                FUZZ_CHECK(again == input);
            }
        }
    }

    // The same data as hex text: the same verdict, in characters.
    std::string hex;
    for (uint8_t x : input) {
        hex += kHex[x >> 4];
        hex += kHex[x & 15];
    }
    std::vector<char> text_out(hex.size() + 1, 'Z');
    const int32_t hrc = PAD_UnpadHex(text_out.data(), static_cast<int32_t>(hex.size()), hex.c_str(), b, options);
    if (size == 0) {
        FUZZ_CHECK(hrc == -BAD_FORMAT_ERROR);
    } else if (rc >= 0) {
        FUZZ_CHECK(hrc == 2 * rc);
        FUZZ_CHECK(text_out[static_cast<std::size_t>(hrc)] == '\0');
        FUZZ_CHECK(std::memcmp(text_out.data(), hex.data(), static_cast<std::size_t>(hrc)) == 0);
    } else {
        FUZZ_CHECK(hrc == rc);
    }

    // The raw input as text (any characters, NUL-terminated at the first NUL).
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::string as_text = raw.c_str();
    std::vector<char> raw_out(as_text.size() + 1, 'Z');
    const int32_t trc =
        PAD_UnpadHex(raw_out.data(), static_cast<int32_t>(as_text.size()), as_text.c_str(), b, options);
    FUZZ_CHECK(trc == -BAD_FORMAT_ERROR || trc == -BAD_LENGTH_ERROR || trc == -DECRYPT_ERROR ||
               (trc >= 0 && trc <= static_cast<int32_t>(as_text.size()) && raw_out[static_cast<std::size_t>(trc)] == '\0'));
    return 0;
}
