#include "core/lifecycle.h"

#include <atomic>

#include "core/fatal.h"
#include "core/power_up.h"
#include "core/thread_blocks.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/generator.h"
#include "rng/stir.h"

namespace {
void* g_module = nullptr;

// Thread ends running now (POSIX runs them on the ending threads while
// another thread may unload). Process detach waits for them, so that no
// thread end is halfway through its block when the blocks are freed.
std::atomic<int> g_thread_ends{0};
constexpr uint32_t kThreadEndWaitMs = 1000;

void wait_for_thread_ends() noexcept {
    for (uint32_t waited = 0; g_thread_ends.load(std::memory_order_seq_cst) > 0 && waited < kThreadEndWaitMs; ++waited)
        plat::sleep_ms(1);
}

// The load-time checks in order; false after the failing one's report.
bool load_time_checks_pass() noexcept {
    if (!SelfIntegrityTestPasses()) {
        ReportFatal("Software self-integrity test failed. Application terminated", kEventIntegrityFailed);
        return false;
    }
    if (RunPowerUpTests() != 0) {
        ReportFatal("Failed Power-up tests. Application terminated", kEventPowerUpFailed);
        return false;
    }
    if (!RngHealthCheckPasses()) {
        ReportFatal("PRNG health check failed. Cryptographic services are not available", kEventRngHealthFailed);
        return false;
    }
    return true;
}
}  // namespace

void* module_handle() noexcept { return g_module; }

bool ModuleProcessAttach(void* moduleHandle, LoadFailure onFailure) noexcept {
    if (module_state() != ModuleState::kDetached) return true;  // attached already
    g_module = moduleHandle;
    plat::lock_init();
    const bool slot = thread_slot_open();
    if (!slot && onFailure == LoadFailure::kFailTheLoad) {
        plat::lock_destroy();
        return false;
    }
    module_set_state(ModuleState::kLoading);
    if (slot && load_time_checks_pass()) {
        // The loading thread's attach steps: with the DLL their failure fails
        // the load; elsewhere the thread gets its block at its first call.
        const bool attached = ModuleThreadAttach();
        if (attached || onFailure == LoadFailure::kRefuseCalls) {
            module_set_state(ModuleState::kReady);
            return true;
        }
    }
    if (onFailure == LoadFailure::kFailTheLoad) {
        ModuleProcessDetach(false);
        return false;
    }
    module_set_state(ModuleState::kFailed);
    return slot;
}

bool ModuleThreadAttach() noexcept {
    const ModuleState s = module_state();
    if (s != ModuleState::kLoading && s != ModuleState::kReady) return false;
    ThreadState* block = thread_block_own();
    if (block == nullptr) return false;
    // The thread's first entropy sample (straight into the pools: the new
    // block stays zero-filled).
    rng_stir_thread_start();
    return true;
}

void ModuleThreadDetach(void* slot) noexcept {
    g_thread_ends.fetch_add(1, std::memory_order_seq_cst);
    if (module_is_attached()) {
        // The waiting entropy samples reach the pools, and an instantiated
        // generator leaves the live instances; the block, generator state and
        // all, is wiped when it is freed.
        if (ThreadState* ts = thread_block_claim(slot)) {
            rng_thread_end(&ts->workspace.rng);
            thread_block_free(ts);
        }
    } else if (module_state() == ModuleState::kUnloading) {
        // The unload frees every entered block; one that was never entered
        // is this thread's alone.
        thread_block_free(thread_block_claim(slot));
    }
    g_thread_ends.fetch_sub(1, std::memory_order_seq_cst);
}

void ModuleForkPrepare() noexcept {
    if (!module_is_attached()) return;
    plat::lock_enter();
    entropy_pools_lock_all();
}

void ModuleForkParent() noexcept {
    if (!module_is_attached()) return;
    entropy_pools_unlock_all();
    plat::lock_leave();
}

void ModuleForkChild() noexcept {
    if (!module_is_attached()) return;
    entropy_pools_unlock_all();
    // The module lock was taken by the parent's thread; the child's only
    // thread starts with a fresh one.
    plat::lock_init();
}

void ModuleProcessDetach(bool processEnding) noexcept {
    const ModuleState s = module_state();
    if (s == ModuleState::kDetached || s == ModuleState::kUnloading) return;
    // From here on every export refuses at its entry and no block is made.
    module_set_state(ModuleState::kUnloading);
    if (!processEnding) wait_for_thread_ends();
    entropy_wipe();
    if (!processEnding) {
        thread_slot_close();
        plat::lock_destroy();
    }
    module_set_state(ModuleState::kDetached);
}
