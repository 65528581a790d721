// GCM_: AES-GCM with 128-, 192- and 256-bit keys, any IV length and tags of
// 4 to 16 bytes; one-shot, or with the key block kept in the thread's slot.
#include <cstring>

#include "aead/gcm.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

bool bad_iv(const uint8_t* iv, int32_t ivLen) noexcept { return iv == nullptr || ivLen <= 0; }

// The first checks of the one-shot forms: the key, then the IV.
int32_t key_and_iv(const uint8_t* key, int32_t keyLen, const uint8_t* iv, int32_t ivLen) noexcept {
    if (key == nullptr || keyLen == 0) return -BAD_KEY_ERROR;
    if (bad_iv(iv, ivLen)) return -BAD_IV_ERROR;
    return 0;
}

// Input or AAD missing behind a nonzero length, or a negative length.
bool bad_data(const uint8_t* input, int32_t inputLen, const uint8_t* aad, int32_t aadLen) noexcept {
    return (input == nullptr && inputLen != 0) || (aad == nullptr && aadLen != 0) || inputLen < 0 || aadLen < 0;
}

// The checks of GCM_Encrypt and GCM_NextEncrypt between the IV and the key
// length, in order: somewhere to write, the data, the tag's room.
int32_t encrypt_args(const uint8_t* output, int32_t outputLen, const uint8_t* tag, int32_t tagLen,
                     const uint8_t* input, int32_t inputLen, const uint8_t* aad, int32_t aadLen) noexcept {
    if ((output == nullptr && tag == nullptr) || (outputLen == 0 && tagLen == 0)) return -BAD_PARAM_ERROR;
    if (bad_data(input, inputLen, aad, aadLen)) return -BAD_PARAM_ERROR;
    if (tag != nullptr && tagLen < 4) return -SHORT_BUF_ERROR;
    return 0;
}

// The output check of the encrypting forms, after the key length: a tag is
// only given for ciphertext that was written, so text needs an output of
// its length.
int32_t encrypt_output(const uint8_t* output, int32_t outputLen, int32_t inputLen) noexcept {
    if (outputLen < 0) return -SHORT_BUF_ERROR;
    if (inputLen > 0 && output == nullptr) return -NULL_ERROR;
    if (outputLen < inputLen) return -SHORT_BUF_ERROR;
    return 0;
}

// The tag checks of the decrypting forms, after the data: a tag must be
// there and long enough to mean something.
int32_t decrypt_tag(const uint8_t* tag, int32_t tagLen) noexcept {
    if (tag == nullptr) return -BAD_PARAM_ERROR;
    if (tagLen < 4) return -BAD_LENGTH_ERROR;
    return 0;
}

std::size_t tag_bytes(int32_t tagLen) noexcept { return tagLen < 16 ? static_cast<std::size_t>(tagLen) : 16; }

// Encrypts with a key block and copies min(tagLen, 16) bytes of the tag.
void encrypt_with(const GcmKey* key, uint8_t* output, uint8_t* tag, int32_t tagLen, const uint8_t* input,
                  int32_t inputLen, const uint8_t* iv, int32_t ivLen, const uint8_t* aad, int32_t aadLen) noexcept {
    SecretBytes<kGcmTagLen> full;
    gcm_encrypt(key, iv, static_cast<std::size_t>(ivLen), aad, static_cast<std::size_t>(aadLen), input,
                static_cast<std::size_t>(inputLen), inputLen > 0 ? output : nullptr, full.bytes);
    if (tag != nullptr) std::memcpy(tag, full.bytes, tag_bytes(tagLen));
}

int32_t decrypt_with(const GcmKey* key, uint8_t* output, const uint8_t* input, int32_t inputLen, const uint8_t* iv,
                     int32_t ivLen, const uint8_t* aad, int32_t aadLen, const uint8_t* tag, int32_t tagLen) noexcept {
    return gcm_decrypt(key, iv, static_cast<std::size_t>(ivLen), aad, static_cast<std::size_t>(aadLen), input,
                       static_cast<std::size_t>(inputLen), tag, tag_bytes(tagLen), output);
}

// A key block on the stack for one call, wiped when it goes.
struct StackKey {
    GcmKey key;
    StackKey(const uint8_t* raw, int32_t len) noexcept { gcm_key_setup(&key, raw, static_cast<std::size_t>(len)); }
    ~StackKey() { secure_wipe_obj(key); }
    StackKey(const StackKey&) = delete;
    StackKey& operator=(const StackKey&) = delete;
};

