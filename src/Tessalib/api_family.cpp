// API_: the thread's last error, the error table, the version.
#include <cstring>

#include "core/errors.h"
#include "core/frame.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {
constexpr int32_t kVersion = 62201;
}  // namespace

TESSALIB_API int32_t TESSALIB_CALL API_ErrorCode(void) {
    ThreadState* ts = GetThreadState();
    RngStir(&ts->workspace.rng, RNG_STIR_FAST);
    return static_cast<int32_t>(ts->lastError);
}

TESSALIB_API int32_t TESSALIB_CALL API_ErrorLookup(char* output, int32_t outputLen, int32_t errorCode) {
    const ErrorRow* row = error_find(errorCode);
    if (row == nullptr) return 0;
    const std::size_t msg_len = std::strlen(row->message);
    const std::size_t name_len = std::strlen(row->name);
    const std::size_t total = msg_len + name_len + 3;  // " (" and ")"
    if (output == nullptr || outputLen < 1) return static_cast<int32_t>(total);

    // "<message> (<name>)", cut at outputLen characters.
    const std::size_t room = static_cast<std::size_t>(outputLen);
    std::size_t n = 0;
    auto put = [&](const char* s, std::size_t len) {
        for (std::size_t i = 0; i < len && n < room; ++i) output[n++] = s[i];
    };
    put(row->message, msg_len);
    put(" (", 2);
    put(row->name, name_len);
    put(")", 1);
    output[n] = '\0';
    return static_cast<int32_t>(n);
}

TESSALIB_API int32_t TESSALIB_CALL API_Version(void) { return kVersion; }
