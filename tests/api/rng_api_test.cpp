// The RNG_ exports as a caller sees them: limits and codes, numbers, the
// DRBG validation export on the NIST CAVP vectors, seed files and the
// statistical test.
#include <gtest/gtest.h>

#include <chrono>
#include <cctype>
#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tessalib.h"
#include "test_util.h"
#include "vector_files.h"

namespace {

const char kDrbgFile[] = "drbg/HMAC_DRBG_SHA512_pr_false.rsp";

std::string hex_field(const tv::Record& r, const std::string& name) { return r.get(name); }

std::size_t file_size(const std::string& path) { return tu::read_file(path).size(); }

}  // namespace

TEST(RngKeys, LimitsAndCodesArePositive) {
    std::vector<uint8_t> big(65537, 0xEE);
    EXPECT_EQ(RNG_KeyBytes(big.data(), 65536, nullptr, 0), 0);
    std::fill(big.begin(), big.end(), 0xEE);
    EXPECT_EQ(RNG_KeyBytes(big.data(), 65537, nullptr, 0), PRNG_ERR_TOOBIG);
    EXPECT_EQ(API_ErrorCode(), PRNG_ERR_TOOBIG);
    EXPECT_EQ(big[0], 0xEE);  // nothing written
    EXPECT_EQ(RNG_KeyBytes(nullptr, 16, nullptr, 0), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_KeyBytes(big.data(), -1, nullptr, 0), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_KeyBytes(big.data(), 0, nullptr, 0), 0);
    EXPECT_EQ(big[0], 0xEE);
    const uint8_t seed[100] = {1, 2, 3};
    EXPECT_EQ(RNG_KeyBytes(big.data(), 32, seed, 100), 0);
    EXPECT_EQ(RNG_KeyBytes(big.data(), 32, seed, -1), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_NonceData(big.data(), 65537), PRNG_ERR_TOOBIG);
    EXPECT_EQ(RNG_NonceData(nullptr, 1), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_NonceData(big.data(), 24), 0);
    EXPECT_EQ(API_ErrorCode(), 0);
}

TEST(RngKeys, HexOutputsKeepWholeBytesThatFit) {
    char out[200];
    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(RNG_KeyHex(out, 7, 8, nullptr, 0), 0);
    EXPECT_EQ(std::strlen(out), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(out[i])) && !std::islower(out[i]));
    EXPECT_EQ(RNG_KeyHex(out, 64, 32, nullptr, 0), 0);
    EXPECT_EQ(std::strlen(out), 64u);
    EXPECT_EQ(RNG_NonceDataHex(out, 100, 16), 0);
    EXPECT_EQ(std::strlen(out), 32u);
    EXPECT_EQ(RNG_KeyHex(nullptr, 10, 4, nullptr, 0), NULL_ERROR);
    EXPECT_EQ(RNG_KeyHex(out, 0, 4, nullptr, 0), NULL_ERROR);
    EXPECT_EQ(RNG_KeyHex(out, 10, 0, nullptr, 0), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_KeyHex(out, 10, 65537, nullptr, 0), PRNG_ERR_TOOBIG);
    EXPECT_EQ(RNG_NonceDataHex(out, 10, 65537), PRNG_ERR_TOOBIG);
    EXPECT_EQ(API_ErrorCode(), PRNG_ERR_TOOBIG);
}

