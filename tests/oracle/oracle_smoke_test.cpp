#include <gtest/gtest.h>
#include <openssl/crypto.h>

#include "tessalib.h"

// The oracle suite links both libraries into one process.
TEST(Oracle, BothLibrariesLoad) {
    EXPECT_GE(OpenSSL_version_num(), 0x30000000UL);
    EXPECT_EQ(API_Version(), 62201);
}
