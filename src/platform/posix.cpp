// POSIX implementation of the platform layer (Linux).
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <pwd.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysinfo.h>
#include <syslog.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

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
std::atomic<uint32_t> g_fork_generation{0};

// Around fork(): the module's locks are taken (ModuleForkPrepare) so that
// the child never inherits one held by a thread that does not exist there;
// the child counts one more generation, which makes its generator states
// start afresh.
void before_fork() { ModuleForkPrepare(); }
void after_fork_parent() { ModuleForkParent(); }
void after_fork_child() {
    g_fork_generation.fetch_add(1, std::memory_order_relaxed);
    ModuleForkChild();
}

// The console prompt's input: the terminal (with its settings saved) or
// standard input.
int g_console_fd = -1;
bool g_console_tty = false;
struct termios g_console_saved;

// Reads a small text file into out; false when it cannot be read.
bool read_small_file(const char* path, char* out, std::size_t room) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const ssize_t n = read(fd, out, room - 1);
    close(fd);
    if (n <= 0) return false;
    out[n] = '\0';
    return true;
}

// Default location of the options file; TESSALIB_OPTIONS_FILE overrides it
// where the environment can be trusted.
constexpr const char* kOptionsFile = "/etc/tessalib/options";
constexpr const char* kOptionsEnv = "TESSALIB_OPTIONS_FILE";

// The thread's end, with its slot value (the system has cleared the slot).
void on_thread_exit(void* slot) { ModuleThreadDetach(slot); }

