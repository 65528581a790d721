// CNV_HexFilter (FUZZ_FILTER_HEX) or CNV_B64Filter (FUZZ_FILTER_B64) on
// arbitrary bytes, NULs included, into a separate buffer and in place.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "tessalib.h"

namespace {

#if defined(FUZZ_FILTER_HEX)
const char kAlphabet[] = "0123456789ABCDEFabcdef";
int32_t filter(char* out, const char* in, int32_t len) { return CNV_HexFilter(out, in, len); }
#else
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
int32_t filter(char* out, const char* in, int32_t len) { return CNV_B64Filter(out, in, len); }
#endif

bool kept(char c) { return c != '\0' && std::strchr(kAlphabet, c) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    const auto len = static_cast<int32_t>(size);
    std::vector<char> in(data, data + size);
    in.reserve(size + 1);  // a real pointer even for no bytes: a null input is refused
    std::string expect;
    for (char c : in)
        if (kept(c)) expect += c;

    std::vector<char> out(size + 1);
    FUZZ_CHECK(filter(out.data(), in.data(), len) == static_cast<int32_t>(expect.size()));
    FUZZ_CHECK(std::memcmp(out.data(), expect.c_str(), expect.size() + 1) == 0);

    std::vector<char> same(in);
    same.push_back('#');
    FUZZ_CHECK(filter(same.data(), same.data(), len) == static_cast<int32_t>(expect.size()));
    FUZZ_CHECK(std::memcmp(same.data(), expect.c_str(), expect.size() + 1) == 0);
    return 0;
}
