#include "output/pointer.h"
#include "doubles/recording_pointer.h"

#include "base/trace.h"

#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <malloc.h>

namespace vornix::output {
namespace {

using Event = RecordingPointer::Event;

using testing::TraceCapture;

class FixedCursor : public CursorReader {
public:
  std::optional<QPoint> pos;
  std::optional<QPoint> cursorPos() override { return pos; }
};

TEST(MouseEvent, FlagsPressReleaseOrClickWithoutMoving) {
  RecordingPointer backend;
  PointerOutput out(backend);
  out.mouse_event(kLeftDown);
  out.mouse_event(kLeftUp);
  out.mouse_event(kLeftClick);
  EXPECT_EQ(backend.events(), (std::vector<Event>{Event::press(), Event::release(), Event::press(),
                                                  Event::release()}));
}

TEST(MouseEvent, OtherFlagsInjectNothing) {
  RecordingPointer backend;
  PointerOutput out(backend);
  TraceCapture trace;
  for (int flags : {0, 1, 3, 8, 10, -2}) out.mouse_event(flags);
  EXPECT_TRUE(backend.events().empty());
  EXPECT_TRUE(trace.lines().isEmpty());
  EXPECT_FALSE(out.buttonHeld());
}

TEST(MouseEvent, ClickLandsWhereTheCursorWasSet) {
  RecordingPointer backend;
  PointerOutput out(backend);
  out.SetCursorPos(640, 1);
  out.mouse_event(kLeftClick);
  EXPECT_EQ(backend.events(),
            (std::vector<Event>{Event::move(640, 1), Event::press(), Event::release()}));
}

TEST(HeldButton, TracksDownAndUp) {
  RecordingPointer backend;
  PointerOutput out(backend);
  EXPECT_FALSE(out.buttonHeld());
  out.mouse_event(kLeftDown);
  EXPECT_TRUE(out.buttonHeld());
  out.SetCursorPos(10, 20);  // a drag keeps the button down
  EXPECT_TRUE(out.buttonHeld());
  out.mouse_event(kLeftUp);
  EXPECT_FALSE(out.buttonHeld());
}

TEST(HeldButton, ClickDuringADragLeavesItReleased) {
  RecordingPointer backend;
  PointerOutput out(backend);
  out.mouse_event(kLeftDown);
  out.mouse_event(kLeftClick);
  EXPECT_FALSE(out.buttonHeld());
}

TEST(HeldButton, ReleaseAtTheEndReleasesOnce) {
  RecordingPointer backend;
  PointerOutput out(backend);
  out.mouse_event(kLeftDown);
  backend.clear();
  TraceCapture trace;
  out.releaseHeldButton();
  out.releaseHeldButton();
  EXPECT_EQ(backend.events(), (std::vector<Event>{Event::release()}));
  EXPECT_EQ(trace.lines(), QStringList{"mouse up"});
  EXPECT_FALSE(out.buttonHeld());
}

TEST(HeldButton, ReleaseAtTheEndDoesNothingWhenNotHeld) {
  RecordingPointer backend;
  PointerOutput out(backend);
  out.releaseHeldButton();
  out.mouse_event(kLeftDown);
  out.mouse_event(kLeftUp);
  backend.clear();
  out.releaseHeldButton();
  EXPECT_TRUE(backend.events().empty());
}

TEST(HeldButton, DestroyingTheOutputLetsGoOfTheButton) {
  RecordingPointer backend;
  {
    PointerOutput out(backend);
    out.mouse_event(kLeftDown);
  }
  EXPECT_EQ(backend.events(), (std::vector<Event>{Event::press(), Event::release()}));
}

TEST(GetCursorPos, OffTheOriginBeforeAnyMove) {
  RecordingPointer backend;
  PointerOutput out(backend);
  EXPECT_EQ(out.GetCursorPos(), QPoint(-1, -1));
}

TEST(GetCursorPos, LastSetPositionWithoutAReader) {
  RecordingPointer backend;
  PointerOutput out(backend);
  out.SetCursorPos(0, 0);
  EXPECT_EQ(out.GetCursorPos(), QPoint(0, 0));
  out.SetCursorPos(-5, 700);
  EXPECT_EQ(out.GetCursorPos(), QPoint(-5, 700));
}

TEST(GetCursorPos, TheReaderWinsWhenItAnswers) {
  RecordingPointer backend;
  FixedCursor cursor;
  cursor.pos = QPoint(0, 0);
  PointerOutput out(backend, &cursor);
  out.SetCursorPos(300, 200);
  EXPECT_EQ(out.GetCursorPos(), QPoint(0, 0));
}

TEST(GetCursorPos, FallsBackWhenTheReaderHasNoAnswer) {
  RecordingPointer backend;
  FixedCursor cursor;
  PointerOutput out(backend, &cursor);
  EXPECT_EQ(out.GetCursorPos(), QPoint(-1, -1));
  out.SetCursorPos(300, 200);
  EXPECT_EQ(out.GetCursorPos(), QPoint(300, 200));
}

TEST(PointerTrace, OneLinePerInjectedEvent) {
  auto backend = std::make_unique<RecordingPointer>();
  PointerOutput out(std::move(backend));
  TraceCapture trace;
  out.SetCursorPos(12, -3);
  out.mouse_event(kLeftClick);
  out.mouse_event(kLeftDown);
  out.mouse_event(kLeftUp);
  out.GetCursorPos();
  EXPECT_EQ(trace.lines(),
            (QStringList{"cursor 12 -3", "mouse click", "mouse down", "mouse up"}));
}

// Twenty points a second all day long: the program's "none" backend keeps nothing, the tests'
// recording one keeps only the latest events.
TEST(NoneBackend, StaysSmallOverAMillionEvents) {
  NoPointer none;
  RecordingPointer recording;
  const auto heapBefore = std::ptrdiff_t(mallinfo2().uordblks);
  for (int i = 0; i < 1'000'000; ++i) none.moveTo(i % 1920, i % 1080);
  EXPECT_LT(std::ptrdiff_t(mallinfo2().uordblks) - heapBefore, 4096);

  for (int i = 0; i < 1'000'000; ++i) recording.moveTo(i, 0);
  recording.press();
  EXPECT_LE(recording.events().size(), RecordingPointer::kCapacity);
  EXPECT_EQ(recording.events().end()[-2], Event::move(999'999, 0));
  EXPECT_EQ(recording.events().back(), Event::press());
}

TEST(NoneBackend, SaysItsNoticeOnceAtTheFirstEvent) {
  NoPointer none(QStringLiteral("vornix: no pointer output: why and how to fix it"));
  ::testing::internal::CaptureStderr();
  none.moveTo(1, 2);
  none.press();
  none.release();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "vornix: no pointer output: why and how to fix it\n");
}

}  // namespace
}  // namespace vornix::output
