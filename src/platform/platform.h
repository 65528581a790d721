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
#include <cstdio>
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

// --- The library's own file (the self-integrity test) ------------------------
// File handles as the seed files use them (below).
using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;
enum class ModuleFile {
    kOpened,             // *f is the library's file, open for reading
    kLinkedIntoProgram,  // the internal static library: no file of its own
    kCannotOpen,
};
ModuleFile module_file_open(FileHandle* f) noexcept;
// Reads the next piece: the number of bytes read, 0 at the end, -1 on error.
std::ptrdiff_t module_file_read(FileHandle f, uint8_t* out, std::size_t len) noexcept;
void module_file_close(FileHandle f) noexcept;

// --- Options of the fatal-error reporter -----------------------------------
// Reads afresh on every call. On POSIX the options file named by the
// environment (TESSALIB_OPTIONS_FILE) is honoured only where the environment
// can be trusted: not in a set-user-ID or set-group-ID program (secure_getenv),
// where the caller's environment must not choose the file the reporter reads
// nor, through it, the directory it appends its log to. option_dword: the 32-bit value of a numeric
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

// --- Entropy sources of the random generator --------------------------------
// The system time and the tick count at the resolution of the system's tick
// (a few milliseconds), which is what the Windows calls they stand for give
// and costs a few nanoseconds: the entropy sample at the entry of most
// exports reads them.
uint64_t system_time_coarse_100ns() noexcept;
uint32_t tick_ms_coarse() noexcept;
// The 56-byte memory status record (length 56, load, then the totals and
// availability of physical memory, page file and virtual memory as 64-bit
// little-endian numbers).
void memory_status(uint8_t record[56]) noexcept;
// The 12-byte power status record; false when the system reports no power
// supply at all (the event is then skipped).
bool power_status(uint8_t record[12]) noexcept;
// Free clusters (blocks) of the current drive (file system); false on failure.
bool free_clusters(uint32_t* count) noexcept;
// The user name / machine name into out (room bytes), NUL-terminated; returns
// the count the system reports (for the user name including the NUL, for the
// machine name without it), 0 on failure.
std::size_t user_name(char* out, std::size_t room) noexcept;
std::size_t machine_name(char* out, std::size_t room) noexcept;
// The volume serial number of the current drive; false on failure.
bool volume_serial(uint32_t* serial) noexcept;
// The value of an environment variable, null when it is not set.
const char* env_value(const char* name) noexcept;
// The process id.
uint32_t process_id() noexcept;
// Fills out with n bytes (at most 256) from the operating system's random
// generator; false when it cannot.
bool os_random(uint8_t* out, std::size_t n) noexcept;
// A number that changes in a child process after fork() (0 where there is
// no fork). A generator state made under one number is made afresh under
// another, so that parent and child never repeat each other's output.
uint32_t fork_generation() noexcept;
// Sleeps the calling thread.
void sleep_ms(uint32_t ms) noexcept;

// --- Worker threads ----------------------------------------------------------
// A lock with one condition to wait on, in storage its owner provides (the
// file functions' reader and writer thread and its caller share one).
struct Monitor {
    alignas(16) unsigned char storage[128];
};
// False when the system cannot make the lock; nothing is then to be destroyed.
bool monitor_init(Monitor* m) noexcept;
void monitor_destroy(Monitor* m) noexcept;
void monitor_enter(Monitor* m) noexcept;
void monitor_leave(Monitor* m) noexcept;
// Leaves the lock, waits until notified (or woken for no reason: callers
// test their condition again) and enters it again.
void monitor_wait(Monitor* m) noexcept;
void monitor_notify_all(Monitor* m) noexcept;
// A thread running fn(arg). The record stays in place until thread_join.
// The thread runs with every signal blocked (POSIX), so the host's signal
// handlers never run on it. False when the system cannot start one.
struct Thread {
    intptr_t handle;
    void (*fn)(void*);
    void* arg;
};
bool thread_start(Thread* t, void (*fn)(void*), void* arg) noexcept;
// Waits for the thread to end and releases it.
void thread_join(Thread* t) noexcept;

// --- Seed files ------------------------------------------------------------
// A file opened for reading and writing in binary mode (a descriptor or a
// handle), or kNoFile.
// Opens name for reading and writing. With create, a missing file is
// created (owner read and write only, 0600); an existing one is never
// truncated here. kNoFile on failure.
FileHandle seed_file_open(const char* name, bool create) noexcept;
// One attempt at an exclusive lock on the first `len` bytes, failing at
// once when another holder has it. The lock belongs to this open file, so
// it excludes other threads of the same process too.
bool seed_file_try_lock(FileHandle f, uint32_t len) noexcept;
void seed_file_unlock(FileHandle f, uint32_t len) noexcept;
// Reads up to len bytes from offset 0; returns the count read (0 on error).
std::size_t seed_file_read(FileHandle f, uint8_t* out, std::size_t len) noexcept;
// Cuts the file to 0 bytes; false on failure.
bool seed_file_truncate(FileHandle f) noexcept;
// Writes len bytes at offset 0; returns the count written.
std::size_t seed_file_write(FileHandle f, const uint8_t* data, std::size_t len) noexcept;
// Flushes the file to the disk and closes it; false when either fails.
bool seed_file_close(FileHandle f, bool flush) noexcept;

