#include "platform/pointer_factory.h"

#include "pointer_env.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace vornix::platform {
namespace {

using testing::hasDisplay;
using testing::ScopedEnv;
using testing::uinputWritable;
using testing::WithoutDisplay;

TEST(PointerChoiceText, NamesTheFourBackends) {
  EXPECT_EQ(parsePointerChoice(u"auto"), PointerChoice::Auto);
  EXPECT_EQ(parsePointerChoice(u"x11"), PointerChoice::X11);
  EXPECT_EQ(parsePointerChoice(u"uinput"), PointerChoice::Uinput);
  EXPECT_EQ(parsePointerChoice(u"none"), PointerChoice::None);
  for (const char16_t* text : {u"", u"X11", u"xtest", u"none ", u"wayland"})
    EXPECT_EQ(parsePointerChoice(text), std::nullopt);
}

// XWayland sets DISPLAY on a Wayland session too; XTest there would move only its own pointer.
TEST(ChoosePointer, AutoFollowsTheSessionAndUinputAccess) {
  constexpr auto X = PointerKind::XTest;
  constexpr auto U = PointerKind::Uinput;
  constexpr auto N = PointerKind::None;
  struct Row {
    const char* display;
    const char* waylandDisplay;
    const char* sessionType;
    PointerKind withUinput;
    PointerKind withoutUinput;
  };
  const Row rows[] = {
      {":0", nullptr, nullptr, X, X},         {":0", nullptr, "x11", X, X},
      {":0", nullptr, "wayland", U, N},       {":0", nullptr, "tty", X, X},
      {":0", "wayland-0", nullptr, U, N},     {":0", "wayland-0", "x11", U, N},
      {":0", "wayland-0", "wayland", U, N},   {":0", "", "x11", X, X},
      {nullptr, nullptr, nullptr, U, N},      {nullptr, nullptr, "tty", U, N},
      {nullptr, nullptr, "x11", U, N},        {nullptr, nullptr, "wayland", U, N},
      {nullptr, "wayland-0", nullptr, U, N},  {"", nullptr, nullptr, U, N},
  };
  for (const Row& row : rows) {
    ScopedEnv display("DISPLAY", row.display);
    ScopedEnv wayland("WAYLAND_DISPLAY", row.waylandDisplay);
    ScopedEnv type("XDG_SESSION_TYPE", row.sessionType);
    Session session = currentSession();
    const std::string where = std::string("DISPLAY=") + (row.display ? row.display : "(unset)") +
                              " WAYLAND_DISPLAY=" + (row.waylandDisplay ? row.waylandDisplay : "(unset)") +
                              " XDG_SESSION_TYPE=" + (row.sessionType ? row.sessionType : "(unset)");
    session.uinput = true;
    EXPECT_EQ(choosePointer(PointerChoice::Auto, session), row.withUinput) << where;
    session.uinput = false;
    EXPECT_EQ(choosePointer(PointerChoice::Auto, session), row.withoutUinput) << where;
  }
}

TEST(ChoosePointer, AnExplicitChoiceIsTakenAsItIs) {
  for (Session session : {Session{true, false, false}, Session{false, true, true}}) {
    EXPECT_EQ(choosePointer(PointerChoice::X11, session), PointerKind::XTest);
    EXPECT_EQ(choosePointer(PointerChoice::Uinput, session), PointerKind::Uinput);
    EXPECT_EQ(choosePointer(PointerChoice::None, session), PointerKind::None);
  }
}

TEST(MakePointer, NoneInjectsNothingAndSaysNothing) {
  PointerSetup setup = makePointer(PointerChoice::None, QSize(1024, 768));
  ASSERT_NE(setup.backend, nullptr);
  EXPECT_EQ(setup.backend->name(), "none");
  ::testing::internal::CaptureStderr();
  setup.backend->moveTo(1, 2);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(setup.warning.isEmpty());
}

TEST(MakePointer, ExplicitX11WithoutADisplayIsAnError) {
  WithoutDisplay noDisplay;
  PointerSetup setup = makePointer(PointerChoice::X11, QSize(1024, 768));
  EXPECT_EQ(setup.backend, nullptr);
  EXPECT_EQ(setup.cursor, nullptr);
  EXPECT_TRUE(setup.warning.startsWith("--pointer x11: ")) << setup.warning.toStdString();
}

TEST(MakePointer, ExplicitUinputWithoutAccessIsAnErrorWithTheRemedy) {
  if (uinputWritable()) GTEST_SKIP() << "/dev/uinput is writable here";
  PointerSetup setup = makePointer(PointerChoice::Uinput, QSize(1024, 768));
  EXPECT_EQ(setup.backend, nullptr);
  EXPECT_TRUE(setup.warning.startsWith("--pointer uinput: cannot open /dev/uinput"))
      << setup.warning.toStdString();
  EXPECT_TRUE(setup.warning.contains("sudo modprobe uinput")) << setup.warning.toStdString();
}

// Said at the first event, once: a box that never moves the pointer prints nothing.
TEST(MakePointer, AutoOnWaylandWithoutUinputSaysSoOnceWithTheRemedy) {
  if (uinputWritable()) GTEST_SKIP() << "/dev/uinput is writable here";
  ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
  PointerSetup setup = makePointer(PointerChoice::Auto, QSize(1024, 768));
  ASSERT_NE(setup.backend, nullptr);
  EXPECT_EQ(setup.backend->name(), "none");
  EXPECT_TRUE(setup.warning.isEmpty());
  ::testing::internal::CaptureStderr();
  setup.backend->moveTo(10, 10);
  setup.backend->press();
  setup.backend->release();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.find("vornix: no pointer output: this is a Wayland session"), 0u) << said;
  EXPECT_NE(said.find("cannot write /dev/uinput ("), std::string::npos) << said;
  EXPECT_NE(said.find("\n  sudo modprobe uinput\n"), std::string::npos) << said;
  EXPECT_EQ(said.find("vornix:", 1), std::string::npos) << said;
}

