// CRC-32 through zlib.
#include "encode/crc.h"

#include <zlib.h>

#include <cstdio>

#include "tessalib.h"

uint32_t crc32_of(const uint8_t* data, std::size_t len) noexcept {
    if (len == 0) return 0;
    return static_cast<uint32_t>(crc32_z(0, data, static_cast<z_size_t>(len)));
}

int32_t crc32_file(const char* path, uint32_t* crc) noexcept {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return -OPEN_ERROR;
    uLong sum = 0;
    unsigned char piece[1024];
    std::size_t got;
    while ((got = std::fread(piece, 1, sizeof piece, f)) != 0) sum = crc32_z(sum, piece, got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return -READ_ERROR;
    *crc = static_cast<uint32_t>(sum);
    return 0;
}