TEST(RngKeys, SuccessiveKeysDiffer) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        uint8_t k[16];
        ASSERT_EQ(RNG_KeyBytes(k, 16, nullptr, 0), 0);
        seen.insert(tu::to_hex(k, 16));
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(RngNumber, BoundsAndTheFullRange) {
    EXPECT_EQ(RNG_Number(5, 5), 5);
    EXPECT_EQ(RNG_Number(9, 3), 9);
    bool seen[2] = {false, false};
    for (int i = 0; i < 200; ++i) {
        const int32_t v = RNG_Number(0, 1);
        ASSERT_TRUE(v == 0 || v == 1);
        seen[v] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    for (int i = 0; i < 500; ++i) {
        const int32_t v = RNG_Number(-3, 3);
        ASSERT_GE(v, -3);
        ASSERT_LE(v, 3);
        const int32_t w = RNG_Number(INT_MAX - 1, INT_MAX);
        ASSERT_GE(w, INT_MAX - 1);
    }
    // Every draw of the full range is a value: both halves appear, and the
    // high bit comes from the draw (a mask of 31 bits would never give a
    // negative number above INT32_MIN + 2^31 - 1 ... nor INT32_MAX).
    int negative = 0, positive = 0;
    std::set<int32_t> values;
    for (int i = 0; i < 2000; ++i) {
        const int32_t v = RNG_Number(INT_MIN, INT_MAX);
        (v < 0 ? negative : positive)++;
        values.insert(v);
    }
    EXPECT_GT(negative, 800);
    EXPECT_GT(positive, 800);
    EXPECT_GT(values.size(), 1990u);
}

TEST(RngDrbgvs, CavpSha512VectorsThroughTheExport) {
    const auto records = tv::read_vector_file(tu::vector_path(kDrbgFile));
    int checked = 0;
    std::vector<char> out(1200);
    for (const tv::Record& r : records) {
        if (!r.has("ReturnedBits")) continue;
        const int bits = static_cast<int>(std::stol(r.header("ReturnedBitsLen")));
        const int32_t n = RNG_TestDRBGVS(out.data(), static_cast<int32_t>(out.size() - 1), bits,
                                         hex_field(r, "EntropyInput").c_str(), hex_field(r, "Nonce").c_str(),
                                         hex_field(r, "PersonalizationString").c_str(),
                                         hex_field(r, "AdditionalInput").c_str(),
                                         hex_field(r, "EntropyInputReseed").c_str(),
                                         hex_field(r, "AdditionalInputReseed").c_str(),
                                         hex_field(r, "AdditionalInput#2").c_str(), 0);
        EXPECT_EQ(n, bits / 4) << r.where(kDrbgFile);
        EXPECT_EQ(std::string(out.data()), r.get("ReturnedBits")) << r.where(kDrbgFile);
        ++checked;
    }
    EXPECT_EQ(checked, 240);
}

TEST(RngDrbgvs, QueryLengthsAndCodes) {
    EXPECT_EQ(RNG_TestDRBGVS(nullptr, 0, 2048, "", "", "", "", "", "", "", 0), 512);
    EXPECT_EQ(RNG_TestDRBGVS(nullptr, 0, 12, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0), 4);
    char out[16];
    EXPECT_EQ(RNG_TestDRBGVS(out, 15, 12, "00", "", "", "", "", "", "", 0), 4);
    EXPECT_EQ(std::strlen(out), 4u);
    EXPECT_EQ(RNG_TestDRBGVS(out, 5, 64, "0011", "zz22", "", "", "", "", "", 0), 4);  // whole bytes only
    EXPECT_EQ(RNG_TestDRBGVS(out, 15, 0, "", "", "", "", "", "", "", 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(API_ErrorCode(), BAD_PARAM_ERROR);
    // Larger than any key request: no 65,536-byte cap here.
    const int32_t bits = 8 * 70000;
    std::vector<char> big(2 * 70000 + 1);
    EXPECT_EQ(RNG_TestDRBGVS(big.data(), 2 * 70000, bits, "01", "02", "", "", "", "", "", 0), 140000);
    EXPECT_EQ(API_ErrorCode(), 0);
}

TEST(RngStatisticalTest, ReportFileAndResults) {
    const int32_t rc = RNG_Test(nullptr);
    EXPECT_TRUE(rc == 0 || rc == 1);
    EXPECT_TRUE(RNG_Test("") == 0 || API_ErrorCode() == 1);
    tu::TempDir dir;
    const std::string report = dir.file("report.txt");
    const int32_t rc2 = RNG_Test(report.c_str());
    EXPECT_TRUE(rc2 == 0 || rc2 == 1);
    const std::string text = tu::read_file(report);
    EXPECT_EQ(text.rfind("FIPS140-2 test for 20000 bits (2500 bytes) at ", 0), 0u);
    EXPECT_NE(text.find("Test sample was:-"), std::string::npos);
    EXPECT_EQ(RNG_Test(dir.file("no/such/dir/report.txt").c_str()), -PRNG_ERR_FILE_CREATE);
    EXPECT_EQ(API_ErrorCode(), PRNG_ERR_FILE_CREATE);
}

TEST(RngPromptArguments, AreRefusedBeforeAnyPrompt) {
    uint8_t b[8];
    char h[8];
    EXPECT_EQ(RNG_BytesWithPrompt(b, 65537, nullptr, RNG_OPT_CONSOLE_PROMPT), PRNG_ERR_TOOBIG);
    EXPECT_EQ(RNG_BytesWithPrompt(nullptr, 8, nullptr, RNG_OPT_CONSOLE_PROMPT), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_BytesWithPrompt(b, -1, nullptr, 0), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_HexWithPrompt(nullptr, 8, 4, nullptr, 0), NULL_ERROR);
    EXPECT_EQ(RNG_HexWithPrompt(h, 7, 0, nullptr, 0), BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_HexWithPrompt(h, 7, 65537, nullptr, 0), PRNG_ERR_TOOBIG);
    EXPECT_EQ(RNG_MakeSeedFile(nullptr, nullptr, 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_MakeSeedFile("", nullptr, 0), -BAD_PARAM_ERROR);
}

TEST(RngSeedFiles, CreateUpdateAndTheirCodes) {
    tu::TempDir dir;
    const std::string seed = dir.file("seed.bin");
    EXPECT_EQ(RNG_Initialize(seed.c_str(), 0), 0);  // created
    EXPECT_EQ(file_size(seed), 128u);
#if !defined(_WIN32)
    struct stat st;
    ASSERT_EQ(stat(seed.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
    const std::string first = tu::read_file(seed);
    EXPECT_EQ(RNG_UpdateSeedFile(seed.c_str()), 0);
    const std::string second = tu::read_file(seed);
    EXPECT_EQ(second.size(), 128u);
    EXPECT_NE(first, second);
    EXPECT_EQ(RNG_UpdateSeedFile(seed.c_str()), 0);
    EXPECT_NE(tu::read_file(seed), second);

    // A longer file: only its first 128 bytes are rewritten.
    const std::string longer = dir.file("long.bin");
    std::string content(500, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    tu::write_file(longer, content);
    EXPECT_EQ(RNG_UpdateSeedFile(longer.c_str()), 0);
    const std::string after = tu::read_file(longer);
    ASSERT_EQ(after.size(), 500u);
    EXPECT_NE(after.substr(0, 128), content.substr(0, 128));
    EXPECT_EQ(after.substr(128), content.substr(128));

    // A shorter one grows to 128 bytes.
    const std::string shorter = dir.file("short.bin");
    tu::write_file(shorter, "0123456789");
    EXPECT_EQ(RNG_UpdateSeedFile(shorter.c_str()), 0);
    EXPECT_EQ(file_size(shorter), 128u);

    EXPECT_EQ(RNG_UpdateSeedFile(dir.file("missing").c_str()), -PRNG_ERR_FILE_OPEN);
    EXPECT_EQ(API_ErrorCode(), PRNG_ERR_FILE_OPEN);
    EXPECT_EQ(RNG_UpdateSeedFile(""), -BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_UpdateSeedFile(nullptr), -BAD_PARAM_ERROR);
    EXPECT_EQ(RNG_Initialize(dir.file("no/such/dir/seed").c_str(), 0), -PRNG_ERR_FILE_CREATE);
    EXPECT_EQ(API_ErrorCode(), PRNG_ERR_FILE_CREATE);
}

#if !defined(_WIN32)

// Switching the processor generator off lasts for the process: checked in a
// child.
TEST(RngInitialize, ReportsTheProcessorGeneratorAndSwitchesItOff) {
    const int32_t caps = RNG_Initialize(nullptr, 0);
    EXPECT_TRUE(caps == -PRNG_ERR_NOTAVAIL || (caps >= 1 && caps <= 3)) << caps;
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const bool off = RNG_Initialize(nullptr, RNG_OPT_NO_CPU_RNG) == -PRNG_ERR_NOTAVAIL &&
                         RNG_Initialize(nullptr, 0) == -PRNG_ERR_NOTAVAIL && API_ErrorCode() == PRNG_ERR_NOTAVAIL;
        uint8_t k[16];
        _exit(off && RNG_KeyBytes(k, 16, nullptr, 0) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Another process holds the seed file's lock: ten attempts a second apart,
// then PRNG_ERR_FILE_LOCK, and the file is untouched. Takes about 9 s (its
// own ctest entry, api_tests_slow).
TEST(RngSeedFileLock, HeldByAnotherProcessGivesFileLockAfterTenAttempts) {
    tu::TempDir dir;
    const std::string seed = dir.file("seed.bin");
    tu::write_file(seed, std::string(128, 's'));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = open(seed.c_str(), O_RDWR);
        struct flock fl;
        std::memset(&fl, 0, sizeof fl);
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_len = 128;
        const bool locked = fd >= 0 && fcntl(fd, F_OFD_SETLK, &fl) == 0;
        const char c = locked ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1) _exit(2);
        sleep(30);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RNG_UpdateSeedFile(seed.c_str()), -PRNG_ERR_FILE_LOCK);
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_GT(waited, 8.5);
    EXPECT_LT(waited, 12.0);
    EXPECT_EQ(tu::read_file(seed), std::string(128, 's'));
    // Once the holder is gone the update goes through.
    EXPECT_EQ(RNG_UpdateSeedFile(seed.c_str()), 0);
}

#endif
