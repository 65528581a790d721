#include <gtest/gtest.h>

#include "tessalib.h"

TEST(ApiVersion, IsTheReleaseNumber) { EXPECT_EQ(API_Version(), 62201); }