// Finds `name` in the options file and copies its value (trimmed) into out.
// In a set-user-ID or set-group-ID program secure_getenv gives nothing, so
// the caller's environment cannot name the file there: the default is read.
bool find_option(const char* name, char* out, std::size_t room) {
    const char* path = secure_getenv(kOptionsEnv);
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

ModuleFile module_file_open(FileHandle* f) noexcept {
    *f = kNoFile;
#if defined(TESSALIB_SHARED_MODULE)
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&module_file_open), &info) == 0 || info.dli_fname == nullptr)
        return ModuleFile::kCannotOpen;
    int fd;
    do {
        fd = open(info.dli_fname, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return ModuleFile::kCannotOpen;
    *f = fd;
    return ModuleFile::kOpened;
#else
    return ModuleFile::kLinkedIntoProgram;
#endif
}

std::ptrdiff_t module_file_read(FileHandle f, uint8_t* out, std::size_t len) noexcept {
    for (;;) {
        const ssize_t n = read(static_cast<int>(f), out, len);
        if (n >= 0) return n;
        if (errno != EINTR) return -1;
    }
}

void module_file_close(FileHandle f) noexcept {
    if (f != kNoFile) close(static_cast<int>(f));
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

}  // namespace plat

namespace {
// A clock as 100 ns units since 1601 (11644473600 seconds lie between
// 1601-01-01 and 1970-01-01) and as milliseconds.
uint64_t clock_100ns_since_1601(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return (static_cast<uint64_t>(ts.tv_sec) + 11644473600ull) * 10000000ull +
           static_cast<uint64_t>(ts.tv_nsec) / 100u;
}
uint32_t clock_ms(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}
}  // namespace

namespace plat {

uint64_t system_time_100ns() noexcept { return clock_100ns_since_1601(CLOCK_REALTIME); }
uint32_t tick_ms() noexcept { return clock_ms(CLOCK_MONOTONIC); }
uint64_t system_time_coarse_100ns() noexcept { return clock_100ns_since_1601(CLOCK_REALTIME_COARSE); }
uint32_t tick_ms_coarse() noexcept { return clock_ms(CLOCK_MONOTONIC_COARSE); }

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

void memory_status(uint8_t record[56]) noexcept {
    struct sysinfo si;
    std::memset(record, 0, 56);
    if (sysinfo(&si) != 0) return;
    const uint64_t unit = si.mem_unit == 0 ? 1 : si.mem_unit;
    const uint64_t phys_total = si.totalram * unit, phys_free = (si.freeram + si.bufferram) * unit;
    const uint64_t swap_total = si.totalswap * unit, swap_free = si.freeswap * unit;
    const uint32_t load = phys_total == 0 ? 0 : static_cast<uint32_t>(100 - phys_free * 100 / phys_total);
    // The user address space of a 64-bit process, less the memory in use.
    const uint64_t virt_total = 0x00007FFFFFFE0000ull;
    const uint64_t fields[6] = {phys_total, phys_free, phys_total + swap_total, phys_free + swap_free,
                                virt_total, virt_total - (phys_total - phys_free)};
    const uint32_t head[2] = {56, load};
    for (int i = 0; i < 2; ++i)
        for (int b = 0; b < 4; ++b) record[i * 4 + b] = static_cast<uint8_t>(head[i] >> (8 * b));
    for (int i = 0; i < 6; ++i)
        for (int b = 0; b < 8; ++b) record[8 + i * 8 + b] = static_cast<uint8_t>(fields[i] >> (8 * b));
}

bool power_status(uint8_t record[12]) noexcept {
    // AC line (0 off, 1 on, 255 unknown), battery flag (128 none), battery
    // percent (255 unknown), reserved, then two 32-bit life times (unknown).
    std::memset(record, 0, 12);
    record[0] = 255;
    record[1] = 128;
    record[2] = 255;
    std::memset(record + 4, 0xFF, 8);
    DIR* dir = opendir("/sys/class/power_supply");
    if (dir == nullptr) return false;
    bool any = false;
    while (struct dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        any = true;
        char path[512], text[64];
        std::snprintf(path, sizeof path, "/sys/class/power_supply/%s/type", e->d_name);
        if (!read_small_file(path, text, sizeof text)) continue;
        if (std::strncmp(text, "Mains", 5) == 0) {
            std::snprintf(path, sizeof path, "/sys/class/power_supply/%s/online", e->d_name);
            if (read_small_file(path, text, sizeof text)) record[0] = text[0] == '1' ? 1 : 0;
        } else if (std::strncmp(text, "Battery", 7) == 0) {
            record[1] = 0;
            std::snprintf(path, sizeof path, "/sys/class/power_supply/%s/capacity", e->d_name);
            if (read_small_file(path, text, sizeof text)) record[2] = static_cast<uint8_t>(std::atoi(text));
        }
    }
    closedir(dir);
    return any;
}

bool free_clusters(uint32_t* count) noexcept {
    struct statvfs st;
    if (statvfs(".", &st) != 0) return false;
    *count = static_cast<uint32_t>(st.f_bavail);
    return true;
}

namespace {
std::size_t copy_name(const char* name, char* out, std::size_t room) {
    if (room == 0) return 0;
    std::size_t n = std::strlen(name);
    if (n >= room) n = room - 1;
    std::memcpy(out, name, n);
    out[n] = '\0';
    return n + 1;
}
}  // namespace

std::size_t user_name(char* out, std::size_t room) noexcept {
    struct passwd pw;
    struct passwd* found = nullptr;
    char buf[1024];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) != 0 || found == nullptr) return 0;
    return copy_name(found->pw_name, out, room);
}

std::size_t machine_name(char* out, std::size_t room) noexcept {
    char name[256];
    if (gethostname(name, sizeof name) != 0) return 0;
    name[sizeof name - 1] = '\0';
    const std::size_t n = copy_name(name, out, room);
    return n == 0 ? 0 : n - 1;
}

bool volume_serial(uint32_t* serial) noexcept {
    struct statvfs st;
    if (statvfs(".", &st) != 0) return false;
    *serial = static_cast<uint32_t>(st.f_fsid);
    return true;
}

const char* env_value(const char* name) noexcept { return std::getenv(name); }

uint32_t process_id() noexcept { return static_cast<uint32_t>(getpid()); }

bool os_random(uint8_t* out, std::size_t n) noexcept {
    if (n > 256) return false;
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = getrandom(out + got, n - got, 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        got += static_cast<std::size_t>(r);
    }
    return true;
}

uint32_t fork_generation() noexcept { return g_fork_generation.load(std::memory_order_relaxed); }

