// The fixture most window tests start from: the main window shown, with its
// operations installed as the program installs them.
#pragma once

#include <gtest/gtest.h>

#include <QTest>

#include "app/window_ops.h"
#include "gui/main_window.h"
#include "gui/qt_window_operations.h"

namespace vexaro {

class ShownWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetWindowOperations(&operations_);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }
  void TearDown() override { SetWindowOperations(nullptr); }

  MainWindow window_;
  QtWindowOperations operations_{window_};
};

}  // namespace vexaro
