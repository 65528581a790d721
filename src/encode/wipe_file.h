// Wiping a file: overwriting it in place (seven patterns, or one quick pass of
// zeros), each pass written to the disk and, where stated, read back, then
// truncating and deleting it.
#pragma once
#include <cstdint>

// The option bit of a quick wipe: one verified pass of zeros.
constexpr uint32_t kWipeQuick = 1;

// The passes of a full wipe, in order: 00, FF, AA, 55, two pseudo-random
// buffers (4096 bytes of the calling thread's rand, seeded once per wipe with
// seconds since 1970 x 256 XOR milliseconds since the module was loaded),
// 00. Passes 1 and 6 are read back and compared. Every pass is flushed to the
// storage device before the next begins.
//
// Returns 0 when the file was wiped and deleted. -OPEN_ERROR: the file does
// not exist, is not a regular file (a directory, a device), has no write
// permission bit at all, cannot be opened for reading and writing, or its
// size cannot be had; nothing was written. -WIPE_ERROR: a write, flush,
// sync, seek, read or comparison failed, or the closing of the file did, or
// the deletion; a file that was not fully wiped is left in place. path not
// null.
int32_t wipe_file(const char* path, uint32_t options) noexcept;
