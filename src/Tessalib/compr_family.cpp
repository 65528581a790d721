// COMPR_: compression and decompression of whole byte arrays with the method
// of the option word (zlib or Zstandard). Results are lengths or negated codes.
#include "Tessalib/compr_args.h"
#include "core/frame.h"
#include "rng/stir.h"
#include "tessalib.h"

TESSALIB_API int32_t TESSALIB_CALL COMPR_Compress(unsigned char* output, int32_t outputLen, const unsigned char* input,
                                                   int32_t inputLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(compr_run(true, options & kComprMethodMask, output, outputLen, input, inputLen));
}

TESSALIB_API int32_t TESSALIB_CALL COMPR_Uncompress(unsigned char* output, int32_t outputLen,
                                                     const unsigned char* input, int32_t inputLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    return frame_length(compr_run(false, options & kComprMethodMask, output, outputLen, input, inputLen));
}
