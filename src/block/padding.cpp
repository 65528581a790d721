// Block padding: writing the schemes' bytes and the branch-free check.
#include "block/padding.h"

#include <cstring>

#include "core/ct.h"
#include "tessalib.h"

uint32_t pad_scheme(uint32_t options) noexcept {
    const uint32_t field = options & kPadFieldMask;
    if (field == CIPHER_PAD_ONEANDZEROES || field == CIPHER_PAD_ANSIX923 || field == CIPHER_PAD_W3C) return field;
    return CIPHER_PAD_PKCS5;
}

void pad_write(uint8_t* out, std::size_t n, uint32_t options) noexcept {
    const uint32_t scheme = pad_scheme(options);
    if (scheme == CIPHER_PAD_ONEANDZEROES) {
        out[0] = 0x80;
        std::memset(out + 1, 0, n - 1);
    } else if (scheme == CIPHER_PAD_ANSIX923) {
        std::memset(out, 0, n - 1);
        out[n - 1] = static_cast<uint8_t>(n);
    } else {  // PKCS #5, and W3C, which writes the same
        std::memset(out, static_cast<int>(n), n);
    }
}

int32_t PadBlock(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t len,
                 std::size_t block, uint32_t options) noexcept {
    if (!pad_block_ok(block)) return -BAD_BLK_LEN_ERROR;
    const std::size_t n = pad_count(len, block);
    if (output_len < len + n) return -SHORT_BUF_ERROR;
    if (len != 0 && output != input) std::memmove(output, input, len);
    pad_write(output + len, n, options);
    return static_cast<int32_t>(len + n);
}

int32_t CheckPadding(const uint8_t* data, std::size_t len, std::size_t block, uint32_t options) noexcept {
    const uint8_t* last = data + len - block;
    const uint32_t b = static_cast<uint32_t>(block);
    const uint32_t scheme = pad_scheme(options);  // public: the caller's option
    uint32_t bad = 0;
    uint32_t n = 0;
    if (scheme == CIPHER_PAD_ONEANDZEROES) {
        // Back from the last byte: zeros, then the 0x80 that ends the search.
        uint32_t searching = ~0u;
        for (uint32_t i = b; i-- > 0;) {
            const uint32_t byte = last[i];
            n += searching & 1u;
            const uint32_t is_marker = ct_eq_mask(byte, 0x80);
            bad |= searching & ~ct_is_zero_mask(byte) & ~is_marker;
            searching &= ~is_marker;
        }
        bad |= searching;  // no 0x80 in the last block
    } else {
        n = last[b - 1];
        bad = ct_is_zero_mask(n) | ct_lt_mask(b, n);
        // Position i counted back from the last byte is padding when i < n.
        for (uint32_t i = 1; i < b; ++i) {
            const uint32_t byte = last[b - 1 - i];
            const uint32_t in_padding = ct_lt_mask(i, n);
            if (scheme == CIPHER_PAD_PKCS5)
                bad |= in_padding & ~ct_eq_mask(byte, n);
            else if (scheme == CIPHER_PAD_ANSIX923)
                bad |= in_padding & ~ct_is_zero_mask(byte);
            // W3C: the other padding bytes are arbitrary.
        }
    }
    const uint32_t result = ct_select(bad, static_cast<uint32_t>(-DECRYPT_ERROR), n);
    return ct_public(static_cast<int32_t>(result));
}

int32_t UnpadBlock(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t len,
                   std::size_t block, uint32_t options) noexcept {
    if (!pad_block_ok(block)) return -BAD_BLK_LEN_ERROR;
    if (len < block || len % block != 0) return -BAD_LENGTH_ERROR;
    const int32_t n = CheckPadding(input, len, block, options);
    if (n < 0) return n;
    const std::size_t kept = len - static_cast<std::size_t>(n);
    if (output_len < kept) return -SHORT_BUF_ERROR;
    if (kept != 0 && output != input) std::memmove(output, input, kept);
    return static_cast<int32_t>(kept);
}
