// AEAD_: one-shot authenticated encryption with the tag apart or appended,
// and the per-thread incremental context (AES-GCM, ChaCha20-Poly1305,
// Ascon-128/128a).
#include <cstring>

#include "aead/aead.h"
#include "aead/aead_stream.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

// A NULL data pointer with a positive length.
bool null_data(const uint8_t* input, int32_t inputLen, const uint8_t* aad, int32_t aadLen) noexcept {
    return (input == nullptr && inputLen > 0) || (aad == nullptr && aadLen > 0);
}

bool negative_data(int32_t inputLen, int32_t aadLen) noexcept { return inputLen < 0 || aadLen < 0; }

// The checks AEAD_Encrypt and AEAD_Decrypt share after their output and tag
// checks, in order: the key, the nonce, NULL data with a length, negative
// data lengths; Ascon (not in this form), a code outside the table, the key
// and nonce lengths.
int32_t separate_tag_args(const uint8_t* key, int32_t keyLen, const uint8_t* nonce, int32_t nonceLen,
                          const uint8_t* input, int32_t inputLen, const uint8_t* aad, int32_t aadLen, int32_t options,
                          AeadChoice* c) noexcept {
    if (key == nullptr || keyLen < 1) return -BAD_KEY_ERROR;
    if (nonce == nullptr || nonceLen < 1) return -BAD_IV_ERROR;
    if (null_data(input, inputLen, aad, aadLen) || negative_data(inputLen, aadLen)) return -BAD_PARAM_ERROR;
    const uint32_t code = static_cast<uint32_t>(options) & 0xFF;
    if (code == AEAD_ASCON_128 || code == AEAD_ASCON_128A) return -NOT_SUPPORTED_ERROR;
    if (const int32_t rc = aead_choose(code, c)) return rc;
    if (static_cast<uint32_t>(keyLen) != c->key_len) return -BAD_KEY_LEN_ERROR;
    if (static_cast<uint32_t>(nonceLen) != c->nonce_len) return -BAD_IV_LEN_ERROR;
    return 0;
}

// The checks the WithTag forms share after the key (and, encrypting, the
// nonce), in order: a negative output length, NULL data with a length,
// negative data lengths, a code outside the table, the key length. Gives the
// algorithm and the length of the nonce in front (OPT_PREFIX_IV, else 0).
int32_t with_tag_args(int32_t outputLen, const uint8_t* input, int32_t inputLen, const uint8_t* aad, int32_t aadLen,
                      int32_t keyLen, int32_t options, AeadChoice* c, uint32_t* prefix) noexcept {
    if (outputLen < 0) return -BAD_PARAM_ERROR;
    if (null_data(input, inputLen, aad, aadLen)) return -NULL_ERROR;
    if (negative_data(inputLen, aadLen)) return -BAD_PARAM_ERROR;
    if (const int32_t rc = aead_choose(static_cast<uint32_t>(options), c)) return rc;
    if (static_cast<uint32_t>(keyLen) != c->key_len) return -BAD_KEY_LEN_ERROR;
    *prefix = (static_cast<uint32_t>(options) & OPT_PREFIX_IV) != 0 ? c->nonce_len : 0;
    return 0;
}

