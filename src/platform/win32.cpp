// Win32 implementation of the platform layer (64-bit Windows).
//
// Module notifications: the DLL (built with TESSALIB_SHARED_MODULE) receives
// them in DllMain; the internal static library, linked into a program, has no
// entry point of its own and receives the same notifications through a TLS
// callback of the program. Exactly one of the two is compiled into a module.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>
#include <io.h>
#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/lifecycle.h"
#include "platform/platform.h"

namespace {

DWORD g_tls_index = TLS_OUT_OF_INDEXES;
CRITICAL_SECTION g_lock;
HMODULE g_module = nullptr;
DWORD g_start_ms = 0;

// The reporter's options: values under this key of HKEY_LOCAL_MACHINE, opened
// read-only (STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS |
// KEY_NOTIFY, that is KEY_READ).
constexpr const char* kOptionsKey = "Software\\Quorvane\\Tessaly\\Options";
constexpr REGSAM kOptionsAccess = 0x20019;

constexpr const char* kEventSource = "Tessalib";

// The keyboard-entropy dialog (resource 101) and its controls.
constexpr int kPromptDialog = 101;
constexpr int kPromptProgress = 1000;
constexpr int kPromptText = 1001;
constexpr int kPromptOk = 1;
constexpr int kPromptClickMe = 2;

// The console prompt's input and its saved mode.
HANDLE g_console_in = nullptr;
DWORD g_console_mode = 0;
bool g_console_is_console = false;

// The dialog procedure: "Click me!" hides itself; "OK" destroys the dialog and
// clears the caller's handle, whose location came with WM_INITDIALOG.
INT_PTR CALLBACK prompt_dialog_proc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dlg, DWLP_USER, lparam);
        return FALSE;  // the caller sets the focus
    }
    if (msg != WM_COMMAND) return FALSE;
    if (LOWORD(wparam) == kPromptClickMe) {
        ShowWindow(GetDlgItem(dlg, kPromptClickMe), SW_HIDE);
        return TRUE;
    }
    if (LOWORD(wparam) == kPromptOk && HIWORD(wparam) == BN_CLICKED) {
        HWND* handle = reinterpret_cast<HWND*>(GetWindowLongPtrA(dlg, DWLP_USER));
        DestroyWindow(dlg);
        if (handle != nullptr) *handle = nullptr;
        return TRUE;
    }
    return FALSE;
}
constexpr UINT kMessageBoxStyle = 0x10;  // MB_OK | MB_ICONERROR

// Copies the file name of `module` (null: the program) into out.
std::size_t module_file_name(HMODULE module, char* out, std::size_t room) {
    if (room == 0) return 0;
    out[0] = '\0';
    const DWORD cap = room > 0x7FFFFFFF ? 0x7FFFFFFFu : static_cast<DWORD>(room);
    const DWORD got = GetModuleFileNameA(module, out, cap);
    if (got == 0) {
        out[0] = '\0';
        return 0;
    }
    // A name that does not fit is cut at cap characters, possibly without a NUL.
    std::size_t n = got;
    if (n >= room) n = room - 1;
    out[n] = '\0';
    return n;
}

// Reads one value of the options key into buf (at most *size bytes, any
// registry type). False when the key or the value is missing or unreadable.
bool read_option_value(const char* name, void* buf, DWORD* size) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOptionsKey, 0, kOptionsAccess, &key) != ERROR_SUCCESS) return false;
    const LONG rc = RegQueryValueExA(key, name, nullptr, nullptr, static_cast<BYTE*>(buf), size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// Routes one loader notification to the module lifecycle. Returns the
// notification's result (only process attach can fail). A failed load-time
// check fails the DLL's load; a program that links the library cannot refuse
// to start, and keeps running with the module in its failed state. reserved
// is not null at process detach when the whole process is ending.
bool dispatch(HMODULE module, DWORD reason, void* reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            g_module = module;
            g_start_ms = GetTickCount();
#if defined(TESSALIB_SHARED_MODULE)
            return ModuleProcessAttach(module, LoadFailure::kFailTheLoad);
#else
            return ModuleProcessAttach(module, LoadFailure::kRefuseCalls);
#endif
        case DLL_THREAD_ATTACH:
            ModuleThreadAttach();
            return true;
        case DLL_THREAD_DETACH:
            ModuleThreadDetach(plat::tls_get());
            return true;
        case DLL_PROCESS_DETACH:
            ModuleProcessDetach(reserved != nullptr);
            return true;
        default:
            return true;
    }
}

}  // namespace

