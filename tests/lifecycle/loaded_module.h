// A copy of the library loaded at run time, for the tests that watch what
// happens at load, in the module's failed state and at unload. Each test runs
// its loads in a child process of its own (run_in_child), so that a module in
// its failed state, the fatal reports of a load and the process's exit never
// reach the test program itself, which loads no copy of the library.
#pragma once
#include <dlfcn.h>

#include <cstdint>
#include <functional>
#include <string>

#include "tessalib.h"

namespace lt {

// The libraries under test (paths given by the build).
inline const char* shipped_library() { return TESSALIB_SHARED_PATH; }
inline const char* faults_library() { return TESSALIB_FAULTS_PATH; }

// Runs body in a forked child, which then exits with body's result, and
// returns the child's exit status (0 when body returned 0 and, under
// AddressSanitizer, nothing leaked), or 128 + the signal that ended it. What the child writes to
// standard error shows in the test's output.
int run_in_child(const std::function<int()>& body);

// dlopen/dlsym/dlclose with the typed look-up the tests use.
class LoadedModule {
public:
    explicit LoadedModule(const std::string& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }
    void* symbol(const char* name) const { return handle_ != nullptr ? dlsym(handle_, name) : nullptr; }
    // The export of the same type as the header's declaration.
    template <typename Fn>
    Fn* get(const char* name, Fn*) const {
        return reinterpret_cast<Fn*>(symbol(name));
    }
    // dlclose; true when it succeeded.
    bool unload();

private:
    void* handle_ = nullptr;
    std::string error_;
};
#define LT_EXPORT(module, name) ((module).get(#name, static_cast<decltype(&::name)>(nullptr)))

// An options file for the fatal-error reporter (no message box, the error
// log in dir), named in TESSALIB_OPTIONS_FILE for the rest of the process.
void use_error_log_in(const std::string& dir);
// The event codes of the entries of dir/apierr.log, in order, as written
// ("c0001f46", ...).
std::string logged_events(const std::string& dir);

}  // namespace lt
