// CIPHER_: AES and Triple DES with the algorithm, mode and padding chosen by
// text or option word (the one-shots on bytes and hex, the per-thread
// context), and CIPHER_KeyWrap / CIPHER_KeyUnwrap. Results are lengths or
// negated codes; CIPHER_Init and CIPHER_InitHex return handles.
#include <climits>
#include <cstring>

#include "block/cipher_choice.h"
#include "block/file_crypt.h"
#include "block/handle.h"
#include "block/key_wrap.h"
#include "core/frame.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

bool text_missing(const char* text) noexcept { return text == nullptr || text[0] == '\0'; }

// The largest key and IV: what the hex forms decode of a key or IV text.
constexpr std::size_t kMaxKey = 32;
constexpr std::size_t kMaxBlock = 16;

// A length measured from a caller's text, as the int32_t the byte functions
// take; one that does not fit is INT32_MAX, which no check accepts.
int32_t clamp_len(uint64_t n) noexcept { return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n); }

// --- The one-shot bodies, shared by the byte and hex forms --------------------------------------

int32_t encrypt_bytes(unsigned char* output, int32_t outputLen, const unsigned char* input, int32_t inputLen,
                      const unsigned char* key, int32_t keyLen, const unsigned char* iv, int32_t ivLen,
                      const char* algModeText, int32_t options) noexcept {
    CipherChoice choice;
    if (const int32_t rc = cipher_resolve(&choice, algModeText, static_cast<uint32_t>(options), keyLen, ivLen, true))
        return rc;
    if (inputLen < 0) return -BAD_LENGTH_ERROR;
    const uint64_t total = cipher_encrypted_length(choice, static_cast<uint64_t>(inputLen));
    if (total > INT32_MAX) return -BAD_LENGTH_ERROR;
    if (output == nullptr || outputLen <= 0) return static_cast<int32_t>(total);
    if ((input == nullptr && inputLen > 0) || key == nullptr) return -NULL_ERROR;
    if (static_cast<uint64_t>(outputLen) < total) return -SHORT_BUF_ERROR;
    return cipher_encrypt_buffer(choice, output, input, static_cast<std::size_t>(inputLen), key, iv,
                                 ivLen > 0 ? static_cast<std::size_t>(ivLen) : 0);
}

int32_t decrypt_bytes(unsigned char* output, int32_t outputLen, const unsigned char* input, int32_t inputLen,
                      const unsigned char* key, int32_t keyLen, const unsigned char* iv, int32_t ivLen,
                      const char* algModeText, int32_t options) noexcept {
    CipherChoice choice;
    const bool prefix = (static_cast<uint32_t>(options) & OPT_PREFIX_IV) != 0;
    if (const int32_t rc = cipher_resolve(&choice, algModeText, static_cast<uint32_t>(options), keyLen, ivLen, !prefix))
        return rc;
    if (inputLen < 0) return -BAD_LENGTH_ERROR;
    if (outputLen < 0) return -BAD_PARAM_ERROR;
    if ((input == nullptr && inputLen > 0) || key == nullptr) return -NULL_ERROR;
    if (prefix && static_cast<uint32_t>(inputLen) < choice.block) return -BAD_LENGTH_ERROR;
    const bool query = output == nullptr || outputLen == 0;
    return cipher_decrypt_buffer(choice, query ? nullptr : output, static_cast<std::size_t>(outputLen), input,
                                 static_cast<std::size_t>(inputLen), key, iv);
}

using BytesBody = int32_t (*)(unsigned char*, int32_t, const unsigned char*, int32_t, const unsigned char*, int32_t,
                              const unsigned char*, int32_t, const char*, int32_t) noexcept;

