// The module's state: whether its exports may do their work. Written only by
// the lifecycle (core/lifecycle.h) at load and unload; read by the first line
// of every export (frame_entry, core/frame.h) and by whatever must not touch
// the per-thread blocks, the module lock or the entropy accumulator once the
// module is being unloaded.
#pragma once
#include <atomic>
#include <cstdint>

enum class ModuleState : uint32_t {
    kDetached = 0,  // before process attach, and after process detach
    kLoading,       // process attach is running the load-time checks
    kReady,         // every load-time check passed: the exports work
    kFailed,        // a load-time check failed where the load itself cannot
                    // fail (Linux, and a program that links the library):
                    // the exports refuse, the API_ information exports answer
    kUnloading,     // process detach has begun: the exports refuse and touch
                    // no per-thread block, no lock and no accumulator
};

namespace module_state_detail {
extern std::atomic<ModuleState> g_state;
}

inline ModuleState module_state() noexcept {
    return module_state_detail::g_state.load(std::memory_order_acquire);
}

// True when the exports may do their work.
inline bool module_serves() noexcept { return module_state() == ModuleState::kReady; }

// True while the module lock, the thread-local slot and the accumulator exist
// and may be used: from the start of process attach to the start of process
// detach, whether the checks passed or not.
inline bool module_is_attached() noexcept {
    const ModuleState s = module_state();
    return s == ModuleState::kLoading || s == ModuleState::kReady || s == ModuleState::kFailed;
}

// For the lifecycle only.
inline void module_set_state(ModuleState s) noexcept {
    module_state_detail::g_state.store(s, std::memory_order_seq_cst);
}
