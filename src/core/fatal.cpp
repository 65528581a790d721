#include "core/fatal.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {
constexpr const char* kModuleName = "Tessalib";
constexpr std::size_t kOptionTextRoom = 260;

// Appends src to out (which holds `used` characters) if the result stays within
// kErrorLogPathMax characters; false otherwise.
bool append(char* out, std::size_t& used, const char* src, std::size_t n) {
    if (used + n > kErrorLogPathMax) return false;
    std::memcpy(out + used, src, n);
    used += n;
    out[used] = '\0';
    return true;
}

bool is_separator(char c) { return c == '\\' || c == '/'; }
}  // namespace

uint32_t ReadOption(const char* valueName) noexcept { return plat::option_dword(valueName); }

void ReadErrorLogDir(char* out, std::size_t room) noexcept {
    std::memset(out, 0, room);
    plat::option_string("ErrorLogDir", out, room);
}

bool BuildErrorLogPath(char* out, const char* logDir, const char* exePath) noexcept {
    std::size_t used = 0;
    out[0] = '\0';
    if (logDir != nullptr && logDir[0] != '\0') {
        const std::size_t n = std::strlen(logDir);
        if (!append(out, used, logDir, n)) return false;
        if (!is_separator(logDir[n - 1])) {
            const char sep[1] = {plat::kPathSep};
            if (!append(out, used, sep, 1)) return false;
        }
    } else if (exePath != nullptr) {
        // The executable's directory, up to and including its last separator.
        std::size_t n = std::strlen(exePath);
        while (n > 0 && !is_separator(exePath[n - 1])) --n;
        if (!append(out, used, exePath, n)) return false;
    }
    return append(out, used, "apierr.log", 10);
}

void FormatCtime(char out[26], const std::tm* tm) noexcept {
    static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int wday = (tm->tm_wday >= 0 && tm->tm_wday < 7) ? tm->tm_wday : 0;
    const int mon = (tm->tm_mon >= 0 && tm->tm_mon < 12) ? tm->tm_mon : 0;
    char line[64];
    std::snprintf(line, sizeof line, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[wday], kMonths[mon],
                  tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec, 1900 + tm->tm_year);
    std::size_t n = std::strlen(line);
    if (n > 25) n = 25;  // years beyond 9999 do not fit the layout
    std::memcpy(out, line, n);
    out[n] = '\0';
}

void WriteErrorLog(const char* message, uint32_t eventCode) noexcept {
    char dir[kOptionTextRoom];
    ReadErrorLogDir(dir, sizeof dir);
    char exe[kOptionTextRoom] = {0};
    if (dir[0] == '\0') plat::exe_path(exe, sizeof exe);

    char path[kErrorLogPathMax + 1];
    if (!BuildErrorLogPath(path, dir, exe)) return;  // too long: skip, never truncate

    std::FILE* f = std::fopen(path, "a+");
    if (f == nullptr) return;
    char stamp[26] = "";
    std::tm now{};
    if (plat::local_time_now(&now)) {
        FormatCtime(stamp, &now);
    } else {
        std::memcpy(stamp, "Thu Jan  1 00:00:00 1970\n", 26);
    }
    std::fprintf(f, "%s%s (%x) %s\n", stamp, kModuleName, static_cast<unsigned>(eventCode),
                 message != nullptr ? message : "");
    std::fclose(f);
}

void ReportFatal(const char* message, uint32_t eventCode) noexcept {
    if (message == nullptr) message = "";
    plat::event_log(eventCode, message);
    const uint32_t noMessageBox = ReadOption("NoMessageBox");
    const uint32_t noErrorLog = ReadOption("NoErrorLog");
    if (noErrorLog == 0) WriteErrorLog(message, eventCode);
    if (noMessageBox == 0) plat::message_box(message, kModuleName);
}
