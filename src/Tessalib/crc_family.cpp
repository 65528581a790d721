// CRC_: the CRC-32 of bytes, of a text and of a file. Value class: the
// checksum, or 0 with the reason recorded as the thread's last error.
#include <cstring>

#include "core/frame.h"
#include "encode/crc.h"
#include "tessalib.h"

namespace {

// A checksum of 0 cannot be told from a failure: it is returned with
// `zero_code` recorded.
int32_t crc_value(uint32_t crc, int32_t zero_code) noexcept {
    if (crc == 0) RecordError(zero_code);
    return static_cast<int32_t>(crc);
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL CRC_Bytes(const unsigned char* input, int32_t inputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportValue)) return refusal.result;
    frame_begin();
    if (input == nullptr || inputLen < 0) return crc_value(0, BAD_PARAM_ERROR);
    return crc_value(crc32_of(input, static_cast<std::size_t>(inputLen)), BAD_PARAM_ERROR);
}

TESSALIB_API int32_t TESSALIB_CALL CRC_String(const char* input) {
    if (const FrameRefusal refusal = frame_entry(kExportValue)) return refusal.result;
    frame_begin();
    if (input == nullptr) return crc_value(0, BAD_PARAM_ERROR);
    return crc_value(crc32_of(reinterpret_cast<const uint8_t*>(input), std::strlen(input)), BAD_PARAM_ERROR);
}

TESSALIB_API int32_t TESSALIB_CALL CRC_File(const char* fileName) {
    if (const FrameRefusal refusal = frame_entry(kExportValue)) return refusal.result;
    frame_begin();
    if (fileName == nullptr) return crc_value(0, OPEN_ERROR);
    uint32_t crc = 0;
    const int32_t rc = crc32_file(fileName, &crc);
    if (rc < 0) return crc_value(0, -rc);
    return crc_value(crc, OPEN_ERROR);
}