namespace plat {

bool tls_alloc() noexcept {
    g_tls_index = TlsAlloc();
    return g_tls_index != TLS_OUT_OF_INDEXES;
}

void tls_free() noexcept {
    if (g_tls_index != TLS_OUT_OF_INDEXES) TlsFree(g_tls_index);
    g_tls_index = TLS_OUT_OF_INDEXES;
}

void* tls_get() noexcept {
    if (g_tls_index == TLS_OUT_OF_INDEXES) return nullptr;
    // TlsGetValue clears the thread's last error on success; callers such as
    // the short-path query read it afterwards, so keep it.
    const DWORD saved = GetLastError();
    void* value = TlsGetValue(g_tls_index);
    SetLastError(saved);
    return value;
}

void tls_set(void* value) noexcept {
    if (g_tls_index != TLS_OUT_OF_INDEXES) TlsSetValue(g_tls_index, value);
}

// A critical section may be entered again by the thread that holds it.
void lock_init() noexcept { InitializeCriticalSection(&g_lock); }
void lock_destroy() noexcept { DeleteCriticalSection(&g_lock); }
void lock_enter() noexcept { EnterCriticalSection(&g_lock); }
void lock_leave() noexcept { LeaveCriticalSection(&g_lock); }

std::size_t module_path(char* out, std::size_t room) noexcept {
    if (g_module == nullptr) {
        if (room > 0) out[0] = '\0';
        return 0;
    }
    return module_file_name(g_module, out, room);
}

std::size_t exe_path(char* out, std::size_t room) noexcept { return module_file_name(nullptr, out, room); }

ModuleFile module_file_open(FileHandle* f) noexcept {
    *f = kNoFile;
#if defined(TESSALIB_SHARED_MODULE)
    // The wide name, so that a folder whose name the ANSI code page cannot
    // spell still opens.
    static wchar_t name[32768];  // loader notifications are serialised
    const DWORD got = GetModuleFileNameW(g_module, name, 32768);
    if (got == 0 || got >= 32768) return ModuleFile::kCannotOpen;
    HANDLE h = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ModuleFile::kCannotOpen;
    *f = reinterpret_cast<FileHandle>(h);
    return ModuleFile::kOpened;
#else
    return ModuleFile::kLinkedIntoProgram;
#endif
}

std::ptrdiff_t module_file_read(FileHandle f, uint8_t* out, std::size_t len) noexcept {
    DWORD n = 0;
    const DWORD want = len > 0x40000000u ? 0x40000000u : static_cast<DWORD>(len);
    if (!ReadFile(reinterpret_cast<HANDLE>(f), out, want, &n, nullptr)) return -1;
    return static_cast<std::ptrdiff_t>(n);
}

void module_file_close(FileHandle f) noexcept {
    if (f != kNoFile) CloseHandle(reinterpret_cast<HANDLE>(f));
}

uint32_t option_dword(const char* name) noexcept {
    // Up to four bytes into an integer that starts at 0, whatever the type.
    uint32_t value = 0;
    DWORD size = sizeof value;
    if (!read_option_value(name, &value, &size)) return 0;
    return value;
}

void option_string(const char* name, char* out, std::size_t room) noexcept {
    if (room == 0) return;
    std::memset(out, 0, room);
    DWORD size = room > 0xFFFF ? 0xFFFFu : static_cast<DWORD>(room);
    if (!read_option_value(name, out, &size)) {
        std::memset(out, 0, room);  // a failed read may have left bytes behind
        return;
    }
    out[room - 1] = '\0';
}

void event_log(uint32_t event_code, const char* message) noexcept {
    // Every 64-bit Windows is of the NT family, which has the event log.
    HANDLE source = RegisterEventSourceA(nullptr, kEventSource);
    if (source == nullptr) return;
    const char* strings[1] = {message};
    ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, static_cast<DWORD>(event_code), nullptr, 1, 0, strings,
                 nullptr);
    DeregisterEventSource(source);
}

