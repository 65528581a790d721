// TDEA_: Triple DES one-shot on bytes, hex and base64 text, and the
// per-thread context.
#include <cstdint>

#include "block/tdea.h"
#include "block/family_args.h"
#include "block/family_slot.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 8;
constexpr KeyLengths kKey{24, 24, 24};
static_assert(kBlock <= kFamilyMaxBlock && kKey.capacity <= kFamilyMaxKey, "text buffers too small");

TdeaSlot& tdea_slot() noexcept { return GetThreadWorkspace()->tdea; }

// The byte forms, the mode first as in the AES family; the ECB-only form
// passes "ECB".
int32_t bytes_mode(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                   int32_t encrypt, const char* modeText, const unsigned char* iv) noexcept {
    int32_t mode = kModeEcb;
    const int32_t rc = check_bytes_mode(mode, static_cast<int32_t>(kBlock), output, input, inputLen, key, modeText, iv);
    if (rc != 0) return rc;
    return TdeaCrypt(output, input, inputLen, key, iv, encrypt, mode);
}

int32_t text_engine(const TextArgs& a) noexcept {
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
    text_engine,
};

int32_t init_bytes_work(TdeaContext& ctx, const unsigned char* key, int32_t encrypt, const char* modeText,
                        const unsigned char* iv) noexcept {
    if (key == nullptr) return BAD_KEY_ERROR;
    int32_t mode = kModeEcb;
    const int32_t rc = check_init_mode(mode, modeText, iv);
    if (rc != 0) return rc;
    return TdeaSetup(&ctx, mode, key, encrypt, iv);
}

int32_t init_hex_work(TdeaContext& ctx, const char* keyHex, int32_t encrypt, const char* modeText,
                      const char* ivHex) noexcept {
    InitHexArgs args;
    const int32_t rc = decode_init_hex(args, kBlock, kKey, keyHex, modeText, ivHex);
    if (rc != 0) return rc;
    return TdeaSetup(&ctx, args.mode, args.key.bytes, encrypt, args.iv.bytes);
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL TDEA_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                            const unsigned char* key, int32_t encrypt) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t encrypt, const char* modeText,
                                                const unsigned char* iv) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    frame_begin();
    return frame_status(hex_oneshot(kText, output, dataHex, keyHex, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                              const char* modeText, const char* ivHex) {
    frame_begin();
    return frame_status(hex_oneshot(kText, output, dataHex, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                              const char* modeText, const char* ivB64) {
    frame_begin();
    return frame_status(b64_oneshot(kText, output, dataB64, keyB64, encrypt, modeText, ivB64));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                           const unsigned char* iv) {
    frame_begin();
    TdeaSlot& slot = tdea_slot();
    close_slot(slot);
    return finish_init(slot, init_bytes_work(slot.ctx, key, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                              const char* ivHex) {
    frame_begin();
    TdeaSlot& slot = tdea_slot();
    close_slot(slot);
    return finish_init(slot, init_hex_work(slot.ctx, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    frame_begin();
    return frame_status(slot_update(tdea_slot(), handle, data, dataLen, TdeaUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_UpdateHex(int32_t handle, char* dataHex) {
    frame_begin();
    return frame_status(slot_update_hex(tdea_slot(), handle, dataHex, TdeaUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Final(int32_t handle) {
    frame_begin();
    return frame_status(slot_final(tdea_slot(), handle));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_InitError(void) { return tdea_slot().initError; }
