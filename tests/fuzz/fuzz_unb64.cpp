// CNV_BytesFromB64Str on arbitrary text, and a re-encoding round trip.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "tessalib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* in = text.c_str();  // ends at the first NUL of the input

    const int32_t needed = CNV_BytesFromB64Str(nullptr, 0, in);
    if (needed < 0) {
        FUZZ_CHECK(needed == -INVALID_DATA_ERROR);
        FUZZ_CHECK(API_ErrorCode() == INVALID_DATA_ERROR);
        return 0;
    }
    FUZZ_CHECK(static_cast<size_t>(needed) <= std::strlen(in) / 4 * 3 + 2);

    std::vector<uint8_t> full(static_cast<size_t>(needed) + 1);
    const int32_t n = CNV_BytesFromB64Str(full.data(), needed + 1, in);
    FUZZ_CHECK(n == needed);

    // A short buffer holds a prefix of whole groups (or the whole tail).
    const int32_t cap = 1 + static_cast<int32_t>(size % 7);
    std::vector<uint8_t> part(static_cast<size_t>(cap));
    const int32_t m = CNV_BytesFromB64Str(part.data(), cap, in);
    FUZZ_CHECK(m >= 0 && m <= cap && m <= needed);
    FUZZ_CHECK(m == needed || m % 3 == 0);
    FUZZ_CHECK(cap < needed || m == needed);
    FUZZ_CHECK(std::memcmp(part.data(), full.data(), static_cast<size_t>(m)) == 0);

    // Encoding the bytes again and decoding that gives the same bytes.
    const int32_t chars = CNV_B64StrFromBytes(nullptr, 0, full.data(), n);
    FUZZ_CHECK(chars == (n + 2) / 3 * 4);
    std::vector<char> again(static_cast<size_t>(chars) + 1);
    FUZZ_CHECK(CNV_B64StrFromBytes(again.data(), chars, full.data(), n) == chars);
    std::vector<uint8_t> back(static_cast<size_t>(n) + 1);
    FUZZ_CHECK(CNV_BytesFromB64Str(back.data(), n + 1, again.data()) == n);
    FUZZ_CHECK(std::memcmp(back.data(), full.data(), static_cast<size_t>(n)) == 0);
    return 0;
}
