// AES128_, AES192_, AES256_: AES one-shot on bytes, hex and base64 text, and
// the per-thread context (one AES slot shared by the three names).
#include <cstdint>

#include "block/aes.h"
#include "block/family_args.h"
#include "block/family_slot.h"
#include "block/modes.h"
#include "core/frame.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kBlock = 16;
constexpr std::size_t kKeyCapacity = 32;  // the text forms decode at most 32 key bytes
static_assert(kBlock <= kFamilyMaxBlock && kKeyCapacity <= kFamilyMaxKey, "text buffers too small");

AesSlot& aes_slot() noexcept { return GetThreadWorkspace()->aes; }

// The byte forms, the mode first; the ECB-only form passes "ECB".
int32_t bytes_mode(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                   int32_t encrypt, const char* modeText, const unsigned char* iv, int32_t keyBits) noexcept {
    int32_t mode = kModeEcb;
    const int32_t rc = check_bytes_mode(mode, static_cast<int32_t>(kBlock), output, input, inputLen, key, modeText, iv);
    if (rc != 0) return rc;
    return AesCrypt(output, input, inputLen, key, keyBits, iv, encrypt, mode);
}

int32_t text_engine(const TextArgs& a) noexcept {
    return AesCrypt(a.data, a.data, static_cast<int64_t>(a.data_len), a.key, static_cast<int32_t>(a.key_len * 8),
                    a.iv, a.encrypt, a.mode);
}

// The text one-shots accept only the key length of the family name, so the
// engine's key bits follow from it.
TextCipher text_cipher(int32_t keyBits) noexcept {
    const std::size_t key_len = static_cast<std::size_t>(keyBits / 8);
    return TextCipher{
        kBlock,
        KeyLengths{kKeyCapacity, key_len, key_len},
        BAD_KEY_LEN_ERROR,  // a key text that gives no bytes
        ModeCheck::kFirst,  // hex forms: the mode before the other arguments
        BAD_PARAM_ERROR,    // base64 form: a null or empty argument
        text_engine,
    };
}

int32_t init_bytes_work(AesContext& ctx, const unsigned char* key, int32_t encrypt, const char* modeText,
                        const unsigned char* iv, int32_t keyBits) noexcept {
    if (key == nullptr) return BAD_KEY_ERROR;
    int32_t mode = kModeEcb;
    const int32_t rc = check_init_mode(mode, modeText, iv);
    if (rc != 0) return rc;
    return AesSetup(&ctx, mode, key, keyBits / 8, encrypt, iv);
}

int32_t init_bytes(const unsigned char* key, int32_t encrypt, const char* modeText, const unsigned char* iv,
                   int32_t keyBits) noexcept {
    AesSlot& slot = aes_slot();
    close_slot(slot);
    return finish_init(slot, init_bytes_work(slot.ctx, key, encrypt, modeText, iv, keyBits));
}

// The key length comes from the text: 16, 24 or 32 bytes under any AES name
// (AesSetup refuses the others).
constexpr KeyLengths kInitHexKey{kKeyCapacity, 1, kKeyCapacity};

int32_t init_hex_work(AesContext& ctx, const char* keyHex, int32_t encrypt, const char* modeText,
                      const char* ivHex) noexcept {
    InitHexArgs args;
    const int32_t rc = decode_init_hex(args, kBlock, kInitHexKey, keyHex, modeText, ivHex);
    if (rc != 0) return rc;
    return AesSetup(&ctx, args.mode, args.key.bytes, static_cast<int32_t>(args.key_len), encrypt, args.iv.bytes);
}

int32_t init_hex(const char* keyHex, int32_t encrypt, const char* modeText, const char* ivHex) noexcept {
    AesSlot& slot = aes_slot();
    close_slot(slot);
    return finish_init(slot, init_hex_work(slot.ctx, keyHex, encrypt, modeText, ivHex));
}

}  // namespace