void sleep_ms(uint32_t ms) noexcept {
    struct timespec ts;
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

namespace {

struct PosixMonitor {
    pthread_mutex_t lock;
    pthread_cond_t cond;
};
static_assert(sizeof(PosixMonitor) <= sizeof(Monitor::storage), "monitor storage too small");

PosixMonitor* posix_monitor(Monitor* m) noexcept { return reinterpret_cast<PosixMonitor*>(m->storage); }

void* thread_trampoline(void* arg) {
    Thread* t = static_cast<Thread*>(arg);
    t->fn(t->arg);
    return nullptr;
}

}  // namespace

bool monitor_init(Monitor* m) noexcept {
    PosixMonitor* pm = posix_monitor(m);
    if (pthread_mutex_init(&pm->lock, nullptr) != 0) return false;
    if (pthread_cond_init(&pm->cond, nullptr) != 0) {
        pthread_mutex_destroy(&pm->lock);
        return false;
    }
    return true;
}

void monitor_destroy(Monitor* m) noexcept {
    pthread_cond_destroy(&posix_monitor(m)->cond);
    pthread_mutex_destroy(&posix_monitor(m)->lock);
}

void monitor_enter(Monitor* m) noexcept { pthread_mutex_lock(&posix_monitor(m)->lock); }
void monitor_leave(Monitor* m) noexcept { pthread_mutex_unlock(&posix_monitor(m)->lock); }
void monitor_wait(Monitor* m) noexcept { pthread_cond_wait(&posix_monitor(m)->cond, &posix_monitor(m)->lock); }
void monitor_notify_all(Monitor* m) noexcept { pthread_cond_broadcast(&posix_monitor(m)->cond); }

bool thread_start(Thread* t, void (*fn)(void*), void* arg) noexcept {
    t->fn = fn;
    t->arg = arg;
    // The new thread inherits the mask in force when it is made.
    sigset_t all, old;
    sigfillset(&all);
    if (pthread_sigmask(SIG_SETMASK, &all, &old) != 0) return false;
    pthread_t id;
    const bool started = pthread_create(&id, nullptr, thread_trampoline, t) == 0;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (started) t->handle = static_cast<intptr_t>(id);
    return started;
}

void thread_join(Thread* t) noexcept { pthread_join(static_cast<pthread_t>(t->handle), nullptr); }

bool file_identity(const char* path, FileIdentity* out) noexcept {
    struct stat st;
    if (path == nullptr || stat(path, &st) != 0) return false;
    out->volume = static_cast<uint64_t>(st.st_dev);
    out->index = static_cast<uint64_t>(st.st_ino);
    return true;
}

FileKind file_kind(const char* path) noexcept {
    struct stat st;
    if (path == nullptr || stat(path, &st) != 0) return FileKind::kMissing;
    if (S_ISREG(st.st_mode)) return FileKind::kRegular;
    if (S_ISDIR(st.st_mode)) return FileKind::kDirectory;
    return FileKind::kOther;
}

bool delete_file(const char* path) noexcept {
    struct stat st;
    if (path == nullptr || lstat(path, &st) != 0) return false;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
    return unlink(path) == 0;
}

bool delete_file_deferred(const char* path, FileHandle* held) noexcept {
    *held = kNoFile;
    struct stat st;
    if (path == nullptr || lstat(path, &st) != 0) return false;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
    if (S_ISREG(st.st_mode)) {
        // The file the name held a moment ago, and no other.
        const int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat opened;
        if (fd >= 0 && fstat(fd, &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino)
            *held = fd;
        else if (fd >= 0)
            close(fd);
    }
    if (unlink(path) == 0) return true;
    close_held_file(*held);
    *held = kNoFile;
    return false;
}

void close_held_file(FileHandle held) noexcept {
    if (held != kNoFile) close(static_cast<int>(held));
}

bool file_read_only(const char* path) noexcept {
    struct stat st;
    return path != nullptr && stat(path, &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool file_sync(std::FILE* f) noexcept {
    if (std::fflush(f) != 0 || std::ferror(f)) return false;
    int rc;
    do {
        rc = fsync(fileno(f));
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool file_size(const char* path, uint64_t* size) noexcept {
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool stream_size(std::FILE* f, uint64_t* size) noexcept {
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || st.st_size < 0) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

FileHandle seed_file_open(const char* name, bool create) noexcept {
    const int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
    int fd;
    do {
        fd = open(name, flags, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return kNoFile;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return kNoFile;
    }
    return fd;
}

namespace {
bool ofd_lock(int fd, short type, uint32_t len) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = static_cast<off_t>(len);
    int rc;
    do {
        rc = fcntl(fd, F_OFD_SETLK, &fl);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}
}  // namespace

bool seed_file_try_lock(FileHandle f, uint32_t len) noexcept {
    return ofd_lock(static_cast<int>(f), F_WRLCK, len);
}

void seed_file_unlock(FileHandle f, uint32_t len) noexcept { ofd_lock(static_cast<int>(f), F_UNLCK, len); }

namespace {
// Reads or writes len bytes from offset 0; returns the count moved.
std::size_t transfer_at_zero(int fd, uint8_t* buf, std::size_t len, bool write) {
    std::size_t done = 0;
    while (done < len) {
        const off_t at = static_cast<off_t>(done);
        const ssize_t r = write ? pwrite(fd, buf + done, len - done, at) : pread(fd, buf + done, len - done, at);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        done += static_cast<std::size_t>(r);
    }
    return done;
}
}  // namespace

std::size_t seed_file_read(FileHandle f, uint8_t* out, std::size_t len) noexcept {
    return transfer_at_zero(static_cast<int>(f), out, len, false);
}

bool seed_file_truncate(FileHandle f) noexcept { return ftruncate(static_cast<int>(f), 0) == 0; }

std::size_t seed_file_write(FileHandle f, const uint8_t* data, std::size_t len) noexcept {
    return transfer_at_zero(static_cast<int>(f), const_cast<uint8_t*>(data), len, true);
}

bool seed_file_close(FileHandle f, bool flush) noexcept {
    bool ok = true;
    if (flush && fsync(static_cast<int>(f)) != 0) ok = false;
    if (close(static_cast<int>(f)) != 0) ok = false;
    return ok;
}

void cursor_position(int32_t cursor[2]) noexcept {
    cursor[0] = 0;
    cursor[1] = 0;
}

int prompt_dialog(PromptSink* /*sink*/, int32_t /*target*/, const char* /*prompt*/) noexcept {
    // No dialogs here: the console prompt stands in when there is a terminal.
    return isatty(STDIN_FILENO) ? kDialogUseConsole : kDialogCannotCreate;
}

bool console_begin() noexcept {
    g_console_tty = false;
    g_console_fd = STDIN_FILENO;
    if (!isatty(STDIN_FILENO)) return true;
    const int fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return true;  // read standard input as it is
    struct termios raw;
    if (tcgetattr(fd, &g_console_saved) != 0) {
        close(fd);
        return true;
    }
    raw = g_console_saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSAFLUSH, &raw) != 0) {
        close(fd);
        return true;
    }
    g_console_fd = fd;
    g_console_tty = true;
    return true;
}

int32_t console_read_key() noexcept {
    unsigned char c;
    for (;;) {
        const ssize_t r = read(g_console_fd, &c, 1);
        if (r == 1) return c;
        if (r < 0 && errno == EINTR) continue;
        return -1;  // end of input or a read error
    }
}

void console_end() noexcept {
    if (g_console_tty) {
        tcsetattr(g_console_fd, TCSAFLUSH, &g_console_saved);
        close(g_console_fd);
    }
    g_console_tty = false;
    g_console_fd = -1;
}

void console_write(const char* text) noexcept {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

}  // namespace plat

// Module notifications. A shared object cannot make its load fail, and must
// not end the process that loaded it: when a load-time check fails, the
// failure is reported and the module stays loaded in its failed state, in
// which every export refuses (core/lifecycle.h). The destructor runs at
// dlclose and at the process's exit, when other threads may still be calling:
// the module is marked as unloading first, so that their later calls refuse.
__attribute__((constructor)) static void tessalib_process_attach() {
    g_start_ms = plat::tick_ms();
    pthread_atfork(before_fork, after_fork_parent, after_fork_child);
    ModuleProcessAttach(nullptr, LoadFailure::kRefuseCalls);
}

__attribute__((destructor)) static void tessalib_process_detach() { ModuleProcessDetach(false); }
