// The checks and the decode, crypt and encode steps shared by the
// block-cipher families' one-shots and _Init functions.
#include "Tessalib/block_args.h"

#include <cstring>

#include "block/modes.h"
#include "encode/base64.h"

namespace {

// True when a data size worked out from a caller's text fits a positive int32_t.
bool data_size_ok(uint64_t size) noexcept { return size <= static_cast<uint64_t>(INT32_MAX); }

}  // namespace

int32_t hex_data_check(const char* text, HexData& data) noexcept {
    data.text = text;
    data.text_len = std::strlen(text);
    data.data_len = data.text_len / 2;
    if (!data_size_ok(data.data_len)) return -BAD_PARAM_ERROR;
    if ((data.text_len & 1) != 0 || HexDecodeStrict(nullptr, 0, text) < 0) return -BAD_FORMAT_ERROR;
    return 0;
}

int32_t hex_oneshot(const TextCipher& cipher, char* output, const char* dataHex, const char* keyHex,
                    int32_t encrypt, const char* modeText, const char* ivHex) noexcept {
    const bool missing = output == nullptr || text_missing(dataHex) || text_missing(keyHex);
    if (cipher.hex_mode_check == ModeCheck::kAfterArguments && missing) return -BAD_PARAM_ERROR;
    if (text_missing(modeText)) return -BAD_PARAM_ERROR;
    const int32_t mode = ParseModeString(modeText);
    if (mode < 0) return -BAD_MODE_ERROR;
    if (missing) return -BAD_PARAM_ERROR;

    SecretBytes<kFamilyMaxBlock> iv;
    if (mode != kModeEcb && (text_missing(ivHex) || hex_decode_count(iv.bytes, cipher.block, ivHex) != cipher.block))
        return -BAD_IV_ERROR;
    if (std::strlen(dataHex) < 2) return -BAD_LENGTH_ERROR;
    HexData data;
    int32_t rc = hex_data_check(dataHex, data);
    if (rc != 0) return rc;
    SecretBytes<kFamilyMaxKey> key;
    const std::size_t key_len = hex_decode_count(key.bytes, cipher.key.capacity, keyHex);
    rc = check_key_length(key_len, cipher.key, cipher.no_key_code);
    if (rc != 0) return rc;
    return hex_data_run(data, output, [&](uint8_t* bytes, std::size_t len) noexcept {
        return cipher.engine(TextArgs{mode, encrypt, key.bytes, key_len, iv.bytes, bytes, len});
    });
}

int32_t b64_oneshot(const TextCipher& cipher, char* output, const char* dataB64, const char* keyB64,
                    int32_t encrypt, const char* modeText, const char* ivB64) noexcept {
    if (output == nullptr || text_missing(dataB64) || text_missing(keyB64) || text_missing(modeText))
        return -cipher.b64_missing_code;
    const int32_t mode = ParseModeString(modeText);
    if (mode < 0) return -BAD_MODE_ERROR;
    SecretBytes<kFamilyMaxBlock> iv;
    if (mode != kModeEcb && (text_missing(ivB64) || B64Decode(iv.bytes, cipher.block, ivB64) != cipher.block))
        return -BAD_IV_ERROR;
    // The decoder's room for the data: three bytes for every four characters,
    // and one more. What it decodes is measured first, without a buffer.
    const std::size_t text_len = std::strlen(dataB64);
    if (!data_size_ok((static_cast<uint64_t>(text_len) + 3) / 4 * 3 + 1)) return -BAD_PARAM_ERROR;
    const std::size_t data_len = b64_decoded_length(dataB64);
    if (data_len == 0) return -BAD_FORMAT_ERROR;
    SecretBytes<kFamilyMaxKey> key;
    const std::size_t key_len = B64Decode(key.bytes, cipher.key.capacity, keyB64);
    int32_t rc = check_key_length(key_len, cipher.key, cipher.no_key_code);
    if (rc != 0) return rc;
    SecretBuffer data;
    if (!data.allocate(data_len)) return -MEMORY_ERROR;
    B64Decode(data.data(), data_len, dataB64);
    rc = cipher.engine(TextArgs{mode, encrypt, key.bytes, key_len, iv.bytes, data.data(), data_len});
    if (rc != 0) return rc;
    // The output has room for as many characters as the input text; an
    // unpadded input may need more, and is then refused rather than cut.
    if ((static_cast<uint64_t>(data_len) + 2) / 3 * 4 > text_len) return -SHORT_BUF_ERROR;
    B64Encode(output, text_len + 1, data.data(), data_len);
    return 0;
}

int32_t decode_init_hex(InitHexArgs& out, std::size_t block, const KeyLengths& lengths, const char* keyHex,
                        const char* modeText, const char* ivHex) noexcept {
    if (text_missing(keyHex) || text_missing(modeText)) return -BAD_PARAM_ERROR;
    out.mode = ParseModeString(modeText);
    if (out.mode < 0) return -BAD_MODE_ERROR;
    if (out.mode != kModeEcb && (text_missing(ivHex) || hex_decode_count(out.iv.bytes, block, ivHex) != block))
        return -BAD_IV_ERROR;
    out.key_len = hex_decode_count(out.key.bytes, lengths.capacity, keyHex);
    return check_key_length(out.key_len, lengths, BAD_KEY_ERROR);
}

int32_t check_init_mode(int32_t& mode, const char* modeText, const unsigned char* iv) noexcept {
    if (modeText == nullptr) return -NULL_ERROR;
    mode = ParseModeString(modeText);
    if (mode < 0) return -BAD_MODE_ERROR;
    if (mode != kModeEcb && iv == nullptr) return -BAD_IV_ERROR;
    return 0;
}

int32_t check_bytes_mode(int32_t& mode, int32_t block, const unsigned char* output, const unsigned char* input,
                         int32_t inputLen, const unsigned char* key, const char* modeText,
                         const unsigned char* iv) noexcept {
    if (modeText == nullptr) return -NULL_ERROR;
    mode = ParseModeString(modeText);
    if (mode < 0) return -BAD_MODE_ERROR;
    if (output == nullptr || input == nullptr || key == nullptr) return -NULL_ERROR;
    if (inputLen < 0) return -BAD_PARAM_ERROR;
    if (mode != kModeEcb && iv == nullptr) return -BAD_IV_ERROR;
    if ((mode == kModeEcb || mode == kModeCbc) && inputLen % block != 0) return -BAD_LENGTH_ERROR;
    return 0;
}

int32_t parse_engine_mode(int32_t& mode, const char* modeText) noexcept {
    if (modeText == nullptr) return -NULL_ERROR;
    mode = ParseModeString(modeText);
    return 0;
}
