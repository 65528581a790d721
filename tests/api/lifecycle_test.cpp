// Loading and unloading the shared library at run time around live threads.
// Linux only: the Windows twin is in win32_dll_test.cpp.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "tessalib.h"
#include "test_util.h"

#if !defined(_WIN32)
#include <dlfcn.h>

namespace {

using ErrorCodeFn = int32_t (*)(void);
using HexFn = int32_t (*)(char*, int32_t, const unsigned char*, int32_t);

// A one-shot signal between two threads.
class Signal {
public:
    void set() {
        std::lock_guard<std::mutex> lock(m_);
        set_ = true;
        cv_.notify_all();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [&] { return set_; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool set_ = false;
};

}  // namespace

TEST(ModuleLifecycle, ThreadRunningBeforeTheLoadGetsItsStateAtFirstCall) {
    // A private copy, so that this load is a second, independent instance.
    tu::TempDir dir;
    const std::string copy = dir.file("libtessalib-copy.so");
    std::filesystem::copy_file(TESSALIB_SHARED_PATH, copy);

    Signal loaded, called, release;
    HexFn hex = nullptr;
    ErrorCodeFn error_code = nullptr;
    int32_t failed = 0, error_after_failure = -1, error_after_success = -1;
    std::thread early([&] {
        loaded.wait();
        failed = hex(nullptr, 10, nullptr, 1);  // NULL input: BAD_PARAM_ERROR
        error_after_failure = error_code();
        const unsigned char bytes[2] = {0xDE, 0xAD};
        char out[8];
        hex(out, 7, bytes, 2);
        error_after_success = error_code();
        called.set();
        release.wait();  // still running when the library is unloaded
    });

    void* lib = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    hex = reinterpret_cast<HexFn>(dlsym(lib, "CNV_HexStrFromBytes"));
    error_code = reinterpret_cast<ErrorCodeFn>(dlsym(lib, "API_ErrorCode"));
    ASSERT_NE(hex, nullptr);
    ASSERT_NE(error_code, nullptr);
    loaded.set();
    called.wait();
    EXPECT_EQ(failed, -BAD_PARAM_ERROR);
    EXPECT_EQ(error_after_failure, BAD_PARAM_ERROR);
    EXPECT_EQ(error_after_success, 0);
    // The copy's last error is its own: this thread's state in the linked
    // library is untouched, and the copy sees nothing of it either.
    EXPECT_EQ(error_code(), 0);

    EXPECT_EQ(dlclose(lib), 0);  // frees every block, the early thread's too
    release.set();
    early.join();  // its end must not touch the unloaded library

    // Loading again gives a working instance.
    lib = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    error_code = reinterpret_cast<ErrorCodeFn>(dlsym(lib, "API_ErrorCode"));
    ASSERT_NE(error_code, nullptr);
    EXPECT_EQ(error_code(), 0);
    EXPECT_EQ(dlclose(lib), 0);
}

#endif
