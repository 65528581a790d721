// setuid_probe LIBRARY: loads the library and unloads it. Installed
// set-user-ID by setuid_test.cpp, with the test build of the library made to
// fail a load-time check, so that the load writes a fatal report whose
// options come from the environment only where the environment is trusted.
#include <dlfcn.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return 3;
    dlclose(lib);
    return 0;
}
