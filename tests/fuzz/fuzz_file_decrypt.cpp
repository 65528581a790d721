// File decryption of arbitrary ciphertext files through the block families'
// _FileExt functions. It never crashes; a failure is one of the procedure's
// codes and leaves no output file; a success writes no more than the input
// (less the IV block) and, where the padding is canonical, encrypting the
// output again gives back the input file.
//
// Input: byte 0 picks the family (low three bits, six families) and the mode
// (bits 3 to 5, five modes); byte 1 the options (bit 0 OPT_PREFIX_IV, bit 1
// keep the padding, bits 2 to 4 the padding field 0 to 5); then the key (the
// family's length; Blowfish 16 bytes), the IV (a block) and the file.
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include <unistd.h>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "tessalib.h"

namespace {

using FileExtFn = int32_t (*)(const char*, const char*, const unsigned char*, int32_t, const char*,
                              const unsigned char*, int32_t);

struct Family {
    FileExtFn fn;  // Blowfish through a wrapper with a 16-byte key
    std::size_t key_len;
    std::size_t block;
};

int32_t blf16(const char* o, const char* i, const unsigned char* k, int32_t e, const char* m, const unsigned char* v,
              int32_t opt) {
    return BLF_FileExt(o, i, k, 16, e, m, v, opt);
}

const Family kFamilies[] = {{AES128_FileExt, 16, 16}, {AES192_FileExt, 24, 16}, {AES256_FileExt, 32, 16},
                            {DES_FileExt, 8, 8},      {TDEA_FileExt, 24, 8},    {blf16, 16, 8}};
const char* const kModes[] = {"ECB", "CBC", "CFB", "OFB", "CTR"};

std::string path(const char* name) {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/fuzz_file_decrypt.XXXXXX";
        const char* d = mkdtemp(tmpl);
        return std::string(d != nullptr ? d : "/tmp");
    }();
    return dir + "/" + name;
}

std::vector<uint8_t> read_all(const std::string& p) {
    std::vector<uint8_t> out;
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (f == nullptr) return out;
    uint8_t buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) != 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

bool exists(const std::string& p) { return access(p.c_str(), F_OK) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Family& fam = kFamilies[(data[0] & 7) % 6];
    const int mode_index = ((data[0] >> 3) & 7) % 5;
    const char* mode = kModes[mode_index];
    const bool prefix = (data[1] & 1) != 0, keep = (data[1] & 2) != 0;
    const int32_t padding = (((data[1] >> 2) & 7) % 6) << 16;
    const int32_t options = (prefix ? OPT_PREFIX_IV : 0) | (keep ? 0x2000 : 0) | padding;
    data += 2, size -= 2;
    const std::vector<uint8_t> key = fuzz_take(data, size, fam.key_len);
    const std::vector<uint8_t> iv = fuzz_take(data, size, fam.block);
    const std::vector<uint8_t> file(data, data + size);

    const std::string in = path("in"), out = path("out"), again = path("again");
    std::FILE* f = std::fopen(in.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (!file.empty()) FUZZ_CHECK(std::fwrite(file.data(), 1, file.size(), f) == file.size());
    FUZZ_CHECK(std::fclose(f) == 0);

    const int32_t rc = fam.fn(out.c_str(), in.c_str(), key.data(), 0, mode, iv.data(), options);
    if (rc != 0) {
        FUZZ_CHECK(rc == BAD_LENGTH_ERROR || rc == DECRYPT_ERROR || rc == READ_ERROR);
        FUZZ_CHECK(!exists(out));
        return 0;
    }
    const std::vector<uint8_t> plain = read_all(out);
    const bool stream = mode_index >= 2;
    const std::size_t iv_bytes = prefix && mode_index != 0 ? fam.block : 0;
    FUZZ_CHECK(plain.size() + iv_bytes <= file.size());
    if (stream) FUZZ_CHECK(plain.size() + iv_bytes == file.size());
    // Encrypting again gives the file back where the padding has one form.
    const bool canonical = stream || (!keep && padding != 0x10000 && padding != 0x50000);
    if (!canonical) return 0;
    FUZZ_CHECK(fam.fn(again.c_str(), out.c_str(), key.data(), 1, mode, prefix ? file.data() : iv.data(), options) ==
               0);
    FUZZ_CHECK(read_all(again) == file);
    return 0;
}
