// COMPR_Uncompress (zlib and Zstandard) and ZLIB_Inflate on arbitrary input.
// They never crash, never write past the output, and agree with themselves:
// a query's answer is the length a call with that much room returns, a
// buffer one byte short is SHORT_BUF_ERROR, and what comes out compresses
// and decompresses back to itself.
//
// Input: byte 0 picks the function (low two bits: COMPR_ zlib, COMPR_ zstd,
// ZLIB_Inflate); the rest is the compressed data.
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "tessalib.h"

namespace {

int32_t uncompress(int which, unsigned char* out, int32_t out_len, const unsigned char* in, int32_t in_len) {
    if (which == 2) return ZLIB_Inflate(out, out_len, in, in_len);
    return COMPR_Uncompress(out, out_len, in, in_len, which);
}

// The stated failures. INTERNAL_ERROR is a zstd frame that decodes to another
// size than its header declares.
bool known_failure(int32_t rc) {
    return rc == -SHORT_BUF_ERROR || rc == -MEMORY_ERROR || rc == -INVALID_DATA_ERROR || rc == -BAD_FORMAT_ERROR ||
           rc == -ZLIB_COMPR_ERROR || rc == -INTERNAL_ERROR;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20)) return 0;
    const int which = data[0] % 3;
    const unsigned char* in = data + 1;
    const int32_t in_len = static_cast<int32_t>(size - 1);
    const int32_t need = uncompress(which, nullptr, 0, in, in_len);
    FUZZ_CHECK(need >= 0 || known_failure(need));
    if (need < 0 || need > (4 << 20)) return 0;
    // Exactly the room needed, in a buffer of its own so that ASan sees any
    // write past it.
    std::vector<unsigned char> out(static_cast<std::size_t>(need) + 1);
    FUZZ_CHECK(uncompress(which, out.data(), need == 0 ? 1 : need, in, in_len) == need);
    out.resize(static_cast<std::size_t>(need));
    if (need > 0) {
        std::vector<unsigned char> short_out(static_cast<std::size_t>(need - 1) + 1);
        FUZZ_CHECK(uncompress(which, short_out.data(), need - 1 == 0 ? 0 : need - 1, in, in_len) ==
                   (need - 1 == 0 ? need : -SHORT_BUF_ERROR));
    }
    // What came out goes back through the same format.
    const int method = which == 1 ? COMPR_METHOD_ZSTD : COMPR_METHOD_ZLIB;
    static const unsigned char none = 0;
    const unsigned char* plain = out.empty() ? &none : out.data();
    const int32_t packed_len = COMPR_Compress(nullptr, 0, plain, need, method);
    FUZZ_CHECK(packed_len > 0);
    std::vector<unsigned char> packed(static_cast<std::size_t>(packed_len));
    FUZZ_CHECK(COMPR_Compress(packed.data(), packed_len, plain, need, method) == packed_len);
    std::vector<unsigned char> back(static_cast<std::size_t>(need) + 1);
    FUZZ_CHECK(COMPR_Uncompress(back.data(), need + 1, packed.data(), packed_len, method) == need);
    back.resize(static_cast<std::size_t>(need));
    FUZZ_CHECK(back == out);
    return 0;
}
