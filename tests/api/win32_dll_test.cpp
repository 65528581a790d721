// Tessalib.dll as Windows sees it: its resources, its load and unload around
// live threads, and short path names from the file system. Windows only.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

#if defined(_WIN32)
#include <windows.h>

namespace {

HMODULE the_dll() { return GetModuleHandleA("Tessalib.dll"); }

std::string module_file(HMODULE module) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, n);
}

std::vector<uint16_t> utf16_of(const std::string& ascii) {
    std::vector<uint16_t> out(ascii.begin(), ascii.end());
    out.push_back(0);
    return out;
}

// ASCII lower case: Windows file names compare without case.
std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

using ErrorCodeFn = int32_t(TESSALIB_CALL*)(void);
using HexFn = int32_t(TESSALIB_CALL*)(char*, int32_t, const unsigned char*, int32_t);

// A thread that exists before the library is loaded, calls it once loaded and
// is still running when the library is unloaded.
struct EarlyThread {
    HANDLE loaded;
    HANDLE called;
    HANDLE release;
    HexFn hex;
    ErrorCodeFn error_code;
    int32_t hex_result;
    int32_t error_after;
    char text[8];
};

DWORD WINAPI early_thread(void* arg) {
    auto* t = static_cast<EarlyThread*>(arg);
    WaitForSingleObject(t->loaded, INFINITE);
    const unsigned char bytes[2] = {0xDE, 0xAD};
    t->hex_result = t->hex(nullptr, 10, nullptr, 1);  // fails: no input
    t->error_after = t->error_code();
    t->hex(t->text, 7, bytes, 2);
    SetEvent(t->called);
    WaitForSingleObject(t->release, INFINITE);
    return 0;
}

}  // namespace

TEST(Win32Dll, CarriesItsVersionResource) {
    const std::string path = module_file(the_dll());
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    ASSERT_GE(len, sizeof *fixed);
    EXPECT_EQ(fixed->dwFileVersionMS, (6u << 16) | 22u);
    EXPECT_EQ(fixed->dwFileVersionLS, (5u << 16) | 1u);
    EXPECT_EQ(fixed->dwProductVersionMS, (6u << 16) | 22u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    const struct {
        const char* name;
        const char* value;
    } strings[] = {
        {"CompanyName", "Tessalib developers"},
        {"FileDescription", "Tessalib cryptography library"},
        {"FileVersion", "6.22.5.1"},
        {"InternalName", "Tessalib.dll"},
        {"OriginalFilename", "Tessalib.dll"},
        {"ProductName", "Tessalib"},
        {"ProductVersion", "6.22.0.0"},
    };
    for (const auto& s : strings) {
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + s.name;
        ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &len)) << s.name;
        EXPECT_STREQ(value, s.value) << s.name;
    }
}

TEST(Win32Dll, ModuleNameIsTheDllsPathNotTheHosts) {
    const std::string dll = module_file(the_dll());
    const std::string host = module_file(nullptr);
    ASSERT_FALSE(dll.empty());
    ASSERT_NE(dll, host);
    const int32_t len = API_ModuleName(nullptr, 0, 0);
    ASSERT_EQ(len, static_cast<int32_t>(dll.size()));
    std::string name(dll.size() + 1, 'x');
    EXPECT_EQ(API_ModuleName(&name[0], len, 0), len);
    name.resize(dll.size());
    EXPECT_EQ(name, dll);
}

