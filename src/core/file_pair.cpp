// Input and output files of one call.
#include "core/file_pair.h"

#include <cstring>

#include "platform/platform.h"
#include "tessalib.h"

int32_t file_pair_open(FilePair* f, const char* out_path, const char* in_path) noexcept {
    f->in = nullptr;
    f->out = nullptr;
    f->out_path = out_path;
    f->in = std::fopen(in_path, "rb");
    if (f->in == nullptr) return -OPEN_ERROR;
    if (std::strcmp(out_path, in_path) == 0 || plat::same_file(out_path, in_path)) {
        std::fclose(f->in);
        f->in = nullptr;
        return -DUP_ERROR;
    }
    f->out = std::fopen(out_path, "wb");
    if (f->out == nullptr) {
        std::fclose(f->in);
        f->in = nullptr;
        return -CREATE_ERROR;
    }
    return 0;
}

int32_t file_pair_read(FilePair* f, uint8_t* buf, std::size_t cap, std::size_t* got) noexcept {
    *got = std::fread(buf, 1, cap, f->in);
    if (*got < cap && std::ferror(f->in)) return -READ_ERROR;
    return 0;
}

int32_t file_pair_write(FilePair* f, const uint8_t* data, std::size_t n) noexcept {
    if (n != 0 && std::fwrite(data, 1, n, f->out) != n) return -WRITE_ERROR;
    return 0;
}

int32_t file_pair_close(FilePair* f, int32_t rc) noexcept {
    if (f->in != nullptr) std::fclose(f->in);
    f->in = nullptr;
    if (f->out != nullptr) {
        const bool flushed = std::fflush(f->out) == 0 && !std::ferror(f->out);
        const bool closed = std::fclose(f->out) == 0;
        f->out = nullptr;
        if (rc == 0 && !(flushed && closed)) rc = -WRITE_ERROR;
        // Only a file is deleted: an output that is a device (/dev/full)
        // stays, whoever runs this.
        if (rc != 0) plat::delete_file(f->out_path);
    }
    return rc;
}
