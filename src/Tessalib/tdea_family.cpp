// TDEA_: Triple DES one-shot on bytes, hex and base64 text, and the
// per-thread context.
#include <cstdint>
#include <cstring>

#include "block/tdea.h"
#include "block/family_args.h"
#include "block/handle.h"
#include "block/modes.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "encode/base64.h"
#include "encode/hex.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 8;
constexpr std::size_t kKeyLen = 24;
constexpr int32_t kBlockLen = 8;

TdeaSlot& tdea_slot() noexcept { return GetThreadWorkspace()->tdea; }

void close_slot(TdeaSlot& slot) noexcept {
    slot.handle = 0;
    secure_wipe_obj(slot.ctx);
}

bool is_live(const TdeaSlot& slot, int32_t handle) noexcept {
    return handle != 0 && static_cast<uint32_t>(handle) == slot.handle;
}

int32_t bytes_ecb(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                  int32_t encrypt) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr) return NULL_ERROR;
    if (inputLen < 0) return BAD_PARAM_ERROR;
    if (inputLen % kBlockLen != 0) return BAD_LENGTH_ERROR;
    return TdeaCrypt(output, input, inputLen, key, nullptr, encrypt, kModeEcb);
}

// The mode is checked first, as in the AES family.
int32_t bytes_mode(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                   int32_t encrypt, const char* modeText, const unsigned char* iv) noexcept {
    if (modeText == nullptr) return NULL_ERROR;
    const int32_t mode = ParseModeString(modeText);
    if (mode < 0) return BAD_MODE_ERROR;
    if (output == nullptr || input == nullptr || key == nullptr) return NULL_ERROR;
    if (inputLen < 0) return BAD_PARAM_ERROR;
    if (mode != kModeEcb && iv == nullptr) return BAD_IV_ERROR;
    if ((mode == kModeEcb || mode == kModeCbc) && inputLen % kBlockLen != 0) return BAD_LENGTH_ERROR;
    return TdeaCrypt(output, input, inputLen, key, iv, encrypt, mode);
}

// The hex forms, the mode first as in the AES family. has_mode false: ECB.
int32_t hex_mode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt, const char* modeText,
                 const char* ivHex, bool has_mode) noexcept {
    int32_t mode = kModeEcb;
    if (has_mode) {
        if (text_missing(modeText)) return BAD_PARAM_ERROR;
        mode = ParseModeString(modeText);
        if (mode < 0) return BAD_MODE_ERROR;
    }
    if (output == nullptr || text_missing(dataHex) || text_missing(keyHex)) return BAD_PARAM_ERROR;
    SecretBytes<kBlock> iv;
    if (mode != kModeEcb && (text_missing(ivHex) || hex_decode_count(iv.bytes, kBlock, ivHex) != kBlock))
        return BAD_IV_ERROR;
    const std::size_t text_len = std::strlen(dataHex);
    if (text_len < 2) return BAD_LENGTH_ERROR;
    const std::size_t data_len = text_len / 2;
    if (!data_size_ok(data_len)) return BAD_PARAM_ERROR;
    SecretBuffer data(data_len);
    if ((text_len & 1) != 0 || hex_decode_count(data.data(), data_len, dataHex) != data_len) return BAD_FORMAT_ERROR;
    SecretBytes<kKeyLen> key;
    if (hex_decode_count(key.bytes, kKeyLen, keyHex) != kKeyLen) return BAD_KEY_LEN_ERROR;
    const int32_t rc =
        TdeaCrypt(data.data(), data.data(), static_cast<int64_t>(data_len), key.bytes, iv.bytes, encrypt, mode);
    if (rc != 0) return rc;
    HexEncodeUpper(output, text_len + 1, data.data(), data_len);
    return 0;
}

int32_t b64_mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt, const char* modeText,
                 const char* ivB64) noexcept {
    if (output == nullptr || text_missing(dataB64) || text_missing(keyB64) || text_missing(modeText))
        return NULL_ERROR;
    const int32_t mode = ParseModeString(modeText);
    if (mode < 0) return BAD_MODE_ERROR;
    SecretBytes<kBlock> iv;
    if (mode != kModeEcb && (text_missing(ivB64) || B64Decode(iv.bytes, kBlock, ivB64) != kBlock))
        return BAD_IV_ERROR;
    const std::size_t text_len = std::strlen(dataB64);
    const uint64_t capacity = (static_cast<uint64_t>(text_len) + 3) / 4 * 3 + 1;
    if (!data_size_ok(capacity)) return BAD_PARAM_ERROR;
    SecretBuffer data(static_cast<std::size_t>(capacity));
    const std::size_t data_len = B64Decode(data.data(), static_cast<std::size_t>(capacity), dataB64);
    if (data_len == 0) return BAD_FORMAT_ERROR;
    SecretBytes<kKeyLen> key;
    if (B64Decode(key.bytes, kKeyLen, keyB64) != kKeyLen) return BAD_KEY_LEN_ERROR;
    const int32_t rc =
        TdeaCrypt(data.data(), data.data(), static_cast<int64_t>(data_len), key.bytes, iv.bytes, encrypt, mode);
    if (rc != 0) return rc;
    // The output has room for as many characters as the input text; an
    // unpadded input may need more, and is then refused rather than cut.
    if ((static_cast<uint64_t>(data_len) + 2) / 3 * 4 > text_len) return SHORT_BUF_ERROR;
    B64Encode(output, text_len + 1, data.data(), data_len);
    return 0;
}

