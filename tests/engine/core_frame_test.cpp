// Per-thread state, the thread table, the recorder and the error table.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "core/errors.h"
#include "core/frame.h"
#include "core/lifecycle.h"
#include "core/thread_blocks.h"
#include "tessalib.h"

TEST(ErrorTable, RowsAreInLookupOrderWithUniqueCodes) {
    ASSERT_EQ(kErrorTableRows, 45);
    EXPECT_EQ(kErrorTable[0].code, SUCCESS_NO_ERROR);
    EXPECT_STREQ(kErrorTable[0].name, "SUCCESS_NO_ERROR");
    EXPECT_EQ(kErrorTable[5].code, BAD_LENGTH_ERROR);  // the table is not sorted by code
    EXPECT_EQ(kErrorTable[44].code, PRNG_ERR_CATASTROPHIC);
    for (int i = 0; i < kErrorTableRows; ++i)
        for (int j = i + 1; j < kErrorTableRows; ++j) EXPECT_NE(kErrorTable[i].code, kErrorTable[j].code);
}

TEST(ErrorTable, FindTakesEitherSignAndRejectsUnknownCodes) {
    const struct {
        int32_t code;
        const char* name;
    } cases[] = {{33, "BAD_KEY_LEN_ERROR"}, {-33, "BAD_KEY_LEN_ERROR"}, {9745, "INTERNAL_ERROR"},
                 {-299, "PRNG_ERR_CATASTROPHIC"}, {0, "SUCCESS_NO_ERROR"}};
    for (const auto& c : cases) {
        const ErrorRow* row = error_find(c.code);
        ASSERT_NE(row, nullptr) << c.code;
        EXPECT_STREQ(row->name, c.name);
    }
    for (int32_t unknown : {10, 13, 42, 63, 65, 300, INT32_MIN, INT32_MAX})
        EXPECT_EQ(error_find(unknown), nullptr) << unknown;
}

TEST(ThreadState, RecordErrorKeepsTheFirstCodeOfACall) {
    frame_begin();
    EXPECT_EQ(RecordError(0), 0);
    EXPECT_EQ(GetThreadState()->lastError, 0u);
    EXPECT_EQ(RecordError(-BAD_FLAG_ERROR), -BAD_FLAG_ERROR);
    EXPECT_EQ(RecordError(SHORT_BUF_ERROR), SHORT_BUF_ERROR);  // a deeper code stays
    EXPECT_EQ(GetThreadState()->lastError, static_cast<uint32_t>(BAD_FLAG_ERROR));
    frame_begin();
    EXPECT_EQ(GetThreadState()->lastError, 0u);
}

TEST(ThreadState, RecordersFollowTheResultClass) {
    frame_begin();
    EXPECT_EQ(frame_length(32), 32);
    EXPECT_EQ(GetThreadState()->lastError, 0u);
    EXPECT_EQ(frame_length(-NULL_ERROR), -NULL_ERROR);
    EXPECT_EQ(GetThreadState()->lastError, static_cast<uint32_t>(NULL_ERROR));
    frame_begin();
    EXPECT_EQ(frame_status(BAD_MODE_ERROR), BAD_MODE_ERROR);
    EXPECT_EQ(GetThreadState()->lastError, static_cast<uint32_t>(BAD_MODE_ERROR));
    frame_begin();
    EXPECT_EQ(frame_handle(0, 0), 0u);
    EXPECT_EQ(GetThreadState()->lastError, 0u);
    EXPECT_EQ(frame_handle(0, NOT_SUPPORTED_ERROR), 0u);
    EXPECT_EQ(GetThreadState()->lastError, static_cast<uint32_t>(NOT_SUPPORTED_ERROR));
    frame_begin();
}

TEST(ThreadState, EachThreadHasItsOwnZeroFilledBlock) {
    ThreadState* mine = GetThreadState();
    ThreadState* theirs = nullptr;
    bool zero = false;
    std::thread t([&] {
        theirs = GetThreadState();
        const unsigned char* p = reinterpret_cast<const unsigned char*>(theirs);
        zero = true;
        for (std::size_t i = 0; i < sizeof(ThreadState); ++i) zero = zero && p[i] == 0;
        EXPECT_EQ(GetThreadWorkspace(), &theirs->workspace);
    });
    t.join();
    EXPECT_NE(mine, theirs);
    EXPECT_NE(theirs, fallback_state());
    EXPECT_TRUE(zero);
}

TEST(ThreadState, BlocksAreEnteredAndFreedWithTheirThreads) {
    const int before = thread_table_count();
    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::atomic<bool> release{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            GetThreadState()->lastError = 7;
            ready.fetch_add(1);
            while (!release.load()) std::this_thread::yield();
        });
    }
    while (ready.load() < kThreads) std::this_thread::yield();
    EXPECT_EQ(thread_table_count(), before + kThreads);
    release = true;
    for (auto& t : threads) t.join();
    EXPECT_EQ(thread_table_count(), before);
}

TEST(ThreadState, DetachWithoutABlockOrWithTheFallbackFreesNothing) {
    const int before = thread_table_count();
    ModuleThreadDetach(nullptr);
    ModuleThreadDetach(fallback_state());
    EXPECT_EQ(thread_table_count(), before);
    fallback_state()->lastError = 5;  // still a live, writable block
    EXPECT_EQ(fallback_state()->lastError, 5u);
    fallback_state()->lastError = 0;
}

TEST(ThreadTable, AFullTableLeavesFurtherBlocksUnentered) {
    std::vector<ThreadState*> fakes;
    // Fill every free entry with blocks of our own.
    for (;;) {
        ThreadState* b = thread_block_new();
        ASSERT_NE(b, nullptr);
        if (!thread_table_enter(b)) {
            thread_block_free(b);
            break;
        }
        fakes.push_back(b);
        ASSERT_LE(thread_table_count(), kThreadTableSize);
    }
    EXPECT_EQ(thread_table_count(), kThreadTableSize);
    // A new thread still gets a working block of its own.
    uint32_t seen = 0;
    std::thread t([&] {
        GetThreadState()->lastError = 41;
        seen = GetThreadState()->lastError;
    });
    t.join();
    EXPECT_EQ(seen, 41u);
    EXPECT_EQ(thread_table_count(), kThreadTableSize);
    for (ThreadState* b : fakes) {
        thread_table_remove(b);
        thread_block_free(b);
    }
}
