// The file procedure's reading ahead and writing behind, with its worker
// thread and without one (as where none can be started): files that end
// on, just before and just after the edges of the pieces, the padding in a
// piece of its own or in the held-back one, and failures that surface on
// the worker reported as they would be doing one step after the other.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "block/aes.h"
#include "block/file_crypt.h"
#include "block/modes.h"
#include "block/padding.h"
#include "core/file_pipe.h"
#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;

namespace {

const uint8_t kKey[16] = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6, 0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f, 0x3c};
const uint8_t kIv[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

FileCryptArgs aes_args(int32_t mode, bool encrypt) {
    return FileCryptArgs{FileCipher::kAes, mode, encrypt, kKey, 16, kIv, 0};
}

// The same encryption in memory: PKCS #5 padding in ECB and CBC.
Bytes in_memory(int32_t mode, Bytes data) {
    if (mode == kModeEcb || mode == kModeCbc) {
        const std::size_t n = pad_count(data.size(), 16);
        data.resize(data.size() + n);
        pad_write(data.data() + data.size() - n, n, 0);
    }
    AesContext ctx;
    EXPECT_EQ(AesSetup(&ctx, mode, kKey, 16, 1, kIv), 0);
    if (!data.empty()) {
        EXPECT_EQ(AesUpdate(&ctx, data.data(), data.data(), data.size()), 0);
    }
    return data;
}

class FilePipeModes : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { file_pipe_allow_threads(GetParam()); }
    void TearDown() override { file_pipe_allow_threads(true); }
};

TEST_P(FilePipeModes, FilesAroundThePieceEdgesRoundTrip) {
    tu::TempDir dir;
    tu::Prng rng(41);
    const std::string in = dir.file("in"), enc = dir.file("enc"), back = dir.file("back");
    constexpr std::size_t P = kFileChunk;
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{4096}, P - 16,
                                   P - 1, P, P + 1, 2 * P - 16, 2 * P, 3 * P + 5}) {
        const Bytes data = rng.bytes(size);
        tu::write_bytes(in, data);
        for (const int32_t mode : {kModeEcb, kModeCbc, kModeCtr}) {
            SCOPED_TRACE("size " + std::to_string(size) + " mode " + std::to_string(mode));
            ASSERT_EQ(file_crypt(aes_args(mode, true), enc.c_str(), in.c_str()), 0);
            ASSERT_EQ(tu::read_bytes(enc), in_memory(mode, data));
            ASSERT_EQ(file_crypt(aes_args(mode, false), back.c_str(), enc.c_str()), 0);
            ASSERT_EQ(tu::read_bytes(back), data);
        }
    }
}

