#include "core/lifecycle.h"

#include "core/fatal.h"
#include "core/thread_blocks.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/generator.h"
#include "rng/stir.h"

namespace {
bool g_attached = false;
void* g_module = nullptr;
}  // namespace

bool module_is_attached() noexcept { return g_attached; }
void* module_handle() noexcept { return g_module; }

bool SelfIntegrityTest() noexcept { return true; }
bool PowerUpTestsPass() noexcept { return true; }
bool RngHealthCheckPasses() noexcept { return RngHealthCheck(2) == 0; }

bool ModuleProcessAttach(void* moduleHandle) noexcept {
    g_module = moduleHandle;
    plat::lock_init();
    if (!thread_slot_open()) {
        plat::lock_destroy();
        return false;
    }
    g_attached = true;
    bool ok = true;
    if (!SelfIntegrityTest()) {
        ReportFatal("Software self-integrity test failed. Application terminated", kEventIntegrityFailed);
        ok = false;
    } else if (!PowerUpTestsPass()) {
        ReportFatal("Failed Power-up tests. Application terminated", kEventPowerUpFailed);
        ok = false;
    } else if (!RngHealthCheckPasses()) {
        ReportFatal("PRNG health check failed. Cryptographic services are not available",
                    kEventRngHealthFailed);
        ok = false;
    }
    if (ok) ok = ModuleThreadAttach();
    if (!ok) ModuleProcessDetach();
    return ok;
}

bool ModuleThreadAttach() noexcept {
    if (!g_attached) return false;
    ThreadState* block = thread_block_own();
    if (block == nullptr) return false;
    // The thread's first entropy sample (straight into the pools: the new
    // block stays zero-filled).
    rng_stir_thread_start();
    return true;
}

void ModuleThreadDetach(void* block) noexcept {
    // A thread that never had a block of its own (or ran on the shared
    // fallback block) leaves nothing to free, and no block is made for it.
    // Its waiting entropy samples reach the pools, and its generator leaves
    // the live instances if it was instantiated; the block, generator state
    // and all, is wiped when it is freed.
    ThreadState* ts = static_cast<ThreadState*>(block);
    if (ts != nullptr && ts != fallback_state()) rng_thread_end(&ts->workspace.rng);
    thread_block_release(ts);
}

void ModuleForkPrepare() noexcept {
    if (!g_attached) return;
    plat::lock_enter();
    entropy_pools_lock_all();
}

void ModuleForkParent() noexcept {
    if (!g_attached) return;
    entropy_pools_unlock_all();
    plat::lock_leave();
}

void ModuleForkChild() noexcept {
    if (!g_attached) return;
    entropy_pools_unlock_all();
    // The module lock was taken by the parent's thread; the child's only
    // thread starts with a fresh one.
    plat::lock_init();
}

void ModuleProcessDetach() noexcept {
    if (!g_attached) return;
    entropy_wipe();
    thread_slot_close();
    g_attached = false;
    plat::lock_destroy();
}
