// The fatal-error reporter: options, the error log and the guarded allocator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/fatal.h"
#include "core/frame.h"
#include "test_util.h"

namespace {

#if defined(_WIN32)
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// Points the reporter at an options file in a temporary folder for one test.
class ReporterOptions : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(_WIN32)
        GTEST_SKIP() << "Windows reads these options from the registry";
#else
        options_ = dir_.file("options");
        setenv("TESSALIB_OPTIONS_FILE", options_.c_str(), 1);
#endif
    }
    void TearDown() override {
#if !defined(_WIN32)
        unsetenv("TESSALIB_OPTIONS_FILE");
#endif
    }
    void write_options(const std::string& text) { tu::write_file(options_, text); }
    std::string log_path() const { return dir_.file("apierr.log"); }
    bool log_exists() const {
        std::FILE* f = std::fopen(log_path().c_str(), "rb");
        if (f != nullptr) std::fclose(f);
        return f != nullptr;
    }

    tu::TempDir dir_;
    std::string options_;
};

}  // namespace

TEST(ErrorLogPath, JoinsDirectoryAndFileName) {
    char path[kErrorLogPathMax + 1];
    const std::string dir = std::string("logs") + kSep + "here";
    ASSERT_TRUE(BuildErrorLogPath(path, dir.c_str(), nullptr));
    EXPECT_EQ(std::string(path), dir + kSep + "apierr.log");
    const std::string with_sep = dir + kSep;
    ASSERT_TRUE(BuildErrorLogPath(path, with_sep.c_str(), nullptr));
    EXPECT_EQ(std::string(path), dir + kSep + "apierr.log");
    // Without a directory option: the executable's folder, up to its last separator.
    const std::string exe = std::string("opt") + kSep + "bin" + kSep + "app";
    ASSERT_TRUE(BuildErrorLogPath(path, "", exe.c_str()));
    EXPECT_EQ(std::string(path), std::string("opt") + kSep + "bin" + kSep + "apierr.log");
}

TEST(ErrorLogPath, RefusesAPathOverTheLimitInsteadOfTruncating) {
    char path[kErrorLogPathMax + 1];
    // 248 + 1 + 10 = 259 characters: fits exactly.
    std::string dir(248, 'd');
    ASSERT_TRUE(BuildErrorLogPath(path, dir.c_str(), nullptr));
    EXPECT_EQ(std::strlen(path), kErrorLogPathMax);
    dir.push_back('d');
    EXPECT_FALSE(BuildErrorLogPath(path, dir.c_str(), nullptr));
    std::string exe(300, 'e');
    exe[260] = kSep;
    EXPECT_FALSE(BuildErrorLogPath(path, "", exe.c_str()));
}

TEST(ErrorLogTimestamp, HasTheCtimeLayout) {
    std::tm tm{};
    tm.tm_year = 93;
    tm.tm_mon = 5;
    tm.tm_mday = 3;
    tm.tm_hour = 21;
    tm.tm_min = 49;
    tm.tm_sec = 8;
    tm.tm_wday = 4;
    char out[26];
    FormatCtime(out, &tm);
    EXPECT_STREQ(out, "Thu Jun  3 21:49:08 1993\n");
}

TEST_F(ReporterOptions, AbsentOptionsMeanEveryChannelOn) {
    EXPECT_EQ(ReadOption("NoMessageBox"), 0u);
    EXPECT_EQ(ReadOption("NoErrorLog"), 0u);
    char dir[260];
    ReadErrorLogDir(dir, sizeof dir);
    EXPECT_STREQ(dir, "");
}

TEST_F(ReporterOptions, ValuesAreReadAfreshAtEachCall) {
    write_options("NoMessageBox=1\nNoErrorLog = 0x10\nErrorLogDir=" + dir_.path() + "\n");
    EXPECT_EQ(ReadOption("NoMessageBox"), 1u);
    EXPECT_EQ(ReadOption("NoErrorLog"), 16u);
    char dir[260];
    ReadErrorLogDir(dir, sizeof dir);
    EXPECT_EQ(std::string(dir), dir_.path());
    write_options("NoMessageBox=0\n");
    EXPECT_EQ(ReadOption("NoMessageBox"), 0u);
    EXPECT_EQ(ReadOption("NoErrorLog"), 0u);
}

TEST_F(ReporterOptions, ErrorLogEntryHasTimestampLineThenModuleCodeAndMessage) {
    write_options("NoMessageBox=1\nErrorLogDir=" + dir_.path() + "\n");
    ReportFatal("Software self-integrity test failed. Application terminated", 0xC0001F41u);
    ReportFatal("second", 0xC000029Au);
    const std::string log = tu::read_file(log_path());
    const std::size_t first_nl = log.find('\n');
    ASSERT_EQ(first_nl, 24u) << log;  // a ctime line: 24 characters and a line feed
    EXPECT_EQ(log.substr(first_nl + 1, log.find('\n', first_nl + 1) - first_nl),
              "Tessalib (c0001f41) Software self-integrity test failed. Application terminated\n");
    EXPECT_NE(log.find("Tessalib (c000029a) second\n"), std::string::npos);
}

TEST_F(ReporterOptions, EachChannelCanBeSwitchedOff) {
    const struct {
        const char* options;
        bool log_expected;
        bool box_expected;
    } cases[] = {
        {"", true, true},
        {"NoErrorLog=1\n", false, true},
        {"NoMessageBox=1\n", true, false},
        {"NoErrorLog=1\nNoMessageBox=1\n", false, false},
    };
    for (const auto& c : cases) {
        write_options(std::string(c.options) + "ErrorLogDir=" + dir_.path() + "\n");
        std::remove(log_path().c_str());
        ::testing::internal::CaptureStderr();
        ReportFatal("channel test", 0xC0001F40u);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(log_exists(), c.log_expected) << c.options;
        EXPECT_EQ(err == "Tessalib: channel test\n", c.box_expected) << c.options << err;
    }
}

TEST_F(ReporterOptions, OversizeAllocationIsFatalWithStatusOneAfterLogging) {
    write_options("NoMessageBox=1\nErrorLogDir=" + dir_.path() + "\n");
    EXPECT_EXIT(MemAlloc(0x40000000u), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(tu::read_file(log_path()).find("Tessalib (c000029a) malloc request is too big.\n"),
              std::string::npos);
    EXPECT_EXIT(MemCalloc(0x40000000u, 1), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(tu::read_file(log_path()).find("Tessalib (c000029a) calloc request is too big.\n"),
              std::string::npos);
}

TEST_F(ReporterOptions, MessageBoxIsOneLineOnStandardError) {
    write_options("NoErrorLog=1\n");
    EXPECT_EXIT(MemAlloc(static_cast<std::size_t>(0x3FFFFFFF) + 1), ::testing::ExitedWithCode(1),
                "^Tessalib: malloc request is too big.\n$");
}

TEST(GuardedAllocator, LimitIsInclusiveAndZeroGivesABlock) {
    void* p = MemAlloc(0);
    ASSERT_NE(p, nullptr);
    MemFree(p);
    p = MemCalloc(0, 16);
    ASSERT_NE(p, nullptr);
    MemFree(p);
    p = MemCalloc(16, 4);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(static_cast<unsigned char*>(p)[i], 0);
    MemFree(p);
}
