#include "output/pointer_dispatch.h"
#include "doubles/recording_pointer.h"

#include "base/trace.h"
#include "support/test_system.h"

#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <initializer_list>

namespace vornix::output {
namespace {

using Event = RecordingPointer::Event;
using Events = std::vector<Event>;

using testing::TraceCapture;

class DispatchTest : public ::testing::Test {
protected:
  // A mapped point as the serial receiver leaves it: Text8, then the dispatch.
  void dispatchPoint(const char* x, const char* y) {
    f.Text8[0].setText(x);
    f.Text8[1].setText(y);
    dispatch.Text17_Change();
  }
  const Events& events() const { return ts.pointerEvents.events(); }

  testing::TestSystem ts;
  panel::MAINFRM& f = ts.f;
  PointerDispatch& dispatch = ts.system.dispatch;
};

TEST_F(DispatchTest, MovesTheCursorWithoutClickingByDefault) {
  dispatchPoint("512", "384");
  EXPECT_EQ(events(), Events{Event::move(512, 384)});
  EXPECT_EQ(f.Text9.text(), ":::MOUSEX=0512,Y=0384.");
  EXPECT_EQ(f.Text14.text(), "0|move|512,384");
}

TEST_F(DispatchTest, OriginMovesToZeroOneButTheMoveMessageKeepsTheFields) {
  dispatchPoint("0", "0");
  EXPECT_EQ(events(), Events{Event::move(0, 1)});
  EXPECT_EQ(f.Text9.text(), ":::MOUSEX=0000,Y=0001.");
  EXPECT_EQ(f.Text14.text(), "0|move|0,0");
}

TEST_F(DispatchTest, ClickSwitchAloneClicksWhereTheCursorIs) {
  f.Check1.setValue(0);
  f.Check4.setValue(1);
  dispatchPoint("512", "384");
  EXPECT_EQ(events(), (Events{Event::press(), Event::release()}));
}

TEST_F(DispatchTest, GreyedSwitchesCountAsOff) {
  f.Check1.setValue(2);
  f.Check4.setValue(2);
  dispatchPoint("512", "384");
  EXPECT_TRUE(events().empty());
}

TEST_F(DispatchTest, SerialCopyLeavesBeforeTheCursorMoves) {
  std::size_t eventsAtSerial = 99;
  f.Text9.onChange = [&] { eventsAtSerial = events().size(); };
  dispatchPoint("100", "200");
  EXPECT_EQ(eventsAtSerial, 0u);
}

TEST_F(DispatchTest, MoveMessageIsBuiltAfterTheYield) {
  QString seenAtYield;
  ts.loop.post([&] { seenAtYield = f.Text14.text(); });
  dispatchPoint("100", "200");
  EXPECT_EQ(seenAtYield, "0|move|576,24");
  EXPECT_EQ(f.Text14.text(), "0|move|100,200");
}

TEST_F(DispatchTest, MappedMarkersArePlacedInTheRange) {
  f.Text3[0].setText("100");
  f.Text3[1].setText("50");
  f.Text8[2].setText("700");
  f.Text8[3].setText("80");
  dispatchPoint("300", "400");
  EXPECT_EQ(f.Picture3.scale(), QRectF(100, 50, 1024, 768));
  EXPECT_EQ(f.Label7.position(), QPointF(300, 400));
  EXPECT_EQ(f.Label18.position(), QPointF(700, 80));
}

// Drag: the left button held while a touch lasts.

class DragTest : public DispatchTest {
protected:
  void SetUp() override { f.Check7.setValue(1); }
};

TEST_F(DragTest, TouchedFramesThenEmptyOnesGiveOneDownAndOneUp) {
  dispatch.dragPress();
  EXPECT_EQ(f.Label14.caption(), "1");
  dispatch.dragPress();
  dispatch.dragPress();
  dispatch.dragRelease();
  EXPECT_EQ(f.Label14.caption(), "0");
  dispatch.dragRelease();
  EXPECT_EQ(events(), (Events{Event::press(), Event::release()}));
}

TEST_F(DragTest, ClearingTheSwitchWhileHeldKeepsTheButtonDown) {
  dispatch.dragPress();
  f.Check7.setValue(0);
  dispatch.dragRelease();
  EXPECT_EQ(f.Label14.caption(), "1");
  EXPECT_TRUE(ts.pointer.buttonHeld());
  f.Check7.setValue(1);
  dispatch.dragRelease();
  EXPECT_FALSE(ts.pointer.buttonHeld());
  EXPECT_EQ(events(), (Events{Event::press(), Event::release()}));
}

TEST_F(DragTest, GreyedSwitchStartsThePollButDoesNotDrag) {
  f.Check7.setValue(0);
  EXPECT_FALSE(f.Timer5.timerEnabled());
  f.Check7.setValue(2);
  EXPECT_TRUE(f.Timer5.timerEnabled());
  dispatch.dragPress();
  EXPECT_EQ(f.Label14.caption(), "0");
  EXPECT_TRUE(events().empty());
}

TEST_F(DragTest, SwitchStartsAndStopsTheSerialPoll) {
  EXPECT_TRUE(f.Timer5.timerEnabled());
  f.Check7.setValue(0);
  EXPECT_FALSE(f.Timer5.timerEnabled());
}

// The page-flip swipe detector.

class SwipeTest : public DispatchTest {
protected:
  void SetUp() override {
    f.Text22[0].setText("100");
    f.Text22[1].setText("700");
    f.Text22[2].setText("900");
    f.Text22[3].setText("710");
  }
  void feed(std::initializer_list<int> samples) {
    for (int x : samples) f.Text20.setText(QString::number(x));
  }
  bool historyCleared() const {
    for (std::int16_t sample : dispatch.history())
      if (sample != 0) return false;
    return true;
  }
  const Events leftButtonClick{Event::move(100, 700), Event::press(), Event::release()};
  const Events rightButtonClick{Event::move(900, 710), Event::press(), Event::release()};
};

TEST_F(SwipeTest, RisingRunClicksTheLeftButtonAndClearsTheHistory) {
  feed({0, 50, 100, 150, 200, 250, 300});
  EXPECT_EQ(events(), leftButtonClick);
  EXPECT_TRUE(historyCleared());
}

TEST_F(SwipeTest, RunStartingAfterIndex24IsTooShort) {
  feed({0, 10, 100, 200, 300});
  EXPECT_TRUE(events().empty());
  EXPECT_EQ(dispatch.history()[29], 300);
}

TEST_F(SwipeTest, ShortestRunStartsAtIndex24) {
  feed({10, 60, 120, 180, 240, 300});
  EXPECT_EQ(events(), leftButtonClick);
}

TEST_F(SwipeTest, RunStartingAtIndex2IsTooLong) {
  // Only the last sample passes the far threshold, so no shorter run is a swipe on the way.
  feed({5});
  for (int i = 0; i < 26; ++i) f.Text20.setText(QString::number(40 + 9 * i));
  feed({300});
  EXPECT_EQ(dispatch.history()[2], 5);
  EXPECT_TRUE(events().empty());
}

TEST_F(SwipeTest, LongestRunStartsAtIndex3) {
  feed({5});
  for (int i = 0; i < 25; ++i) f.Text20.setText(QString::number(40 + 9 * i));
  feed({300});
  EXPECT_EQ(events(), leftButtonClick);
}

TEST_F(SwipeTest, WalkOverTheWholeHistoryStopsAtTheOldestSample) {
  for (int i = 0; i < 29; ++i) f.Text20.setText(QString::number(50 + 8 * i));
  feed({300});
  EXPECT_EQ(dispatch.history()[0], 50);
  EXPECT_TRUE(events().empty());
}

TEST_F(SwipeTest, FallingRunClicksTheRightButton) {
  feed({300, 250, 200, 150, 100, 50, 0});
  EXPECT_EQ(events(), rightButtonClick);
  EXPECT_TRUE(historyCleared());
}

TEST_F(SwipeTest, ReversingRunGivesNoClick) {
  feed({0, 100, 200, 150, 300});
  feed({290, 200, 250, 100, 10});
  EXPECT_TRUE(events().empty());
}

TEST_F(SwipeTest, OneSwipeClicksOnce) {
  feed({0, 50, 100, 150, 200, 250, 300, 310});
  EXPECT_EQ(events(), leftButtonClick);
}

TEST_F(SwipeTest, HandMovingOnAfterASwipeTurnsNoFurtherPage) {
  f.Text3[2].setText("1024");
  feed({0, 50, 100, 150, 200, 250, 300});
  feed({350, 400, 450, 500, 550, 600, 650, 700});
  EXPECT_EQ(events(), leftButtonClick);
  feed({250, 200, 150, 100, 50, 10});
  Events both = leftButtonClick;
  both.insert(both.end(), rightButtonClick.begin(), rightButtonClick.end());
  EXPECT_EQ(events(), both);
}

TEST_F(SwipeTest, HandLandingPastTheNearThresholdIsNoSwipe) {
  feed({100, 150, 200, 250, 300, 350});
  EXPECT_TRUE(events().empty());
}

TEST_F(SwipeTest, ThresholdsIgnoreTheMouseRange) {
  f.Text3[2].setText("3000");
  feed({0, 50, 100, 150, 200, 250, 281});
  EXPECT_EQ(events(), leftButtonClick);
}

TEST_F(SwipeTest, TextFormListsThirtyEntriesOldestFirst) {
  feed({5, -7, 1234});
  QString expected;
  for (int i = 0; i < 27; ++i) expected += ",000";
  expected += ",005,-007,1234";
  EXPECT_EQ(f.Text21.text(), expected);
}

TEST_F(SwipeTest, SwipeIsTracedBeforeItsClick) {
  feed({0, 50, 100, 150, 200, 250});
  TraceCapture trace;
  feed({300});
  EXPECT_EQ(trace.lines(), QStringList({"swipe right", "cursor 100 700", "mouse click"}));
}

}  // namespace
}  // namespace vornix::output
