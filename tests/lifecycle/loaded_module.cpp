#include "loaded_module.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace lt {

int run_in_child(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        // exit, not _exit: under AddressSanitizer the leak check runs now
        // and fails the child when a block was left behind.
        std::exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

LoadedModule::LoadedModule(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) error_ = dlerror();
}

LoadedModule::~LoadedModule() { unload(); }

bool LoadedModule::unload() {
    if (handle_ == nullptr) return true;
    const bool ok = dlclose(handle_) == 0;
    handle_ = nullptr;
    return ok;
}

void use_error_log_in(const std::string& dir) {
    const std::string options = dir + "/options";
    std::ofstream(options) << "NoMessageBox=1\nErrorLogDir=" << dir << "\n";
    setenv("TESSALIB_OPTIONS_FILE", options.c_str(), 1);
}

std::string logged_events(const std::string& dir) {
    std::ifstream log(dir + "/apierr.log");
    std::string line, events;
    while (std::getline(log, line)) {
        // "Tessalib (c0001f46) Failed Known Answer Test for SHA-1"
        const std::size_t open = line.find("Tessalib (");
        if (open != 0) continue;
        const std::size_t close = line.find(')', open);
        if (!events.empty()) events += ' ';
        events += line.substr(10, close - 10);
    }
    return events;
}

}  // namespace lt
