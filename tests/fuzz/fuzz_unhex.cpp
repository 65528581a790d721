// CNV_BytesFromHexStr and HexDecodeStrict on arbitrary text.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "encode/hex.h"
#include "fuzz_check.h"
#include "tessalib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* in = text.c_str();  // ends at the first NUL of the input

    const int32_t needed = CNV_BytesFromHexStr(nullptr, 0, in);
    if (needed < 0) {
        FUZZ_CHECK(needed == -INVALID_DATA_ERROR);
        FUZZ_CHECK(API_ErrorCode() == INVALID_DATA_ERROR);
        return 0;
    }
    FUZZ_CHECK(static_cast<size_t>(needed) <= std::strlen(in) / 2);

    // Exact-size heap buffers let the sanitizer catch any write past the end.
    std::vector<uint8_t> full(static_cast<size_t>(needed) + 1);
    const int32_t n = CNV_BytesFromHexStr(full.data(), needed + 1, in);
    FUZZ_CHECK(n == needed);

    const int32_t cap = 1 + static_cast<int32_t>(size % 7);
    std::vector<uint8_t> part(static_cast<size_t>(cap));
    const int32_t m = CNV_BytesFromHexStr(part.data(), cap, in);
    FUZZ_CHECK(m == (needed < cap ? needed : cap));
    FUZZ_CHECK(std::memcmp(part.data(), full.data(), static_cast<size_t>(m)) == 0);

    // The strict decoder agrees wherever the text is a bare run of digits.
    std::vector<uint8_t> strict(static_cast<size_t>(cap));
    const long long s = HexDecodeStrict(strict.data(), strict.size(), in);
    if (s >= 0) {
        FUZZ_CHECK(s == needed && std::strlen(in) == 2 * static_cast<size_t>(s));
        FUZZ_CHECK(std::memcmp(strict.data(), full.data(), static_cast<size_t>(m)) == 0);
    }
    return 0;
}