void message_box(const char* message, const char* caption) noexcept {
    MessageBoxA(nullptr, message, caption, kMessageBoxStyle);
}

uint64_t system_time_100ns() noexcept {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

uint32_t tick_ms() noexcept { return static_cast<uint32_t>(GetTickCount()); }

uint32_t ms_since_start() noexcept { return static_cast<uint32_t>(GetTickCount() - g_start_ms); }

int64_t unix_seconds() noexcept { return static_cast<int64_t>(_time64(nullptr)); }

bool local_time_now(std::tm* out) noexcept {
    const __time64_t now = _time64(nullptr);
    // The runtime's localtime keeps its result per thread; copy it out at once.
    const std::tm* local = _localtime64(&now);
    if (local == nullptr) return false;
    *out = *local;
    return true;
}

uint32_t thread_id() noexcept { return static_cast<uint32_t>(GetCurrentThreadId()); }

uint32_t short_path(const uint16_t* path, uint16_t* out, uint32_t cap, uint32_t* sys_error) noexcept {
    static_assert(sizeof(wchar_t) == sizeof(uint16_t), "UTF-16 units are wchar_t here");
    *sys_error = 0;
    if (out == nullptr) cap = 0;
    const DWORD got = GetShortPathNameW(reinterpret_cast<const wchar_t*>(path), reinterpret_cast<wchar_t*>(out),
                                        static_cast<DWORD>(cap));
    if (got == 0) {
        *sys_error = static_cast<uint32_t>(GetLastError());
        if (*sys_error == 0) *sys_error = ERROR_GEN_FAILURE;  // a failure always carries a reason
    }
    return static_cast<uint32_t>(got);
}

[[noreturn]] void exit_process(int status) noexcept {
    ExitProcess(static_cast<UINT>(status));
}

uint64_t system_time_coarse_100ns() noexcept { return system_time_100ns(); }
uint32_t tick_ms_coarse() noexcept { return static_cast<uint32_t>(GetTickCount()); }

void memory_status(uint8_t record[56]) noexcept {
    static_assert(sizeof(MEMORYSTATUS) == 56, "the 64-bit memory status record");
    MEMORYSTATUS ms;
    std::memset(&ms, 0, sizeof ms);
    ms.dwLength = sizeof ms;
    GlobalMemoryStatus(&ms);
    std::memcpy(record, &ms, 56);
}

bool power_status(uint8_t record[12]) noexcept {
    static_assert(sizeof(SYSTEM_POWER_STATUS) == 12, "the power status record");
    SYSTEM_POWER_STATUS ps;
    if (!GetSystemPowerStatus(&ps)) return false;
    std::memcpy(record, &ps, 12);
    return true;
}

bool free_clusters(uint32_t* count) noexcept {
    DWORD per_cluster = 0, bytes = 0, free = 0, total = 0;
    if (!GetDiskFreeSpaceA(nullptr, &per_cluster, &bytes, &free, &total)) return false;
    *count = free;
    return true;
}

std::size_t user_name(char* out, std::size_t room) noexcept {
    DWORD size = room > 0xFFFF ? 0xFFFFu : static_cast<DWORD>(room);
    if (!GetUserNameA(out, &size)) return 0;
    return size;  // with the NUL
}

std::size_t machine_name(char* out, std::size_t room) noexcept {
    DWORD size = room > 0xFFFF ? 0xFFFFu : static_cast<DWORD>(room);
    if (!GetComputerNameA(out, &size)) return 0;
    return size;  // without the NUL
}

bool volume_serial(uint32_t* serial) noexcept {
    DWORD s = 0;
    if (!GetVolumeInformationA(nullptr, nullptr, 0, &s, nullptr, nullptr, nullptr, 0)) return false;
    *serial = s;
    return true;
}

const char* env_value(const char* name) noexcept { return std::getenv(name); }

uint32_t process_id() noexcept { return static_cast<uint32_t>(GetCurrentProcessId()); }

bool os_random(uint8_t* out, std::size_t n) noexcept {
    if (n > 256) return false;
    return BCryptGenRandom(nullptr, out, static_cast<ULONG>(n), BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

uint32_t fork_generation() noexcept { return 0; }

void sleep_ms(uint32_t ms) noexcept { Sleep(ms); }

namespace {

struct WinMonitor {
    SRWLOCK lock;
    CONDITION_VARIABLE cond;
};
static_assert(sizeof(WinMonitor) <= sizeof(Monitor::storage), "monitor storage too small");

WinMonitor* win_monitor(Monitor* m) noexcept { return reinterpret_cast<WinMonitor*>(m->storage); }

unsigned __stdcall thread_trampoline(void* arg) {
    Thread* t = static_cast<Thread*>(arg);
    t->fn(t->arg);
    return 0;
}

}  // namespace

bool monitor_init(Monitor* m) noexcept {
    InitializeSRWLock(&win_monitor(m)->lock);
    InitializeConditionVariable(&win_monitor(m)->cond);
    return true;
}

void monitor_destroy(Monitor*) noexcept {}
void monitor_enter(Monitor* m) noexcept { AcquireSRWLockExclusive(&win_monitor(m)->lock); }
void monitor_leave(Monitor* m) noexcept { ReleaseSRWLockExclusive(&win_monitor(m)->lock); }
void monitor_wait(Monitor* m) noexcept {
    SleepConditionVariableSRW(&win_monitor(m)->cond, &win_monitor(m)->lock, INFINITE, 0);
}
void monitor_notify_all(Monitor* m) noexcept { WakeAllConditionVariable(&win_monitor(m)->cond); }

bool thread_start(Thread* t, void (*fn)(void*), void* arg) noexcept {
    t->fn = fn;
    t->arg = arg;
    // _beginthreadex rather than CreateThread: the thread uses the C
    // runtime's streams.
    const uintptr_t h = _beginthreadex(nullptr, 0, thread_trampoline, t, 0, nullptr);
    if (h == 0) return false;
    t->handle = static_cast<intptr_t>(h);
    return true;
}

void thread_join(Thread* t) noexcept {
    HANDLE h = reinterpret_cast<HANDLE>(t->handle);
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
}

FileHandle seed_file_open(const char* name, bool create) noexcept {
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return kNoFile;
    return reinterpret_cast<FileHandle>(h);
}

bool seed_file_try_lock(FileHandle f, uint32_t len) noexcept {
    OVERLAPPED ov;
    std::memset(&ov, 0, sizeof ov);
    return LockFileEx(reinterpret_cast<HANDLE>(f), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, len, 0,
                      &ov) != 0;
}

void seed_file_unlock(FileHandle f, uint32_t len) noexcept {
    OVERLAPPED ov;
    std::memset(&ov, 0, sizeof ov);
    UnlockFileEx(reinterpret_cast<HANDLE>(f), 0, len, 0, &ov);
}

// Reads or writes len bytes from offset 0; returns the count moved.
std::size_t seed_file_transfer(FileHandle f, uint8_t* buf, std::size_t len, bool write) noexcept {
    HANDLE h = reinterpret_cast<HANDLE>(f);
    if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
    std::size_t done = 0;
    while (done < len) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(len - done);
        const BOOL ok = write ? WriteFile(h, buf + done, want, &n, nullptr) : ReadFile(h, buf + done, want, &n, nullptr);
        if (!ok || n == 0) break;
        done += n;
    }
    return done;
}

std::size_t seed_file_read(FileHandle f, uint8_t* out, std::size_t len) noexcept {
    return seed_file_transfer(f, out, len, false);
}

bool seed_file_truncate(FileHandle f) noexcept {
    HANDLE h = reinterpret_cast<HANDLE>(f);
    return SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(h) != 0;
}

std::size_t seed_file_write(FileHandle f, const uint8_t* data, std::size_t len) noexcept {
    return seed_file_transfer(f, const_cast<uint8_t*>(data), len, true);
}

bool file_identity(const char* path, FileIdentity* out) noexcept {
    if (path == nullptr) return false;
    // No access asked for: the attributes can be read whatever the file's
    // sharing mode; directories need the backup-semantics flag.
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) return false;
    out->volume = info.dwVolumeSerialNumber;
    out->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

FileKind file_kind(const char* path) noexcept {
    const DWORD attrs = path != nullptr ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    if (attrs == INVALID_FILE_ATTRIBUTES) return FileKind::kMissing;
    if ((attrs & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::kDirectory;
    if ((attrs & FILE_ATTRIBUTE_DEVICE) != 0) return FileKind::kOther;
    return FileKind::kRegular;
}

bool delete_file(const char* path) noexcept {
    const DWORD attrs = path != nullptr ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return false;
    return DeleteFileA(path) != 0;
}

bool delete_file_deferred(const char* path, FileHandle* held) noexcept {
    *held = kNoFile;
    return delete_file(path);
}

void close_held_file(FileHandle) noexcept {}

bool file_read_only(const char* path) noexcept {
    const DWORD attrs = path != nullptr ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) != 0;
}

bool file_sync(std::FILE* f) noexcept {
    if (std::fflush(f) != 0 || std::ferror(f)) return false;
    const intptr_t h = _get_osfhandle(_fileno(f));
    return h != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(h)) != 0;
}

bool file_size(const char* path, uint64_t* size) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data) == 0) return false;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool stream_size(std::FILE* f, uint64_t* size) noexcept {
    const long long n = _filelengthi64(_fileno(f));
    if (n < 0) return false;
    *size = static_cast<uint64_t>(n);
    return true;
}

