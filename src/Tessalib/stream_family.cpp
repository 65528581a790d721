// CIPHER_Stream*: Arcfour, Salsa20 and ChaCha20 one-shot on bytes, hex text
// and files, and the per-thread stream context. Codes are negated, except
// Arcfour's length errors in CIPHER_StreamBytes (a positive 6).
#include "Tessalib/stream_args.h"
#include "aead/stream_cipher.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

bool text_missing(const char* text) noexcept { return text == nullptr || text[0] == '\0'; }

int32_t stream_bytes(unsigned char* output, const unsigned char* input, int32_t inputLen, const unsigned char* key,
                     int32_t keyLen, const unsigned char* iv, int32_t ivLen, int32_t counter, int32_t options) noexcept {
    if ((output == nullptr || input == nullptr) && inputLen != 0) return -NULL_ERROR;
    const uint32_t alg = stream_algorithm(static_cast<uint32_t>(options));
    if (alg == STREAM_ARCFOUR) {
        if (inputLen < 0 || keyLen < 1) return BAD_PARAM_ERROR;  // this path's positive code
    } else if (alg == STREAM_SALSA20 || alg == STREAM_CHACHA20) {
        if (inputLen < 0) return -BAD_PARAM_ERROR;
    }
    return stream_once(static_cast<uint32_t>(options), output, input, inputLen > 0 ? static_cast<std::size_t>(inputLen) : 0,
                       key, stream_len(keyLen), iv, stream_len(ivLen), static_cast<uint32_t>(counter));
}

// Sets up the thread's stream context (closed by the caller) as
// CIPHER_StreamInit does: 0 or a negated code.
int32_t setup_slot(StreamSlot& slot, const unsigned char* key, int32_t keyLen, const unsigned char* iv, int32_t ivLen,
                   int32_t counter, int32_t options) noexcept {
    if (key == nullptr || keyLen < 1) return -BAD_KEY_ERROR;
    return stream_setup(&slot.ctx, static_cast<uint32_t>(options), key, static_cast<std::size_t>(keyLen), iv,
                        stream_len(ivLen), static_cast<uint32_t>(counter));
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamBytes(unsigned char* output, const unsigned char* input,
                                                       int32_t inputLen, const unsigned char* key, int32_t keyLen,
                                                       const unsigned char* iv, int32_t ivLen, int32_t counter,
                                                       int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin();
    return frame_status(stream_bytes(output, input, inputLen, key, keyLen, iv, ivLen, counter, options));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamHex(char* output, int32_t maxChars, const char* inputHex,
                                                     const char* keyHex, const char* ivHex, int32_t counter,
                                                     int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin();
    return frame_status(stream_hex_run(output, maxChars, inputHex, keyHex, ivHex, static_cast<uint32_t>(counter),
                                       static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamFile(const char* outputFile, const char* inputFile,
                                                      const unsigned char* key, int32_t keyLen,
                                                      const unsigned char* iv, int32_t ivLen, int32_t counter,
                                                      int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    StreamSlot& slot = frame_begin()->workspace.stream;
    if (text_missing(outputFile) || text_missing(inputFile)) return frame_status(-BAD_PARAM_ERROR);
    secure_wipe_obj(slot);  // the thread's stream handle ends here
    int32_t rc = setup_slot(slot, key, keyLen, iv, ivLen, counter, options);
    if (rc == 0) rc = stream_file(&slot.ctx, outputFile, inputFile);
    secure_wipe_obj(slot);
    return frame_status(rc);
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamInit(const unsigned char* key, int32_t keyLen,
                                                      const unsigned char* iv, int32_t ivLen, int32_t counter,
                                                      int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    StreamSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.stream;
    secure_wipe_obj(slot);  // any earlier stream handle ends here
    const int32_t rc = setup_slot(slot, key, keyLen, iv, ivLen, counter, options);
    if (rc != 0) return static_cast<int32_t>(frame_handle(0, positive_code(rc)));
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, 0));
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamUpdate(int32_t handle, unsigned char* output,
                                                        const unsigned char* input, int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    StreamSlot& slot = frame_begin()->workspace.stream;
    if (output == nullptr || input == nullptr) return frame_status(-NULL_ERROR);
    if (inputLen < 0) return frame_status(-BAD_PARAM_ERROR);
    if (!handle_is_live(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    stream_xor(&slot.ctx, output, input, static_cast<std::size_t>(inputLen));
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamFinal(int32_t handle) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    StreamSlot& slot = frame_begin_stir(RNG_STIR_FAST)->workspace.stream;
    if (!handle_is_live(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    secure_wipe_obj(slot);
    return frame_status(0);
}
