// POSIX implementation of the platform layer (Linux).
#include <dlfcn.h>
#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <syslog.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/lifecycle.h"
#include "platform/platform.h"

namespace {

pthread_key_t g_key;
bool g_key_valid = false;
pthread_mutex_t g_lock;
uint32_t g_start_ms = 0;

// Default location of the options file; TESSALIB_OPTIONS_FILE overrides it.
constexpr const char* kOptionsFile = "/etc/tessalib/options";
constexpr const char* kOptionsEnv = "TESSALIB_OPTIONS_FILE";

void on_thread_exit(void* block) { ModuleThreadDetach(block); }

// Finds `name` in the options file and copies its value (trimmed) into out.
bool find_option(const char* name, char* out, std::size_t room) {
    const char* path = std::getenv(kOptionsEnv);
    if (path == nullptr || path[0] == '\0') path = kOptionsFile;
    std::FILE* f = std::fopen(path, "r");
    if (f == nullptr) return false;
    char line[1024];
    bool found = false;
    const std::size_t name_len = std::strlen(name);
    while (std::fgets(line, sizeof line, f) != nullptr) {
        char* p = line;
        while (*p == ' ' || *p == '\t') ++p;
        if (*p == '#' || *p == ';') continue;
        if (std::strncmp(p, name, name_len) != 0) continue;
        char* q = p + name_len;
        while (*q == ' ' || *q == '\t') ++q;
        if (*q != '=') continue;
        ++q;
        while (*q == ' ' || *q == '\t') ++q;
        std::size_t n = std::strlen(q);
        while (n > 0 && (q[n - 1] == '\n' || q[n - 1] == '\r' || q[n - 1] == ' ' || q[n - 1] == '\t')) --n;
        if (n >= room) n = room - 1;
        std::memcpy(out, q, n);
        out[n] = '\0';
        found = true;  // the last occurrence wins
    }
    std::fclose(f);
    return found;
}

}  // namespace

namespace plat {

bool tls_alloc() noexcept {
    if (pthread_key_create(&g_key, on_thread_exit) != 0) return false;
    g_key_valid = true;
    return true;
}

void tls_free() noexcept {
    if (g_key_valid) pthread_key_delete(g_key);
    g_key_valid = false;
}

void* tls_get() noexcept { return g_key_valid ? pthread_getspecific(g_key) : nullptr; }

void tls_set(void* value) noexcept {
    if (g_key_valid) pthread_setspecific(g_key, value);
}

void lock_init() noexcept {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&g_lock, &attr);
    pthread_mutexattr_destroy(&attr);
}

void lock_destroy() noexcept { pthread_mutex_destroy(&g_lock); }
void lock_enter() noexcept { pthread_mutex_lock(&g_lock); }
void lock_leave() noexcept { pthread_mutex_unlock(&g_lock); }

std::size_t module_path(char* out, std::size_t room) noexcept {
    if (room == 0) return 0;
    out[0] = '\0';
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&module_path), &info) == 0 || info.dli_fname == nullptr) return 0;
    // dladdr gives the name the library was loaded by; make it absolute.
    char resolved[4096];
    const char* name = info.dli_fname;
    if (realpath(name, resolved) != nullptr) name = resolved;
    std::size_t n = std::strlen(name);
    if (n >= room) n = room - 1;
    std::memcpy(out, name, n);
    out[n] = '\0';
    return n;
}

std::size_t exe_path(char* out, std::size_t room) noexcept {
    if (room == 0) return 0;
    char buf[4096];
    const ssize_t got = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (got <= 0) {
        out[0] = '\0';
        return 0;
    }
    std::size_t n = static_cast<std::size_t>(got);
    if (n >= room) n = room - 1;
    std::memcpy(out, buf, n);
    out[n] = '\0';
    return n;
}

uint32_t option_dword(const char* name) noexcept {
    char value[64];
    if (!find_option(name, value, sizeof value)) return 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(value, &end, 0);
    if (end == value) return 0;
    return static_cast<uint32_t>(v);
}