// --- AES128_: one-shot functions and Init with a 128-bit key ---------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                           const unsigned char* key, int32_t encrypt) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, "ECB", nullptr, 128));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                               const unsigned char* key, int32_t encrypt, const char* modeText,
                                               const unsigned char* iv) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, modeText, iv, 128));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    frame_begin();
    return frame_status(hex_oneshot(text_cipher(128), output, dataHex, keyHex, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                             const char* modeText, const char* ivHex) {
    frame_begin();
    return frame_status(hex_oneshot(text_cipher(128), output, dataHex, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                             const char* modeText, const char* ivB64) {
    frame_begin();
    return frame_status(b64_oneshot(text_cipher(128), output, dataB64, keyB64, encrypt, modeText, ivB64));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                          const unsigned char* iv) {
    frame_begin();
    return init_bytes(key, encrypt, modeText, iv, 128);
}

// --- AES192_: one-shot functions and Init with a 192-bit key ---------------------------

TESSALIB_API int32_t TESSALIB_CALL AES192_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                           const unsigned char* key, int32_t encrypt) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, "ECB", nullptr, 192));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                               const unsigned char* key, int32_t encrypt, const char* modeText,
                                               const unsigned char* iv) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, modeText, iv, 192));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    frame_begin();
    return frame_status(hex_oneshot(text_cipher(192), output, dataHex, keyHex, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                             const char* modeText, const char* ivHex) {
    frame_begin();
    return frame_status(hex_oneshot(text_cipher(192), output, dataHex, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                             const char* modeText, const char* ivB64) {
    frame_begin();
    return frame_status(b64_oneshot(text_cipher(192), output, dataB64, keyB64, encrypt, modeText, ivB64));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                          const unsigned char* iv) {
    frame_begin();
    return init_bytes(key, encrypt, modeText, iv, 192);
}

// --- AES256_: one-shot functions and Init with a 256-bit key ---------------------------

TESSALIB_API int32_t TESSALIB_CALL AES256_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                           const unsigned char* key, int32_t encrypt) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, "ECB", nullptr, 256));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_BytesMode(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                               const unsigned char* key, int32_t encrypt, const char* modeText,
                                               const unsigned char* iv) {
    frame_begin();
    return frame_status(bytes_mode(output, input, inputLen, key, encrypt, modeText, iv, 256));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Hex(char* output, const char* dataHex, const char* keyHex, int32_t encrypt) {
    frame_begin();
    return frame_status(hex_oneshot(text_cipher(256), output, dataHex, keyHex, encrypt, "ECB", nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_HexMode(char* output, const char* dataHex, const char* keyHex, int32_t encrypt,
                                             const char* modeText, const char* ivHex) {
    frame_begin();
    return frame_status(hex_oneshot(text_cipher(256), output, dataHex, keyHex, encrypt, modeText, ivHex));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_B64Mode(char* output, const char* dataB64, const char* keyB64, int32_t encrypt,
                                             const char* modeText, const char* ivB64) {
    frame_begin();
    return frame_status(b64_oneshot(text_cipher(256), output, dataB64, keyB64, encrypt, modeText, ivB64));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Init(const unsigned char* key, int32_t encrypt, const char* modeText,
                                          const unsigned char* iv) {
    frame_begin();
    return init_bytes(key, encrypt, modeText, iv, 256);
}

// --- AES128_: the shared context functions -----------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES128_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                             const char* ivHex) {
    frame_begin();
    return init_hex(keyHex, encrypt, modeText, ivHex);
}

TESSALIB_API int32_t TESSALIB_CALL AES128_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    frame_begin();
    return frame_status(slot_update(aes_slot(), handle, data, dataLen, AesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_UpdateHex(int32_t handle, char* dataHex) {
    frame_begin();
    return frame_status(slot_update_hex(aes_slot(), handle, dataHex, AesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_Final(int32_t handle) {
    frame_begin();
    return frame_status(slot_final(aes_slot(), handle));
}

TESSALIB_API int32_t TESSALIB_CALL AES128_InitError(void) { return aes_slot().initError; }

// --- AES192_: the shared context functions -----------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES192_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                             const char* ivHex) {
    frame_begin();
    return init_hex(keyHex, encrypt, modeText, ivHex);
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    frame_begin();
    return frame_status(slot_update(aes_slot(), handle, data, dataLen, AesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_UpdateHex(int32_t handle, char* dataHex) {
    frame_begin();
    return frame_status(slot_update_hex(aes_slot(), handle, dataHex, AesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_Final(int32_t handle) {
    frame_begin();
    return frame_status(slot_final(aes_slot(), handle));
}

TESSALIB_API int32_t TESSALIB_CALL AES192_InitError(void) { return aes_slot().initError; }

// --- AES256_: the shared context functions -----------------------------------------

TESSALIB_API int32_t TESSALIB_CALL AES256_InitHex(const char* keyHex, int32_t encrypt, const char* modeText,
                                             const char* ivHex) {
    frame_begin();
    return init_hex(keyHex, encrypt, modeText, ivHex);
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Update(int32_t handle, unsigned char* data, int32_t dataLen) {
    frame_begin();
    return frame_status(slot_update(aes_slot(), handle, data, dataLen, AesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_UpdateHex(int32_t handle, char* dataHex) {
    frame_begin();
    return frame_status(slot_update_hex(aes_slot(), handle, dataHex, AesUpdate));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_Final(int32_t handle) {
    frame_begin();
    return frame_status(slot_final(aes_slot(), handle));
}

TESSALIB_API int32_t TESSALIB_CALL AES256_InitError(void) { return aes_slot().initError; }
