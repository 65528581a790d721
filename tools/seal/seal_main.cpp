// tessalib_seal FILE: writes the seal of a freshly linked library into it
// (core/seal.h), so that the library's self-integrity test at load finds the
// file as the build made it. Run by the build right after the link; nothing
// may change the file afterwards.
//
// Exit status 0 when sealed; 1 when the file cannot be read or written, or
// the library's seal record is not found exactly once in it.
#include <cstdio>
#include <vector>

#include "core/seal.h"

namespace {

int fail(const char* file, const char* why) {
    std::fprintf(stderr, "tessalib_seal: %s: %s\n", file, why);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessalib_seal LIBRARY\n");
        return 2;
    }
    const char* file = argv[1];
    std::FILE* f = std::fopen(file, "r+b");
    if (f == nullptr) return fail(file, "cannot open it for reading and writing");

    // The same pieces the library reads at load, through the same scan.
    SealScan scan;
    seal_begin(&scan, seal_record()->marker);
    std::vector<uint8_t> piece(16384);
    for (;;) {
        const std::size_t n = std::fread(piece.data(), 1, piece.size(), f);
        if (n > 0) seal_feed(&scan, piece.data(), n);
        if (n < piece.size()) break;
    }
    if (std::ferror(f)) {
        std::fclose(f);
        return fail(file, "read error");
    }
    uint8_t seal[kSealValueLen];
    uint64_t value_at = 0;
    if (!seal_end(&scan, seal, &value_at)) {
        std::fclose(f);
        return fail(file, "the seal record is not in it exactly once");
    }
    const bool written = std::fseek(f, static_cast<long>(value_at), SEEK_SET) == 0 &&
                         std::fwrite(seal, 1, sizeof seal, f) == sizeof seal;
    if (std::fclose(f) != 0 || !written) return fail(file, "write error");
    return 0;
}
