#include "core/thread_blocks.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

#include "core/module_state.h"
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

// A block that could not be entered (the table was full) is stored in its
// thread's slot with this bit set: its thread alone frees it, and the thread's
// end can tell it from an entered block, which the unload may have freed
// already, without reading the block.
constexpr uintptr_t kNotEntered = 1;

ThreadState* block_of(void* slot) noexcept {
    return reinterpret_cast<ThreadState*>(reinterpret_cast<uintptr_t>(slot) & ~kNotEntered);
}
bool slot_entered(void* slot) noexcept { return (reinterpret_cast<uintptr_t>(slot) & kNotEntered) == 0; }

// Enters a block in the first empty entry, under the lock, unless the module
// is unloading (its table is being emptied). 1 entered, 0 table full,
// -1 refused.
int table_enter(ThreadState* block) noexcept {
    int result = 0;
    plat::lock_enter();
    if (!module_is_attached()) {
        result = -1;
    } else {
        for (int i = 0; i < kThreadTableSize; ++i) {
            if (g_thread_table[i] == nullptr) {
                g_thread_table[i] = block;
                if (i > g_thread_table_high) g_thread_table_high = i;
                result = 1;
                break;
            }
        }
    }
    plat::lock_leave();
    return result;
}

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

bool thread_table_enter(ThreadState* block) noexcept { return table_enter(block) == 1; }

bool thread_table_remove(ThreadState* block) noexcept {
    bool found = false;
    plat::lock_enter();
    for (int i = 0; i <= g_thread_table_high; ++i) {
        if (g_thread_table[i] == block) {
            g_thread_table[i] = nullptr;
            found = true;
            break;
        }
    }
    plat::lock_leave();
    return found;
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
    // The calling thread's block (entered or not), then every entered block.
    void* own = plat::tls_get();
    if (own != nullptr) {
        thread_table_remove(block_of(own));
        plat::tls_set(nullptr);
        thread_block_free(block_of(own));
    }
    thread_table_free_all();
    g_slot_open.store(false, std::memory_order_release);
    plat::tls_free();
}

ThreadState* thread_block_own() noexcept {
    if (!g_slot_open.load(std::memory_order_acquire)) return nullptr;
    void* slot = plat::tls_get();
    if (slot != nullptr) return block_of(slot);
    if (!module_is_attached()) return nullptr;  // unloading: no new blocks
    ThreadState* block = thread_block_new();
    if (block == nullptr) return nullptr;
    const int entered = table_enter(block);
    if (entered < 0) {
        thread_block_free(block);
        return nullptr;
    }
    plat::tls_set(entered == 1 ? static_cast<void*>(block)
                               : reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(block) | kNotEntered));
    return block;
}

ThreadState* thread_block_claim(void* slot) noexcept {
    ThreadState* block = block_of(slot);
    if (block == nullptr || block == &g_fallback) return nullptr;
    // An entered block belongs to whoever takes it out of the table: the
    // thread's end or the unload, never both.
    if (slot_entered(slot) && !thread_table_remove(block)) return nullptr;
    if (g_slot_open.load(std::memory_order_acquire) && plat::tls_get() == slot) plat::tls_set(nullptr);
    return block;
}