TEST(Win32Dll, MessageTableHoldsOneInsertionStringPerEventCode) {
    HRSRC found = FindResourceExA(the_dll(), reinterpret_cast<LPCSTR>(RT_MESSAGETABLE), MAKEINTRESOURCEA(1),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const MESSAGE_RESOURCE_DATA*>(LockResource(LoadResource(the_dll(), found)));
    ASSERT_NE(data, nullptr);
    const auto* base = reinterpret_cast<const unsigned char*>(data);
    ASSERT_EQ(data->NumberOfBlocks, 2u);
    const DWORD ranges[2][2] = {{0xC000029Au, 0xC000029Du}, {0xC0001F40u, 0xC0001F55u}};
    for (int b = 0; b < 2; ++b) {
        const MESSAGE_RESOURCE_BLOCK& block = data->Blocks[b];
        EXPECT_EQ(block.LowId, ranges[b][0]);
        EXPECT_EQ(block.HighId, ranges[b][1]);
        const unsigned char* p = base + block.OffsetToEntries;
        for (DWORD id = block.LowId; id <= block.HighId; ++id) {
            const auto* entry = reinterpret_cast<const MESSAGE_RESOURCE_ENTRY*>(p);
            EXPECT_EQ(entry->Flags, 0u) << std::hex << id << ": 8-bit text";
            EXPECT_STREQ(reinterpret_cast<const char*>(entry->Text), "%1\r\n") << std::hex << id;
            p += entry->Length;
        }
    }

    // As an event viewer formats an event: the insertion string and a line break.
    const DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>("PRNG health check failed")};
    char text[128] = "";
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, the_dll(),
                                   0xC0001F42u, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text,
                                   reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
    EXPECT_EQ(n, 26u);
    EXPECT_STREQ(text, "PRNG health check failed\r\n");
}

TEST(Win32Dll, LoadsUnloadsAndReloadsAroundLiveThreads) {
    // A copy under another name is a module of its own, loaded and unloaded
    // here independently of the one this program links.
    tu::TempDir dir;
    const std::string copy = dir.file("TessalibCopy.dll");
    ASSERT_TRUE(CopyFileA(module_file(the_dll()).c_str(), copy.c_str(), FALSE));
    for (int round = 0; round < 20; ++round) {
        EarlyThread t{};
        t.loaded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        t.called = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        t.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE thread = CreateThread(nullptr, 0, early_thread, &t, 0, nullptr);
        ASSERT_NE(thread, nullptr);

        HMODULE lib = LoadLibraryA(copy.c_str());
        ASSERT_NE(lib, nullptr) << "round " << round;
        EXPECT_NE(lib, the_dll());
        t.hex = reinterpret_cast<HexFn>(reinterpret_cast<void*>(GetProcAddress(lib, "CNV_HexStrFromBytes")));
        t.error_code = reinterpret_cast<ErrorCodeFn>(reinterpret_cast<void*>(GetProcAddress(lib, "API_ErrorCode")));
        ASSERT_NE(t.hex, nullptr);
        ASSERT_NE(t.error_code, nullptr);
        SetEvent(t.loaded);
        WaitForSingleObject(t.called, INFINITE);
        EXPECT_EQ(t.hex_result, -BAD_PARAM_ERROR);
        EXPECT_EQ(t.error_after, BAD_PARAM_ERROR) << "the thread's own last error in the new module";
        EXPECT_STREQ(t.text, "DEAD");
        EXPECT_EQ(API_ErrorCode(), 0) << "the linked module keeps its own state";

        // Unload while the thread still runs, then let it end.
        EXPECT_TRUE(FreeLibrary(lib));
        SetEvent(t.release);
        EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
        for (HANDLE h : {thread, t.loaded, t.called, t.release}) CloseHandle(h);
    }
}

namespace {

// The fatal reporter's options under HKLM for the life of a test: no message
// box, the error log in a folder of the test's own; the key is removed after.
class ReporterOptions {
public:
    explicit ReporterOptions(const std::string& log_dir) {
        ok_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr) ==
              ERROR_SUCCESS;
        if (!ok_) return;
        const DWORD one = 1;
        ok_ = RegSetValueExA(key_, "NoMessageBox", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one) ==
                  ERROR_SUCCESS &&
              RegSetValueExA(key_, "ErrorLogDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(log_dir.c_str()),
                             static_cast<DWORD>(log_dir.size() + 1)) == ERROR_SUCCESS;
    }
    ~ReporterOptions() {
        if (key_ != nullptr) RegCloseKey(key_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    }
    bool ok() const { return ok_; }

private:
    static constexpr const char* kKey = "Software\\Quorvane\\Tessaly\\Options";
    HKEY key_ = nullptr;
    bool ok_ = false;
};

// The file offset of a relative virtual address of a loaded module, from its
// section headers (the same in the file as in memory); 0 when none holds it.
std::size_t file_offset_of(HMODULE module, std::uintptr_t rva) {
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->SizeOfRawData)
            return static_cast<std::size_t>(rva - section->VirtualAddress + section->PointerToRawData);
    }
    return 0;
}

}  // namespace