bool key_len_ok(int32_t keyLen) noexcept { return keyLen > 0 && gcm_key_len_ok(static_cast<std::size_t>(keyLen)); }

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL GCM_Encrypt(unsigned char* output, int32_t outputLen, unsigned char* tag,
                                                int32_t tagLen, const unsigned char* input, int32_t inputLen,
                                                const unsigned char* key, int32_t keyLen, const unsigned char* iv,
                                                int32_t ivLen, const unsigned char* aad, int32_t aadLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin();
    if (const int32_t rc = key_and_iv(key, keyLen, iv, ivLen)) return frame_status(rc);
    if (const int32_t rc = encrypt_args(output, outputLen, tag, tagLen, input, inputLen, aad, aadLen))
        return frame_status(rc);
    if (!key_len_ok(keyLen)) return frame_status(-BAD_KEY_LEN_ERROR);
    if (const int32_t rc = encrypt_output(output, outputLen, inputLen)) return frame_status(rc);
    const StackKey k(key, keyLen);
    encrypt_with(&k.key, output, tag, tagLen, input, inputLen, iv, ivLen, aad, aadLen);
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL GCM_Decrypt(unsigned char* output, int32_t outputLen, const unsigned char* input,
                                                int32_t inputLen, const unsigned char* key, int32_t keyLen,
                                                const unsigned char* iv, int32_t ivLen, const unsigned char* aad,
                                                int32_t aadLen, const unsigned char* tag, int32_t tagLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin();
    if (const int32_t rc = key_and_iv(key, keyLen, iv, ivLen)) return frame_status(rc);
    if (outputLen < inputLen || outputLen < 0) return frame_status(-SHORT_BUF_ERROR);
    if (bad_data(input, inputLen, aad, aadLen)) return frame_status(-BAD_PARAM_ERROR);
    if (const int32_t rc = decrypt_tag(tag, tagLen)) return frame_status(rc);
    if (!key_len_ok(keyLen)) return frame_status(-BAD_KEY_LEN_ERROR);
    const StackKey k(key, keyLen);
    const bool write = output != nullptr && outputLen != 0;
    return frame_status(decrypt_with(&k.key, write ? output : nullptr, input, inputLen, iv, ivLen, aad, aadLen, tag,
                                     tagLen));
}

TESSALIB_API int32_t TESSALIB_CALL GCM_InitKey(const unsigned char* key, int32_t keyLen) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    GcmSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.gcm;
    // Any earlier handle ends here, and its key block with it.
    secure_wipe_obj(slot);
    if (key == nullptr) return static_cast<int32_t>(frame_handle(0, BAD_KEY_ERROR));
    if (!key_len_ok(keyLen)) return static_cast<int32_t>(frame_handle(0, BAD_KEY_LEN_ERROR));
    gcm_key_setup(&slot.key, key, static_cast<std::size_t>(keyLen));
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, 0));
}

TESSALIB_API int32_t TESSALIB_CALL GCM_NextEncrypt(int32_t handle, unsigned char* output, int32_t outputLen,
                                                    unsigned char* tag, int32_t tagLen, const unsigned char* input,
                                                    int32_t inputLen, const unsigned char* iv, int32_t ivLen,
                                                    const unsigned char* aad, int32_t aadLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    const GcmSlot& slot = frame_begin()->workspace.gcm;
    if (!handle_is_live(slot.handle, handle)) return frame_status(INVALID_HANDLE_ERROR);
    if (bad_iv(iv, ivLen)) return frame_status(-BAD_IV_ERROR);
    if (const int32_t rc = encrypt_args(output, outputLen, tag, tagLen, input, inputLen, aad, aadLen))
        return frame_status(rc);
    if (const int32_t rc = encrypt_output(output, outputLen, inputLen)) return frame_status(rc);
    encrypt_with(&slot.key, output, tag, tagLen, input, inputLen, iv, ivLen, aad, aadLen);
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL GCM_NextDecrypt(int32_t handle, unsigned char* output, int32_t outputLen,
                                                    const unsigned char* input, int32_t inputLen,
                                                    const unsigned char* iv, int32_t ivLen, const unsigned char* aad,
                                                    int32_t aadLen, const unsigned char* tag, int32_t tagLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    const GcmSlot& slot = frame_begin()->workspace.gcm;
    if (!handle_is_live(slot.handle, handle)) return frame_status(INVALID_HANDLE_ERROR);
    if (bad_iv(iv, ivLen)) return frame_status(-BAD_IV_ERROR);
    if (output == nullptr || outputLen == 0) return frame_status(-BAD_PARAM_ERROR);
    if (bad_data(input, inputLen, aad, aadLen)) return frame_status(-BAD_PARAM_ERROR);
    if (const int32_t rc = decrypt_tag(tag, tagLen)) return frame_status(rc);
    if (outputLen < inputLen || outputLen < 0) return frame_status(-SHORT_BUF_ERROR);
    return frame_status(decrypt_with(&slot.key, output, input, inputLen, iv, ivLen, aad, aadLen, tag, tagLen));
}

TESSALIB_API int32_t TESSALIB_CALL GCM_FinishKey(int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    GcmSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.gcm;
    if (!handle_is_live(slot.handle, handle)) return frame_status(INVALID_HANDLE_ERROR);
    secure_wipe_obj(slot);
    return frame_status(0);
}
