#include "platform/x11_cursor.h"
#include "platform/x11_display.h"
#include "platform/xtest_pointer.h"

#include "pointer_env.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vornix::platform {
namespace {

using testing::hasDisplay;

struct X11Pointer {
  std::shared_ptr<X11Display> display;
  std::unique_ptr<XTestPointer> inject;
  std::unique_ptr<X11Cursor> cursor;
};

// A RandR answer made up by the test.
X11Display::PrimaryQuery primaryAt(std::optional<QPoint> origin) {
  return [origin](auto*) { return origin; };
}

// Connects both ends; the error, if any, is the reason to skip.
std::optional<X11Pointer> openX11(QString* error, X11Display::PrimaryQuery primary = {}) {
  std::shared_ptr<X11Display> display = X11Display::open(error);
  if (!display) return std::nullopt;
  if (primary) display->setPrimaryQuery(primary);
  std::unique_ptr<XTestPointer> inject = XTestPointer::open(display, error);
  if (!inject) return std::nullopt;
  return X11Pointer{display, std::move(inject), std::make_unique<X11Cursor>(display)};
}

#define REQUIRE_X11(pointer, ...)                                                  \
  if (!hasDisplay()) GTEST_SKIP() << "DISPLAY is not set: no X server to drive";    \
  QString pointer##Reason;                                                         \
  std::optional<X11Pointer> pointer = openX11(&pointer##Reason, ##__VA_ARGS__);    \
  if (!pointer) GTEST_SKIP() << pointer##Reason.toStdString()

TEST(XTestPointer, MovesThePointerToAbsoluteScreenPoints) {
  REQUIRE_X11(x11);
  const std::optional<Desktop> desktop = x11->display->desktop();
  ASSERT_TRUE(desktop);
  const QSize screen = desktop->area.size();
  const std::optional<QPoint> before = x11->cursor->cursorPos();
  ASSERT_TRUE(before);
  for (QPoint p : {QPoint(0, 0), QPoint(100, 200), QPoint(screen.width() - 1, screen.height() - 1),
                   QPoint(1, screen.height() / 2)}) {
    x11->inject->moveTo(p.x(), p.y());
    EXPECT_EQ(x11->cursor->cursorPos(), p);
  }
  x11->inject->moveTo(before->x(), before->y());
}

// Screen points are pixels of the primary monitor, here one whose top-left is (300, 100) on the
// root window: moves add its position, reads subtract it, and (0, 0) is its top-left corner.
TEST(XTestPointer, ScreenPointsCountFromThePrimaryMonitor) {
  REQUIRE_X11(x11, primaryAt(QPoint(300, 100)));
  REQUIRE_X11(root, primaryAt(std::nullopt));
  EXPECT_EQ(x11->display->primaryOrigin(), QPoint(300, 100));
  EXPECT_EQ(x11->display->desktop()->primaryOrigin, QPoint(300, 100));
  x11->inject->moveTo(0, 0);
  EXPECT_EQ(root->cursor->cursorPos(), QPoint(300, 100));
  x11->inject->moveTo(-300, 20);
  EXPECT_EQ(root->cursor->cursorPos(), QPoint(0, 120));
  root->inject->moveTo(310, 100);
  EXPECT_EQ(x11->cursor->cursorPos(), QPoint(10, 0));
  root->inject->moveTo(0, 0);
  EXPECT_EQ(x11->cursor->cursorPos(), QPoint(-300, -100));
}

// Root coordinates are 16-bit on the wire; a far point goes to the nearest edge.
TEST(XTestPointer, FarPointsStopAtTheScreenEdgeInsteadOfWrapping) {
  REQUIRE_X11(x11);
  const QSize screen = x11->display->desktop()->area.size();
  const int right = screen.width() - 1;
  const int bottom = screen.height() - 1;
  const std::pair<QPoint, QPoint> cases[] = {
      {QPoint(32768, 100), QPoint(right, 100)},  {QPoint(40000, 7), QPoint(right, 7)},
      {QPoint(-40000, 5), QPoint(0, 5)},         {QPoint(9, 70000), QPoint(9, bottom)},
      {QPoint(INT32_MAX, INT32_MIN), QPoint(right, 0)},
  };
  for (const auto& [asked, landed] : cases) {
    x11->inject->moveTo(asked.x(), asked.y());
    EXPECT_EQ(x11->cursor->cursorPos(), landed) << asked.x() << ", " << asked.y();
  }
}

TEST(XTestPointer, FailsClearlyWithoutADisplay) {
  testing::WithoutDisplay noDisplay;
  QString error;
  EXPECT_EQ(X11Display::open(&error), nullptr);
  EXPECT_TRUE(error.contains("DISPLAY")) << error.toStdString();
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
