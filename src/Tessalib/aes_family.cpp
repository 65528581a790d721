// AES128_, AES192_, AES256_: AES one-shot on bytes, hex and base64 text, and
// the per-thread context (one AES slot shared by the three names). Each
// export is one call of the body it shares with its namesakes, with the key
// length of its name where that matters.
#include <cstdint>

#include "Tessalib/block_args.h"
#include "Tessalib/block_slot.h"
#include "Tessalib/file_args.h"
#include "block/aes.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 16;
constexpr std::size_t kKeyCapacity = 32;  // the text forms decode at most 32 key bytes
static_assert(kBlock <= kFamilyMaxBlock && kKeyCapacity <= kFamilyMaxKey, "text buffers too small");

// The byte forms, the mode first; the ECB-only form passes "ECB".
int32_t aes_bytes_mode(int32_t keyBits, unsigned char* output, const unsigned char* input, int32_t inputLen,
                       const unsigned char* key, int32_t encrypt, const char* modeText,
                       const unsigned char* iv) noexcept {
    frame_begin();
    int32_t mode = kModeEcb;
    int32_t rc = check_bytes_mode(mode, static_cast<int32_t>(kBlock), output, input, inputLen, key, modeText, iv);
    if (rc == 0) rc = AesCrypt(output, input, inputLen, key, keyBits, iv, encrypt, mode);
    return frame_status(positive_code(rc));
}

int32_t aes_text(const TextArgs& a) noexcept {
    return AesCrypt(a.data, a.data, static_cast<int64_t>(a.data_len), a.key, static_cast<int32_t>(a.key_len * 8),
                    a.iv, a.encrypt, a.mode);
}

// The text one-shots accept only the key length of the family name.
constexpr TextCipher aes_text_cipher(std::size_t key_len) noexcept {
    return TextCipher{
        kBlock,
        KeyLengths{kKeyCapacity, key_len, key_len},
        BAD_KEY_LEN_ERROR,  // a key text that gives no bytes
        ModeCheck::kFirst,  // hex forms: the mode before the other arguments
        BAD_PARAM_ERROR,    // base64 form: a null or empty argument
        aes_text,
    };
}

constexpr TextCipher kAes128Text = aes_text_cipher(16);
constexpr TextCipher kAes192Text = aes_text_cipher(24);
constexpr TextCipher kAes256Text = aes_text_cipher(32);

// One context for the three names. _InitHex takes the key length from the
// text: 16, 24 or 32 bytes under any AES name (AesSetup refuses the others).
constexpr ContextFamily<AesContext> kAes{&ThreadWorkspace::aes, kBlock, KeyLengths{kKeyCapacity, 1, kKeyCapacity},
                                         AesSetup, AesUpdate};

// The file functions: the byte forms take the key length of the name, and
// so does _FileHex.
constexpr FileFamily kAes128File{FileCipher::kAes, KeyLengths{kKeyCapacity, 16, 16}};
constexpr FileFamily kAes192File{FileCipher::kAes, KeyLengths{kKeyCapacity, 24, 24}};
constexpr FileFamily kAes256File{FileCipher::kAes, KeyLengths{kKeyCapacity, 32, 32}};

}  // namespace


// --- _Bytes: ECB on bytes with the key length of the name ----------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                           const unsigned char* key, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return aes_bytes_mode(128, output, input, inputLen, key, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                           const unsigned char* key, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return aes_bytes_mode(192, output, input, inputLen, key, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                           const unsigned char* key, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return aes_bytes_mode(256, output, input, inputLen, key, encrypt, "ECB", nullptr); });
}