// Records the outcome of an _Init: a new handle on success; on failure the
// code as initError and the context wiped.
int32_t finish_init(TdeaSlot& slot, int32_t rc) noexcept {
    slot.initError = rc;
    if (rc != 0) {
        secure_wipe_obj(slot.ctx);
        return static_cast<int32_t>(frame_handle(0, rc));
    }
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, 0));
}

int32_t init_bytes_work(TdeaSlot& slot, const unsigned char* key, int32_t encrypt, const char* modeText,
                        const unsigned char* iv) noexcept {
    if (key == nullptr) return BAD_KEY_ERROR;
    if (modeText == nullptr) return NULL_ERROR;
    const int32_t mode = ParseModeString(modeText);
    if (mode < 0) return BAD_MODE_ERROR;
    if (mode != kModeEcb && iv == nullptr) return BAD_IV_ERROR;
    return TdeaSetup(&slot.ctx, mode, key, encrypt, iv);
}

int32_t init_hex_work(TdeaSlot& slot, const char* keyHex, int32_t encrypt, const char* modeText,
                      const char* ivHex) noexcept {
    if (text_missing(keyHex) || text_missing(modeText)) return BAD_PARAM_ERROR;
    const int32_t mode = ParseModeString(modeText);
    if (mode < 0) return BAD_MODE_ERROR;
    SecretBytes<kBlock> iv;
    if (mode != kModeEcb && (text_missing(ivHex) || hex_decode_count(iv.bytes, kBlock, ivHex) != kBlock))
        return BAD_IV_ERROR;
    SecretBytes<kKeyLen> key;
    const std::size_t key_len = hex_decode_count(key.bytes, kKeyLen, keyHex);
    if (key_len == 0) return BAD_KEY_ERROR;
    if (key_len != kKeyLen) return BAD_KEY_LEN_ERROR;
    return TdeaSetup(&slot.ctx, mode, key.bytes, encrypt, iv.bytes);
}

int32_t update(int32_t handle, unsigned char* data, int32_t dataLen) noexcept {
    if (data == nullptr) return NULL_ERROR;
    if (dataLen < 0) return BAD_PARAM_ERROR;
    TdeaSlot& slot = tdea_slot();
    if (!is_live(slot, handle)) return INVALID_HANDLE_ERROR;
    return TdeaUpdate(&slot.ctx, data, data, static_cast<std::size_t>(dataLen));
}

int32_t update_hex(int32_t handle, char* dataHex) noexcept {
    if (text_missing(dataHex)) return BAD_PARAM_ERROR;
    TdeaSlot& slot = tdea_slot();
    if (!is_live(slot, handle)) return INVALID_HANDLE_ERROR;
    const std::size_t text_len = std::strlen(dataHex);
    const std::size_t data_len = text_len / 2;
    if (!data_size_ok(data_len)) return BAD_PARAM_ERROR;
    SecretBuffer data(data_len);
    if ((text_len & 1) != 0 || hex_decode_count(data.data(), data_len, dataHex) != data_len) return BAD_FORMAT_ERROR;
    const int32_t rc = TdeaUpdate(&slot.ctx, data.data(), data.data(), data_len);
    if (rc != 0) return rc;
    HexEncodeUpper(dataHex, text_len + 1, data.data(), data_len);
    return 0;
}

int32_t final_context(int32_t handle) noexcept {
    TdeaSlot& slot = tdea_slot();
    if (!is_live(slot, handle)) return INVALID_HANDLE_ERROR;
    close_slot(slot);
    return 0;
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL TDEA_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                            const unsigned char* key, int32_t encrypt) {
    frame_begin();
    return frame_status(bytes_ecb(output, input, inputLen, key, encrypt));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t encrypt, const char* modeText,
                                                const unsigned char* iv) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    frame_begin();
    return frame_status(hex_mode(output, dataHex, keyHex, encrypt, nullptr, nullptr, false));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                              const char* modeText, const char* ivHex) {
    frame_begin();
    return frame_status(hex_mode(output, dataHex, keyHex, encrypt, modeText, ivHex, true));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                              const char* modeText, const char* ivB64) {
    frame_begin();
    return frame_status(b64_mode(output, dataB64, keyB64, encrypt, modeText, ivB64));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                           const unsigned char* iv) {
    frame_begin();
    TdeaSlot& slot = tdea_slot();
    close_slot(slot);
    return finish_init(slot, init_bytes_work(slot, key, encrypt, modeText, iv));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                              const char* ivHex) {
    frame_begin();
    TdeaSlot& slot = tdea_slot();
    close_slot(slot);
    return finish_init(slot, init_hex_work(slot, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    frame_begin();
    return frame_status(update(handle, data, dataLen));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_UpdateHex(int32_t handle, char* dataHex) {
    frame_begin();
    return frame_status(update_hex(handle, dataHex));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_Final(int32_t handle) {
    frame_begin();
    return frame_status(final_context(handle));
}

TESSALIB_API int32_t TESSALIB_CALL TDEA_InitError(void) { return tdea_slot().initError; }
