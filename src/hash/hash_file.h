// Reading files for hashing: binary, or text mode translated here the same
// way on every platform (CR LF becomes LF, a lone CR is kept, a byte 0x1A
// ends the input), in chunks of 1024 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "hash/hash_engine.h"

constexpr std::size_t kHashFileChunk = 1024;

struct HashFileReader {
    std::FILE* file;
    uint32_t text;        // translate line ends
    uint32_t pending_cr;  // a CR ended the last raw chunk; its fate depends on the next byte
    uint32_t ended;       // end of file or a 0x1A seen
    uint8_t raw[kHashFileChunk];
};

// Opens path in binary mode ("rb"). 0, or OPEN_ERROR.
int32_t hash_file_open(HashFileReader* r, const char* path, bool text) noexcept;
// Delivers the next piece of the (translated) content into out, which has
// room for kHashFileChunk + 1 bytes. 0 at the end of the input.
std::size_t hash_file_read(HashFileReader* r, uint8_t* out) noexcept;
// Closes the file; true when the stream reported a read error.
bool hash_file_close(HashFileReader* r) noexcept;

// Digest of a file with the algorithm of the option word (codes 0-8 and
// 10-13; HASH_OPT_TEXT selects text mode, HASH_OPT_DOUBLE is honoured). Writes
// the digest to out (64 bytes room) and returns its length, or
// -OPEN_ERROR (checked first), -BAD_FLAG_ERROR, -READ_ERROR. After a read
// error nothing is written to out.
int32_t hash_file(uint8_t* out, const char* path, uint32_t options) noexcept;