void option_string(const char* name, char* out, std::size_t room) noexcept {
    if (room == 0) return;
    std::memset(out, 0, room);
    if (!find_option(name, out, room)) std::memset(out, 0, room);
}

void event_log(uint32_t event_code, const char* message) noexcept {
    openlog("Tessalib", LOG_PID | LOG_NDELAY, LOG_USER);
    syslog(LOG_ERR, "event 0x%08x: %s", static_cast<unsigned>(event_code), message);
    closelog();
}

void message_box(const char* message, const char* caption) noexcept {
    char line[1024];
    int n = std::snprintf(line, sizeof line, "%s: %s\n", caption, message);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) >= sizeof line) {
        n = static_cast<int>(sizeof line - 1);
        line[n - 1] = '\n';
    }
    // One write, and only when standard error can take it now.
    struct pollfd p = {STDERR_FILENO, POLLOUT, 0};
    if (poll(&p, 1, 0) == 1 && (p.revents & POLLOUT) != 0) {
        const ssize_t ignored = write(STDERR_FILENO, line, static_cast<std::size_t>(n));
        (void)ignored;
    }
}

uint64_t system_time_100ns() noexcept {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    // 11644473600 seconds lie between 1601-01-01 and 1970-01-01.
    return (static_cast<uint64_t>(ts.tv_sec) + 11644473600ull) * 10000000ull +
           static_cast<uint64_t>(ts.tv_nsec) / 100u;
}

uint32_t tick_ms() noexcept {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

uint32_t ms_since_start() noexcept { return tick_ms() - g_start_ms; }

int64_t unix_seconds() noexcept { return static_cast<int64_t>(::time(nullptr)); }

bool local_time_now(std::tm* out) noexcept {
    const time_t now = ::time(nullptr);
    return localtime_r(&now, out) != nullptr;
}

uint32_t thread_id() noexcept { return static_cast<uint32_t>(syscall(SYS_gettid)); }

uint32_t short_path(const uint16_t* path, uint16_t* out, uint32_t cap, uint32_t* sys_error) noexcept {
    *sys_error = 0;
    // Convert to UTF-8 for the file system; surrogate pairs are combined.
    std::size_t units = 0;
    while (path[units] != 0) ++units;
    char* utf8 = static_cast<char*>(std::malloc(units * 3 + 1));
    if (utf8 == nullptr) {
        *sys_error = 8;  // not enough memory
        return 0;
    }
    std::size_t n = 0;
    for (std::size_t i = 0; i < units; ++i) {
        uint32_t c = path[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (path[i + 1] - 0xDC00u);
            ++i;
        }
        if (c < 0x80) {
            utf8[n++] = static_cast<char>(c);
        } else if (c < 0x800) {
            utf8[n++] = static_cast<char>(0xC0 | (c >> 6));
            utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8[n++] = static_cast<char>(0xE0 | (c >> 12));
            utf8[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8[n++] = static_cast<char>(0xF0 | (c >> 18));
            utf8[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8[n++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    utf8[n] = '\0';
    struct stat st;
    const int rc = stat(utf8, &st);
    const int err = errno;
    std::free(utf8);
    if (rc != 0) {
        *sys_error = (err == ENOENT) ? 2u : (err == ENOTDIR ? 3u : 9999u);
        return 0;
    }
    // No short names here: the path is its own short form.
    if (out == nullptr || cap < units + 1) return static_cast<uint32_t>(units + 1);
    std::memcpy(out, path, (units + 1) * sizeof(uint16_t));
    return static_cast<uint32_t>(units);
}

[[noreturn]] void exit_process(int status) noexcept { std::_Exit(status); }

}  // namespace plat

// Module notifications. A shared object cannot refuse to load: when a
// load-time check fails the failure has been reported and the process ends
// with status 1, so that no export can run on a module that failed its checks.
__attribute__((constructor)) static void tessalib_process_attach() {
    g_start_ms = plat::tick_ms();
    if (!ModuleProcessAttach(nullptr)) plat::exit_process(1);
}

__attribute__((destructor)) static void tessalib_process_detach() { ModuleProcessDetach(); }
