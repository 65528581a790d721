// The Win32 platform layer: the reporter's registry options, the error log
// beside them, thread notifications of the static library, file names and
// short paths. Windows only; elsewhere the tests are skipped.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/fatal.h"
#include "core/frame.h"
#include "core/lifecycle.h"
#include "core/thread_blocks.h"
#include "platform/platform.h"
#include "test_util.h"

#if defined(_WIN32)
#include <windows.h>

namespace {

constexpr const char* kOptionsKey = "Software\\Quorvane\\Tessaly\\Options";
constexpr const char* kOptionNames[] = {"NoMessageBox", "NoErrorLog", "ErrorLogDir"};

// Gives each test its own values under the options key (written through the
// registry API, as an administrator would) and puts back what was there.
class RegistryOptions : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD disposition = 0;
        const LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                        &key_, &disposition);
        if (rc == ERROR_ACCESS_DENIED) GTEST_SKIP() << "writing the options key needs administrator rights";
        ASSERT_EQ(rc, ERROR_SUCCESS);
        key_was_there_ = disposition == REG_OPENED_EXISTING_KEY;
        for (const char* name : kOptionNames) {
            Saved s{name, false, 0, std::vector<BYTE>(1024)};
            DWORD size = static_cast<DWORD>(s.data.size());
            if (RegQueryValueExA(key_, name, nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS) {
                s.present = true;
                s.data.resize(size);
            }
            saved_.push_back(s);
            RegDeleteValueA(key_, name);
        }
    }

    void TearDown() override {
        if (saved_.empty()) return;  // skipped or failed before anything changed
        if (key_ == nullptr) reopen();
        for (const Saved& s : saved_) {
            if (s.present) {
                RegSetValueExA(key_, s.name.c_str(), 0, s.type, s.data.data(), static_cast<DWORD>(s.data.size()));
            } else {
                RegDeleteValueA(key_, s.name.c_str());
            }
        }
        RegCloseKey(key_);
        if (!key_was_there_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOptionsKey);
    }

    void set_raw(const char* name, DWORD type, const void* data, std::size_t size) {
        ASSERT_EQ(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void set_dword(const char* name, uint32_t value) { set_raw(name, REG_DWORD, &value, sizeof value); }
    void set_text(const char* name, const std::string& text) {
        set_raw(name, REG_SZ, text.c_str(), text.size() + 1);
    }
    void delete_key() {
        RegCloseKey(key_);
        key_ = nullptr;
        ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOptionsKey), ERROR_SUCCESS);
    }
    void reopen() {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    static std::string log_dir_option() {
        char dir[260];
        ReadErrorLogDir(dir, sizeof dir);
        return dir;
    }

    struct Saved {
        std::string name;
        bool present;
        DWORD type;
        std::vector<BYTE> data;
    };
    HKEY key_ = nullptr;
    bool key_was_there_ = false;
    std::vector<Saved> saved_;
};

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD WINAPI wait_for_event(void* event) {
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

std::vector<uint16_t> utf16_of(const std::string& ascii) {
    std::vector<uint16_t> out(ascii.begin(), ascii.end());
    out.push_back(0);
    return out;
}

}  // namespace

TEST_F(RegistryOptions, MissingKeyOrValuesMeanEveryChannelOn) {
    EXPECT_EQ(ReadOption("NoMessageBox"), 0u);
    EXPECT_EQ(ReadOption("NoErrorLog"), 0u);
    EXPECT_EQ(log_dir_option(), "");
    delete_key();
    EXPECT_EQ(ReadOption("NoMessageBox"), 0u);
    EXPECT_EQ(ReadOption("NoErrorLog"), 0u);
    EXPECT_EQ(log_dir_option(), "");
}

TEST_F(RegistryOptions, NumbersAreTheFirstFourBytesOfAValueOfAnyType) {
    const struct {
        DWORD type;
        std::vector<BYTE> data;
        uint32_t expected;
    } cases[] = {
        {REG_DWORD, {1, 0, 0, 0}, 1u},
        {REG_DWORD, {0x78, 0x56, 0x34, 0x12}, 0x12345678u},
        {REG_BINARY, {2, 1}, 0x0102u},         // shorter: the rest stays 0
        {REG_SZ, {'1', 0}, 0x31u},             // text is taken as its bytes
        {REG_BINARY, {}, 0u},                  // empty
        {REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, 0u},  // longer than four bytes: unreadable
    };
    for (const auto& c : cases) {
        set_raw("NoErrorLog", c.type, c.data.data(), c.data.size());
        EXPECT_EQ(ReadOption("NoErrorLog"), c.expected) << "type " << c.type << ", " << c.data.size() << " bytes";
    }
    // Read afresh at every call.
    set_dword("NoMessageBox", 7);
    EXPECT_EQ(ReadOption("NoMessageBox"), 7u);
    set_dword("NoMessageBox", 0);
    EXPECT_EQ(ReadOption("NoMessageBox"), 0u);
}

TEST_F(RegistryOptions, ErrorLogDirIsTextOfUpTo260Bytes) {
    set_text("ErrorLogDir", "C:\\logs");
    EXPECT_EQ(log_dir_option(), "C:\\logs");
    const std::string expand = "%TEMP%\\x";
    set_raw("ErrorLogDir", REG_EXPAND_SZ, expand.c_str(), expand.size() + 1);
    EXPECT_EQ(log_dir_option(), expand) << "taken as stored, not expanded";
    const std::string longest(259, 'd');
    set_text("ErrorLogDir", longest);
    EXPECT_EQ(log_dir_option(), longest);
    set_text("ErrorLogDir", std::string(300, 'd'));
    EXPECT_EQ(log_dir_option(), "") << "too long to read: absent";
}

