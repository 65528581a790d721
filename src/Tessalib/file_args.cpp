// The file functions of the block-cipher families.
#include "Tessalib/file_args.h"

#include "block/modes.h"
#include "core/frame.h"
#include "core/secret.h"
#include "tessalib.h"

namespace {

// The mode text of a file function: a null text is refused like the byte
// one-shots' (NULL_ERROR), before anything is done to a file.
int32_t parse_file_mode(int32_t& mode, const char* modeText) noexcept {
    if (modeText == nullptr) return -NULL_ERROR;
    mode = ParseModeString(modeText);
    return mode < 0 ? -BAD_MODE_ERROR : 0;
}

// An IV text that is given must be exactly a block of strict hex.
bool iv_hex_ok(uint8_t* iv, std::size_t block, const char* ivHex) noexcept {
    return hex_decode_count(iv, block, ivHex) == block;
}

int32_t run_file(FileCipher cipher, int32_t mode, const uint8_t* key, std::size_t key_len, const uint8_t* iv,
                 int32_t encrypt, uint32_t options, const char* outFile, const char* inFile) noexcept {
    const FileCryptArgs args{cipher, mode, encrypt != 0, key, static_cast<int32_t>(key_len), iv, options};
    return file_crypt(args, outFile, inFile);
}

int32_t file_hex_body(const FileFamily& family, const char* outFile, const char* inFile, const char* keyHex,
                      int32_t encrypt, const char* modeText, const char* ivHex) noexcept {
    int32_t mode = kModeEcb;
    if (const int32_t rc = parse_file_mode(mode, modeText)) return rc;
    const std::size_t block = file_cipher_block(family.cipher);
    SecretBytes<kFamilyMaxBlock> iv;
    const bool have_iv = !text_missing(ivHex);
    if (have_iv && !iv_hex_ok(iv.bytes, block, ivHex)) return -BAD_IV_ERROR;
    if (text_missing(keyHex)) return -BAD_PARAM_ERROR;
    SecretBytes<kFamilyMaxKey> key;
    const std::size_t key_len = hex_decode_count(key.bytes, family.hex_key.capacity, keyHex);
    if (const int32_t rc = check_key_length(key_len, family.hex_key, BAD_KEY_ERROR)) return rc;
    return run_file(family.cipher, mode, key.bytes, key_len, have_iv ? iv.bytes : nullptr, encrypt, 0, outFile,
                    inFile);
}

int32_t tdea_file_hex_body(const char* outFile, const char* inFile, const char* keyHex, int32_t encrypt,
                           const char* modeText, const char* ivHex) noexcept {
    constexpr std::size_t kBlock = 8;
    constexpr KeyLengths kKey{24, 24, 24};
    if (text_missing(outFile) || text_missing(inFile)) return -BAD_PARAM_ERROR;
    const int32_t parsed = modeText != nullptr ? ParseModeString(modeText) : -1;
    SecretBytes<kBlock> iv;
    if (parsed != kModeEcb) {
        if (text_missing(ivHex)) return -BAD_PARAM_ERROR;
        if (!iv_hex_ok(iv.bytes, kBlock, ivHex)) return -BAD_IV_ERROR;
    }
    if (text_missing(keyHex)) return -BAD_PARAM_ERROR;
    SecretBytes<kKey.capacity> key;
    const std::size_t key_len = hex_decode_count(key.bytes, kKey.capacity, keyHex);
    if (const int32_t rc = check_key_length(key_len, kKey, BAD_KEY_ERROR)) return rc;
    int32_t mode = kModeEcb;
    if (const int32_t rc = parse_file_mode(mode, modeText)) return rc;
    return run_file(FileCipher::kTdea, mode, key.bytes, key_len, mode != kModeEcb ? iv.bytes : nullptr, encrypt, 0,
                    outFile, inFile);
}

}  // namespace

int32_t block_file(FileCipher cipher, int32_t key_len, const char* outFile, const char* inFile,
                   const unsigned char* key, int32_t encrypt, const char* modeText, const unsigned char* iv,
                   int32_t options) noexcept {
    frame_begin();
    int32_t mode = kModeEcb;
    int32_t rc = parse_file_mode(mode, modeText);
    if (rc == 0) {
        const FileCryptArgs args{cipher, mode, encrypt != 0, key, key_len, iv, static_cast<uint32_t>(options)};
        rc = file_crypt(args, outFile, inFile);
    }
    return frame_status(positive_code(rc));
}

int32_t block_file_hex(const FileFamily& family, const char* outFile, const char* inFile, const char* keyHex,
                       int32_t encrypt, const char* modeText, const char* ivHex) noexcept {
    frame_begin();
    return frame_status(positive_code(file_hex_body(family, outFile, inFile, keyHex, encrypt, modeText, ivHex)));
}

int32_t tdea_file_hex(const char* outFile, const char* inFile, const char* keyHex, int32_t encrypt,
                      const char* modeText, const char* ivHex) noexcept {
    frame_begin();
    return frame_status(positive_code(tdea_file_hex_body(outFile, inFile, keyHex, encrypt, modeText, ivHex)));
}
