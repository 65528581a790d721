// Loading and unloading the library in loops around threads that outlive the
// unload, and more threads at once than the thread table holds. Built with
// AddressSanitizer in the asan stage, where any block freed twice, used after
// the unload or left behind fails the child process (its leak check runs at
// its exit).
#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "loaded_module.h"
#include "test_util.h"

namespace {

// Counts down to zero, then lets every waiter go.
class Latch {
public:
    explicit Latch(int count) : count_(count) {}
    void arrive() {
        std::lock_guard<std::mutex> lock(m_);
        if (--count_ <= 0) cv_.notify_all();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [&] { return count_ <= 0; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    int count_;
};

// Threads with small stacks, so that well over a thousand fit.
class SmallThreads {
public:
    template <typename Body>
    bool start(int n, Body body) {
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstacksize(&attr, 256 * 1024);
        bodies_.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) bodies_.emplace_back([body, i] { body(i); });
        bool ok = true;
        for (auto& b : bodies_) {
            pthread_t t;
            if (pthread_create(&t, &attr, &run, &b) != 0) {
                ok = false;
                break;
            }
            threads_.push_back(t);
        }
        pthread_attr_destroy(&attr);
        return ok;
    }
    void join() {
        for (pthread_t t : threads_) pthread_join(t, nullptr);
        threads_.clear();
    }

private:
    static void* run(void* body) {
        (*static_cast<std::function<void()>*>(body))();
        return nullptr;
    }
    std::vector<std::function<void()>> bodies_;
    std::vector<pthread_t> threads_;
};

// The text a thread hashes.
std::string own_text(int i) { return "thread " + std::to_string(i) + " of many"; }

}  // namespace

TEST(ModuleUnload, LoadAndUnloadInALoopAroundThreadsThatOutliveTheUnload) {
    tu::TempDir dir;
    const std::string copy = dir.file("libtessalib-loop.so");
    std::filesystem::copy_file(lt::shipped_library(), copy);
    const int rc = lt::run_in_child([&] {
        for (int round = 0; round < 20; ++round) {
            lt::LoadedModule m(copy);
            if (!m.loaded()) return 1;
            auto hash_init = LT_EXPORT(m, HASH_Init);
            auto error_code = LT_EXPORT(m, API_ErrorCode);
            Latch called(4), unloaded(1);
            std::atomic<int> failures{0};
            std::vector<std::thread> threads;
            for (int i = 0; i < 4; ++i) {
                threads.emplace_back([&, i] {
                    // Three threads get their blocks (one of them an open
                    // context); the fourth never calls.
                    if (i == 0 && hash_init(3) == 0) ++failures;
                    if (i == 1) {
                        const int32_t h = hash_init(9);
                        const int32_t e = error_code();
                        if (h != 0 || e == 0) {
                            std::fprintf(stderr, "HASH_Init(9) gave %d, last error %d\n", h, e);
                            ++failures;
                        }
                    }
                    if (i == 2 && error_code() != 0) ++failures;
                    called.arrive();
                    unloaded.wait();  // ends after the library is gone
                });
            }
            called.wait();
            if (!m.unload()) return 1;
            unloaded.arrive();
            for (auto& t : threads) t.join();
            if (failures != 0) {
                std::fprintf(stderr, "round %d: %d failed checks\n", round, failures.load());
                return 1;
            }
        }
        return 0;
    });
    EXPECT_EQ(rc, 0);
}

TEST(ModuleUnload, MoreThreadsThanTheTableHoldsKeepTheirOwnStateAndAllIsFreed) {
    constexpr int kThreads = 1200;  // the table holds 1088
    tu::TempDir dir;
    const std::string copy = dir.file("libtessalib-many.so");
    std::filesystem::copy_file(lt::shipped_library(), copy);
    const int rc = lt::run_in_child([&] {
        lt::LoadedModule m(copy);
        if (!m.loaded()) return 1;
        auto hash_init = LT_EXPORT(m, HASH_Init);
        auto hash_add = LT_EXPORT(m, HASH_AddBytes);
        auto hash_final = LT_EXPORT(m, HASH_Final);
        auto hash_bytes = LT_EXPORT(m, HASH_Bytes);
        auto error_code = LT_EXPORT(m, API_ErrorCode);
        Latch outliving_open(kThreads / 2), all_open(kThreads), go(1), all_done(kThreads), unloaded(1);
        std::atomic<int> failures{0};
        auto body = [&](int i, Latch* opened) {
            auto fail = [&](const char* what) {
                std::fprintf(stderr, "thread %d: %s\n", i, what);
                ++failures;
            };
            // Every thread opens its context and records a failure of its
            // own, then waits until all of them hold theirs at once.
            const std::string text = own_text(i);
            const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
            const int32_t alg = i % 2 == 0 ? 3 : 5;  // SHA-256, SHA-512
            const int32_t handle = hash_init(alg);
            if (handle == 0) fail("HASH_Init failed");
            if (hash_bytes(nullptr, 0, nullptr, -i - 1, 0) != -BAD_PARAM_ERROR) fail("HASH_Bytes did not refuse");
            opened->arrive();
            go.wait();
            if (error_code() != BAD_PARAM_ERROR) fail("its last error changed");
            unsigned char streamed[64], whole[64];
            if (hash_add(handle, bytes, static_cast<int32_t>(text.size())) != 0) fail("HASH_AddBytes failed");
            const int32_t n = hash_final(streamed, 64, handle);
            if (n != (alg == 3 ? 32 : 64) || hash_bytes(whole, 64, bytes, static_cast<int32_t>(text.size()), alg) != n ||
                std::memcmp(streamed, whole, static_cast<std::size_t>(n)) != 0)
                fail("its digest is wrong");
            all_done.arrive();
        };
        // The first half take their entries in the table and outlive the
        // unload, which frees their blocks; the second half (beyond the
        // table from the 1089th thread on) end while the library is loaded,
        // and their blocks are freed at their end, entered or not.
        SmallThreads ending, outliving;
        bool started = outliving.start(kThreads / 2, [&](int i) {
            body(2 * i + 1, &outliving_open);
            unloaded.wait();
        });
        if (started) {
            outliving_open.wait();
            started = ending.start(kThreads / 2, [&](int i) { body(2 * i, &all_open); });
        }
        if (!started) {
            std::fprintf(stderr, "could not start %d threads\n", kThreads);
            std::_Exit(1);
        }
        for (int i = 0; i < kThreads / 2; ++i) all_open.arrive();  // the first half's
        all_open.wait();
        go.arrive();
        all_done.wait();
        ending.join();
        if (!m.unload()) return 1;
        unloaded.arrive();
        outliving.join();
        return failures == 0 ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
}
