#include "core/frame.h"

#include <atomic>
#include <cstdlib>

#include "core/fatal.h"
#include "core/thread_blocks.h"
#include "platform/platform.h"
#include "rng/stir.h"

namespace {
constexpr std::size_t kMaxRequest = 0x3FFFFFFF;
}  // namespace

ThreadState* GetThreadState() noexcept {
    ThreadState* own = thread_block_own();
    return own != nullptr ? own : fallback_state();
}

ThreadWorkspace* GetThreadWorkspace() noexcept { return &GetThreadState()->workspace; }

int32_t RecordError(int32_t code) noexcept {
    if (code == 0) return code;
    ThreadState* ts = GetThreadState();
    if (ts->lastError == 0) {
        ts->lastError = code < 0 ? static_cast<uint32_t>(0) - static_cast<uint32_t>(code)
                                 : static_cast<uint32_t>(code);
    }
    return code;
}

FrameRefusal frame_refuse(ExportKind kind) noexcept {
    int32_t result = 0;
    if (kind.result == ResultClass::kStatus) {
        result = kind.positive_codes ? TEST_FAILED_ERROR : -TEST_FAILED_ERROR;
    } else if (kind.result == ResultClass::kLength) {
        result = -TEST_FAILED_ERROR;
    }
    // Only a module in its failed state still has its blocks: while it loads
    // or unloads nothing is recorded.
    if (kind.framed && module_state() == ModuleState::kFailed)
        GetThreadState()->lastError = static_cast<uint32_t>(TEST_FAILED_ERROR);
    return FrameRefusal{true, result};
}

ThreadState* frame_begin() noexcept {
    ThreadState* ts = GetThreadState();
    ts->lastError = 0;
    return ts;
}

ThreadState* frame_info_state() noexcept { return module_is_attached() ? GetThreadState() : fallback_state(); }

void frame_info_begin() noexcept { frame_info_state()->lastError = 0; }

ThreadState* frame_begin_stir(int mode) noexcept {
    ThreadState* ts = frame_begin();
    RngStir(&ts->workspace.rng, mode);
    return ts;
}

void* MemAlloc(std::size_t size) noexcept {
    if (size > kMaxRequest) {
        ReportFatal("malloc request is too big.", kEventAllocFailed);
        plat::exit_process(1);
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        ReportFatal("malloc failed to allocate memory.", kEventAllocFailed);
        plat::exit_process(1);
    }
    return p;
}

void* MemCalloc(std::size_t count, std::size_t elemSize) noexcept {
    if (count > kMaxRequest) {
        ReportFatal("calloc request is too big.", kEventAllocFailed);
        plat::exit_process(1);
    }
    if (count == 0 || elemSize == 0) {
        count = 1;
        elemSize = 1;
    }
    void* p = std::calloc(count, elemSize);
    if (p == nullptr) {
        ReportFatal("calloc failed to allocate memory.", kEventAllocFailed);
        plat::exit_process(1);
    }
    return p;
}

void MemFree(void* block) noexcept { std::free(block); }

namespace {
std::atomic<std::size_t> g_checked_limit{0};
}  // namespace

void mem_set_checked_limit(std::size_t limit) noexcept { g_checked_limit.store(limit); }

void* MemAllocChecked(std::size_t size) noexcept {
    const std::size_t limit = g_checked_limit.load(std::memory_order_relaxed);
    if (limit != 0 && size > limit) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}