TEST_F(RegistryOptions, FatalReportWritesTheErrorLogIntoErrorLogDir) {
    tu::TempDir dir;
    const std::string log = dir.file("apierr.log");
    set_dword("NoMessageBox", 1);
    set_text("ErrorLogDir", dir.path());  // no trailing backslash
    ReportFatal("Failed Power-up tests. Application terminated", 0xC0001F40u);
    // Written in text mode, so every line ends in CR LF here.
    const std::string text = tu::read_file(log);
    ASSERT_EQ(text.find("\r\n"), 24u) << text;  // the ctime line
    EXPECT_EQ(text.substr(26), "Tessalib (c0001f40) Failed Power-up tests. Application terminated\r\n");

    // Appended, one entry per report; nothing when the log is switched off.
    ReportFatal("second", 0xC000029Au);
    EXPECT_NE(tu::read_file(log).find("\nTessalib (c000029a) second\r\n"), std::string::npos);
    set_dword("NoErrorLog", 1);
    const std::size_t before = tu::read_file(log).size();
    ReportFatal("not logged", 0xC0001F41u);
    EXPECT_EQ(tu::read_file(log).size(), before);
}

TEST_F(RegistryOptions, FatalReportWithoutErrorLogDirWritesBesideTheProgram) {
    char exe[MAX_PATH];
    ASSERT_GT(plat::exe_path(exe, sizeof exe), 0u);
    std::string log = exe;
    log = log.substr(0, log.rfind('\\') + 1) + "apierr.log";
    const bool existed = file_exists(log);
    const std::size_t before = existed ? tu::read_file(log).size() : 0;
    set_dword("NoMessageBox", 1);
    ReportFatal("beside the program", 0xC0001F42u);
    const std::string text = tu::read_file(log);
    EXPECT_EQ(text.substr(before + 26), "Tessalib (c0001f42) beside the program\r\n");
    if (!existed) DeleteFileA(log.c_str());
}

TEST(Win32Threads, ThreadsGetABlockAtStartAndLoseItAtExitWithoutCallingIn) {
    // Threads made by the system API that never call the library: the thread
    // notifications alone create and free their blocks.
    constexpr int kThreads = 6;
    const int before = thread_table_count();
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    HANDLE threads[kThreads];
    for (HANDLE& t : threads) {
        t = CreateThread(nullptr, 0, wait_for_event, release, 0, nullptr);
        ASSERT_NE(t, nullptr);
    }
    // A thread's attach notification has run before its start routine, but
    // CreateThread can return before that: wait until each one is running.
    for (int tries = 0; tries < 500 && thread_table_count() < before + kThreads; ++tries) Sleep(2);
    EXPECT_EQ(thread_table_count(), before + kThreads);
    SetEvent(release);
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (HANDLE t : threads) CloseHandle(t);
    CloseHandle(release);
    EXPECT_EQ(thread_table_count(), before);
}

TEST(Win32Module, TheStaticLibrarysModuleIsTheProgram) {
    EXPECT_TRUE(module_is_attached());
    EXPECT_EQ(module_handle(), static_cast<void*>(GetModuleHandleA(nullptr)));
    char module[MAX_PATH];
    char exe[MAX_PATH];
    ASSERT_GT(plat::module_path(module, sizeof module), 0u);
    ASSERT_GT(plat::exe_path(exe, sizeof exe), 0u);
    EXPECT_STREQ(module, exe);
    const std::string name = exe;
    EXPECT_EQ(name.substr(name.rfind('\\') + 1), "engine_tests.exe");
    // A name that does not fit is cut and still terminated.
    char small[8];
    EXPECT_EQ(plat::exe_path(small, sizeof small), 7u);
    EXPECT_EQ(std::string(small), name.substr(0, 7));
}

TEST(Win32ShortPath, ReportsSizeShortFormAndTheSystemsReasonForFailure) {
    tu::TempDir dir;
    const std::string long_dir = dir.file("A Long Folder Name");
    ASSERT_TRUE(CreateDirectoryA(long_dir.c_str(), nullptr));
    const std::string file = long_dir + "\\another long name.text";
    tu::write_file(file, "x");
    const auto path = utf16_of(file);

    uint32_t err = 99;
    const uint32_t size = plat::short_path(path.data(), nullptr, 0, &err);
    ASSERT_GT(size, 1u);
    EXPECT_EQ(err, 0u);
    std::vector<uint16_t> out(size, 0xFFFF);
    EXPECT_EQ(plat::short_path(path.data(), out.data(), size - 1, &err), size) << "too small: the size again";
    EXPECT_EQ(plat::short_path(path.data(), out.data(), size, &err), size - 1);
    EXPECT_EQ(out[size - 1], 0);
    const std::string short_form(out.begin(), out.begin() + (size - 1));
    EXPECT_LT(short_form.size(), file.size());
    EXPECT_EQ(short_form.find(' '), std::string::npos) << short_form;

    // A missing file is "file not found"; for a missing folder Windows says
    // "path not found", Wine "file not found".
    EXPECT_EQ(plat::short_path(utf16_of(dir.file("missing.txt")).data(), nullptr, 0, &err), 0u);
    EXPECT_EQ(err, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(plat::short_path(utf16_of(dir.file("missing") + "\\x.txt").data(), nullptr, 0, &err), 0u);
    EXPECT_TRUE(err == ERROR_PATH_NOT_FOUND || err == ERROR_FILE_NOT_FOUND) << err;
}

#endif  // _WIN32