TEST(Win32Dll, ACopyWithOneByteOfAFunctionChangedFailsToLoadWithEvent0xC0001F41) {
    tu::TempDir dir;
    ReporterOptions options(dir.path());
    ASSERT_TRUE(options.ok());
    const std::string original = module_file(the_dll());
    std::string file = tu::read_file(original);
    const auto fn = reinterpret_cast<std::uintptr_t>(reinterpret_cast<void*>(GetProcAddress(the_dll(), "AES128_Bytes")));
    const std::size_t offset = file_offset_of(the_dll(), fn - reinterpret_cast<std::uintptr_t>(the_dll()));
    ASSERT_GT(offset, 0u);
    ASSERT_LT(offset + 4, file.size());
    file[offset + 2] = static_cast<char>(file[offset + 2] ^ 0x01);
    const std::string copy = dir.file("TessalibChanged.dll");
    tu::write_file(copy, file);

    // The unchanged copy loads; the changed one does not, and says why.
    const std::string same = dir.file("TessalibSame.dll");
    ASSERT_TRUE(CopyFileA(original.c_str(), same.c_str(), FALSE));
    HMODULE lib = LoadLibraryA(same.c_str());
    ASSERT_NE(lib, nullptr);
    FreeLibrary(lib);
    EXPECT_EQ(LoadLibraryA(copy.c_str()), nullptr);
    const std::string log = tu::read_file(dir.file("apierr.log"));
    EXPECT_NE(log.find("Tessalib (c0001f41) Software self-integrity test failed. Application terminated"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Tessalib (", log.find("Tessalib (") + 1), std::string::npos) << "one report only";
}

TEST(Win32CnvShortPathName, GivesARealShortNameThatLeadsBackToTheFile) {
    tu::TempDir dir;
    const std::string folder = dir.file("A Long Folder Name");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string file = folder + "\\another long name.text";
    tu::write_file(file, "short");
    const auto path = utf16_of(file);

    const int32_t size = CNV_ShortPathName(nullptr, 0, path.data());
    ASSERT_GT(size, 1);
    std::vector<char> out(static_cast<std::size_t>(size) + 1);
    ASSERT_EQ(CNV_ShortPathName(out.data(), size, path.data()), size - 1);
    const std::string short_form = out.data();

    // Every component after the drive fits 8.3 and has no spaces.
    ASSERT_EQ(short_form.substr(0, 3), file.substr(0, 3));
    std::size_t start = 3;
    while (start < short_form.size()) {
        std::size_t end = short_form.find('\\', start);
        if (end == std::string::npos) end = short_form.size();
        const std::string part = short_form.substr(start, end - start);
        const std::size_t dot = part.find('.');
        EXPECT_LE(dot == std::string::npos ? part.size() : dot, 8u) << short_form;
        if (dot != std::string::npos) {
            EXPECT_LE(part.size() - dot - 1, 3u) << short_form;
        }
        EXPECT_EQ(part.find(' '), std::string::npos) << short_form;
        start = end + 1;
    }
    EXPECT_NE(short_form, file);

    // The short name leads back to the same file.
    char long_form[MAX_PATH];
    ASSERT_GT(GetLongPathNameA(short_form.c_str(), long_form, MAX_PATH), 0u);
    EXPECT_EQ(lower(long_form), lower(file));
    EXPECT_EQ(tu::read_file(short_form), "short");
}

#endif  // _WIN32