bool seed_file_close(FileHandle f, bool flush) noexcept {
    HANDLE h = reinterpret_cast<HANDLE>(f);
    bool ok = true;
    if (flush && !FlushFileBuffers(h)) ok = false;
    if (!CloseHandle(h)) ok = false;
    return ok;
}

void cursor_position(int32_t cursor[2]) noexcept {
    POINT pt = {0, 0};
    GetCursorPos(&pt);
    cursor[0] = pt.x;
    cursor[1] = pt.y;
}

int prompt_dialog(PromptSink* sink, int32_t target, const char* prompt) noexcept {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    HINSTANCE module = g_module != nullptr ? g_module : GetModuleHandleA(nullptr);
    HWND dlg = nullptr;
    dlg = CreateDialogParamA(module, MAKEINTRESOURCEA(kPromptDialog), nullptr, prompt_dialog_proc,
                             reinterpret_cast<LPARAM>(&dlg));
    if (dlg == nullptr) return kDialogCannotCreate;
    SendDlgItemMessageA(dlg, kPromptProgress, PBM_SETRANGE32, 0, static_cast<LPARAM>(target));
    if (prompt != nullptr && prompt[0] != '\0') SetDlgItemTextA(dlg, kPromptText, prompt);
    char caption[32];
    std::snprintf(caption, sizeof caption, "%d bits", static_cast<int>(target));
    SetWindowTextA(dlg, caption);
    EnableWindow(dlg, TRUE);
    SetFocus(GetDlgItem(dlg, kPromptClickMe));

    MSG msg;
    BOOL got = 0;
    while (dlg != nullptr && (got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        bool credited = false, taken = false;
        if (!sink->reached()) {
            switch (msg.message) {
                case WM_KEYDOWN:
                case WM_KEYUP:
                    credited = sink->key(static_cast<uint32_t>(msg.lParam) >> 16, msg.message == WM_KEYDOWN);
                    taken = true;
                    break;
                case WM_MOUSEMOVE:
                case WM_LBUTTONDOWN: {
                    POINT pt = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
                    ClientToScreen(msg.hwnd, &pt);
                    credited = sink->mouse(pt.x, pt.y, msg.message == WM_MOUSEMOVE);
                    break;
                }
                default:
                    break;
            }
            if (credited) {
                SendDlgItemMessageA(dlg, kPromptProgress, PBM_SETPOS, static_cast<WPARAM>(sink->credit_bits()), 0);
                if (sink->reached()) {
                    EnableWindow(GetDlgItem(dlg, kPromptOk), TRUE);
                    ShowWindow(GetDlgItem(dlg, kPromptClickMe), SW_HIDE);
                    SetFocus(GetDlgItem(dlg, kPromptOk));
                    MessageBeep(0xFFFFFFFF);
                }
            }
        }
        if (taken) continue;
        if (!IsDialogMessageA(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // A WM_QUIT meant for the caller's own loop is handed back to it.
    if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
    if (dlg != nullptr) DestroyWindow(dlg);
    return kDialogDone;
}

bool console_begin() noexcept {
    g_console_in = GetStdHandle(STD_INPUT_HANDLE);
    g_console_is_console = g_console_in != nullptr && g_console_in != INVALID_HANDLE_VALUE &&
                           GetConsoleMode(g_console_in, &g_console_mode) != 0;
    if (g_console_is_console)
        SetConsoleMode(g_console_in, g_console_mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT | ENABLE_LINE_INPUT));
    return true;
}

int32_t console_read_key() noexcept {
    if (g_console_in == nullptr || g_console_in == INVALID_HANDLE_VALUE) return -1;
    unsigned char c = 0;
    DWORD n = 0;
    if (!ReadFile(g_console_in, &c, 1, &n, nullptr) || n != 1) return -1;
    return c;
}

void console_end() noexcept {
    if (g_console_is_console) SetConsoleMode(g_console_in, g_console_mode);
    g_console_is_console = false;
    g_console_in = nullptr;
}

void console_write(const char* text) noexcept {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

}  // namespace plat

#if defined(TESSALIB_SHARED_MODULE)

// The DLL's entry point. A failed process attach has already released what it
// made; returning FALSE makes the load fail.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    return dispatch(instance, reason, reserved) ? TRUE : FALSE;
}

#else  // linked statically into a program

namespace {

// Called by the loader for the program's process and thread notifications. A
// program cannot refuse to start: when a load-time check fails the failure
// has been reported and the module stays in its failed state, in which every
// library function refuses its work.
void NTAPI tls_notification(PVOID module, DWORD reason, PVOID reserved) {
    dispatch(static_cast<HMODULE>(module), reason, reserved);
}

}  // namespace

// The loader finds TLS callbacks in the .CRT$XL* sections between the runtime's
// own (XLA and XLZ bracket the list); _tls_used is the program's TLS directory
// that points at that list, referenced so that it is always linked in.
extern "C" {
extern const IMAGE_TLS_DIRECTORY _tls_used;
__attribute__((section(".CRT$XLT"), used)) const PIMAGE_TLS_CALLBACK tessalib_tls_notification = tls_notification;
__attribute__((used)) const void* const tessalib_tls_directory = &_tls_used;
}

#endif
