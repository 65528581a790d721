// The call frame every export runs in, the per-thread state it works on and
// the guarded allocator. Chief header of the module core.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/module_state.h"
#include "core/workspace.h"
#include "tessalib.h"

// The calling thread's block, created (zero-filled) on first need and entered
// in the thread table (core/thread_blocks.h). Without memory, and outside the
// module's life (before load-time set-up, after unload), it returns the shared
// fallback block. Never fails, never records an error.
ThreadState* GetThreadState() noexcept;
ThreadWorkspace* GetThreadWorkspace() noexcept;

// Records code as the thread's last error when none is recorded yet in this
// call and code != 0 (by its absolute value). Returns code unchanged.
int32_t RecordError(int32_t code) noexcept;

// Guarded allocation: never returns null. A request above 0x3FFFFFFF bytes
// (elements for MemCalloc), or a failed one, is reported as fatal and ends
// the process with status 1. A size of 0 gives a 1-byte block.
// For the library's own fixed-size needs only: a size that comes from a
// caller goes to MemAllocChecked.
void* MemAlloc(std::size_t size) noexcept;
void* MemCalloc(std::size_t count, std::size_t elemSize) noexcept;
void MemFree(void* block) noexcept;

// Checked allocation for sizes that come from a caller: null when the block
// cannot be had (the caller then returns MEMORY_ERROR in its own sign), never
// a report and never the end of the process. A size of 0 gives a 1-byte
// block. Free with MemFree.
void* MemAllocChecked(std::size_t size) noexcept;

// Test hook, reachable only through the internal static library: checked
// allocations above `limit` bytes fail as if memory had run out. 0 removes
// the limit.
void mem_set_checked_limit(std::size_t limit) noexcept;

// --- The entry of every export ------------------------------------------------
// What an export is, for the one rule of a module that cannot serve: after a
// load-time check failed (where the load itself cannot fail) every export
// refuses without doing work, with TEST_FAILED_ERROR in its family's sign, or
// 0 for the handle and value classes; one that runs the frame records 23 as
// the thread's last error. While the module unloads, an export refuses in the
// same way and touches nothing (no block, no lock).
enum class ResultClass : uint8_t { kStatus, kLength, kHandle, kValue };
struct ExportKind {
    ResultClass result;
    bool positive_codes;  // a Status export of a family that returns positive codes
    bool framed;          // clears and records the thread's last error
};
inline constexpr ExportKind kExportPositiveStatus{ResultClass::kStatus, true, true};
inline constexpr ExportKind kExportNegatedStatus{ResultClass::kStatus, false, true};
inline constexpr ExportKind kExportLength{ResultClass::kLength, false, true};
inline constexpr ExportKind kExportHandle{ResultClass::kHandle, false, true};
inline constexpr ExportKind kExportValue{ResultClass::kValue, false, true};
// The exports outside the frame (they neither clear nor record).
inline constexpr ExportKind kUnframedPositiveStatus{ResultClass::kStatus, true, false};
inline constexpr ExportKind kUnframedLength{ResultClass::kLength, false, false};
inline constexpr ExportKind kUnframedHandle{ResultClass::kHandle, false, false};
inline constexpr ExportKind kUnframedValue{ResultClass::kValue, false, false};

struct FrameRefusal {
    bool refused;
    int32_t result;  // what the export returns when refused
    explicit operator bool() const noexcept { return refused; }
};

// The refusal of an export of this kind (records where the kind records and
// the module is in its failed state).
FrameRefusal frame_refuse(ExportKind kind) noexcept;

// The first line of every export except the API_ information exports, which
// answer in every state:
//   if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
// When the module serves this costs one load and one branch.
inline FrameRefusal frame_entry(ExportKind kind) noexcept {
    if (__builtin_expect(module_serves(), 1)) return FrameRefusal{false, 0};
    return frame_refuse(kind);
}

// The same for an export whose whole work is one call (a body it shares with
// its namesakes, most often): its one line is
//   return frame_call(kExportPositiveStatus, [&] { return block_final(kAes, handle); });
template <typename Body>
inline int32_t frame_call(ExportKind kind, Body body) noexcept {
    if (const FrameRefusal refusal = frame_entry(kind)) return refusal.result;
    return static_cast<int32_t>(body());
}

// --- The export frame --------------------------------------------------------
// After its entry, every framed export starts with frame_begin (or
// frame_begin_stir for the exports that take an entropy sample at entry) and
// ends by passing its result through the recorder of its result class.

// Clears the thread's last error and returns its block.
ThreadState* frame_begin() noexcept;
// As frame_begin, then takes an entropy sample in the given mode (RngStirMode).
ThreadState* frame_begin_stir(int mode) noexcept;

// The API_ information exports, which answer in every state of the module:
// the calling thread's block while the module is attached, the shared
// fallback block while it unloads (the thread's own may be freed then).
ThreadState* frame_info_state() noexcept;
// Their frame: clears the last error (of the block above).
void frame_info_begin() noexcept;

// Status class: any nonzero result is recorded.
inline int32_t frame_status(int32_t result) noexcept { return RecordError(result); }
// Length class: only a negative result is recorded.
inline int32_t frame_length(int32_t result) noexcept {
    if (result < 0) RecordError(result);
    return result;
}
// Engines report a failure as a negated code; the families whose exports
// return positive codes turn the engine's result with this.
inline int32_t positive_code(int32_t rc) noexcept { return rc < 0 ? -rc : rc; }
// Handle class: on failure (handle 0) the family's init error is recorded.
inline uint32_t frame_handle(uint32_t handle, int32_t initError) noexcept {
    if (handle == 0 && initError != 0) RecordError(initError);
    return handle;
}
