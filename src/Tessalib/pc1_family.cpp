// PC1_: Arcfour on bytes, files and hex text. Codes are positive.
#include "Tessalib/stream_args.h"
#include "aead/stream_cipher.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

bool text_missing(const char* text) noexcept { return text == nullptr || text[0] == '\0'; }

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL PC1_Bytes(unsigned char* output, const unsigned char* input, int32_t inputLen,
                                              const unsigned char* key, int32_t keyLen) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin();
    if ((output == nullptr || input == nullptr) && inputLen != 0) return frame_status(NULL_ERROR);
    if (inputLen < 0 || keyLen < 0) return frame_status(BAD_PARAM_ERROR);
    return frame_status(positive_code(stream_once(STREAM_ARCFOUR, output, input, static_cast<std::size_t>(inputLen),
                                                  key, static_cast<std::size_t>(keyLen), nullptr, 0, 0)));
}

TESSALIB_API int32_t TESSALIB_CALL PC1_File(const char* outputFile, const char* inputFile, const unsigned char* key,
                                             int32_t keyLen) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin();
    if (keyLen < 0 || text_missing(outputFile) || text_missing(inputFile)) return frame_status(BAD_PARAM_ERROR);
    StreamContext ctx;
    int32_t rc = stream_setup(&ctx, STREAM_ARCFOUR, key, static_cast<std::size_t>(keyLen), nullptr, 0, 0);
    if (rc == 0) rc = stream_file(&ctx, outputFile, inputFile);
    secure_wipe_obj(ctx);
    return frame_status(positive_code(rc));
}

TESSALIB_API int32_t TESSALIB_CALL PC1_Hex(char* output, int32_t maxChars, const char* inputHex, const char* keyHex) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin();
    return frame_status(positive_code(stream_hex_run(output, maxChars, inputHex, keyHex, nullptr, 0, STREAM_ARCFOUR)));
}
