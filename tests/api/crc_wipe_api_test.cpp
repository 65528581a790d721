// CRC_ and WIPE_ as a caller sees them: the check value and its failures,
// files that cannot be read, and wipes that must not delete what they did
// not wipe (a read-only file, a device, a file whose writes fail).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;

namespace {


// No write permission at all (the read-only attribute on Windows), or back.
void set_read_only(const std::string& path, bool read_only) {
#if defined(_WIN32)
    SetFileAttributesA(path.c_str(), read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
    chmod(path.c_str(), read_only ? 0444 : 0644);
#endif
}

}  // namespace

TEST(Crc, CheckValueAndFailures) {
    const std::string digits = "123456789";
    EXPECT_EQ(static_cast<uint32_t>(CRC_String(digits.c_str())), 0xCBF43926u);
    EXPECT_EQ(API_ErrorCode(), 0);
    EXPECT_EQ(static_cast<uint32_t>(CRC_Bytes(reinterpret_cast<const unsigned char*>(digits.data()), 9)), 0xCBF43926u);
    struct Case {
        const char* what;
        int32_t result;
    };
    const unsigned char one = 'a';
    const Case failures[] = {
        {"CRC_Bytes NULL", CRC_Bytes(nullptr, 5)},
        {"CRC_Bytes length 0", CRC_Bytes(&one, 0)},
        {"CRC_Bytes negative length", CRC_Bytes(&one, -1)},
        {"CRC_String NULL", CRC_String(nullptr)},
        {"CRC_String empty", CRC_String("")},
    };
    for (const Case& c : failures) EXPECT_EQ(c.result, 0) << c.what;
    EXPECT_EQ(CRC_String(""), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    EXPECT_EQ(CRC_Bytes(nullptr, 1), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    // Four bytes whose checksum is 0: indistinguishable from a failure.
    const unsigned char zero_sum[4] = {0x9D, 0x0A, 0xD9, 0x6D};
    EXPECT_EQ(CRC_Bytes(zero_sum, 4), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
}

TEST(Crc, FilesWholeMissingEmptyAndUnreadable) {
    tu::TempDir dir;
    tu::Prng rng(21);
    const Bytes data = rng.bytes(100000);
    const std::string f = dir.file("data"), empty = dir.file("empty");
    tu::write_file(f, std::string(data.begin(), data.end()));
    tu::write_file(empty, "");
    EXPECT_EQ(CRC_File(f.c_str()), CRC_Bytes(data.data(), tu::len32(data)));
    EXPECT_EQ(API_ErrorCode(), 0);
    EXPECT_EQ(CRC_File(dir.file("missing").c_str()), 0);
    EXPECT_EQ(API_ErrorCode(), OPEN_ERROR);
    EXPECT_EQ(CRC_File(empty.c_str()), 0);
    EXPECT_EQ(API_ErrorCode(), OPEN_ERROR);
    EXPECT_EQ(CRC_File(nullptr), 0);
    EXPECT_EQ(API_ErrorCode(), OPEN_ERROR);
#if !defined(_WIN32)
    // A directory opens and then fails to read: never a checksum of nothing.
    EXPECT_EQ(CRC_File(dir.path().c_str()), 0);
    EXPECT_EQ(API_ErrorCode(), READ_ERROR);
#endif
}

TEST(Wipe, DataClearsAndRefuses) {
    unsigned char buf[32];
    std::memset(buf, 0xA5, sizeof buf);
    EXPECT_EQ(WIPE_Data(buf, 0), BAD_PARAM_ERROR);
    EXPECT_EQ(buf[0], 0xA5);
    EXPECT_EQ(WIPE_Data(nullptr, 4), NULL_ERROR);
    EXPECT_EQ(API_ErrorCode(), NULL_ERROR);
    EXPECT_EQ(WIPE_Data(buf, 31), 0);
    for (int i = 0; i < 31; ++i) EXPECT_EQ(buf[i], 0) << i;
    EXPECT_EQ(buf[31], 0xA5);
}

TEST(Wipe, FilesAreOverwrittenAndDeleted) {
    tu::TempDir dir;
    tu::Prng rng(22);
    for (int32_t options : {0, WIPE_OPT_QUICK, 0x100 | WIPE_OPT_QUICK, 0x100}) {
        for (std::size_t size : {0u, 1u, 4095u, 4096u, 10000u}) {
            const std::string f = dir.file("victim");
            tu::write_file(f, std::string(size, 'x'));
            EXPECT_EQ(WIPE_File(f.c_str(), options), 0) << options << " " << size;
            EXPECT_FALSE(tu::file_exists(f));
        }
    }
}

TEST(Wipe, FilesItMustNotTouch) {
    tu::TempDir dir;
    const std::string content = "keep me";
    EXPECT_EQ(WIPE_File(nullptr, 0), NULL_ERROR);
    EXPECT_EQ(WIPE_File(dir.file("missing").c_str(), 0), OPEN_ERROR);
    EXPECT_EQ(API_ErrorCode(), OPEN_ERROR);
    // No write permission at all: refused even to root, and unchanged.
    const std::string ro = dir.file("read-only");
    tu::write_file(ro, content);
    set_read_only(ro, true);
    EXPECT_EQ(WIPE_File(ro.c_str(), 0), OPEN_ERROR);
    EXPECT_EQ(tu::read_file(ro), content);
    set_read_only(ro, false);
    // A directory is not a file to wipe.
    EXPECT_EQ(WIPE_File(dir.path().c_str(), 0), OPEN_ERROR);
#if !defined(_WIN32)
    // Nor is a device: it must never be deleted.
    EXPECT_EQ(WIPE_File("/dev/null", WIPE_OPT_QUICK), OPEN_ERROR);
    struct stat st;
    EXPECT_EQ(stat("/dev/null", &st), 0);
#endif
}

#if !defined(_WIN32)
// A file larger than the process may write: the first pass cannot reach the
// end, so the data never reaches the disk and the file must stay.
TEST(Wipe, AWipeThatCannotBeWrittenOutLeavesTheFile) {
    tu::TempDir dir;
    const std::string f = dir.file("big");
    const std::string content(50000, 'q');
    for (int32_t options : {0, WIPE_OPT_QUICK}) {
        tu::write_file(f, content);
        const pid_t pid = fork();
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl = {8192, 8192};
            setrlimit(RLIMIT_FSIZE, &rl);
            _exit(WIPE_File(f.c_str(), options));
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), WIPE_ERROR);
        EXPECT_TRUE(tu::file_exists(f));
    }
}
#endif
