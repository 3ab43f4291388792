// Puts the native UI backend in place for a test that needs real windows. Wine creates windows
// only with a display (the tree's window tests run under Xvfb): without one the test is skipped,
// or fails where VANTOREL_REQUIRE_WINDOWS says windows must be there. Call it from SetUp and
// return when the test was skipped or failed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/application.h"
#include "framework/forms.h"
#include "framework/ui_backend.h"

namespace vantorel::testing {

inline void UseNativeWindows() {
  Application().Reinitialize();
  auto backend = CreateNativeBackend();
  ASSERT_NE(backend, nullptr);
  Application().SetUi(std::move(backend));
  TForm probe(nullptr);
  probe.Show();
  if (probe.NativeHandle() == 0) {
    if (std::getenv("VANTOREL_REQUIRE_WINDOWS") != nullptr) FAIL() << "no window was created";
    GTEST_SKIP() << "no window system (no display)";
  }
  probe.Hide();
}

}  // namespace vantorel::testing
