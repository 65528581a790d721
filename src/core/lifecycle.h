// Module lifecycle: what the module does at load, at unload and at the start
// and end of each thread. The platform layer calls these from its loader
// notifications. The per-thread blocks themselves are made and freed by
// core/thread_blocks.h; this file decides when. The module's state
// (core/module_state.h) is written here only.
#pragma once
#include "core/module_state.h"

// What a failed load-time check leads to. The DLL's loader lets a module
// refuse to load; a shared object (and a library linked into a program)
// cannot make its load fail, and must not end the process that loaded it.
enum class LoadFailure {
    kFailTheLoad,   // report, release everything, and fail the load
    kRefuseCalls,   // report, keep the lock and the slot, and enter the failed
                    // state: every export refuses from then on, the API_
                    // information exports answer
};

// Process attach: keeps the module handle, creates the module lock and the
// thread-local slot, runs the load-time checks in order (self-integrity test,
// power-up tests, the random generator's health check at level 2; the first
// that fails is reported with its event and the rest do not run), then the
// thread-attach steps for the loading thread. Returns false when the load
// must fail: always with kFailTheLoad after a failure (everything made so far
// is released first); with kRefuseCalls only when there is no thread-local
// slot to be had (no report), since then the module has entered its failed
// state instead.
bool ModuleProcessAttach(void* moduleHandle, LoadFailure onFailure) noexcept;

// Process detach: marks the module as unloading, so that no export starts
// new work and no new block is made; waits for thread ends in progress;
// wipes the entropy accumulator; frees the calling thread's block and every
// registered block; releases the slot and the lock. processEnding: the whole
// process is ending and its other threads are gone already (Windows), and
// may have left the lock held: then the accumulator is wiped and neither the
// lock nor any block is touched.
void ModuleProcessDetach(bool processEnding) noexcept;

// Thread attach: gives the calling thread its block and its first entropy
// sample. False when the block cannot be allocated (the thread then gets one
// at its first call) or the module does not serve.
bool ModuleThreadAttach() noexcept;

// Thread detach with the ending thread's slot value (null, the fallback
// block or its own block). Never creates a block and never touches the
// fallback block; frees the thread's own block unless the unloading module
// has taken it. An instantiated generator leaves the live instances.
void ModuleThreadDetach(void* slot) noexcept;

// Around fork(), where the system has it, in the forking thread: before, the
// module lock and then the entropy pools' locks are taken, so that the child
// never inherits a lock held by a thread it does not have, nor a pool half
// filled; after, the parent releases them and the child starts with free
// ones. Nothing is done while the module is not attached.
void ModuleForkPrepare() noexcept;
void ModuleForkParent() noexcept;
void ModuleForkChild() noexcept;

// The module handle kept at process attach.
void* module_handle() noexcept;
