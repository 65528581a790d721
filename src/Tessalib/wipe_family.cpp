// WIPE_: clearing a caller's buffer and wiping a file. Results are 0 or a
// positive code.
#include "core/frame.h"
#include "core/wipe.h"
#include "encode/wipe_file.h"
#include "rng/stir.h"
#include "tessalib.h"

TESSALIB_API int32_t TESSALIB_CALL WIPE_Data(unsigned char* input, int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    if (input == nullptr) return frame_status(NULL_ERROR);
    if (inputLen < 1) return frame_status(BAD_PARAM_ERROR);
    secure_wipe(input, static_cast<std::size_t>(inputLen));
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL WIPE_File(const char* fileName, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin_stir(RNG_STIR_FAST);
    if (fileName == nullptr) return frame_status(NULL_ERROR);
    return frame_status(positive_code(wipe_file(fileName, static_cast<uint32_t>(options))));
}