TEST(MakePointer, AutoOnTheConsoleWithoutUinputSaysSo) {
  if (uinputWritable()) GTEST_SKIP() << "/dev/uinput is writable here";
  WithoutDisplay noDisplay;
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  ScopedEnv type("XDG_SESSION_TYPE", nullptr);
  PointerSetup setup = makePointer(PointerChoice::Auto, QSize(1024, 768));
  ASSERT_NE(setup.backend, nullptr);
  EXPECT_EQ(setup.backend->name(), "none");
  EXPECT_EQ(setup.cursor, nullptr);
  ::testing::internal::CaptureStderr();
  setup.backend->moveTo(10, 10);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.find("vornix: no pointer output: no X display (DISPLAY is not set); cannot write "
                      "/dev/uinput ("),
            0u)
      << said;
}

TEST(MakePointer, AutoTakesXTestAndReadsTheCursorUnderX11) {
  if (!hasDisplay()) GTEST_SKIP() << "DISPLAY is not set: no X server to drive";
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  ScopedEnv type("XDG_SESSION_TYPE", "x11");
  PointerSetup setup = makePointer(PointerChoice::Auto, QSize());
  ASSERT_NE(setup.backend, nullptr) << setup.warning.toStdString();
  EXPECT_EQ(setup.backend->name(), "x11");
  ASSERT_NE(setup.cursor, nullptr);
  EXPECT_TRUE(setup.cursor->cursorPos());
  EXPECT_TRUE(setup.warning.isEmpty());
}

TEST(MakePointer, NoneStillReadsTheRealCursorUnderX11) {
  if (!hasDisplay()) GTEST_SKIP() << "DISPLAY is not set: no X server to read";
  PointerSetup setup = makePointer(PointerChoice::None, QSize());
  EXPECT_EQ(setup.backend->name(), "none");
  EXPECT_NE(setup.cursor, nullptr);
}

TEST(QtDesktop, IsQtsVirtualDesktopOnceTheProgramHasOne) {
  EXPECT_EQ(qtDesktop(), std::nullopt);
  ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const std::optional<Desktop> desktop = qtDesktop();
  ASSERT_TRUE(desktop);
  EXPECT_EQ(desktop->area, screen->virtualGeometry());
  EXPECT_FALSE(desktop->area.isEmpty());
  EXPECT_EQ(desktop->primaryOrigin, desktop->area.topLeft());
}

}  // namespace
}  // namespace vornix::platform
