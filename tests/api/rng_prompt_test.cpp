// The console prompt driven as a user would: through a pseudo-terminal (keys
// read one at a time without echo, the terminal's settings restored) and
// through a pipe (raw bytes; the end of input ends the prompt). Linux only;
// the Windows dialog is driven in win32_prompt_test.cpp.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "tessalib.h"

namespace {

constexpr int kTarget128 = RNG_STRENGTH_128 | RNG_OPT_CONSOLE_PROMPT;

// Keys alternating between two values: each one differs from the one before.
std::string alternating(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += (i % 2 == 0) ? 'a' : 'b';
    return s;
}

bool write_all(int fd, const std::string& s) {
    std::size_t put = 0;
    while (put < s.size()) {
        const ssize_t w = write(fd, s.data() + put, s.size() - put);
        if (w <= 0) return false;
        put += static_cast<std::size_t>(w);
    }
    return true;
}

// Everything readable from fd until it ends or nothing comes for `ms`.
std::string drain(int fd, int ms) {
    std::string out;
    char buf[512];
    for (;;) {
        struct pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) break;
        const ssize_t r = read(fd, buf, sizeof buf);
        if (r <= 0) break;
        out.append(buf, static_cast<std::size_t>(r));
    }
    return out;
}

// Waits up to `ms` for the child; true with its status when it ended.
bool wait_for(pid_t pid, int ms, int* status) {
    for (int waited = 0; waited <= ms; waited += 20) {
        if (waitpid(pid, status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The child's side: one prompt, then exit 0 when it returned 0 (and, on a
// terminal, its settings are as they were).
[[noreturn]] void run_prompt(bool check_terminal) {
    struct termios before;
    if (check_terminal) tcgetattr(STDIN_FILENO, &before);
    unsigned char out[32];
    const int32_t rc = RNG_BytesWithPrompt(out, sizeof out, "Type now", kTarget128);
    bool restored = true;
    if (check_terminal) {
        struct termios after;
        tcgetattr(STDIN_FILENO, &after);
        restored = after.c_lflag == before.c_lflag;
    }
    _exit(rc == 0 && restored ? 0 : 1);
}

// A child running the prompt with pipes for its standard input and output;
// in[1] and out[0] are the parent's ends.
struct PipedPrompt {
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    pid_t pid = -1;
    bool start() {
        if (pipe(in) != 0 || pipe(out) != 0) return false;
        std::fflush(nullptr);  // nothing of ours is left in the child's buffers
        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            close(in[1]);
            close(out[0]);
            run_prompt(false);
        }
        close(in[0]);
        close(out[1]);
        return true;
    }
};

}  // namespace

TEST(ConsolePrompt, PipeNeeds171AlternatingKeysFor128Bits) {
    PipedPrompt child;
    ASSERT_TRUE(child.start());
    const pid_t pid = child.pid;
    int status = 0;
    ASSERT_TRUE(write_all(child.in[1], alternating(170)));
    EXPECT_FALSE(wait_for(pid, 1500, &status)) << "170 keys (127.5 bits) must not reach 128 bits";
    // A repeated key earns nothing.
    ASSERT_TRUE(write_all(child.in[1], "bbbb"));
    EXPECT_FALSE(wait_for(pid, 300, &status));
    ASSERT_TRUE(write_all(child.in[1], "a"));  // the 171st credited key
    ASSERT_TRUE(wait_for(pid, 5000, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string shown = drain(child.out[0], 200);
    close(child.in[1]);
    close(child.out[0]);
    EXPECT_EQ(shown.rfind("Type now\n\r0%", 0), 0u) << shown;
    EXPECT_NE(shown.find("\r99%\n"), std::string::npos) << "the last figure is below 100 and ends the line";
    EXPECT_EQ(shown.find("100%"), std::string::npos);
}

TEST(ConsolePrompt, TheEndOfInputEndsThePrompt) {
    PipedPrompt child;
    ASSERT_TRUE(child.start());
    const pid_t pid = child.pid;
    ASSERT_TRUE(write_all(child.in[1], alternating(10)));
    close(child.in[1]);
    int status = 0;
    ASSERT_TRUE(wait_for(pid, 5000, &status)) << "the prompt hung at the end of its input";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(child.out[0]);
}

TEST(ConsolePrompt, ATerminalIsReadKeyByKeyWithoutEcho) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string slave_name = ptsname(master);
    std::fflush(nullptr);  // nothing of ours is left in the child's buffers
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setsid();
        const int slave = open(slave_name.c_str(), O_RDWR);  // becomes the controlling terminal
        if (slave < 0) _exit(3);
        dup2(slave, STDIN_FILENO);
        dup2(slave, STDOUT_FILENO);
        run_prompt(true);
    }
    // Wait for the prompt to be shown, then type.
    std::string shown = drain(master, 3000);
    ASSERT_NE(shown.find("Type now"), std::string::npos) << shown;
    ASSERT_TRUE(write_all(master, alternating(171)));
    int status = 0;
    const bool ended = wait_for(pid, 10000, &status);
    shown += drain(master, 200);
    if (!ended) kill(pid, SIGKILL);
    ASSERT_TRUE(ended) << shown;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "prompt failed or terminal not restored";
    EXPECT_EQ(shown.find("abab"), std::string::npos) << "keys were echoed: " << shown;
    EXPECT_NE(shown.find("99%"), std::string::npos);
    close(master);
}

TEST(DialogPrompt, WithoutATerminalNoPromptRuns) {
    // Standard input is not a terminal: the dialog cannot be created here, so
    // the call returns at once with output from the generator.
    std::fflush(nullptr);  // nothing of ours is left in the child's buffers
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int null_fd = open("/dev/null", O_RDWR);
        dup2(null_fd, STDIN_FILENO);
        unsigned char out[16];
        char hex[33];
        const bool ok = RNG_BytesWithPrompt(out, sizeof out, nullptr, RNG_STRENGTH_256) == 0 &&
                        RNG_HexWithPrompt(hex, 32, 16, "", 0) == 0 && std::strlen(hex) == 32;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_TRUE(wait_for(pid, 10000, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

#endif
