#include "platform/x11_cursor.h"
#include "platform/xtest_pointer.h"

#include "pointer_env.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vornix::platform {
namespace {

using testing::hasDisplay;

struct X11Pointer {
  std::unique_ptr<XTestPointer> inject;
  std::unique_ptr<X11Cursor> cursor;
};

// Connects both ends; the error, if any, is the reason to skip.
std::optional<X11Pointer> openX11(QString* error) {
  X11Pointer pointer{XTestPointer::open(error), X11Cursor::open(error)};
  if (!pointer.inject || !pointer.cursor) return std::nullopt;
  return pointer;
}

#define REQUIRE_X11(pointer)                                                       \
  if (!hasDisplay()) GTEST_SKIP() << "DISPLAY is not set: no X server to drive";    \
  QString reason;                                                                  \
  std::optional<X11Pointer> pointer = openX11(&reason);                            \
  if (!pointer) GTEST_SKIP() << reason.toStdString()

TEST(XTestPointer, MovesThePointerToAbsoluteScreenPoints) {
  REQUIRE_X11(x11);
  const QSize screen = x11->cursor->screenSize();
  const std::optional<QPoint> before = x11->cursor->cursorPos();
  ASSERT_TRUE(before);
  for (QPoint p : {QPoint(0, 0), QPoint(100, 200), QPoint(screen.width() - 1, screen.height() - 1),
                   QPoint(1, screen.height() / 2)}) {
    x11->inject->moveTo(p.x(), p.y());
    EXPECT_EQ(x11->cursor->cursorPos(), p);
  }
  x11->inject->moveTo(before->x(), before->y());
}

TEST(XTestPointer, FailsClearlyWithoutADisplay) {
  testing::WithoutDisplay noDisplay;
  QString error;
  EXPECT_EQ(XTestPointer::open(&error), nullptr);
  EXPECT_TRUE(error.contains("DISPLAY")) << error.toStdString();
  EXPECT_EQ(X11Cursor::open(&error), nullptr);
}

// Clicks wherever the pointer goes, so it runs only where asked to (the e2e test under Xvfb,
// which records the clicks and checks them against these points).
TEST(XTestClicks, LandAtTheInjectedPoints) {
  if (std::getenv("VORNIX_XTEST_CLICKS") == nullptr)
    GTEST_SKIP() << "clicks on the real desktop: set VORNIX_XTEST_CLICKS=1 to run";
  REQUIRE_X11(x11);
  output::PointerOutput out(*x11->inject, x11->cursor.get());
  for (QPoint p : {QPoint(100, 200), QPoint(512, 384), QPoint(1023, 767)}) {
    out.SetCursorPos(p.x(), p.y());
    EXPECT_EQ(out.GetCursorPos(), p);
    out.mouse_event(output::kLeftClick);
  }
  out.SetCursorPos(300, 300);
  out.mouse_event(output::kLeftDown);
  out.SetCursorPos(600, 400);
  EXPECT_TRUE(out.buttonHeld());
  out.releaseHeldButton();
  EXPECT_FALSE(out.buttonHeld());
  EXPECT_EQ(out.GetCursorPos(), QPoint(600, 400));
}

}  // namespace
}  // namespace vornix::platform