// An incremental call on the thread's context: the handle first, then op.
template <typename Op>
int32_t on_context(ThreadState* ts, int32_t handle, Op op) noexcept {
    AeadSlot& slot = ts->workspace.aead;
    if (!handle_is_live(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    return frame_status(op(&slot.ctx));
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL AEAD_Encrypt(unsigned char* output, int32_t outputLen, unsigned char* tag,
                                                 int32_t tagLen, const unsigned char* input, int32_t inputLen,
                                                 const unsigned char* key, int32_t keyLen, const unsigned char* nonce,
                                                 int32_t nonceLen, const unsigned char* aad, int32_t aadLen,
                                                 int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin();
    if (tag != nullptr && tagLen > 0) std::memset(tag, 0, static_cast<std::size_t>(tagLen));
    if ((output == nullptr && tag == nullptr) || (outputLen < 1 && tagLen < 1)) return frame_status(-BAD_PARAM_ERROR);
    if (input != nullptr && inputLen > 0) {
        if (output == nullptr) return frame_status(-NULL_ERROR);
        if (outputLen < inputLen) return frame_status(-SHORT_BUF_ERROR);
    }
    AeadChoice c{};
    if (const int32_t rc = separate_tag_args(key, keyLen, nonce, nonceLen, input, inputLen, aad, aadLen, options, &c))
        return frame_status(rc);
    if (tag == nullptr) return frame_status(-BAD_PARAM_ERROR);
    if (tagLen < static_cast<int32_t>(kAeadTagLen)) return frame_status(-SHORT_BUF_ERROR);
    aead_seal(c, key, nonce, aad, static_cast<std::size_t>(aadLen), input, static_cast<std::size_t>(inputLen),
              inputLen > 0 ? output : nullptr, tag);
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_Decrypt(unsigned char* output, int32_t outputLen, const unsigned char* input,
                                                 int32_t inputLen, const unsigned char* key, int32_t keyLen,
                                                 const unsigned char* nonce, int32_t nonceLen,
                                                 const unsigned char* aad, int32_t aadLen, const unsigned char* tag,
                                                 int32_t tagLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin();
    if (tag == nullptr || tagLen < 1) return frame_status(-BAD_PARAM_ERROR);
    if (input != nullptr && inputLen >= 1 && output != nullptr && outputLen >= 1 && outputLen < inputLen)
        return frame_status(-SHORT_BUF_ERROR);
    AeadChoice c{};
    if (const int32_t rc = separate_tag_args(key, keyLen, nonce, nonceLen, input, inputLen, aad, aadLen, options, &c))
        return frame_status(rc);
    if (tagLen < 4 || tagLen > static_cast<int32_t>(kAeadTagLen)) return frame_status(-BAD_LENGTH_ERROR);
    const bool write = output != nullptr && outputLen >= 1;
    return frame_status(aead_open(c, key, nonce, aad, static_cast<std::size_t>(aadLen), input,
                                  static_cast<std::size_t>(inputLen), tag, static_cast<std::size_t>(tagLen),
                                  write ? output : nullptr));
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_EncryptWithTag(unsigned char* output, int32_t outputLen,
                                                        const unsigned char* input, int32_t inputLen,
                                                        const unsigned char* key, int32_t keyLen,
                                                        const unsigned char* nonce, int32_t nonceLen,
                                                        const unsigned char* aad, int32_t aadLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (key == nullptr || keyLen < 1) return frame_length(-BAD_KEY_ERROR);
    if (nonce == nullptr || nonceLen < 1) return frame_length(-BAD_IV_ERROR);
    AeadChoice c{};
    uint32_t prefix = 0;
    if (const int32_t rc = with_tag_args(outputLen, input, inputLen, aad, aadLen, keyLen, options, &c, &prefix))
        return frame_length(rc);
    if (static_cast<uint32_t>(nonceLen) != c.nonce_len) return frame_length(-BAD_IV_LEN_ERROR);
    const int64_t total = int64_t{inputLen} + static_cast<int64_t>(kAeadTagLen) + prefix;
    if (total > INT32_MAX) return frame_length(-BAD_PARAM_ERROR);
    if (output == nullptr || outputLen == 0) return frame_length(static_cast<int32_t>(total));
    if (outputLen < total) return frame_length(-SHORT_BUF_ERROR);
    const std::size_t len = static_cast<std::size_t>(inputLen);
    aead_seal(c, key, nonce, aad, static_cast<std::size_t>(aadLen), input, len, output + prefix,
              output + prefix + len);
    if (prefix != 0) std::memmove(output, nonce, prefix);
    return frame_length(static_cast<int32_t>(total));
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_DecryptWithTag(unsigned char* output, int32_t outputLen,
                                                        const unsigned char* input, int32_t inputLen,
                                                        const unsigned char* key, int32_t keyLen,
                                                        const unsigned char* nonce, int32_t nonceLen,
                                                        const unsigned char* aad, int32_t aadLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    AeadChoice c{};
    uint32_t prefix = 0;
    frame_begin();
    if (key == nullptr || keyLen < 1) return frame_length(-BAD_KEY_ERROR);
    if (const int32_t rc = with_tag_args(outputLen, input, inputLen, aad, aadLen, keyLen, options, &c, &prefix))
        return frame_length(rc);
    if (inputLen < static_cast<int64_t>(prefix + kAeadTagLen)) return frame_length(-BAD_LENGTH_ERROR);
    const int32_t text_len = inputLen - static_cast<int32_t>(prefix + kAeadTagLen);
    if (prefix == 0) {
        if (nonce == nullptr) return frame_length(-BAD_IV_ERROR);
        if (static_cast<uint32_t>(nonceLen) != c.nonce_len) return frame_length(-BAD_IV_LEN_ERROR);
    }
    // A query answers without decrypting, except for an empty text, which
    // is always verified: a forged message must never come back as a
    // length of 0.
    if ((output == nullptr || outputLen == 0) && text_len != 0) return frame_length(text_len);
    if (output != nullptr && outputLen < text_len) return frame_length(-SHORT_BUF_ERROR);
    const std::size_t len = static_cast<std::size_t>(text_len);
    const int32_t rc = aead_open(c, key, prefix != 0 ? input : nonce, aad, static_cast<std::size_t>(aadLen),
                                 input + prefix, len, input + prefix + len, kAeadTagLen, len != 0 ? output : nullptr);
    return frame_length(rc != 0 ? rc : text_len);
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_InitKey(const unsigned char* key, int32_t keyLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    AeadSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.aead;
    // Any earlier handle ends here, and its context with it.
    secure_wipe_obj(slot);
    if (key == nullptr || keyLen < 1) return static_cast<int32_t>(frame_handle(0, BAD_KEY_ERROR));
    const int32_t rc = aead_ctx_init(&slot.ctx, key, static_cast<std::size_t>(keyLen), static_cast<uint32_t>(options));
    if (rc != 0) return static_cast<int32_t>(frame_handle(0, positive_code(rc)));
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, 0));
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_SetNonce(int32_t handle, const unsigned char* nonce, int32_t nonceLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    return on_context(frame_begin(), handle, [&](AeadContext* c) { return aead_ctx_set_nonce(c, nonce, nonceLen); });
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_AddAAD(int32_t handle, const unsigned char* aad, int32_t aadLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    return on_context(frame_begin(), handle, [&](AeadContext* c) { return aead_ctx_add_aad(c, aad, aadLen); });
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_StartEncrypt(int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    return on_context(frame_begin(), handle, [](AeadContext* c) { return aead_ctx_start_encrypt(c); });
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_StartDecrypt(int32_t handle, const unsigned char* tag, int32_t tagLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    return on_context(frame_begin(), handle, [&](AeadContext* c) { return aead_ctx_start_decrypt(c, tag, tagLen); });
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_Update(int32_t handle, unsigned char* output, int32_t outputLen,
                                                const unsigned char* input, int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    return on_context(frame_begin(), handle,
                      [&](AeadContext* c) { return aead_ctx_update(c, output, outputLen, input, inputLen); });
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_FinishEncrypt(int32_t handle, unsigned char* tag, int32_t tagLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    return on_context(frame_begin(), handle, [&](AeadContext* c) { return aead_ctx_finish_encrypt(c, tag, tagLen); });
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_FinishDecrypt(int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    return on_context(frame_begin(), handle, [](AeadContext* c) { return aead_ctx_finish_decrypt(c); });
}

TESSALIB_API int32_t TESSALIB_CALL AEAD_Destroy(int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    AeadSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.aead;
    if (!handle_is_live(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    secure_wipe_obj(slot);
    return frame_status(0);
}
