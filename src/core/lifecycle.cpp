#include "core/lifecycle.h"

#include "core/fatal.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "platform/platform.h"
#include "rng/stir.h"

namespace {
bool g_attached = false;
void* g_module = nullptr;
}  // namespace

bool module_is_attached() noexcept { return g_attached; }
void* module_handle() noexcept { return g_module; }

// The checks below pass until their subsystems provide them.
bool SelfIntegrityTest() noexcept { return true; }
bool PowerUpTestsPass() noexcept { return true; }
bool RngHealthCheckPasses() noexcept { return true; }

bool ModuleProcessAttach(void* moduleHandle) noexcept {
    g_module = moduleHandle;
    plat::lock_init();
    if (!plat::tls_alloc()) {
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
    ThreadState* block = thread_block_new();
    if (block == nullptr) return false;
    plat::tls_set(block);
    thread_table_enter(block);
    // The thread's first entropy sample.
    RngStir(&block->workspace.rng, RNG_STIR_FAST);
    return true;
}

void ModuleThreadDetach(void* block) noexcept {
    ThreadState* ts = static_cast<ThreadState*>(block);
    // A thread that never had a block of its own (or ran on the shared
    // fallback block) leaves nothing to free.
    if (ts == nullptr || ts == fallback_state()) return;
    secure_wipe_obj(ts->workspace.rng);
    thread_table_remove(ts);
    thread_block_free(ts);
    if (g_attached) plat::tls_set(nullptr);
}

void ModuleProcessDetach() noexcept {
    if (!g_attached) return;
    void* own = plat::tls_get();
    if (own != nullptr) {
        thread_table_remove(static_cast<ThreadState*>(own));
        thread_block_free(static_cast<ThreadState*>(own));
        plat::tls_set(nullptr);
    }
    thread_table_free_all();
    g_attached = false;
    plat::tls_free();
    plat::lock_destroy();
}
