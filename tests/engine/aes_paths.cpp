#include "aes_paths.h"

#include <cstdlib>
#include <cstring>

namespace {

// The program's limit, read once from TESSALIB_TEST_AES_PATH and applied
// before main.
AesPath program_limit() {
    static const AesPath limit = [] {
        const char* v = std::getenv("TESSALIB_TEST_AES_PATH");
        if (v == nullptr) return AesPath::vaes;
        if (std::strcmp(v, "tables") == 0) return AesPath::tables;
        if (std::strcmp(v, "aesni") == 0) return AesPath::aesni;
        return AesPath::vaes;
    }();
    return limit;
}

const bool kLimitApplied = [] {
    cpu_limit_aes_path(program_limit());
    return true;
}();

}  // namespace

std::vector<AesPath> available_aes_paths() {
    std::vector<AesPath> out;
    for (AesPath p : {AesPath::tables, AesPath::aesni, AesPath::vaes}) {
        if (static_cast<int>(p) > static_cast<int>(program_limit())) break;
        cpu_limit_aes_path(p);
        const bool offered = cpu_aes_path() == p;
        cpu_limit_aes_path(program_limit());
        if (offered) out.push_back(p);
    }
    return out;
}

const char* aes_path_name(AesPath p) {
    switch (p) {
        case AesPath::tables: return "tables";
        case AesPath::aesni: return "aesni";
        default: return "vaes";
    }
}

AesPathScope::AesPathScope(AesPath p) { cpu_limit_aes_path(p); }
AesPathScope::~AesPathScope() { cpu_limit_aes_path(program_limit()); }
