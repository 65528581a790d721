// The bodies of the block-cipher families' file functions (_File, _FileExt,
// _FileHex): the frame, the checks in each form's order and the one call of
// the file procedure (block/file_crypt.h), the result as a positive code.
// Each family's exports are one-line calls of these.
#pragma once
#include <cstdint>

#include "Tessalib/block_args.h"
#include "block/file_crypt.h"

// What a family's file functions differ in.
struct FileFamily {
    FileCipher cipher;
    KeyLengths hex_key;  // the keys _FileHex accepts (decoded with hex_key.capacity)
};

// _File and _FileExt: `modeText` null: NULL_ERROR; not a mode:
// BAD_MODE_ERROR; then the file procedure with key_len key bytes and
// `options` (0 for _File).
int32_t block_file(FileCipher cipher, int32_t key_len, const char* outFile, const char* inFile,
                   const unsigned char* key, int32_t encrypt, const char* modeText, const unsigned char* iv,
                   int32_t options) noexcept;

// _FileHex of AES, DES and Blowfish: `modeText` null: NULL_ERROR; not a
// mode: BAD_MODE_ERROR; `ivHex` given (not null or empty) and not exactly a
// block of strict hex: BAD_IV_ERROR (in ECB too); `keyHex` null or empty:
// BAD_PARAM_ERROR; no bytes or invalid hex: BAD_KEY_ERROR; outside the
// family's lengths: BAD_KEY_LEN_ERROR; then the file procedure with options 0.
int32_t block_file_hex(const FileFamily& family, const char* outFile, const char* inFile, const char* keyHex,
                       int32_t encrypt, const char* modeText, const char* ivHex) noexcept;

// TDEA_FileHex, in its own order: a file name null or empty:
// BAD_PARAM_ERROR; a mode other than ECB (a text that names none, or none,
// counts as one): `ivHex` null or empty: BAD_PARAM_ERROR, not 8 bytes:
// BAD_IV_ERROR; `keyHex` null or empty: BAD_PARAM_ERROR, no bytes:
// BAD_KEY_ERROR, not 24: BAD_KEY_LEN_ERROR; `modeText` null: NULL_ERROR, not
// a mode: BAD_MODE_ERROR; then the file procedure with options 0.
int32_t tdea_file_hex(const char* outFile, const char* inFile, const char* keyHex, int32_t encrypt,
                      const char* modeText, const char* ivHex) noexcept;
