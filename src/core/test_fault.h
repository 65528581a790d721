// The test points of the power-up self-tests. Only the test build of the
// library (the tessalib_faults target, compiled with TESSALIB_TEST_FAULTS)
// can make a check fail: there the environment variable TESSALIB_TEST_FAULT
// names the one check that gives a wrong answer ("sha1", ..., "cmac-tdea",
// "integrity", "health"). In every library that ships this file is compiled
// without it and no check can be made to fail.
#pragma once

// True when the test build was asked to make the named check fail.
bool test_fault_chosen(const char* name) noexcept;
