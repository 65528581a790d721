// CNV_Utf8FromWide on arbitrary UTF-16 units; the output decodes back to them.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "tessalib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint16_t> units;
    for (size_t i = 0; i + 1 < size; i += 2) units.push_back(static_cast<uint16_t>(data[i] | (data[i + 1] << 8)));
    units.push_back(0);
    size_t count = 0;
    bool surrogate = false;
    while (units[count] != 0) {
        surrogate = surrogate || (units[count] >= 0xD800 && units[count] <= 0xDFFF);
        ++count;
    }

    const int32_t needed = CNV_Utf8FromWide(nullptr, 0, units.data());
    if (surrogate) {
        FUZZ_CHECK(needed == -ENCODING_ERROR);
        return 0;
    }
    FUZZ_CHECK(needed >= static_cast<int32_t>(count) && needed <= 3 * static_cast<int32_t>(count));
    if (needed == 0) return 0;

    std::vector<char> out(static_cast<size_t>(needed) + 1);
    if (needed > 1) FUZZ_CHECK(CNV_Utf8FromWide(out.data(), needed - 1, units.data()) == -SHORT_BUF_ERROR);
    FUZZ_CHECK(CNV_Utf8FromWide(out.data(), needed, units.data()) == needed);
    FUZZ_CHECK(out[static_cast<size_t>(needed)] == '\0');

    // Decode the UTF-8 again, checking its form.
    const auto* p = reinterpret_cast<const uint8_t*>(out.data());
    size_t i = 0;
    for (size_t k = 0; k < count; ++k) {
        uint32_t u = p[i];
        if (u < 0x80) {
            i += 1;
        } else if ((u & 0xE0) == 0xC0) {
            FUZZ_CHECK((p[i + 1] & 0xC0) == 0x80);
            u = ((u & 0x1F) << 6) | (p[i + 1] & 0x3Fu);
            FUZZ_CHECK(u >= 0x80);
            i += 2;
        } else {
            FUZZ_CHECK((u & 0xF0) == 0xE0 && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80);
            u = ((u & 0x0F) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            FUZZ_CHECK(u >= 0x800);
            i += 3;
        }
        FUZZ_CHECK(u == units[k]);
    }
    FUZZ_CHECK(i == static_cast<size_t>(needed));
    return 0;
}
