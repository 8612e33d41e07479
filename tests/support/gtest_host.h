// The test host as the GoogleTest suites use it: a broken contract is a
// test failure, and the test goes on.
#ifndef WAVEFX_TESTS_GTEST_HOST_H
#define WAVEFX_TESTS_GTEST_HOST_H

#include <gtest/gtest.h>

#include "support/test_host.h"

inline TestHost &gtest_host() {
  TestHost &host = TestHost::instance();
  host.on_failure = [](const std::string &what) { ADD_FAILURE() << what; };
  return host;
}

#endif  // WAVEFX_TESTS_GTEST_HOST_H
