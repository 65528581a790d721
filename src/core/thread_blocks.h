// The per-thread blocks: where each thread's ThreadState is made, found and
// freed. A thread's block lives in the thread-local slot and is entered in
// the thread table, so that unloading can free the blocks of every thread;
// a thread whose own block cannot be made runs on the shared fallback block.
//
// The call frame finds blocks here (GetThreadState); the module lifecycle
// opens and closes the slot and makes and frees blocks at thread attach and
// detach. Neither of them keeps blocks of its own.
#pragma once
#include "core/workspace.h"

// Number of entries of the table of registered thread blocks.
constexpr int kThreadTableSize = 1088;

// --- The slot: open from process attach to process detach -------------------
// Allocates the thread-local slot. False when the system has none to give.
// Runs under no other thread's calls (the loader serialises it).
bool thread_slot_open() noexcept;
// Frees the calling thread's block (entered or not), then every block still
// entered, then the slot. Afterwards threads get no block of their own (see
// thread_block_own).
void thread_slot_close() noexcept;

// --- The calling thread ------------------------------------------------------
// The calling thread's own block. When it has none, a zero-filled block is
// made, stored in the slot and entered in the first empty entry of the table
// (when the table is full it is used but not entered, and its thread alone
// frees it). Null when the slot is not open, the module is unloading or
// memory is short: the caller decides what then (the frame falls back on
// fallback_state, thread attach fails).
ThreadState* thread_block_own() noexcept;
// A thread's end, with the thread's slot value (null, the fallback block or
// its own block): takes the block out of the table and out of the slot, and
// returns it for the caller to finish and free. Null when there is nothing to
// free: no block, the fallback block, or a block the unloading module has
// taken (and freed) already.
ThreadState* thread_block_claim(void* slot) noexcept;

// --- The pieces (the functions above are made of these) ----------------------
// The shared fallback block, zero at load.
ThreadState* fallback_state() noexcept;
// A zero-filled block, without any fatal report; null on failure.
ThreadState* thread_block_new() noexcept;
// Wipes and frees a block (never the fallback block; null does nothing).
void thread_block_free(ThreadState* block) noexcept;
// Enters a block in the first empty entry; false when the table is full (or
// the module is unloading).
bool thread_table_enter(ThreadState* block) noexcept;
// Empties the entry holding block; false when no entry holds it.
bool thread_table_remove(ThreadState* block) noexcept;
// Frees every block still entered and empties the table.
void thread_table_free_all() noexcept;
// Number of blocks currently entered.
int thread_table_count() noexcept;
