// The generator across threads and processes: distinct output per thread,
// the count of live instances at thread end, fork(), and the fatal end of a
// failing generator.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/frame.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/generator.h"
#include "test_util.h"
#include "tessalib.h"

namespace {

uint32_t live_instances() {
    plat::lock_enter();
    const uint32_t n = entropy_accumulator()->liveInstances;
    plat::lock_leave();
    return n;
}

}  // namespace

TEST(RngThreads, EightThreadsDrawingKeysNeverShareOutput) {
    constexpr int kThreads = 8, kKeys = 200;
    std::vector<std::vector<std::string>> keys(kThreads);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &keys, &failures] {
            for (int i = 0; i < kKeys; ++i) {
                uint8_t key[32];
                if (RNG_KeyBytes(key, sizeof key, nullptr, 0) != 0) failures++;
                keys[t].push_back(tu::to_hex(key, sizeof key));
                // Other exports sample entropy at the same time.
                char hex[8];
                CNV_HexStrFromBytes(hex, 4, key, 2);
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
    std::set<std::string> all;
    for (const auto& v : keys) all.insert(v.begin(), v.end());
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kKeys));
}

TEST(RngThreads, AThreadThatEndsLeavesTheLiveInstancesOnce) {
    const uint32_t before = live_instances();
    std::thread([] {
        uint8_t key[16];
        RNG_KeyBytes(key, sizeof key, nullptr, 0);
    }).join();
    EXPECT_EQ(live_instances(), before);
    // A thread that never drew was never counted and is not uncounted.
    std::thread([] {
        char hex[8];
        const uint8_t b[2] = {1, 2};
        CNV_HexStrFromBytes(hex, 4, b, 2);
    }).join();
    EXPECT_EQ(live_instances(), before);
}

TEST(RngThreads, TheLiveInstancesNeverGoBelowZero) {
    std::mutex m;
    std::condition_variable cv;
    bool drawn = false, may_end = false;
    std::thread th([&] {
        uint8_t key[16];
        RNG_KeyBytes(key, sizeof key, nullptr, 0);
        std::unique_lock<std::mutex> lock(m);
        drawn = true;
        cv.notify_all();
        cv.wait(lock, [&] { return may_end; });
    });
    uint32_t saved;
    {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return drawn; });
        plat::lock_enter();
        saved = entropy_accumulator()->liveInstances;
        entropy_accumulator()->liveInstances = 0;
        plat::lock_leave();
        may_end = true;
        cv.notify_all();
    }
    th.join();
    EXPECT_EQ(live_instances(), 0u);
    plat::lock_enter();
    entropy_accumulator()->liveInstances = saved - 1;
    plat::lock_leave();
}

#if !defined(_WIN32)

TEST(RngFork, ParentAndChildDrawDifferentBytes) {
    uint8_t warm[16];
    ASSERT_EQ(RNG_KeyBytes(warm, sizeof warm, nullptr, 0), 0);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        uint8_t key[32];
        const int rc = RNG_KeyBytes(key, sizeof key, nullptr, 0);
        const ssize_t w = write(fds[1], key, sizeof key);
        _exit(rc == 0 && w == 32 ? 0 : 3);
    }
    close(fds[1]);
    uint8_t parent[32], child[32];
    ASSERT_EQ(RNG_KeyBytes(parent, sizeof parent, nullptr, 0), 0);
    std::size_t got = 0;
    while (got < sizeof child) {
        const ssize_t r = read(fds[0], child + got, sizeof child - got);
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(got, sizeof child);
    EXPECT_NE(tu::to_hex(parent, 32), tu::to_hex(child, 32));
}

