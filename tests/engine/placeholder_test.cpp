#include <gtest/gtest.h>

#include "core/errors.h"

TEST(ErrorTable, HasAllRows) { EXPECT_EQ(kErrorTableRows, 45); }
