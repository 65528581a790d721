// The fatal-error reporter: event log, error log file and message box, each
// governed by the reporter options read afresh at every report.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>

// Event codes of the conditions the library cannot continue from.
constexpr uint32_t kEventPowerUpFailed = 0xC0001F40u;
constexpr uint32_t kEventIntegrityFailed = 0xC0001F41u;
constexpr uint32_t kEventRngHealthFailed = 0xC0001F42u;
constexpr uint32_t kEventRngContinuousFailed = 0xC0001F48u;
constexpr uint32_t kEventAllocFailed = 0xC000029Au;

// Largest path of the error log file, in characters (the buffer holds one more).
constexpr std::size_t kErrorLogPathMax = 259;

// Reports a fatal condition on every enabled channel and returns; the caller
// decides what follows (a failed load, or the end of the process).
void ReportFatal(const char* message, uint32_t eventCode) noexcept;

// Appends one entry to the error log file "apierr.log". Skipped silently when
// the file cannot be opened or its path would exceed 259 characters.
void WriteErrorLog(const char* message, uint32_t eventCode) noexcept;

// The 32-bit value of the numeric option NoMessageBox or NoErrorLog (0 when absent).
uint32_t ReadOption(const char* valueName) noexcept;
// The ErrorLogDir option into a zero-filled buffer of `room` bytes (empty when absent).
void ReadErrorLogDir(char* out, std::size_t room) noexcept;

// Builds the error log path; false (and nothing usable) when it would exceed
// kErrorLogPathMax characters. `out` holds kErrorLogPathMax + 1 bytes.
bool BuildErrorLogPath(char* out, const char* logDir, const char* exePath) noexcept;

// Formats the ctime-style timestamp line ("Wed Jun 30 21:49:08 1993\n") of tm.
void FormatCtime(char out[26], const std::tm* tm) noexcept;
