// setuid_probe LIBRARY: loads the library and unloads it. Installed
// set-user-ID by setuid_test.cpp, with the test build of the library made to
// fail a load-time check, so that the load writes a fatal report whose
// options come from the environment only where the environment is trusted.
#include <dlfcn.h>

// In the sanitizer build: LeakSanitizer cannot run in a set-user-ID process
// (it is not dumpable), and the environment's options may not be read there.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
extern "C" const char* __lsan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return 3;
    dlclose(lib);
    return 0;
}