// The hex forms: the texts checked and decoded (key and IV at most a key's
// and a block's bytes, their lengths as the texts give them), the byte body
// run in a buffer that holds the data and room for padding and an IV block,
// the result written as hex.
int32_t hex_body(BytesBody body, char* output, int32_t outputLen, const char* dataHex, const char* keyHex,
                 const char* ivHex, const char* algModeText, int32_t options) noexcept {
    if (text_missing(dataHex) || text_missing(keyHex) || outputLen < 0) return -BAD_PARAM_ERROR;
    if (HexDecodeStrict(nullptr, 0, dataHex) < 0 || HexDecodeStrict(nullptr, 0, keyHex) < 0 ||
        (ivHex != nullptr && HexDecodeStrict(nullptr, 0, ivHex) < 0))
        return -INVALID_DATA_ERROR;
    const std::size_t data_len = std::strlen(dataHex) / 2;
    if (data_len > INT32_MAX) return -BAD_PARAM_ERROR;
    SecretBytes<kMaxKey> key;
    SecretBytes<kMaxBlock> iv;
    const int32_t key_len = clamp_len(static_cast<uint64_t>(HexDecodeStrict(key.bytes, kMaxKey, keyHex)));
    const int32_t iv_len =
        ivHex != nullptr ? clamp_len(static_cast<uint64_t>(HexDecodeStrict(iv.bytes, kMaxBlock, ivHex))) : 0;
    SecretBuffer buf;
    const std::size_t room = data_len + 32;
    if (!buf.allocate(room)) return -MEMORY_ERROR;
    HexDecodeStrict(buf.data(), data_len, dataHex);
    const bool query = output == nullptr || outputLen == 0;
    const int32_t r = body(query ? nullptr : buf.data(), query ? 0 : clamp_len(room), buf.data(),
                           static_cast<int32_t>(data_len), key.bytes, key_len, ivHex != nullptr ? iv.bytes : nullptr,
                           iv_len, algModeText, options);
    if (r < 0) return r;
    const uint64_t chars = 2 * static_cast<uint64_t>(r);
    if (chars > INT32_MAX) return -BAD_PARAM_ERROR;
    if (query) return static_cast<int32_t>(chars);
    if (static_cast<uint64_t>(outputLen) < chars) return -SHORT_BUF_ERROR;
    return static_cast<int32_t>(HexEncodeUpper(output, static_cast<std::size_t>(outputLen) + 1, buf.data(),
                                               static_cast<std::size_t>(r)));
}

// --- The context bodies ------------------------------------------------------------------------

// Keys the thread's slot (closed by the caller): 0 or a negated code.
int32_t init_body(CipherSlot& slot, int32_t encrypt, const char* algModeText, const unsigned char* key,
                  int32_t keyLen, const unsigned char* iv, int32_t ivLen, int32_t options) noexcept {
    CipherChoice choice;
    if (const int32_t rc = cipher_resolve(&choice, algModeText, static_cast<uint32_t>(options), keyLen, ivLen, true))
        return rc;
    if (key == nullptr) return -NULL_ERROR;
    return cipher_ctx_setup(&slot.ctx, choice, key, iv, encrypt);
}

// The outcome of an _Init: a new handle, or 0 with the code recorded.
int32_t finish_init(CipherSlot& slot, int32_t rc) noexcept {
    if (rc != 0) {
        secure_wipe_obj(slot);
        return static_cast<int32_t>(frame_handle(0, positive_code(rc)));
    }
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, 0));
}

int32_t update_body(CipherSlot& slot, int32_t handle, unsigned char* output, int32_t outputLen,
                    const unsigned char* input, int32_t inputLen) noexcept {
    if (!handle_is_live(slot.handle, handle)) return -INVALID_HANDLE_ERROR;
    if (output == nullptr || (input == nullptr && inputLen > 0)) return -NULL_ERROR;
    if (inputLen < 0) return -BAD_LENGTH_ERROR;
    if (outputLen < inputLen) return -SHORT_BUF_ERROR;
    return cipher_ctx_update(&slot.ctx, output, input, static_cast<std::size_t>(inputLen));
}

// --- Key wrap ----------------------------------------------------------------------------------

// The checks both directions share: the algorithm and the KEK length.
int32_t wrap_algorithm(int32_t options, int32_t kekLen, const CipherAlgorithm** alg) noexcept {
    *alg = cipher_algorithm(static_cast<uint32_t>(options));
    if (*alg == nullptr) return -BAD_FLAG_ERROR;
    if (kekLen < 0 || static_cast<uint32_t>(kekLen) != (*alg)->key_len) return -BAD_KEY_LEN_ERROR;
    return 0;
}

int32_t key_wrap(unsigned char* output, int32_t outputLen, const unsigned char* keyData, int32_t keyDataLen,
                 const unsigned char* kek, int32_t kekLen, int32_t options) noexcept {
    const CipherAlgorithm* alg = nullptr;
    if (const int32_t rc = wrap_algorithm(options, kekLen, &alg)) return rc;
    const bool aes = alg->field != CIPHER_ALG_TDEA;
    if (aes ? (keyDataLen < 16 || keyDataLen % 8 != 0) : keyDataLen != static_cast<int32_t>(kTdeaWrapKeyLen))
        return -BAD_LENGTH_ERROR;
    const int64_t total = aes ? int64_t{keyDataLen} + 8 : static_cast<int64_t>(kTdeaWrappedLen);
    if (total > INT32_MAX) return -BAD_LENGTH_ERROR;
    if (output == nullptr || outputLen == 0) return static_cast<int32_t>(total);
    if (kek == nullptr || keyData == nullptr) return -NULL_ERROR;
    if (outputLen < total) return -SHORT_BUF_ERROR;
    if (aes)
        aes_key_wrap(output, kek, alg->key_len, keyData, static_cast<std::size_t>(keyDataLen));
    else
        tdea_key_wrap(output, kek, keyData);
    return static_cast<int32_t>(total);
}

