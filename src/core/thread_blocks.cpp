#include "core/thread_blocks.h"

#include <atomic>
#include <cstdlib>

#include "core/wipe.h"
#include "platform/platform.h"

namespace {

// Every registered thread block, so that unloading can free them all. Guarded
// by the module lock.
ThreadState* g_thread_table[kThreadTableSize];
int g_thread_table_high = -1;  // highest index ever filled

// Shared by threads whose own block could not be allocated.
ThreadState g_fallback;

// True while the thread-local slot exists. Read by every call on any thread;
// written only at process attach and detach.
std::atomic<bool> g_slot_open{false};

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

bool thread_slot_open() noexcept {
    if (!plat::tls_alloc()) return false;
    g_slot_open.store(true, std::memory_order_release);
    return true;
}

void thread_slot_close() noexcept {
    if (!g_slot_open.load(std::memory_order_acquire)) return;
    thread_block_release(static_cast<ThreadState*>(plat::tls_get()));
    thread_table_free_all();
    g_slot_open.store(false, std::memory_order_release);
    plat::tls_free();
}

ThreadState* thread_block_own() noexcept {
    if (!g_slot_open.load(std::memory_order_acquire)) return nullptr;
    void* slot = plat::tls_get();
    if (slot != nullptr) return static_cast<ThreadState*>(slot);
    ThreadState* block = thread_block_new();
    if (block == nullptr) return nullptr;
    plat::tls_set(block);
    thread_table_enter(block);
    return block;
}

void thread_block_release(ThreadState* block) noexcept {
    if (block == nullptr || block == &g_fallback) return;
    thread_table_remove(block);
    if (g_slot_open.load(std::memory_order_acquire) && plat::tls_get() == block) plat::tls_set(nullptr);
    thread_block_free(block);
}
