// Module lifecycle: what the module does at load, at unload and at the start
// and end of each thread. The platform layer calls these from its loader
// notifications. The per-thread blocks themselves are made and freed by
// core/thread_blocks.h; this file decides when.
#pragma once

// Process attach: keeps the module handle, creates the module lock and the
// thread-local slot, runs the load-time checks, then the thread-attach steps
// for the loading thread. On failure everything made so far is released and
// false is returned: the load must fail.
bool ModuleProcessAttach(void* moduleHandle) noexcept;

// Process detach: wipes the entropy accumulator, frees the calling thread's
// block and every registered block, then releases the slot and the lock.
void ModuleProcessDetach() noexcept;

// Thread attach: gives the calling thread its block and its first entropy
// sample. False when the block cannot be allocated (the thread then gets one
// at its first call).
bool ModuleThreadAttach() noexcept;

// Thread detach with the ending thread's block (which may be null, or the
// fallback block: then nothing is created and nothing is freed).
void ModuleThreadDetach(void* block) noexcept;

// Around fork(), where the system has it, in the forking thread: before, the
// module lock and then the entropy pools' locks are taken, so that the child
// never inherits a lock held by a thread it does not have, nor a pool half
// filled; after, the parent releases them and the child starts with free
// ones. Nothing is done while the module is not attached.
void ModuleForkPrepare() noexcept;
void ModuleForkParent() noexcept;
void ModuleForkChild() noexcept;

// True between a successful process attach and process detach.
bool module_is_attached() noexcept;

// The module handle kept at process attach.
void* module_handle() noexcept;

// The load-time checks, in the order process attach runs them; a check that
// returns false fails the load with its fatal report. The integrity test and
// the power-up tests are not built yet and pass without checking anything;
// the random generator's health check runs at level 2.
bool SelfIntegrityTest() noexcept;
bool PowerUpTestsPass() noexcept;
bool RngHealthCheckPasses() noexcept;
