// The compression glue's buffers: sizes that come from the data go through
// the checked allocator, so a buffer that cannot be had is -MEMORY_ERROR,
// never the end of the process.
#include <gtest/gtest.h>

#include <vector>

#include "core/frame.h"
#include "encode/compress.h"
#include "tessalib.h"

namespace {

struct CheckedLimit {
    explicit CheckedLimit(std::size_t limit) { mem_set_checked_limit(limit); }
    ~CheckedLimit() { mem_set_checked_limit(0); }
};

}  // namespace

TEST(CompressBuffers, ABufferThatCannotBeHadIsMemoryError) {
    std::vector<uint8_t> data(2u << 20, 'x');
    const int32_t packed_len = zstd_compress(nullptr, 0, data.data(), data.size());
    ASSERT_GT(packed_len, 0);
    std::vector<uint8_t> packed(static_cast<std::size_t>(packed_len));
    ASSERT_EQ(zstd_compress(packed.data(), packed.size(), data.data(), data.size()), packed_len);
    std::vector<uint8_t> small(100);
    {
        CheckedLimit limit(1u << 20);
        // The query's temporary frame (the bound of 2 MiB) and content buffer.
        EXPECT_EQ(zstd_compress(nullptr, 0, data.data(), data.size()), -MEMORY_ERROR);
        EXPECT_EQ(zstd_uncompress(nullptr, 0, packed.data(), packed.size()), -MEMORY_ERROR);
        // An output too small for the bound goes through the temporary frame.
        EXPECT_EQ(zstd_compress(small.data(), small.size(), data.data(), data.size()), -MEMORY_ERROR);
        // With room in the caller's buffer nothing is allocated here.
        std::vector<uint8_t> back(data.size());
        EXPECT_EQ(zstd_uncompress(back.data(), back.size(), packed.data(), packed.size()),
                  static_cast<int32_t>(data.size()));
        EXPECT_EQ(back, data);
    }
    EXPECT_EQ(zstd_bound(0), 64u);
    EXPECT_EQ(zstd_bound(131072), 131072u + 512u);
    EXPECT_EQ(zstd_bound(0x7FFFFFFFu), 0x7FFFFFFFull + 0x7FFFFFFFull / 256);  // no 32-bit wrap
}
