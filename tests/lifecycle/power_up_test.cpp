// The load-time checks of the library as a loader meets them: the test build
// (tessalib_faults) made to fail each known-answer test, the integrity test
// and the health check in turn, and a copy of the shipped library with one
// byte of a function changed. Each load runs in a child process with its own
// error log.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "loaded_module.h"
#include "test_util.h"

namespace {

struct FaultCase {
    const char* fault;  // TESSALIB_TEST_FAULT
    const char* event;  // the check's own event code
};

// The eighteen known-answer tests in the order they run, then the other two
// load-time checks.
constexpr FaultCase kKnownAnswerFaults[] = {
    {"sha1", "c0001f46"},        {"sha256", "c0001f47"},      {"sha384", "c0001f48"},
    {"sha512", "c0001f49"},      {"sha224", "c0001f4a"},      {"sha3", "c0001f55"},
    {"md5", "c0001f4b"},         {"tdea", "c0001f43"},        {"aes", "c0001f44"},
    {"blowfish", "c0001f45"},    {"hmac-sha1", "c0001f4c"},   {"hmac-sha256", "c0001f4d"},
    {"hmac-sha384", "c0001f4e"}, {"hmac-sha512", "c0001f4f"}, {"hmac-sha224", "c0001f50"},
    {"hmac-md5", "c0001f53"},    {"cmac-aes", "c0001f51"},    {"cmac-tdea", "c0001f52"},
};

// In the child: checks that a loaded module is in its failed state (an
// export refuses and records 23, API_PowerUpTests fails) and returns the
// number of failed checks.
int expect_failed_state(const lt::LoadedModule& m) {
    int failures = 0;
    if (LT_EXPORT(m, HASH_Length)(0) != -TEST_FAILED_ERROR || LT_EXPORT(m, API_ErrorCode)() != TEST_FAILED_ERROR) {
        std::fprintf(stderr, "an export did not refuse\n");
        ++failures;
    }
    if (LT_EXPORT(m, API_PowerUpTests)() != -TEST_FAILED_ERROR) {
        std::fprintf(stderr, "API_PowerUpTests passed\n");
        ++failures;
    }
    return failures;
}

int expect_events(const std::string& dir, const std::string& want, const char* when) {
    const std::string got = lt::logged_events(dir);
    if (got == want) return 0;
    std::fprintf(stderr, "%s: events \"%s\", expected \"%s\"\n", when, got.c_str(), want.c_str());
    return 1;
}

}  // namespace

TEST(PowerUpTests, TheTestBuildPassesWhenNoCheckIsMadeToFail) {
    tu::TempDir dir;
    const int rc = lt::run_in_child([&] {
        lt::use_error_log_in(dir.path());
        unsetenv("TESSALIB_TEST_FAULT");
        lt::LoadedModule m(lt::faults_library());
        if (!m.loaded()) return 1;
        unsigned char digest[20];
        const int ok = LT_EXPORT(m, HASH_Bytes)(digest, 20, reinterpret_cast<const unsigned char*>("abc"), 3, 0) ==
                           20 &&
                       LT_EXPORT(m, API_PowerUpTests)() == 0;
        return ok ? expect_events(dir.path(), "", "no fault") : 1;
    });
    EXPECT_EQ(rc, 0);
}

namespace {

// Loads the test build with one check made to fail, in a child: the events
// logged at load, then the failed state, then the events after
// API_PowerUpTests ran the checks again.
void expect_fault(const char* fault, const std::string& at_load, const std::string& after_rerun) {
    SCOPED_TRACE(fault);
    tu::TempDir dir;
    const int rc = lt::run_in_child([&] {
        lt::use_error_log_in(dir.path());
        setenv("TESSALIB_TEST_FAULT", fault, 1);
        lt::LoadedModule m(lt::faults_library());
        if (!m.loaded()) return 1;
        int failures = expect_events(dir.path(), at_load, "at load");
        failures += expect_failed_state(m);
        failures += expect_events(dir.path(), after_rerun, "after the rerun");
        return failures;
    });
    EXPECT_EQ(rc, 0);
}

}  // namespace

TEST(PowerUpTests, EachFailingKnownAnswerTestReportsItsOwnEventThenThePowerUpFailure) {
    // The failing test's event, then 0xC0001F40 (the tests after it and the
    // health check did not run); API_PowerUpTests runs them again, and only
    // the test reports.
    for (const FaultCase& f : kKnownAnswerFaults) {
        const std::string event = f.event;
        expect_fault(f.fault, event + " c0001f40", event + " c0001f40 " + event);
    }
}

TEST(PowerUpTests, IntegrityAndHealthFailuresReportTheirEventAtLoadAndNothingOnARerun) {
    expect_fault("integrity", "c0001f41", "c0001f41");
    expect_fault("health", "c0001f42", "c0001f42");
}

namespace {

// The file offset of the byte at a virtual address of a loaded ELF file, from
// its program headers; 0 when no loaded segment holds it.
std::size_t file_offset_of(const std::vector<char>& file, std::uintptr_t vaddr) {
    const auto* eh = reinterpret_cast<const Elf64_Ehdr*>(file.data());
    for (int i = 0; i < eh->e_phnum; ++i) {
        const auto* ph = reinterpret_cast<const Elf64_Phdr*>(file.data() + eh->e_phoff + i * eh->e_phentsize);
        if (ph->p_type == PT_LOAD && vaddr >= ph->p_vaddr && vaddr < ph->p_vaddr + ph->p_filesz)
            return static_cast<std::size_t>(vaddr - ph->p_vaddr + ph->p_offset);
    }
    return 0;
}

}  // namespace

TEST(SelfIntegrityTest, ACopyWithOneByteOfAFunctionFlippedFailsItsLoadWithEvent0xC0001F41) {
    tu::TempDir dir;
    const std::string copy = dir.file("libtessalib-changed.so");
    const int rc = lt::run_in_child([&] {
        lt::use_error_log_in(dir.path());
        std::ifstream in(lt::shipped_library(), std::ios::binary);
        std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // Where AES128_Bytes's code is in the file, from the shipped library
        // loaded as it is.
        std::size_t offset = 0;
        {
            lt::LoadedModule original(lt::shipped_library());
            Dl_info info{};
            void* fn = original.symbol("AES128_Bytes");
            if (fn == nullptr || dladdr(fn, &info) == 0) return 1;
            offset = file_offset_of(file, reinterpret_cast<std::uintptr_t>(fn) -
                                              reinterpret_cast<std::uintptr_t>(info.dli_fbase));
            if (expect_events(dir.path(), "", "the original")) return 1;
        }
        if (offset == 0 || offset + 4 > file.size()) return 1;
        file[offset + 2] = static_cast<char>(file[offset + 2] ^ 0x01);
        std::ofstream(copy, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));

        lt::LoadedModule changed(copy);
        if (!changed.loaded()) return 1;
        int failures = expect_events(dir.path(), "c0001f41", "at load");
        failures += expect_failed_state(changed);
        failures += expect_events(dir.path(), "c0001f41", "after the rerun");
        return failures;
    });
    EXPECT_EQ(rc, 0);
}
