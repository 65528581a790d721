// API_: the thread's last error, the error table, the module's information
// and the power-up tests.
//
// These exports answer in every state of the module: also after a failed
// load-time check (Linux, a program linking the library), when every other
// export refuses, so that a caller can read the last error, identify the
// module and run the power-up tests again. While the module unloads they take
// no entropy sample and use the shared fallback block, never the thread's own.
#include <cstring>

#include "core/errors.h"
#include "core/frame.h"
#include "core/module_info.h"
#include "core/power_up.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

// The text-output rule of these exports: query mode (null output or
// outputLen < 1) returns the text's length; otherwise the first
// min(outputLen, length) characters and a NUL are written and their number
// is returned.
int32_t text_out(char* output, int32_t outputLen, const char* text, std::size_t len) noexcept {
    if (output == nullptr || outputLen < 1) return static_cast<int32_t>(len);
    const std::size_t n = static_cast<std::size_t>(outputLen) < len ? static_cast<std::size_t>(outputLen) : len;
    std::memcpy(output, text, n);
    output[n] = '\0';
    return static_cast<int32_t>(n);
}

// The calling thread's block with the fast entropy sample of the exports
// that take one at entry.
ThreadState* state_with_sample() noexcept {
    ThreadState* ts = frame_info_state();
    if (module_is_attached()) RngStir(&ts->workspace.rng, RNG_STIR_FAST);
    return ts;
}

// The diagnostic values of API_ModuleName, from the calling thread's
// generator state.
int32_t diagnostic(int32_t options, RngState* st) noexcept {
    switch (options) {
        case kModuleNameConstant:
            return kModuleNameConstantValue;
        case kModuleNameLiveInstances: {
            if (!module_is_attached()) return 0;
            entropy_link(st);
            plat::lock_enter();
            const uint32_t live = st->accumulator->liveInstances;
            plat::lock_leave();
            return static_cast<int32_t>(live);
        }
        case kModuleNameReseedCounter:
            return static_cast<int32_t>(st->reseedCounter);
        case kModuleNameStateId:
            return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(st)));
        default:
            return -BAD_FLAG_ERROR;  // not recorded: the export is unframed
    }
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL API_ErrorCode(void) {
    return static_cast<int32_t>(state_with_sample()->lastError);
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

TESSALIB_API int32_t TESSALIB_CALL API_Version(void) { return kModuleVersion; }

TESSALIB_API int32_t TESSALIB_CALL API_CompileTime(char* output, int32_t outputLen) {
    state_with_sample();
    return text_out(output, outputLen, kBuildTimestamp, kBuildTimestampLen);
}

TESSALIB_API int32_t TESSALIB_CALL API_ModuleName(char* output, int32_t outputLen, int32_t options) {
    ThreadState* ts = state_with_sample();  // before options is looked at
    if (options == kModuleNamePath) {
        char path[kModulePathMax + 1];
        const std::size_t len = plat::module_path(path, sizeof path);
        return text_out(output, outputLen, path, len);
    }
    if (options == kModuleNamePlatform) return text_out(output, outputLen, kPlatformText, kPlatformTextLen);
    return diagnostic(options, &ts->workspace.rng);
}

TESSALIB_API int32_t TESSALIB_CALL API_Platform(char* output, int32_t outputLen) {
    frame_info_begin();  // clears the last error; records none
    return text_out(output, outputLen, kPlatformText, kPlatformTextLen);
}

TESSALIB_API int32_t TESSALIB_CALL API_ModuleInfo(char* output, int32_t outputLen) {
    frame_info_begin();  // clears the last error; records none
    return text_out(output, outputLen, kModuleInfoText, module_info_text_len());
}

TESSALIB_API int32_t TESSALIB_CALL API_PowerUpTests(void) {
    // Outside the frame. While the module unloads nothing can run.
    if (!module_is_attached()) return -TEST_FAILED_ERROR;
    // Each check runs whatever the others gave; a failing known-answer test
    // has reported its own event, and nothing else is reported here.
    const bool integrity = SelfIntegrityTestPasses();
    const bool known_answers = RunPowerUpTests() == 0;
    const bool health = RngHealthCheckPasses();
    return integrity && known_answers && health ? 0 : -TEST_FAILED_ERROR;
}
