// Wiping a file in place.
#include "encode/wipe_file.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "block/handle.h"
#include "platform/platform.h"
#include "tessalib.h"

namespace {

constexpr std::size_t kPiece = 4096;

// Writes the pattern over the whole file from offset 0, then puts it on the
// disk.
bool write_pass(std::FILE* f, uint64_t size, const uint8_t* pattern) noexcept {
    if (std::fseek(f, 0, SEEK_SET) != 0) return false;
    for (uint64_t done = 0; done < size;) {
        const std::size_t n = size - done < kPiece ? static_cast<std::size_t>(size - done) : kPiece;
        if (std::fwrite(pattern, 1, n, f) != n) return false;
        done += n;
    }
    return plat::file_sync(f);
}

// Reads the whole file back and compares it with the pattern.
bool verify_pass(std::FILE* f, uint64_t size, const uint8_t* pattern) noexcept {
    if (std::fseek(f, 0, SEEK_SET) != 0) return false;
    uint8_t piece[kPiece];
    for (uint64_t done = 0; done < size;) {
        const std::size_t n = size - done < kPiece ? static_cast<std::size_t>(size - done) : kPiece;
        if (std::fread(piece, 1, n, f) != n || std::memcmp(piece, pattern, n) != 0) return false;
        done += n;
    }
    return true;
}

void fill_random(uint8_t* pattern) noexcept {
    for (std::size_t i = 0; i < kPiece; ++i) pattern[i] = static_cast<uint8_t>(thread_rand());
}

// Passes 1 to 7 (or the quick pass): true when all of them succeeded.
bool overwrite(std::FILE* f, uint64_t size, uint32_t options) noexcept {
    uint8_t pattern[kPiece];
    thread_rand_seed(static_cast<uint32_t>(plat::unix_seconds() * 256) ^ plat::ms_since_start());
    std::memset(pattern, 0x00, kPiece);
    if (!write_pass(f, size, pattern) || !verify_pass(f, size, pattern)) return false;
    if ((options & kWipeQuick) != 0) return true;
    for (const uint8_t fill : {uint8_t{0xFF}, uint8_t{0xAA}, uint8_t{0x55}}) {
        std::memset(pattern, fill, kPiece);
        if (!write_pass(f, size, pattern)) return false;
    }
    fill_random(pattern);
    if (!write_pass(f, size, pattern)) return false;
    fill_random(pattern);
    if (!write_pass(f, size, pattern) || !verify_pass(f, size, pattern)) return false;
    std::memset(pattern, 0x00, kPiece);
    return write_pass(f, size, pattern);
}

}  // namespace

int32_t wipe_file(const char* path, uint32_t options) noexcept {
    // Only a regular file that someone may write is wiped: root could write
    // one without a write bit, and a device or directory has nothing to
    // overwrite and must never be deleted.
    if (plat::file_kind(path) != plat::FileKind::kRegular || plat::file_read_only(path)) return -OPEN_ERROR;
    std::FILE* f = std::fopen(path, "r+b");
    if (f == nullptr) return -OPEN_ERROR;
    uint64_t size = 0;
    if (!plat::stream_size(f, &size)) {
        std::fclose(f);
        return -OPEN_ERROR;
    }
    const bool wiped = size == 0 || overwrite(f, size, options);
    // A pass that did not reach the disk, or a close that failed, leaves
    // the file where it is.
    const bool synced = plat::file_sync(f);
    const bool closed = std::fclose(f) == 0;
    if (!wiped || !synced || !closed) return -WIPE_ERROR;
    std::FILE* cut = std::fopen(path, "w");  // truncates to 0 bytes
    if (cut != nullptr) std::fclose(cut);
    return plat::delete_file(path) ? 0 : -WIPE_ERROR;
}