// --- File identity ---------------------------------------------------------
// What tells two names of one file apart from two files: the device and inode
// number (POSIX), the volume serial number and file index (Windows).
struct FileIdentity {
    uint64_t volume;
    uint64_t index;
};
// The identity of the file `path` names, following symbolic links. False
// when it cannot be had (the file does not exist, or cannot be examined).
bool file_identity(const char* path, FileIdentity* out) noexcept;
// True when both names can be examined and are the same file (so "./a",
// "a", a hard or symbolic link to it and, where names ignore case, "A").
inline bool same_file(const char* a, const char* b) noexcept {
    FileIdentity x, y;
    return file_identity(a, &x) && file_identity(b, &y) && x.volume == y.volume && x.index == y.index;
}

// --- Files of the file functions ---------------------------------------------
// What a path names, links followed.
enum class FileKind { kMissing, kRegular, kDirectory, kOther };
FileKind file_kind(const char* path) noexcept;
// Deletes the directory entry `path` when it is a regular file or a symbolic
// link (the link itself, not what it points to); never a directory, a device
// (/dev/full, NUL), a pipe or a socket, whoever runs it. False when nothing
// was deleted.
bool delete_file(const char* path) noexcept;
// delete_file, except that where the system allows it the freeing of a
// regular file's storage (its cached pages and its blocks: the slow part of
// deleting a large file) is left for later: the file is held open across
// the deletion, *held receives the handle, and close_held_file(*held) frees
// the storage. *held is kNoFile where the storage went at once (Windows,
// where a name stays taken until the last handle closes; a file that cannot
// be opened for reading; a link).
bool delete_file_deferred(const char* path, FileHandle* held) noexcept;
void close_held_file(FileHandle held) noexcept;
// True when no one is meant to write the file: it has no write permission
// bit at all (POSIX, where root could write it anyway) or the read-only
// attribute (Windows).
bool file_read_only(const char* path) noexcept;
// Writes the stream's buffered bytes and has the system put the file's data
// on the storage device (fflush and fsync; fflush and FlushFileBuffers).
// False when either fails.
bool file_sync(std::FILE* f) noexcept;
// The size of the file `path` names, links followed; false when the
// system cannot say (no such file, or not one that has a size).
bool file_size(const char* path, uint64_t* size) noexcept;
// The size of the file open in the stream, in 64 bits whatever the runtime's
// long; false when the system cannot say.
bool stream_size(std::FILE* f, uint64_t* size) noexcept;

// --- Keyboard-entropy prompt -------------------------------------------------
// What the prompt loops report the user's input to (the random generator's
// prompt keeps the credits and the hash).
class PromptSink {
public:
    // A key went down or up; scan is bits 16 to 31 of the key message's lParam.
    // Returns true when the key was credited.
    virtual bool key(uint32_t scan, bool down) noexcept = 0;
    // The mouse moved (move) or its left button went down, at a screen point.
    virtual bool mouse(int32_t x, int32_t y, bool move) noexcept = 0;
    // The credit reached so far, in whole bits, and whether the target is met.
    virtual int32_t credit_bits() const noexcept = 0;
    virtual bool reached() const noexcept = 0;

protected:
    ~PromptSink() = default;
};
// The keyboard-entropy dialog: runs the dialog loop on the calling thread
// until the user presses OK. Returns kDialogDone, kDialogCannotCreate (no
// interaction happened) or, on systems without dialogs but with a terminal,
// kDialogUseConsole. cursor receives the cursor position taken before the
// dialog opens (0, 0 where there is none).
enum DialogResult { kDialogDone = 1, kDialogCannotCreate = 0, kDialogUseConsole = -1 };
void cursor_position(int32_t cursor[2]) noexcept;
int prompt_dialog(PromptSink* sink, int32_t target, const char* prompt) noexcept;
// The console: reads one key without echo. Returns the key's code, or -1 at
// the end of input or on a read error. console_begin/console_end bracket the
// reads (terminal settings are changed and restored there).
bool console_begin() noexcept;
int32_t console_read_key() noexcept;
void console_end() noexcept;
// Writes text to the console (standard output) and flushes it.
void console_write(const char* text) noexcept;

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
