// The API_ information exports and API_PowerUpTests: results, query mode,
// truncation, and what each does to the thread's last error.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tessalib.h"

namespace {

// Leaves 17 (BAD_FLAG_ERROR) as the thread's last error.
void record_bad_flag() {
    ASSERT_EQ(HASH_Length(-1), -BAD_FLAG_ERROR);
    ASSERT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);
}

// The diagnostic values of API_ModuleName.
constexpr int32_t kDiagConstant = 0x51A7D210;
constexpr int32_t kDiagLiveInstances = 0x51A7D211;
constexpr int32_t kDiagReseedCounter = 0x51A7D212;
constexpr int32_t kDiagStateId = 0x51A7D213;

#if defined(_WIN32)
constexpr const char* kLibraryFileName = "Tessalib.dll";
#else
constexpr const char* kLibraryFileName = "libtessalib.so";
#endif

}  // namespace

TEST(ModuleInfo, VersionIs62201AndLeavesTheLastError) {
    record_bad_flag();
    EXPECT_EQ(API_Version(), 62201);
    EXPECT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);
}

TEST(ModuleInfo, CompileTimeIsTwentyCharactersWithTheDayPaddedByASpace) {
    record_bad_flag();
    EXPECT_EQ(API_CompileTime(nullptr, 0), 20);
    char text[64];
    EXPECT_EQ(API_CompileTime(text, 0), 20);  // outputLen < 1 is query mode too
    std::memset(text, 'x', sizeof text);
    ASSERT_EQ(API_CompileTime(text, 100), 20);
    EXPECT_EQ(std::strlen(text), 20u);
    EXPECT_TRUE(std::regex_match(text, std::regex(
                                           "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 123][0-9] [0-9]{4} "
                                           "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]")))
        << text;
    const std::string whole = text;
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(API_CompileTime(text, 3), 3);
    EXPECT_EQ(std::string(text), whole.substr(0, 3));  // the month, then a NUL
    EXPECT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);  // unframed
}

TEST(ModuleInfo, PlatformIsX64TruncatedAtOutputLenAndClearsTheLastError) {
    char text[8];
    record_bad_flag();
    EXPECT_EQ(API_Platform(nullptr, 0), 3);
    EXPECT_EQ(API_ErrorCode(), 0);
    record_bad_flag();
    EXPECT_EQ(API_Platform(text, 2), 2);
    EXPECT_STREQ(text, "X6");
    EXPECT_EQ(API_ErrorCode(), 0);
    char room[101];
    EXPECT_EQ(API_Platform(room, 100), 3);
    EXPECT_STREQ(room, "X64");
}

TEST(ModuleInfo, ModuleInfoTextFollowsTheSameRules) {
    record_bad_flag();
    const int32_t len = API_ModuleInfo(nullptr, 0);
    EXPECT_EQ(API_ErrorCode(), 0);
    ASSERT_GT(len, 0);
    std::string text(static_cast<std::size_t>(len) + 1, 'x');
    EXPECT_EQ(API_ModuleInfo(&text[0], len), len);
    EXPECT_EQ(std::strlen(text.c_str()), static_cast<std::size_t>(len));
    EXPECT_EQ(text.compare(0, 8, "Tessalib"), 0);
    char cut[6];
    EXPECT_EQ(API_ModuleInfo(cut, 5), 5);
    EXPECT_STREQ(cut, "Tessa");
}

TEST(ModuleInfo, ModuleNameIsTheLibrarysOwnPath) {
    record_bad_flag();
    const int32_t len = API_ModuleName(nullptr, 0, 0);
    ASSERT_GT(len, 0);
    std::string path(static_cast<std::size_t>(len) + 1, 'x');
    EXPECT_EQ(API_ModuleName(&path[0], len, 0), len);
    path.resize(static_cast<std::size_t>(len));
    // The library's file, not the test program's.
    EXPECT_NE(path.find(kLibraryFileName), std::string::npos) << path;
    EXPECT_EQ(path.find("api_tests"), std::string::npos) << path;
    char cut[5];
    EXPECT_EQ(API_ModuleName(cut, 4, 0), 4);
    EXPECT_EQ(std::string(cut), path.substr(0, 4));
    EXPECT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);  // unframed
}

