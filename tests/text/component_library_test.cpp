#include "text/component_library.h"

#include <gtest/gtest.h>

#include <thread>

namespace vexaro {
namespace {

TEST(ComponentLibrary, CountsPerThreadAndNeverBelowZero) {
  const int before = ComInitCount();
  CoInitialize();
  CoInitialize();
  EXPECT_EQ(ComInitCount(), before + 2);
  std::thread([] { EXPECT_EQ(ComInitCount(), 0); }).join();
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(ComInitCount(), before);
  std::thread([] {
    CoUninitialize();
    EXPECT_EQ(ComInitCount(), 0);
  }).join();
}

}  // namespace
}  // namespace vexaro
