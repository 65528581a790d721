// CRC-32 (ISO 3309 / ITU-T V.42: reflected polynomial 0xEDB88320, initial
// value and final complement 0xFFFFFFFF), computed by zlib's crc32, of bytes
// and of a file.
#pragma once
#include <cstddef>
#include <cstdint>

// The CRC-32 of len bytes (data may be null when len is 0).
uint32_t crc32_of(const uint8_t* data, std::size_t len) noexcept;

// The CRC-32 of the file's contents, read in binary mode 1024 bytes at a time:
// 0 with *crc set; -OPEN_ERROR when the file cannot be opened; -READ_ERROR
// when a read fails (never the checksum of what came before). path not null.
int32_t crc32_file(const char* path, uint32_t* crc) noexcept;
