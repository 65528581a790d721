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
// notification's result (only process attach can fail).
bool dispatch(HMODULE module, DWORD reason) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            g_module = module;
            g_start_ms = GetTickCount();
            return ModuleProcessAttach(module);
        case DLL_THREAD_ATTACH:
            ModuleThreadAttach();
            return true;
        case DLL_THREAD_DETACH:
            ModuleThreadDetach(plat::tls_get());
            return true;
        case DLL_PROCESS_DETACH:
            ModuleProcessDetach();
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

}  // namespace plat

#if defined(TESSALIB_SHARED_MODULE)

// The DLL's entry point. A failed process attach has already released what it
// made; returning FALSE makes the load fail.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    return dispatch(instance, reason) ? TRUE : FALSE;
}

#else  // linked statically into a program

namespace {

// Called by the loader for the program's process and thread notifications. A
// program cannot refuse to start: when a load-time check fails the failure
// has been reported and the process ends with status 1, so that no library
// function can run on a module that failed its checks.
void NTAPI tls_notification(PVOID module, DWORD reason, PVOID /*reserved*/) {
    if (!dispatch(static_cast<HMODULE>(module), reason) && reason == DLL_PROCESS_ATTACH) plat::exit_process(1);
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
