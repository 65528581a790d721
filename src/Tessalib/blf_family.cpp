// BLF_: Blowfish one-shot on bytes, hex and base64 text, the per-thread
// context, and raw ECB with the key of the open context.
#include <cstdint>

#include "block/blowfish.h"
#include "block/family_args.h"
#include "block/family_slot.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 8;
constexpr int32_t kBlockLen = 8;
constexpr KeyLengths kKey{56, 1, 56};
static_assert(kBlock <= kFamilyMaxBlock && kKey.capacity <= kFamilyMaxKey, "text buffers too small");

BlfSlot& blf_slot() noexcept { return GetThreadWorkspace()->blf; }

int32_t text_engine(const TextArgs& a) noexcept {
    return BlowfishCrypt(a.data, a.data, static_cast<int64_t>(a.data_len), a.key, static_cast<int32_t>(a.key_len),
                         a.encrypt, a.modeText, a.iv);
}

// The base64 key decoder stops at its capacity: a longer key text gives its
// first 54 bytes (the group of three that would cross the capacity is dropped).
constexpr TextCipher kText{
    kBlock,
    kKey,
    BAD_KEY_ERROR,               // a key text that gives no bytes
    ModeCheck::kAfterArguments,  // hex forms: nulls and empty texts before the mode
    NULL_ERROR,                  // base64 form: a null or empty argument
    text_engine,
};

int32_t init_bytes_work(BlowfishContext& ctx, const unsigned char* key, int32_t keyLen, int32_t encrypt,
                        const char* modeText, const unsigned char* iv) noexcept {
    if (key == nullptr) return BAD_KEY_ERROR;
    if (keyLen < 0) return BAD_PARAM_ERROR;
    int32_t mode = kModeEcb;
    const int32_t rc = check_init_mode(mode, modeText, iv);
    if (rc != 0) return rc;
    return BlowfishSetup(&ctx, mode, key, keyLen, encrypt, iv);
}

int32_t init_hex_work(BlowfishContext& ctx, const char* keyHex, int32_t encrypt, const char* modeText,
                      const char* ivHex) noexcept {
    InitHexArgs args;
    const int32_t rc = decode_init_hex(args, kBlock, kKey, keyHex, modeText, ivHex);
    if (rc != 0) return rc;
    return BlowfishSetup(&ctx, args.mode, args.key.bytes, static_cast<int32_t>(args.key_len), encrypt, args.iv.bytes);
}

int32_t ecb(int32_t handle, unsigned char* data, int32_t dataLen, int32_t encrypt) noexcept {
    if (data == nullptr) return NULL_ERROR;
    if (dataLen < 0) return BAD_PARAM_ERROR;
    BlfSlot& slot = blf_slot();
    if (!slot_is_live(slot, handle)) return INVALID_HANDLE_ERROR;
    if (dataLen % kBlockLen != 0) return BAD_LENGTH_ERROR;
    return BlowfishEcb(&slot.ctx, data, data, static_cast<std::size_t>(dataLen), encrypt);
}

// The text is checked and decoded before the handle. A text of one
// character has an odd length and decodes to nothing: BAD_FORMAT_ERROR.
int32_t ecb_hex(int32_t handle, char* dataHex, int32_t encrypt) noexcept {
    if (text_missing(dataHex)) return BAD_PARAM_ERROR;
    return hex_in_place(dataHex, dataHex, [&](uint8_t* data, std::size_t len) noexcept {
        return ecb(handle, data, static_cast<int32_t>(len), encrypt);
    });
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL BLF_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                            const unsigned char* key, int32_t keyLen, int32_t encrypt) {
    frame_begin();
    return frame_status(BlowfishCrypt(output, input, inputLen, key, keyLen, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t keyLen, int32_t encrypt,
                                                const char* modeText, const unsigned char* iv) {
    frame_begin();
    return frame_status(BlowfishCrypt(output, input, inputLen, key, keyLen, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    frame_begin();
    return frame_status(hex_oneshot(kText, output, dataHex, keyHex, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                              const char* modeText, const char* ivHex) {
    frame_begin();
    return frame_status(hex_oneshot(kText, output, dataHex, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                              const char* modeText, const char* ivB64) {
    frame_begin();
    return frame_status(b64_oneshot(kText, output, dataB64, keyB64, encrypt, modeText, ivB64));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Init(const unsigned char* key, int32_t keyLen, int32_t encrypt,
                                           const char* modeText, const unsigned char* iv) {
    frame_begin();
    BlfSlot& slot = blf_slot();
    close_slot(slot);
    return finish_init(slot, init_bytes_work(slot.ctx, key, keyLen, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                              const char* ivHex) {
    frame_begin();
    BlfSlot& slot = blf_slot();
    close_slot(slot);
    return finish_init(slot, init_hex_work(slot.ctx, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    frame_begin();
    return frame_status(slot_update(blf_slot(), handle, data, dataLen, BlowfishUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_UpdateHex(int32_t handle, char* dataHex) {
    frame_begin();
    return frame_status(slot_update_hex(blf_slot(), handle, dataHex, BlowfishUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_Final(int32_t handle) {
    frame_begin();
    return frame_status(slot_final(blf_slot(), handle));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_InitError(void) { return blf_slot().initError; }

TESSALIB_API int32_t TESSALIB_CALL BLF_Ecb(int32_t handle, unsigned char* data, int32_t dataLen, int32_t encrypt) {
    frame_begin();
    return frame_status(ecb(handle, data, dataLen, encrypt));
}

TESSALIB_API int32_t TESSALIB_CALL BLF_EcbHex(int32_t handle, char* dataHex, int32_t encrypt) {
    frame_begin();
    return frame_status(ecb_hex(handle, dataHex, encrypt));
}
