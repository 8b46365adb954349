#include "platform/pointer_factory.h"

#include "pointer_env.h"

#include <gtest/gtest.h>

namespace vornix::platform {
namespace {

using testing::hasDisplay;
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

TEST(MakePointer, NoneOnlyRecords) {
  PointerSetup setup = makePointer(PointerChoice::None, QSize(1024, 768));
  ASSERT_NE(setup.backend, nullptr);
  EXPECT_EQ(setup.backend->name(), "none");
  EXPECT_TRUE(setup.warning.isEmpty());
}

TEST(MakePointer, ExplicitX11WithoutADisplayIsAnError) {
  WithoutDisplay noDisplay;
  PointerSetup setup = makePointer(PointerChoice::X11, QSize(1024, 768));
  EXPECT_EQ(setup.backend, nullptr);
  EXPECT_EQ(setup.cursor, nullptr);
  EXPECT_TRUE(setup.warning.startsWith("--pointer x11: ")) << setup.warning.toStdString();
}

TEST(MakePointer, ExplicitUinputWithoutAccessIsAnError) {
  if (uinputWritable()) GTEST_SKIP() << "/dev/uinput is writable here";
  PointerSetup setup = makePointer(PointerChoice::Uinput, QSize(1024, 768));
  EXPECT_EQ(setup.backend, nullptr);
  EXPECT_TRUE(setup.warning.startsWith("--pointer uinput: cannot open /dev/uinput"))
      << setup.warning.toStdString();
}

TEST(MakePointer, AutoFallsBackToRecordingWithAWarning) {
  if (uinputWritable()) GTEST_SKIP() << "/dev/uinput is writable here";
  WithoutDisplay noDisplay;
  PointerSetup setup = makePointer(PointerChoice::Auto, QSize(1024, 768));
  ASSERT_NE(setup.backend, nullptr);
  EXPECT_EQ(setup.backend->name(), "none");
  EXPECT_EQ(setup.cursor, nullptr);
  EXPECT_TRUE(setup.warning.contains("DISPLAY")) << setup.warning.toStdString();
  EXPECT_TRUE(setup.warning.contains("/dev/uinput")) << setup.warning.toStdString();
}

TEST(MakePointer, AutoTakesXTestAndReadsTheCursorUnderX11) {
  if (!hasDisplay()) GTEST_SKIP() << "DISPLAY is not set: no X server to drive";
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

}  // namespace
}  // namespace vornix::platform
