// The operating-system layer. Everything the library needs from the OS goes
// through these functions; posix.cpp and win32.cpp implement them. Nothing
// outside src/platform includes <windows.h> or POSIX headers.
//
// The module's load, unload and thread notifications are delivered by the
// platform file to the lifecycle functions of core/lifecycle.h:
//   POSIX: a constructor/destructor pair and a thread-specific-data destructor;
//   Win32: DllMain (the DLL) or a TLS callback (the internal static library).
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>

namespace plat {

// Directory separator of the platform's file names.
#if defined(_WIN32)
constexpr char kPathSep = '\\';
#else
constexpr char kPathSep = '/';
#endif

// --- Thread-local slot -----------------------------------------------------
// One slot per process holding each thread's ThreadState address.
// tls_alloc returns false when the system has no slot to give.
bool tls_alloc() noexcept;
void tls_free() noexcept;
void* tls_get() noexcept;
void tls_set(void* value) noexcept;

// --- Module lock -----------------------------------------------------------
// One recursive lock (a critical section on Windows).
void lock_init() noexcept;
void lock_destroy() noexcept;
void lock_enter() noexcept;
void lock_leave() noexcept;

// --- File names ------------------------------------------------------------
// Full path of the library's own file / of the host executable, NUL-terminated,
// truncated to fit `room` bytes. Returns the length written (0 when unknown).
std::size_t module_path(char* out, std::size_t room) noexcept;
std::size_t exe_path(char* out, std::size_t room) noexcept;

// --- Options of the fatal-error reporter -----------------------------------
// Reads afresh on every call. option_dword: the 32-bit value of a numeric
// option, 0 when missing or unreadable. option_string: the text of a string
// option into a zero-filled buffer of `room` bytes (empty when missing); at
// most room - 1 bytes are kept so the result is always NUL-terminated.
uint32_t option_dword(const char* name) noexcept;
void option_string(const char* name, char* out, std::size_t room) noexcept;

// --- Reporting channels ----------------------------------------------------
// One error-level event with the event code and the message (Windows event
// log under the source "Tessalib"; syslog on POSIX). Failures are silent.
void event_log(uint32_t event_code, const char* message) noexcept;
// A message to the user with the given caption (a modal box on Windows; one
// line on standard error, never blocking, on POSIX).
void message_box(const char* message, const char* caption) noexcept;

// --- Time and identity -----------------------------------------------------
// System time as 100 ns units since 1601-01-01 UTC.
uint64_t system_time_100ns() noexcept;
// Milliseconds from an arbitrary fixed origin (wraps after 49.7 days).
uint32_t tick_ms() noexcept;
// Milliseconds since the module was loaded (or since the process started).
uint32_t ms_since_start() noexcept;
// Seconds since 1970-01-01 UTC.
int64_t unix_seconds() noexcept;
// The local time now, as broken-down time. False when unavailable.
bool local_time_now(std::tm* out) noexcept;
// An identifier of the calling thread.
uint32_t thread_id() noexcept;

// --- Short path names ------------------------------------------------------
// The short (8.3) form of a UTF-16 path, as GetShortPathNameW does: with
// out == nullptr or a too-small cap, returns the size needed in UTF-16 units
// including the terminating 0; otherwise writes the path and returns its length
// without the 0. Returns 0 on failure with *sys_error set (2 file not found,
// 3 path not found, anything else another failure). POSIX has no short names:
// an existing path is returned unchanged.
uint32_t short_path(const uint16_t* path, uint16_t* out, uint32_t cap, uint32_t* sys_error) noexcept;

// --- Process end -----------------------------------------------------------
// Ends the process at once with the given status (after a fatal report).
[[noreturn]] void exit_process(int status) noexcept;

}  // namespace plat