// --- _BytesMode: bytes in a named mode -----------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                               const unsigned char* key, int32_t encrypt, const char* modeText,
                                               const unsigned char* iv) {
    return frame_call(kExportPositiveStatus,
                      [&] { return aes_bytes_mode(128, output, input, inputLen, key, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                               const unsigned char* key, int32_t encrypt, const char* modeText,
                                               const unsigned char* iv) {
    return frame_call(kExportPositiveStatus,
                      [&] { return aes_bytes_mode(192, output, input, inputLen, key, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                               const unsigned char* key, int32_t encrypt, const char* modeText,
                                               const unsigned char* iv) {
    return frame_call(kExportPositiveStatus,
                      [&] { return aes_bytes_mode(256, output, input, inputLen, key, encrypt, modeText, iv); });
}

// --- _Hex: ECB on hex text -----------------------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kAes128Text, output, dataHex, keyHex, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kAes192Text, output, dataHex, keyHex, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kAes256Text, output, dataHex, keyHex, encrypt, "ECB", nullptr); });
}

// --- _HexMode: hex text in a named mode ----------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                             const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kAes128Text, output, dataHex, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                             const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kAes192Text, output, dataHex, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                             const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kAes256Text, output, dataHex, keyHex, encrypt, modeText, ivHex); });
}

// --- _B64Mode: base64 text -----------------------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                             const char* modeText, const char* ivB64) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_b64_mode(kAes128Text, output, dataB64, keyB64, encrypt, modeText, ivB64); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                             const char* modeText, const char* ivB64) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_b64_mode(kAes192Text, output, dataB64, keyB64, encrypt, modeText, ivB64); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                             const char* modeText, const char* ivB64) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_b64_mode(kAes256Text, output, dataB64, keyB64, encrypt, modeText, ivB64); });
}

// --- _Init: opens the AES context with the key length of the name --------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                          const unsigned char* iv) {
    return frame_call(kExportHandle, [&] { return block_init(kAes, key, 16, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                          const unsigned char* iv) {
    return frame_call(kExportHandle, [&] { return block_init(kAes, key, 24, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                          const unsigned char* iv) {
    return frame_call(kExportHandle, [&] { return block_init(kAes, key, 32, encrypt, modeText, iv); });
}

// --- _InitHex: one function under three names: the key length comes from the text ----------------

TESSALIB_API int32_t TESSALIB_CALL AES128_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                             const char* ivHex) {
    return frame_call(kExportHandle, [&] { return block_init_hex(kAes, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                             const char* ivHex) {
    return frame_call(kExportHandle, [&] { return block_init_hex(kAes, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                             const char* ivHex) {
    return frame_call(kExportHandle, [&] { return block_init_hex(kAes, keyHex, encrypt, modeText, ivHex); });
}

// --- _Update: one function under three names -----------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return block_update(kAes, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return block_update(kAes, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return block_update(kAes, handle, data, dataLen); });
}

// --- _UpdateHex: one function under three names --------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_UpdateHex(int32_t handle, char* dataHex) {
    return frame_call(kExportPositiveStatus, [&] { return block_update_hex(kAes, handle, dataHex); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_UpdateHex(int32_t handle, char* dataHex) {
    return frame_call(kExportPositiveStatus, [&] { return block_update_hex(kAes, handle, dataHex); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_UpdateHex(int32_t handle, char* dataHex) {
    return frame_call(kExportPositiveStatus, [&] { return block_update_hex(kAes, handle, dataHex); });
}

// --- _Final: one function under three names ------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_Final(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return block_final(kAes, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Final(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return block_final(kAes, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Final(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return block_final(kAes, handle); });
}

// --- _InitError: one function under three names --------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_InitError(void) {
    return frame_call(kUnframedValue, [&] { return block_init_error(kAes); });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_InitError(void) {
    return frame_call(kUnframedValue, [&] { return block_init_error(kAes); });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_InitError(void) {
    return frame_call(kUnframedValue, [&] { return block_init_error(kAes); });
}

// --- _File, _FileExt, _FileHex: file to file ------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_File(const char* outFile, const char* inFile, const unsigned char* key,
                                          int32_t encrypt, const char* modeText, const unsigned char* iv) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kAes, 16, outFile, inFile, key, encrypt, modeText, iv, 0);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_File(const char* outFile, const char* inFile, const unsigned char* key,
                                          int32_t encrypt, const char* modeText, const unsigned char* iv) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kAes, 24, outFile, inFile, key, encrypt, modeText, iv, 0);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_File(const char* outFile, const char* inFile, const unsigned char* key,
                                          int32_t encrypt, const char* modeText, const unsigned char* iv) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kAes, 32, outFile, inFile, key, encrypt, modeText, iv, 0);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES128_FileExt(const char* outFile, const char* inFile, const unsigned char* key,
                                             int32_t encrypt, const char* modeText, const unsigned char* iv,
                                             int32_t options) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kAes, 16, outFile, inFile, key, encrypt, modeText, iv, options);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_FileExt(const char* outFile, const char* inFile, const unsigned char* key,
                                             int32_t encrypt, const char* modeText, const unsigned char* iv,
                                             int32_t options) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kAes, 24, outFile, inFile, key, encrypt, modeText, iv, options);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_FileExt(const char* outFile, const char* inFile, const unsigned char* key,
                                             int32_t encrypt, const char* modeText, const unsigned char* iv,
                                             int32_t options) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kAes, 32, outFile, inFile, key, encrypt, modeText, iv, options);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES128_FileHex(const char* outFile, const char* inFile, const char* keyHex,
                                             int32_t encrypt, const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file_hex(kAes128File, outFile, inFile, keyHex, encrypt, modeText, ivHex);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES192_FileHex(const char* outFile, const char* inFile, const char* keyHex,
                                             int32_t encrypt, const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file_hex(kAes192File, outFile, inFile, keyHex, encrypt, modeText, ivHex);
    });
}

TESSALIB_API int32_t TESSALIB_CALL AES256_FileHex(const char* outFile, const char* inFile, const char* keyHex,
                                             int32_t encrypt, const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file_hex(kAes256File, outFile, inFile, keyHex, encrypt, modeText, ivHex);
    });
}