TEST(ModuleInfo, ModuleNameOption64CopiesThePlatformWithoutClearingTheLastError) {
    record_bad_flag();
    char text[8];
    EXPECT_EQ(API_ModuleName(nullptr, 0, 64), 3);
    EXPECT_EQ(API_ModuleName(text, 2, 64), 2);
    EXPECT_STREQ(text, "X6");
    EXPECT_EQ(API_ModuleName(text, 7, 64), 3);
    EXPECT_STREQ(text, "X64");
    EXPECT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);
}

TEST(ModuleInfo, ModuleNameRefusesOtherOptionsWithoutRecording) {
    for (int32_t options : {1, -1, 63, 65, 0x51A7D214, kDiagConstant - 1, INT32_MIN}) {
        record_bad_flag();
        ASSERT_EQ(API_Platform(nullptr, 0), 3);  // clears the last error
        char text[8] = "abc";
        EXPECT_EQ(API_ModuleName(text, 7, options), -BAD_FLAG_ERROR) << options;
        EXPECT_STREQ(text, "abc");
        EXPECT_EQ(API_ErrorCode(), 0) << options;
    }
}

TEST(ModuleInfo, ModuleNameDiagnosticValuesLeaveTheOutputAlone) {
    char text[8] = "abc";
    EXPECT_EQ(API_ModuleName(text, 7, kDiagConstant), 210);
    unsigned char key[16];
    ASSERT_EQ(RNG_KeyBytes(key, 16, nullptr, 0), 0);  // instantiates this thread's generator
    EXPECT_GE(API_ModuleName(text, 7, kDiagLiveInstances), 1);
    const int32_t counter = API_ModuleName(text, 7, kDiagReseedCounter);
    EXPECT_GE(counter, 1);
    ASSERT_EQ(RNG_KeyBytes(key, 16, nullptr, 0), 0);
    EXPECT_GT(API_ModuleName(text, 7, kDiagReseedCounter), 0);
    const int32_t id = API_ModuleName(text, 7, kDiagStateId);
    EXPECT_EQ(API_ModuleName(nullptr, 0, kDiagStateId), id);  // the same state
    int32_t other = id;
    std::thread([&] { other = API_ModuleName(nullptr, 0, kDiagStateId); }).join();
    EXPECT_NE(other, id);  // another thread's state
    EXPECT_STREQ(text, "abc");
}

TEST(PowerUpTestsApi, PassOnACorrectBuildAndLeaveTheLastError) {
    record_bad_flag();
    EXPECT_EQ(API_PowerUpTests(), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);
}

TEST(PowerUpTestsApi, RunInManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int32_t> results(4, -1);
    for (std::size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&results, i] { results[i] = API_PowerUpTests(); });
    for (auto& t : threads) t.join();
    for (int32_t r : results) EXPECT_EQ(r, 0);
}

TEST(ModuleInfo, LiveInstancesFallOnlyWhenAnInstantiatedGeneratorsThreadEnds) {
    unsigned char key[16];
    ASSERT_EQ(RNG_KeyBytes(key, 16, nullptr, 0), 0);
    const int32_t before = API_ModuleName(nullptr, 0, kDiagLiveInstances);
    int32_t inside = -1;
    std::thread([&] {
        EXPECT_EQ(RNG_KeyBytes(key, 16, nullptr, 0), 0);
        inside = API_ModuleName(nullptr, 0, kDiagLiveInstances);
    }).join();
    EXPECT_EQ(inside, before + 1);
    EXPECT_EQ(API_ModuleName(nullptr, 0, kDiagLiveInstances), before);
    // A thread whose generator never ran leaves the count alone.
    std::thread([&] { EXPECT_EQ(HASH_Length(3), 32); }).join();
    EXPECT_EQ(API_ModuleName(nullptr, 0, kDiagLiveInstances), before);
}