int32_t key_unwrap(unsigned char* output, int32_t outputLen, const unsigned char* wrapped, int32_t wrappedLen,
                   const unsigned char* kek, int32_t kekLen, int32_t options) noexcept {
    const CipherAlgorithm* alg = nullptr;
    if (const int32_t rc = wrap_algorithm(options, kekLen, &alg)) return rc;
    const bool aes = alg->field != CIPHER_ALG_TDEA;
    if (aes ? (wrappedLen < 24 || wrappedLen % 8 != 0) : wrappedLen != static_cast<int32_t>(kTdeaWrappedLen))
        return -BAD_LENGTH_ERROR;
    const int32_t key_len = aes ? wrappedLen - 8 : static_cast<int32_t>(kTdeaWrapKeyLen);
    if (output == nullptr || outputLen < 1) return key_len;
    if (kek == nullptr || wrapped == nullptr) return -NULL_ERROR;
    if (outputLen < key_len) return -SHORT_BUF_ERROR;
    const std::size_t room = static_cast<std::size_t>(outputLen);
    const int32_t rc = aes ? aes_key_unwrap(output, room, kek, alg->key_len, wrapped, static_cast<std::size_t>(wrappedLen))
                           : tdea_key_unwrap(output, room, kek, wrapped);
    return rc != 0 ? rc : key_len;
}

// --- Files -------------------------------------------------------------------------------------

// The option word resolved (decryption with the IV in front checks only the
// key length), then the file procedure with the resolved word: the prefix,
// the padding field and the keep-padding bit apply.
int32_t file_body(bool encrypt, const char* outFile, const char* inFile, const unsigned char* key, int32_t keyLen,
                  const unsigned char* iv, int32_t ivLen, const char* algModeText, int32_t options) noexcept {
    CipherChoice choice;
    const bool prefix = (static_cast<uint32_t>(options) & OPT_PREFIX_IV) != 0;
    if (const int32_t rc = cipher_resolve(&choice, algModeText, static_cast<uint32_t>(options), keyLen, ivLen,
                                          encrypt || !prefix))
        return rc;
    const FileCipher cipher = choice.algorithm == CIPHER_ALG_TDEA ? FileCipher::kTdea : FileCipher::kAes;
    const FileCryptArgs args{cipher, choice.mode, encrypt, key, static_cast<int32_t>(choice.key_len), iv,
                             choice.options};
    return file_crypt(args, outFile, inFile);
}


}  // namespace

