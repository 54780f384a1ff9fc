// The catch-all guard of the boundaries: what a caught failure turns into.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/Boundary.h"
#include "platform/ports/Browser.h"

namespace hoardscope {
namespace {

std::string Guarded(void (*body)()) {
  return CatchAll(
      [body] {
        body();
        return std::string("returned");
      },
      [](const char* failure) { return std::string("failed: ") + failure; });
}

TEST(CatchAll, PassesTheBodysAnswerOnAndTurnsAnyFailureIntoTheFailureAnswerWithItsText) {
  EXPECT_EQ(Guarded([] {}), "returned");
  EXPECT_EQ(Guarded([] { throw std::runtime_error("disk full"); }), "failed: disk full");
  EXPECT_EQ(Guarded([] { throw BrowserError("the browser window is closed"); }),
            "failed: the browser window is closed");
  EXPECT_EQ(Guarded([] { throw 42; }), std::string("failed: ") + kUnexpectedFailure);
}

}  // namespace
}  // namespace hoardscope
