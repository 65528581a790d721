// Block padding for 8- and 16-byte blocks: the schemes of the padding field
// of an option word (PKCS #5, one-and-zeroes, ANSI X9.23, W3C), written and
// checked. Used by the generic cipher interface, the PAD_ exports and the
// file encryption.
#pragma once
#include <cstddef>
#include <cstdint>

// The padding field of an option word.
constexpr uint32_t kPadFieldMask = 0xF0000;

// The scheme these operations use for an option word: CIPHER_PAD_ONEANDZEROES,
// CIPHER_PAD_ANSIX923 or CIPHER_PAD_W3C for those values of the padding
// field, CIPHER_PAD_PKCS5 for every other value (0 and CIPHER_PAD_NONE
// included). Whether data is padded at all is the caller's choice.
uint32_t pad_scheme(uint32_t options) noexcept;

// True for the block lengths padding takes: 8 and 16.
inline bool pad_block_ok(std::size_t block) noexcept { return block == 8 || block == 16; }

// The number of padding bytes after len bytes: block - (len mod block), 1 to
// block (a whole block when len is a multiple of it).
inline std::size_t pad_count(std::size_t len, std::size_t block) noexcept { return block - len % block; }

// Writes the n (1 to 16) padding bytes of the scheme of `options` at out.
void pad_write(uint8_t* out, std::size_t n, uint32_t options) noexcept;

// PadBlock: copies len bytes of input to output (which may be input, or
// overlap it) and writes the padding after them. block not 8 or 16:
// -BAD_BLK_LEN_ERROR; output_len below the padded length: -SHORT_BUF_ERROR;
// else the padded length (len + pad_count), which the caller keeps within
// INT32_MAX.
int32_t PadBlock(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t len,
                 std::size_t block, uint32_t options) noexcept;

// CheckPadding: the padding length n (1 to block) at the end of the len
// bytes of data (len >= block), or -DECRYPT_ERROR when they do not end in
// valid padding of the scheme of `options`. All of the last block is read
// and the verdict is gathered into a mask decided after the loop: no branch
// and no address depends on the bytes.
int32_t CheckPadding(const uint8_t* data, std::size_t len, std::size_t block, uint32_t options) noexcept;

// UnpadBlock: moves the len bytes of input less their padding to output
// (which may be input, or overlap it) and returns that length. Checks in
// order: block not 8 or 16: -BAD_BLK_LEN_ERROR; len below block or not a
// multiple of it: -BAD_LENGTH_ERROR; invalid padding: -DECRYPT_ERROR;
// output_len below the unpadded length: -SHORT_BUF_ERROR. len is at most
// INT32_MAX.
int32_t UnpadBlock(uint8_t* output, std::size_t output_len, const uint8_t* input, std::size_t len,
                   std::size_t block, uint32_t options) noexcept;