// --- One-shots on bytes --------------------------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL CIPHER_EncryptBytes(unsigned char* output, int32_t outputLen,
                                                        const unsigned char* input, int32_t inputLen,
                                                        const unsigned char* key, int32_t keyLen,
                                                        const unsigned char* iv, int32_t ivLen,
                                                        const char* algModeText, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(encrypt_bytes(output, outputLen, input, inputLen, key, keyLen, iv, ivLen, algModeText, options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_DecryptBytes(unsigned char* output, int32_t outputLen,
                                                        const unsigned char* input, int32_t inputLen,
                                                        const unsigned char* key, int32_t keyLen,
                                                        const unsigned char* iv, int32_t ivLen,
                                                        const char* algModeText, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(decrypt_bytes(output, outputLen, input, inputLen, key, keyLen, iv, ivLen, algModeText, options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_EncryptBytes2(unsigned char* output, int32_t outputLen,
                                                         const unsigned char* input, int32_t inputLen,
                                                         const unsigned char* key, int32_t keyLen,
                                                         const unsigned char* iv, int32_t ivLen,
                                                         const char* algModeText, int32_t options) {
    return CIPHER_EncryptBytes(output, outputLen, input, inputLen, key, keyLen, iv, ivLen, algModeText, options);
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_DecryptBytes2(unsigned char* output, int32_t outputLen,
                                                         const unsigned char* input, int32_t inputLen,
                                                         const unsigned char* key, int32_t keyLen,
                                                         const unsigned char* iv, int32_t ivLen,
                                                         const char* algModeText, int32_t options) {
    return CIPHER_DecryptBytes(output, outputLen, input, inputLen, key, keyLen, iv, ivLen, algModeText, options);
}

// --- One-shots on hex ----------------------------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL CIPHER_EncryptHex(char* output, int32_t outputLen, const char* dataHex,
                                                      const char* keyHex, const char* ivHex, const char* algModeText,
                                                      int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(hex_body(encrypt_bytes, output, outputLen, dataHex, keyHex, ivHex, algModeText, options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_DecryptHex(char* output, int32_t outputLen, const char* dataHex,
                                                      const char* keyHex, const char* ivHex, const char* algModeText,
                                                      int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(hex_body(decrypt_bytes, output, outputLen, dataHex, keyHex, ivHex, algModeText, options));
}

// --- The context ---------------------------------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL CIPHER_Init(int32_t encrypt, const char* algModeText, const unsigned char* key,
                                                int32_t keyLen, const unsigned char* iv, int32_t ivLen,
                                                int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    CipherSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.cipher;
    secure_wipe_obj(slot);  // any open context ends here
    return finish_init(slot, init_body(slot, encrypt, algModeText, key, keyLen, iv, ivLen, options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_InitHex(int32_t encrypt, const char* algModeText, const char* keyHex,
                                                   const char* ivHex, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    CipherSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.cipher;
    secure_wipe_obj(slot);
    if (text_missing(keyHex)) return finish_init(slot, -BAD_PARAM_ERROR);
    if (!hex_is_digits(keyHex) || (ivHex != nullptr && !hex_is_digits(ivHex)))
        return finish_init(slot, -INVALID_DATA_ERROR);
    // A text of odd length decodes to no valid length: -1, refused as the key
    // or IV length.
    SecretBytes<kMaxKey> key;
    SecretBytes<kMaxBlock> iv;
    const long long key_len = HexDecodeStrict(key.bytes, kMaxKey, keyHex);
    const long long iv_len = ivHex != nullptr ? HexDecodeStrict(iv.bytes, kMaxBlock, ivHex) : 0;
    return finish_init(slot, init_body(slot, encrypt, algModeText, key.bytes, key_len < 0 ? -1 : clamp_len(key_len),
                                       ivHex != nullptr ? iv.bytes : nullptr, iv_len < 0 ? -1 : clamp_len(iv_len),
                                       options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_Update(int32_t handle, unsigned char* output, int32_t outputLen,
                                                  const unsigned char* input, int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    CipherSlot& slot = frame_begin()->workspace.cipher;
    return frame_status(update_body(slot, handle, output, outputLen, input, inputLen));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_UpdateHex(int32_t handle, char* output, int32_t outputLen,
                                                     const char* dataHex) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    CipherSlot& slot = frame_begin()->workspace.cipher;
    if (output == nullptr) return frame_status(-NULL_ERROR);
    if (text_missing(dataHex)) {
        if (outputLen >= 0) output[0] = '\0';
        return frame_status(0);
    }
    if (!hex_is_digits(dataHex)) return frame_status(-INVALID_DATA_ERROR);
    const std::size_t chars = std::strlen(dataHex);
    if (outputLen < 0 || chars > static_cast<std::size_t>(outputLen)) return frame_status(-SHORT_BUF_ERROR);
    if (chars % 2 != 0) return frame_status(-INVALID_DATA_ERROR);
    SecretBuffer bytes;
    if (!bytes.allocate(chars / 2)) return frame_status(-MEMORY_ERROR);
    HexDecodeStrict(bytes.data(), chars / 2, dataHex);
    const int32_t n = static_cast<int32_t>(chars / 2);
    const int32_t rc = update_body(slot, handle, bytes.data(), n, bytes.data(), n);
    if (rc == 0) HexEncodeUpper(output, chars + 1, bytes.data(), chars / 2);
    return frame_status(rc);
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_Final(int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    CipherSlot& slot = frame_begin()->workspace.cipher;
    if (!handle_is_live(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    secure_wipe_obj(slot);
    return frame_status(0);
}

// --- Key wrap ------------------------------------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL CIPHER_KeyWrap(unsigned char* output, int32_t outputLen,
                                                   const unsigned char* keyData, int32_t keyDataLen,
                                                   const unsigned char* kek, int32_t kekLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(key_wrap(output, outputLen, keyData, keyDataLen, kek, kekLen, options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_KeyUnwrap(unsigned char* output, int32_t outputLen,
                                                     const unsigned char* wrapped, int32_t wrappedLen,
                                                     const unsigned char* kek, int32_t kekLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(key_unwrap(output, outputLen, wrapped, wrappedLen, kek, kekLen, options));
}

// --- Files ---------------------------------------------------------------------------------------

TESSALIB_API int32_t TESSALIB_CALL CIPHER_FileEncrypt(const char* outFile, const char* inFile,
                                                       const unsigned char* key, int32_t keyLen,
                                                       const unsigned char* iv, int32_t ivLen,
                                                       const char* algModeText, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_status(file_body(true, outFile, inFile, key, keyLen, iv, ivLen, algModeText, options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_FileDecrypt(const char* outFile, const char* inFile,
                                                       const unsigned char* key, int32_t keyLen,
                                                       const unsigned char* iv, int32_t ivLen,
                                                       const char* algModeText, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_status(file_body(false, outFile, inFile, key, keyLen, iv, ivLen, algModeText, options));
}
