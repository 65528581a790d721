// DES_: single DES one-shot on bytes, hex and base64 text, the per-thread
// context, and the weak-key test.
#include <cstdint>
#include <cstring>

#include "block/des.h"
#include "block/family_args.h"
#include "block/family_slot.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 8;
constexpr KeyLengths kKey{8, 8, 8};
static_assert(kBlock <= kFamilyMaxBlock && kKey.capacity <= kFamilyMaxKey, "text buffers too small");

DesSlot& des_slot() noexcept { return GetThreadWorkspace()->des; }

int32_t text_engine(const TextArgs& a) noexcept {
    return DesCrypt(a.data, a.data, static_cast<int64_t>(a.data_len), a.key, a.encrypt, a.modeText, a.iv);
}

constexpr TextCipher kText{
    kBlock,
    kKey,
    BAD_KEY_LEN_ERROR,           // a key text that gives no bytes
    ModeCheck::kAfterArguments,  // hex forms: nulls and empty texts before the mode
    NULL_ERROR,                  // base64 form: a null or empty argument
    text_engine,
};

int32_t init_bytes_work(DesContext& ctx, const unsigned char* key, int32_t encrypt, const char* modeText,
                        const unsigned char* iv) noexcept {
    if (key == nullptr) return BAD_KEY_ERROR;
    int32_t mode = kModeEcb;
    const int32_t rc = check_init_mode(mode, modeText, iv);
    if (rc != 0) return rc;
    return DesSetup(&ctx, mode, key, encrypt, iv);
}

int32_t init_hex_work(DesContext& ctx, const char* keyHex, int32_t encrypt, const char* modeText,
                      const char* ivHex) noexcept {
    InitHexArgs args;
    const int32_t rc = decode_init_hex(args, kBlock, kKey, keyHex, modeText, ivHex);
    if (rc != 0) return rc;
    return DesSetup(&ctx, args.mode, args.key.bytes, encrypt, args.iv.bytes);
}

int32_t check_key_hex(const char* keyHex) noexcept {
    const char* text = keyHex != nullptr ? keyHex : "";
    if (std::strlen(text) > 48) return BAD_KEY_LEN_ERROR;
    SecretBytes<24> key;
    const std::size_t key_len = hex_decode_count(key.bytes, sizeof key.bytes, text);
    return des_check_key(key.bytes, static_cast<int32_t>(key_len));
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL DES_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                            const unsigned char* key, int32_t encrypt) {
    frame_begin();
    return frame_status(DesCrypt(output, input, inputLen, key, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL DES_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t encrypt, const char* modeText,
                                                const unsigned char* iv) {
    frame_begin();
    return frame_status(DesCrypt(output, input, inputLen, key, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL DES_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    frame_begin();
    return frame_status(hex_oneshot(kText, output, dataHex, keyHex, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL DES_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                              const char* modeText, const char* ivHex) {
    frame_begin();
    return frame_status(hex_oneshot(kText, output, dataHex, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL DES_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                              const char* modeText, const char* ivB64) {
    frame_begin();
    return frame_status(b64_oneshot(kText, output, dataB64, keyB64, encrypt, modeText, ivB64));
}

TESSALIB_API int32_t TESSALIB_CALL DES_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                           const unsigned char* iv) {
    frame_begin();
    DesSlot& slot = des_slot();
    close_slot(slot);
    return finish_init(slot, init_bytes_work(slot.ctx, key, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL DES_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                              const char* ivHex) {
    frame_begin();
    DesSlot& slot = des_slot();
    close_slot(slot);
    return finish_init(slot, init_hex_work(slot.ctx, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL DES_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    frame_begin();
    return frame_status(slot_update(des_slot(), handle, data, dataLen, DesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL DES_UpdateHex(int32_t handle, char* dataHex) {
    frame_begin();
    return frame_status(slot_update_hex(des_slot(), handle, dataHex, DesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL DES_Final(int32_t handle) {
    frame_begin();
    return frame_status(slot_final(des_slot(), handle));
}

TESSALIB_API int32_t TESSALIB_CALL DES_InitError(void) { return des_slot().initError; }

TESSALIB_API int32_t TESSALIB_CALL DES_CheckKey(const unsigned char* key, int32_t keyLen) {
    return des_check_key(key, keyLen);
}

TESSALIB_API int32_t TESSALIB_CALL DES_CheckKeyHex(const char* keyHex) { return check_key_hex(keyHex); }
