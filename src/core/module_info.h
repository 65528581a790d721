// What the module says about itself (the API_ information exports): its
// version, build time, platform, information text, and the values of
// API_ModuleName.
#pragma once
#include <cstddef>
#include <cstdint>

// Major x 10000 + minor x 100 + release: 6.22.01.
constexpr int32_t kModuleVersion = 62201;

// The build timestamp: the compiler's date and time joined by one space,
// "Jan  7 2024 16:14:01" (the day padded with a space), 20 characters.
constexpr std::size_t kBuildTimestampLen = 20;
extern const char kBuildTimestamp[kBuildTimestampLen + 1];

constexpr const char* kPlatformText = "X64";
constexpr std::size_t kPlatformTextLen = 3;

// The information text of API_ModuleInfo: one fixed line.
extern const char kModuleInfoText[];
std::size_t module_info_text_len() noexcept;

// The longest module path API_ModuleName reads, in characters.
constexpr std::size_t kModulePathMax = 4095;

// The option values of API_ModuleName. The four diagnostic values are not
// told to callers outside the library.
enum ModuleNameOption : int32_t {
    kModuleNamePath = 0,            // the full path of the library's own file
    kModuleNamePlatform = 64,       // the platform text
    kModuleNameConstant = 0x51A7D210,        // the constant 210
    kModuleNameLiveInstances = 0x51A7D211,   // the accumulator's liveInstances
    kModuleNameReseedCounter = 0x51A7D212,   // the thread's reseedCounter
    kModuleNameStateId = 0x51A7D213,         // low 32 bits of the thread's RngState address
};
constexpr int32_t kModuleNameConstantValue = 210;
