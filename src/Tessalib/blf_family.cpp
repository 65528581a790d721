// BLF_: Blowfish one-shot on bytes, hex and base64 text, the per-thread
// context, and raw ECB with the key of the open context.
#include <cstdint>

#include "Tessalib/block_args.h"
#include "Tessalib/block_slot.h"
#include "Tessalib/file_args.h"
#include "block/blowfish.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 8;
constexpr KeyLengths kKey{56, 1, 56};
static_assert(kBlock <= kFamilyMaxBlock && kKey.capacity <= kFamilyMaxKey, "text buffers too small");

// The byte forms: the engine checks in its own order (pointers, lengths, IV,
// mode, key length); the ECB-only form passes "ECB".
int32_t blf_bytes_mode(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                       int32_t keyLen, int32_t encrypt, const char* modeText, const unsigned char* iv) noexcept {
    frame_begin();
    int32_t mode = kModeEcb;
    int32_t rc = parse_engine_mode(mode, modeText);
    if (rc == 0) rc = BlowfishCrypt(output, input, inputLen, key, keyLen, encrypt, mode, iv);
    return frame_status(positive_code(rc));
}

int32_t blf_text(const TextArgs& a) noexcept {
    return BlowfishCrypt(a.data, a.data, static_cast<int64_t>(a.data_len), a.key, static_cast<int32_t>(a.key_len),
                         a.encrypt, a.mode, a.iv);
}

// The base64 key decoder stops at its capacity: a longer key text gives its
// first 54 bytes (the group of three that would cross the capacity is dropped).
constexpr TextCipher kText{
    kBlock,
    kKey,
    BAD_KEY_ERROR,               // a key text that gives no bytes
    ModeCheck::kAfterArguments,  // hex forms: nulls and empty texts before the mode
    NULL_ERROR,                  // base64 form: a null or empty argument
    blf_text,
};

constexpr ContextFamily<BlowfishContext> kBlf{&ThreadWorkspace::blf, kBlock, kKey, BlowfishSetup, BlowfishUpdate};

int32_t ecb(int32_t handle, unsigned char* data, int32_t dataLen, int32_t encrypt) noexcept {
    if (data == nullptr) return -NULL_ERROR;
    if (dataLen < 0) return -BAD_PARAM_ERROR;
    BlfSlot& slot = family_slot(kBlf);
    if (!slot_is_live(slot, handle)) return -INVALID_HANDLE_ERROR;
    return BlowfishEcb(&slot.ctx, data, data, static_cast<std::size_t>(dataLen), encrypt);
}

// The text is checked before the handle; the handle before the buffer for
// the decoded text is made. A text of one character has an odd length and
// decodes to nothing: BAD_FORMAT_ERROR.
int32_t ecb_hex(int32_t handle, char* dataHex, int32_t encrypt) noexcept {
    if (text_missing(dataHex)) return -BAD_PARAM_ERROR;
    HexData data;
    const int32_t rc = hex_data_check(dataHex, data);
    if (rc != 0) return rc;
    if (!slot_is_live(family_slot(kBlf), handle)) return -INVALID_HANDLE_ERROR;
    return hex_data_run(data, dataHex, [&](uint8_t* bytes, std::size_t len) noexcept {
        return ecb(handle, bytes, static_cast<int32_t>(len), encrypt);
    });
}

constexpr FileFamily kFile{FileCipher::kBlowfish, kKey};

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL BLF_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                            const unsigned char* key, int32_t keyLen, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return blf_bytes_mode(output, input, inputLen, key, keyLen, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t keyLen, int32_t encrypt,
                                                const char* modeText, const unsigned char* iv) {
    return frame_call(kExportPositiveStatus,
                      [&] { return blf_bytes_mode(output, input, inputLen, key, keyLen, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kText, output, dataHex, keyHex, encrypt, "ECB", nullptr); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                              const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_hex_mode(kText, output, dataHex, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                              const char* modeText, const char* ivB64) {
    return frame_call(kExportPositiveStatus,
                      [&] { return block_b64_mode(kText, output, dataB64, keyB64, encrypt, modeText, ivB64); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Init(const unsigned char* key, int32_t keyLen, int32_t encrypt,
                                           const char* modeText, const unsigned char* iv) {
    return frame_call(kExportHandle, [&] { return block_init(kBlf, key, keyLen, encrypt, modeText, iv); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                              const char* ivHex) {
    return frame_call(kExportHandle, [&] { return block_init_hex(kBlf, keyHex, encrypt, modeText, ivHex); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    return frame_call(kExportPositiveStatus, [&] { return block_update(kBlf, handle, data, dataLen); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_UpdateHex(int32_t handle, char* dataHex) {
    return frame_call(kExportPositiveStatus, [&] { return block_update_hex(kBlf, handle, dataHex); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Final(int32_t handle) {
    return frame_call(kExportPositiveStatus, [&] { return block_final(kBlf, handle); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_InitError(void) {
    return frame_call(kUnframedValue, [&] { return block_init_error(kBlf); });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Ecb(int32_t handle, unsigned char* data, int32_t dataLen, int32_t encrypt) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin();
    return frame_status(positive_code(ecb(handle, data, dataLen, encrypt)));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_EcbHex(int32_t handle, char* dataHex, int32_t encrypt) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin();
    return frame_status(positive_code(ecb_hex(handle, dataHex, encrypt)));
}

// --- _File, _FileExt, _FileHex: file to file ------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL BLF_File(const char* outFile, const char* inFile, const unsigned char* key,
                                       int32_t keyLen, int32_t encrypt, const char* modeText,
                                       const unsigned char* iv) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kBlowfish, keyLen, outFile, inFile, key, encrypt, modeText, iv, 0);
    });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_FileExt(const char* outFile, const char* inFile, const unsigned char* key,
                                          int32_t keyLen, int32_t encrypt, const char* modeText,
                                          const unsigned char* iv, int32_t options) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file(FileCipher::kBlowfish, keyLen, outFile, inFile, key, encrypt, modeText, iv, options);
    });
}

TESSALIB_API int32_t TESSALIB_CALL BLF_FileHex(const char* outFile, const char* inFile, const char* keyHex,
                                          int32_t encrypt, const char* modeText, const char* ivHex) {
    return frame_call(kExportPositiveStatus, [&] {
        return block_file_hex(kFile, outFile, inFile, keyHex, encrypt, modeText, ivHex);
    });
}
