// Module lifecycle: what the module does at load, unload and at the start and
// end of each thread. The platform layer calls these from its notifications.
#pragma once

// Process attach. Creates the module lock and the thread-local slot, runs the
// load-time checks and the thread-attach steps for the loading thread. On
// failure everything made so far is released and false is returned: the load
// must fail.
bool ModuleProcessAttach(void* moduleHandle) noexcept;

// Process detach: wipes the process-wide generator state, frees the calling
// thread's block and every registered block, releases the slot and the lock.
void ModuleProcessDetach() noexcept;

// Thread attach: gives the thread its block. False when it cannot be allocated
// (the thread then gets one at its first call).
bool ModuleThreadAttach() noexcept;

// Thread detach with the ending thread's block (which may be null: then
// nothing is created and nothing is freed).
void ModuleThreadDetach(void* block) noexcept;

// True between a successful process attach and process detach.
bool module_is_attached() noexcept;

// The module handle kept at process attach.
void* module_handle() noexcept;

// Load-time checks, each true when it passes. They run in this order at load.
bool SelfIntegrityTest() noexcept;
bool PowerUpTestsPass() noexcept;
bool RngHealthCheckPasses() noexcept;
