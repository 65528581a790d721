// ZLIB_: the zlib format alone (COMPR_ with the zlib method, without an
// option word or an entropy sample). Results are lengths or negated codes.
#include "Tessalib/compr_args.h"
#include "core/frame.h"
#include "tessalib.h"

TESSALIB_API int32_t TESSALIB_CALL ZLIB_Deflate(unsigned char* output, int32_t outputLen, const unsigned char* input,
                                                 int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    return frame_length(compr_run(true, COMPR_METHOD_ZLIB, output, outputLen, input, inputLen));
}

TESSALIB_API int32_t TESSALIB_CALL ZLIB_Inflate(unsigned char* output, int32_t outputLen, const unsigned char* input,
                                                 int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    return frame_length(compr_run(false, COMPR_METHOD_ZLIB, output, outputLen, input, inputLen));
}