TEST_P(FilePipeModes, AFailingReadIsAnErrorAndLeavesNoOutput) {
#if defined(_WIN32)
    GTEST_SKIP() << "no input that opens and then fails to read";
#else
    tu::TempDir dir;
    const std::string out = dir.file("out");
    // A directory opens for reading and then fails at the first read.
    EXPECT_EQ(file_crypt(aes_args(kModeCtr, true), out.c_str(), dir.path().c_str()), -READ_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
#endif
}

#if !defined(_WIN32)
// file_crypt in a child process (which keeps the test's thread switch)
// whose files may not grow past `limit` bytes (SIGXFSZ ignored, so the
// write past it fails with EFBIG): the code it ended with, the negated result.
int crypt_with_file_limit(rlim_t limit, const FileCryptArgs& args, const std::string& out, const std::string& in) {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(200);
        _exit(-file_crypt(args, out.c_str(), in.c_str()));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

// Garbage decrypted in CBC with a file-size limit: the first piece's write
// fails, and that comes before the bad padding at the end of the file.
TEST_P(FilePipeModes, AFailedWriteComesBeforeALaterFailure) {
    tu::TempDir dir;
    tu::Prng rng(42);
    const std::string in = dir.file("in"), out = dir.file("out");
    const Bytes garbage = rng.bytes(3 * kFileChunk);
    tu::write_bytes(in, garbage);
    EXPECT_EQ(crypt_with_file_limit(20000, aes_args(kModeCbc, false), out, in), WRITE_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    EXPECT_EQ(tu::read_bytes(in), garbage);
    // Without the limit the same file is a padding failure, with no output.
    EXPECT_EQ(file_crypt(aes_args(kModeCbc, false), out.c_str(), in.c_str()), -DECRYPT_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
}
#endif

#if !defined(_WIN32)
// The outcome of a decryption that fails at the end is the one of reading
// 4096 bytes at a time, which has written `written` bytes when it finds the
// failure: with a file-size limit of exactly that the failure is reported,
// one byte less and the write fails first.
TEST_P(FilePipeModes, AFailureAtTheEndComesAfterTheWritesOfReadsOf4096Bytes) {
    tu::TempDir dir;
    tu::Prng rng(43);
    const std::string in = dir.file("in"), out = dir.file("out");
    constexpr std::size_t K = 4096, P = kFileChunk;
    struct Case {
        std::size_t size;
        uint32_t options;
        int32_t failure;
        std::size_t written;
    };
    const Case cases[] = {
        {3 * K + 5, 0, -BAD_LENGTH_ERROR, 2 * K},                 // the held chunk is not written
        {3 * K + 16, 0, -DECRYPT_ERROR, 3 * K},                   // the held chunk is written
        {3 * K, 0, -DECRYPT_ERROR, 2 * K},                        // the padding in the held chunk
        {2 * P, 0, -DECRYPT_ERROR, 2 * P - K},                    // ... at the end of a held piece
        {2 * P + 5, 0, -BAD_LENGTH_ERROR, 2 * P - K},
        {3 * K + 5, CIPHER_PAD_NONE, -BAD_LENGTH_ERROR, 3 * K},   // no padding removed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + " options " + std::to_string(c.options));
        // Garbage whose last block does not decrypt to valid padding.
        Bytes data;
        FileCryptArgs args = aes_args(kModeCbc, false);
        args.options = c.options;
        do {
            data = rng.bytes(c.size);
            tu::write_bytes(in, data);
        } while (file_crypt(args, out.c_str(), in.c_str()) != c.failure);
        EXPECT_FALSE(tu::file_exists(out));
        for (const std::size_t limit : {c.written, c.written - 1}) {
            EXPECT_EQ(crypt_with_file_limit(limit, args, out, in),
                      limit == c.written ? -c.failure : WRITE_ERROR)
                << "limit " << limit;
            EXPECT_FALSE(tu::file_exists(out));
        }
    }
}
#endif

#if !defined(_WIN32)
// The old output's storage is freed after its name goes, but always before
// the new output is written: on a file system with room for one of the two,
// replacing a large output still works.
TEST_P(FilePipeModes, AnOldOutputMakesRoomBeforeTheNewOneIsWritten) {
    tu::TempDir dir;
    const std::string mnt = dir.file("small");
    ASSERT_EQ(mkdir(mnt.c_str(), 0700), 0);
    if (mount("tessalib-test", mnt.c_str(), "tmpfs", 0, "size=3m") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    tu::Prng rng(44);
    const Bytes data = rng.bytes(2 * kFileChunk);
    const std::string in = dir.file("in"), out = mnt + "/out";
    tu::write_bytes(in, data);
    tu::write_bytes(out, rng.bytes(2 * kFileChunk));
    EXPECT_EQ(file_crypt(aes_args(kModeCtr, true), out.c_str(), in.c_str()), 0);
    EXPECT_EQ(tu::read_bytes(out), in_memory(kModeCtr, data));
    umount(mnt.c_str());
}
#endif

INSTANTIATE_TEST_SUITE_P(WorkerThread, FilePipeModes, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Threaded" : "OnTheCallersThread";
                         });

}  // namespace
