#include "core/frame.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "core/fatal.h"
#include "core/lifecycle.h"
#include "core/wipe.h"
#include "platform/platform.h"
#include "rng/stir.h"

namespace {

// Every registered thread block, so that unloading can free them all.
ThreadState* g_thread_table[kThreadTableSize];
int g_thread_table_high = -1;  // highest index ever filled

// Shared by threads whose own block could not be allocated.
ThreadState g_fallback;

constexpr std::size_t kMaxRequest = 0x3FFFFFFF;
constexpr uint32_t kEventAlloc = 0xC000029Au;

}  // namespace

ThreadState* fallback_state() noexcept { return &g_fallback; }

ThreadState* thread_block_new() noexcept {
    return static_cast<ThreadState*>(std::calloc(1, sizeof(ThreadState)));
}

void thread_block_free(ThreadState* block) noexcept {
    if (block == nullptr || block == &g_fallback) return;
    secure_wipe(block, sizeof *block);
    std::free(block);
}

bool thread_table_enter(ThreadState* block) noexcept {
    bool entered = false;
    plat::lock_enter();
    for (int i = 0; i < kThreadTableSize; ++i) {
        if (g_thread_table[i] == nullptr) {
            g_thread_table[i] = block;
            if (i > g_thread_table_high) g_thread_table_high = i;
            entered = true;
            break;
        }
    }
    plat::lock_leave();
    return entered;
}

void thread_table_remove(ThreadState* block) noexcept {
    plat::lock_enter();
    for (int i = 0; i <= g_thread_table_high; ++i) {
        if (g_thread_table[i] == block) {
            g_thread_table[i] = nullptr;
            break;
        }
    }
    plat::lock_leave();
}

void thread_table_free_all() noexcept {
    // Take the blocks out under the lock, free them after it is released.
    ThreadState* blocks[kThreadTableSize];
    int n = 0;
    plat::lock_enter();
    for (int i = 0; i <= g_thread_table_high; ++i) {
        if (g_thread_table[i] != nullptr) {
            blocks[n++] = g_thread_table[i];
            g_thread_table[i] = nullptr;
        }
    }
    g_thread_table_high = -1;
    plat::lock_leave();
    for (int i = 0; i < n; ++i) thread_block_free(blocks[i]);
}

int thread_table_count() noexcept {
    int n = 0;
    plat::lock_enter();
    for (int i = 0; i <= g_thread_table_high; ++i) {
        if (g_thread_table[i] != nullptr) ++n;
    }
    plat::lock_leave();
    return n;
}

ThreadState* GetThreadState() noexcept {
    if (!module_is_attached()) return &g_fallback;
    void* slot = plat::tls_get();
    if (slot != nullptr) return static_cast<ThreadState*>(slot);
    ThreadState* block = thread_block_new();
    if (block == nullptr) return &g_fallback;
    plat::tls_set(block);
    thread_table_enter(block);
    return block;
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

ThreadState* frame_begin() noexcept {
    ThreadState* ts = GetThreadState();
    ts->lastError = 0;
    return ts;
}

ThreadState* frame_begin_stir(int mode) noexcept {
    ThreadState* ts = frame_begin();
    RngStir(&ts->workspace.rng, mode);
    return ts;
}

void* MemAlloc(std::size_t size) noexcept {
    if (size > kMaxRequest) {
        ReportFatal("malloc request is too big.", kEventAlloc);
        plat::exit_process(1);
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        ReportFatal("malloc failed to allocate memory.", kEventAlloc);
        plat::exit_process(1);
    }
    return p;
}

void* MemCalloc(std::size_t count, std::size_t elemSize) noexcept {
    if (count > kMaxRequest) {
        ReportFatal("calloc request is too big.", kEventAlloc);
        plat::exit_process(1);
    }
    if (count == 0 || elemSize == 0) {
        count = 1;
        elemSize = 1;
    }
    void* p = std::calloc(count, elemSize);
    if (p == nullptr) {
        ReportFatal("calloc failed to allocate memory.", kEventAlloc);
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
