// An input file read and an output file written by one call (the stream
// ciphers' file functions, the file encryption): the output is refused when
// it is the input, every read and write is checked, and an output that was
// not completed is deleted. Files go through the C runtime's buffered
// streams in binary mode.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct FilePair {
    std::FILE* in;
    std::FILE* out;
    const char* out_path;
};

// Opens in_path for reading; then refuses an out_path that names the same
// file (the same text, or the same file by its identity: another path, a
// link, another case where names ignore case) before anything is done to
// it; then creates or truncates out_path for writing. 0, or -OPEN_ERROR,
// -DUP_ERROR, -CREATE_ERROR with nothing left open and the output untouched.
// The names are not null.
int32_t file_pair_open(FilePair* f, const char* out_path, const char* in_path) noexcept;

// Reads up to cap bytes into buf: 0 with *got the count (0 at the end of the
// input), or -READ_ERROR.
int32_t file_pair_read(FilePair* f, uint8_t* buf, std::size_t cap, std::size_t* got) noexcept;

// Writes n bytes: 0, or -WRITE_ERROR when not all of them could be written.
int32_t file_pair_write(FilePair* f, const uint8_t* data, std::size_t n) noexcept;

// Closes both files. rc is the outcome of the work (0 or a negated code); a
// failure to close the output (its buffered bytes cannot be written) makes a
// successful outcome -WRITE_ERROR. When the outcome is a failure the output
// file is deleted (a device named as the output, such as /dev/full, never
// is). Returns the outcome.
int32_t file_pair_close(FilePair* f, int32_t rc) noexcept;