// Forks while another thread keeps adding its samples to the pools: a child
// never inherits a pool lock held by a thread it does not have (nor a pool
// half filled), and adds events to every pool and draws a key (a reseed
// drains pool 0) as the parent does. A child stuck on a lock is ended by its
// alarm.
TEST(RngFork, ChildrenForkedWhileAnotherThreadFillsThePoolsUseThem) {
    std::atomic<bool> stop{false};
    std::thread stirring([&stop] {
        const uint8_t b[1] = {7};
        char hex[4];
        while (!stop.load()) {
            for (int i = 0; i < 1000; ++i) CNV_HexStrFromBytes(hex, 2, b, 1);
        }
    });
    std::string failure;
    for (int i = 0; i < 40 && failure.empty(); ++i) {
        const pid_t pid = fork();
        if (pid < 0) {
            failure = "fork failed";
            break;
        }
        if (pid == 0) {
            alarm(10);
            const uint8_t data[4] = {1, 2, 3, 4};
            for (uint32_t k = 0; k < kPoolCount; ++k) EntropyAddEvent(kSourceFeedback, data, sizeof data);
            uint8_t key[16];
            _exit(RNG_KeyBytes(key, sizeof key, nullptr, 0) == 0 ? 0 : 3);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status)) failure = "fork " + std::to_string(i) + ": the child did not end by itself";
        else if (WEXITSTATUS(status) != 0) failure = "fork " + std::to_string(i) + ": the child's key failed";
    }
    stop = true;
    stirring.join();
    EXPECT_EQ(failure, "");
}

// A failing generator ends the process with status 1 after its fatal report,
// whatever export asked: keys, nonces, numbers and seed files alike.
TEST(RngFatal, AFailingGeneratorEndsTheProcessWithItsReport) {
    tu::TempDir dir;
    const std::string options = dir.file("options");
    tu::write_file(options, "NoMessageBox=1\nErrorLogDir=" + dir.path() + "\n");
    const std::string seed = dir.file("seed");
    tu::write_file(seed, std::string(128, 'x'));
    struct Case {
        const char* name;
        void (*call)(const char* seed);
    } cases[] = {
        {"RNG_KeyBytes", [](const char*) { uint8_t b[16]; RNG_KeyBytes(b, 16, nullptr, 0); }},
        {"RNG_NonceDataHex", [](const char*) { char h[33]; RNG_NonceDataHex(h, 32, 16); }},
        {"RNG_Number", [](const char*) { RNG_Number(0, 1000); }},
        {"RNG_UpdateSeedFile", [](const char* s) { RNG_UpdateSeedFile(s); }},
    };
    for (const Case& c : cases) {
        std::remove(dir.file("apierr.log").c_str());
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setenv("TESSALIB_OPTIONS_FILE", options.c_str(), 1);
            uint8_t warm[8];
            RNG_KeyBytes(warm, sizeof warm, nullptr, 0);
            rng_inject_repeat();
            c.call(seed.c_str());
            _exit(0);  // reached only if the failure was not fatal
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << c.name;
        EXPECT_EQ(WEXITSTATUS(status), 1) << c.name;
        const std::string log = tu::read_file(dir.file("apierr.log"));
        EXPECT_NE(log.find("Tessalib (c0001f48) RNG failed continuous testing\n"), std::string::npos)
            << c.name << ": " << log;
    }
    // The seed file was never overwritten with what a failed request left.
    EXPECT_EQ(tu::read_file(seed), std::string(128, 'x'));
}

#endif

// Stirs, draws, numbers and threads that end, all at once (the ThreadSanitizer
// stage runs this).
TEST(RngThreads, StressOfStirsDrawsAndThreadEnds) {
    std::vector<std::thread> workers;
    std::atomic<int> failures{0};
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([w, &failures] {
            for (int round = 0; round < 8; ++round) {
                std::thread short_lived([&failures] {
                    uint8_t key[24];
                    const uint8_t seed[8] = {1, 2, 3, 4, 5, 6, 7, 8};
                    if (RNG_KeyBytes(key, sizeof key, seed, 8) != 0) failures++;
                    if (RNG_Number(1, 6) < 1) failures++;
                });
                for (int i = 0; i < 300; ++i) {
                    char hex[8];
                    const uint8_t b[2] = {static_cast<uint8_t>(w), static_cast<uint8_t>(i)};
                    CNV_HexStrFromBytes(hex, 4, b, 2);
                    if (i % 50 == 0) {
                        uint8_t nonce[12];
                        if (RNG_NonceData(nonce, sizeof nonce) != 0) failures++;
                    }
                }
                short_lived.join();
            }
        });
    }
    for (auto& t : workers) t.join();
    EXPECT_EQ(failures.load(), 0);
}
