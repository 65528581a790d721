// TDEA_: Triple DES one-shot on bytes, hex and base64 text, and the
// per-thread context.
#include <cstdint>

#include "Tessalib/block_args.h"
#include "Tessalib/block_slot.h"
#include "Tessalib/file_args.h"
#include "block/tdea.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 8;
constexpr KeyLengths kKey{24, 24, 24};
static_assert(kBlock <= kFamilyMaxBlock && kKey.capacity <= kFamilyMaxKey, "text buffers too small");

// The byte forms, the mode first as in the AES family; the ECB-only form
// passes "ECB".
int32_t tdea_bytes_mode(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                        int32_t encrypt, const char* modeText, const unsigned char* iv) noexcept {
    frame_begin();
    int32_t mode = kModeEcb;
    int32_t rc = check_bytes_mode(mode, static_cast<int32_t>(kBlock), output, input, inputLen, key, modeText, iv);
    if (rc == 0) rc = TdeaCrypt(output, input, inputLen, key, iv, encrypt, mode);
    return frame_status(positive_code(rc));
}

int32_t tdea_text(const TextArgs& a) noexcept {
    return TdeaCrypt(a.data, a.data, static_cast<int64_t>(a.data_len), a.key, a.iv, a.encrypt, a.mode);
}

// The base64 key decoder stops at 24 bytes: a longer key text gives its
// first 24 bytes.
constexpr TextCipher kText{
    kBlock,
    kKey,
    BAD_KEY_LEN_ERROR,  // a key text that gives no bytes
    ModeCheck::kFirst,  // hex forms: the mode before the other arguments, as in the AES family
    NULL_ERROR,         // base64 form: a null or empty argument
    tdea_text,
};

int32_t tdea_setup(TdeaContext* ctx, int32_t mode, const uint8_t* key, int32_t, int32_t encrypt,
                   const uint8_t* iv) noexcept {
    return TdeaSetup(ctx, mode, key, encrypt, iv);
}

constexpr ContextFamily<TdeaContext> kTdea{&ThreadWorkspace::tdea, kBlock, kKey, tdea_setup, TdeaUpdate};

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL TDEA_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                            const unsigned char* key, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return tdea_bytes_mode(output, input, inputLen, key, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t encrypt, const char* modeText,
                                                const unsigned char* iv) {
    return frame_call(kExportPositiveStatus,
                      [&] { return tdea_bytes_mode(output, input, inputLen, key, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kText, output, dataHex, keyHex, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                              const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kText, output, dataHex, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                              const char* modeText, const char* ivB64) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_b64_mode(kText, output, dataB64, keyB64, encrypt, modeText, ivB64); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                           const unsigned char* iv) {
    return frame_call(kExportHandle, [&] { return block_init(kTdea, key, 24, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                              const char* ivHex) {
    return frame_call(kExportHandle, [&] { return block_init_hex(kTdea, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return block_update(kTdea, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_UpdateHex(int32_t handle, char* dataHex) {
    return frame_call(kExportPositiveStatus, [&] { return block_update_hex(kTdea, handle, dataHex); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Final(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return block_final(kTdea, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_InitError(void) {
    return frame_call(kUnframedValue, [&] { return block_init_error(kTdea); });
}

// --- _File, _FileExt, _FileHex: file to file ------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL TDEA_File(const char* outFile, const char* inFile, const unsigned char* key,
                                        int32_t encrypt, const char* modeText, const unsigned char* iv) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kTdea, 24, outFile, inFile, key, encrypt, modeText, iv, 0);
    });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_FileExt(const char* outFile, const char* inFile, const unsigned char* key,
                                           int32_t encrypt, const char* modeText, const unsigned char* iv,
                                           int32_t options) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kTdea, 24, outFile, inFile, key, encrypt, modeText, iv, options);
    });
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_FileHex(const char* outFile, const char* inFile, const char* keyHex,
                                           int32_t encrypt, const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus, [&] {
        return tdea_file_hex(outFile, inFile, keyHex, encrypt, modeText, ivHex);
    });
}
