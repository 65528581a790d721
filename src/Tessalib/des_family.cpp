// DES_: single DES one-shot on bytes, hex and base64 text, the per-thread
// context, and the weak-key test.
#include <cstdint>
#include <cstring>

#include "Tessalib/block_args.h"
#include "Tessalib/block_slot.h"
#include "Tessalib/file_args.h"
#include "block/des.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 8;
constexpr KeyLengths kKey{8, 8, 8};
static_assert(kBlock <= kFamilyMaxBlock && kKey.capacity <= kFamilyMaxKey, "text buffers too small");

// The byte forms: the engine checks in its own order (pointers, length, IV,
// then the mode); the ECB-only form passes "ECB".
int32_t des_bytes_mode(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                       int32_t encrypt, const char* modeText, const unsigned char* iv) noexcept {
    frame_begin();
    int32_t mode = kModeEcb;
    int32_t rc = parse_engine_mode(mode, modeText);
    if (rc == 0) rc = DesCrypt(output, input, inputLen, key, encrypt, mode, iv);
    return frame_status(positive_code(rc));
}

int32_t des_text(const TextArgs& a) noexcept {
    return DesCrypt(a.data, a.data, static_cast<int64_t>(a.data_len), a.key, a.encrypt, a.mode, a.iv);
}

constexpr TextCipher kText{
    kBlock,
    kKey,
    BAD_KEY_LEN_ERROR,           // a key text that gives no bytes
    ModeCheck::kAfterArguments,  // hex forms: nulls and empty texts before the mode
    NULL_ERROR,                  // base64 form: a null or empty argument
    des_text,
};

int32_t des_setup(DesContext* ctx, int32_t mode, const uint8_t* key, int32_t, int32_t encrypt,
                  const uint8_t* iv) noexcept {
    return DesSetup(ctx, mode, key, encrypt, iv);
}

constexpr ContextFamily<DesContext> kDes{&ThreadWorkspace::des, kBlock, kKey, des_setup, DesUpdate};

int32_t check_key_hex(const char* keyHex) noexcept {
    const char* text = keyHex != nullptr ? keyHex : "";
    if (std::strlen(text) > 48) return -BAD_KEY_LEN_ERROR;
    SecretBytes<24> key;
    const std::size_t key_len = hex_decode_count(key.bytes, key.size(), text);
    return des_check_key(key.bytes, static_cast<int32_t>(key_len));
}

constexpr FileFamily kFile{FileCipher::kDes, kKey};

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL DES_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                            const unsigned char* key, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return des_bytes_mode(output, input, inputLen, key, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t encrypt, const char* modeText,
                                                const unsigned char* iv) {
    return frame_call(kExportPositiveStatus,
                      [&] { return des_bytes_mode(output, input, inputLen, key, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kText, output, dataHex, keyHex, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                              const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kText, output, dataHex, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                              const char* modeText, const char* ivB64) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_b64_mode(kText, output, dataB64, keyB64, encrypt, modeText, ivB64); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                           const unsigned char* iv) {
    return frame_call(kExportHandle, [&] { return block_init(kDes, key, 8, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                              const char* ivHex) {
    return frame_call(kExportHandle, [&] { return block_init_hex(kDes, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return block_update(kDes, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_UpdateHex(int32_t handle, char* dataHex) {
    return frame_call(kExportPositiveStatus, [&] { return block_update_hex(kDes, handle, dataHex); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_Final(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return block_final(kDes, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_InitError(void) {
    return frame_call(kUnframedValue, [&] { return block_init_error(kDes); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_CheckKey(const unsigned char* key, int32_t keyLen) {
    return frame_call(kUnframedPositiveStatus, [&] { return positive_code(des_check_key(key, keyLen)); });
}

TESSALIB_API int32_t TESSALIB_CALL DES_CheckKeyHex(const char* keyHex) {
    return frame_call(kUnframedPositiveStatus, [&] { return positive_code(check_key_hex(keyHex)); });
}

// --- _File, _FileExt, _FileHex: file to file ------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL DES_File(const char* outFile, const char* inFile, const unsigned char* key,
                                        int32_t encrypt, const char* modeText, const unsigned char* iv) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kDes, 8, outFile, inFile, key, encrypt, modeText, iv, 0);
    });
}

TESSALIB_API int32_t TESSALIB_CALL DES_FileExt(const char* outFile, const char* inFile, const unsigned char* key,
                                           int32_t encrypt, const char* modeText, const unsigned char* iv,
                                           int32_t options) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kDes, 8, outFile, inFile, key, encrypt, modeText, iv, options);
    });
}

TESSALIB_API int32_t TESSALIB_CALL DES_FileHex(const char* outFile, const char* inFile, const char* keyHex,
                                           int32_t encrypt, const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file_hex(kFile, outFile, inFile, keyHex, encrypt, modeText, ivHex);
    });
}
