#include "form/controls.h"
#include "form/errors.h"
#include "doubles/scripted_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vornix::form;

TEST(Handlers, RunOnChangeAndNotOnUnchangedWrite) {
  TextBox text("Text16");
  CheckBox check("Check7");
  Label label("Label20");
  int textRuns = 0, checkRuns = 0, labelRuns = 0;
  text.onChange = [&] { ++textRuns; };
  check.onClick = [&] { ++checkRuns; };
  label.onChange = [&] { ++labelRuns; };

  text.setText("a");
  text.setText("a");
  text.setText("");
  check.setValue(1);
  check.setValue(1);
  label.setCaption("2");
  label.setCaption("2");

  EXPECT_EQ(textRuns, 2);
  EXPECT_EQ(checkRuns, 1);
  EXPECT_EQ(labelRuns, 1);
}

TEST(Handlers, RunNestedInsideTheWriterBeforeItGoesOn) {
  TextBox first("Text5"), handOver("Text16"), output("Text17");
  std::vector<std::string> order;
  output.onChange = [&] { order.push_back("Text17 sees " + handOver.text().toStdString()); };
  handOver.onChange = [&] {
    order.push_back("Text16 reads " + first.text().toStdString());
    output.setText("mapped");
    order.push_back("Text16 done");
  };

  first.setText("100");
  handOver.setText("msg");
  order.push_back("writer goes on");

  EXPECT_EQ(order, (std::vector<std::string>{"Text16 reads 100", "Text17 sees msg", "Text16 done",
                                             "writer goes on"}));
}

TEST(CheckBoxValues, OutsideZeroToTwoAreRejectedAndChangeNothing) {
  CheckBox check("Check1");
  int runs = 0;
  check.onClick = [&] { ++runs; };
  check.setValue(2);
  EXPECT_THROW(check.setValue(3), InvalidValueError);
  EXPECT_THROW(check.setValue(-1), InvalidValueError);
  EXPECT_EQ(check.value(), 2);
  EXPECT_FALSE(check.checked());  // greyed is not checked
  EXPECT_EQ(runs, 1);
}

TEST(OptionGroups, SelectingOneClearsTheOthersAndReportsItsIndex) {
  std::array<OptionButton, 3> buttons;
  OptionGroup group;
  std::vector<int> clicks;
  for (int i = 0; i < 3; ++i) {
    buttons[i].setName("Option4", i);
    group.add(buttons[i]);
    buttons[i].onClick = [&](int index) { clicks.push_back(index); };
  }
  buttons[1].setSelected(true);
  buttons[2].setSelected(true);
  buttons[2].setSelected(true);  // already selected: no click

  EXPECT_FALSE(buttons[0].selected());
  EXPECT_FALSE(buttons[1].selected());
  EXPECT_TRUE(buttons[2].selected());
  EXPECT_EQ(group.selectedButton(), &buttons[2]);
  EXPECT_EQ(clicks, (std::vector<int>{1, 2}));
}

TEST(OptionGroups, TwoGroupsOfOneArrayStayIndependent) {
  std::array<OptionButton, 4> option3;
  OptionGroup source, reference;
  source.add(option3[0]);
  source.add(option3[1]);
  reference.add(option3[2]);
  reference.add(option3[3]);
  option3[0].setSelected(true);
  option3[2].setSelected(true);
  option3[3].setSelected(true);
  EXPECT_TRUE(option3[0].selected());
  EXPECT_FALSE(option3[2].selected());
}

TEST(Operability, ADisabledFrameAroundAControlMakesItInoperable) {
  Frame outer("Frame6"), inner("Frame7");
  inner.setFrame(&outer);
  TextBox text("Text7");
  text.setFrame(&inner);
  EXPECT_TRUE(text.operable());
  outer.setEnabled(false);
  EXPECT_FALSE(text.operable());
  EXPECT_TRUE(text.enabled());
  text.setText("3");  // the program still sets it
  EXPECT_EQ(text.text(), "3");
}

TEST(Errors, AFailureTravelsUpToTheNearestStepGuardWhichGoesOnWithTheNextStep) {
  TextBox inner("Text17"), outer("Text16");
  inner.onChange = [] { int16Of(40000); };
  std::vector<std::string> steps;
  outer.onChange = [&] {
    inner.setText("x");
    steps.push_back("after inner");  // abandoned with the chain
  };
  step([&] { outer.setText("y"); });
  step([&] { steps.push_back("next step"); });
  EXPECT_EQ(steps, std::vector<std::string>{"next step"});
  EXPECT_EQ(inner.text(), "x");  // the write itself happened
}

TEST(Errors, AnUncaughtErrorEndsOnlyItsEventHandler) {
  bool after = false;
  runEvent("Timer1", [] { throw DivisionByZeroError(); });
  after = true;
  EXPECT_TRUE(after);
  EXPECT_THROW(divide(1, 0), DivisionByZeroError);
}

TEST(ScriptedLoopTimers, FireAtTheirIntervalsOnlyWhileEnabled) {
  ScriptedLoop loop;
  Timer fast("Timer1"), slow("Timer3");
  fast.setInterval(50);
  slow.setInterval(1000);
  fast.setTimerEnabled(true);
  slow.setTimerEnabled(true);
  int fastTicks = 0, slowTicks = 0;
  fast.onTimer = [&] { ++fastTicks; };
  slow.onTimer = [&] { ++slowTicks; };
  loop.watch(fast);
  loop.watch(slow);

  loop.advance(1000);
  EXPECT_EQ(fastTicks, 20);
  EXPECT_EQ(slowTicks, 1);
  fast.setTimerEnabled(false);
  loop.advance(1000);
  EXPECT_EQ(fastTicks, 20);
  EXPECT_EQ(slowTicks, 2);
}

TEST(ScriptedLoopTimers, AYieldRunsOtherDueTimersButNeverReentersTheRunningOne) {
  ScriptedLoop loop;
  Timer main("Timer1"), other("Timer5");
  main.setInterval(50);
  other.setInterval(5);
  main.setTimerEnabled(true);
  other.setTimerEnabled(true);
  int mainEntries = 0, depth = 0, maxDepth = 0, otherTicks = 0;
  main.onTimer = [&] {
    ++mainEntries;
    maxDepth = std::max(maxDepth, ++depth);
    for (int i = 0; i < 30; ++i) {  // a long pass that yields every 10 ms
      loop.spend(10);
      loop.processEvents();
    }
    --depth;
  };
  other.onTimer = [&] { ++otherTicks; };
  loop.watch(main);
  loop.watch(other);

  loop.advance(50);
  EXPECT_EQ(mainEntries, 1);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_GE(otherTicks, 30);
}

// A long unattended run plots without ever clearing: the drawing is pixels of the pane, so it
// cannot outgrow them.
TEST(PictureDrawing, StaysWithinThePanesPixels) {
  Picture picture("Picture4");
  int changes = 0;
  picture.subscribe([&] { ++changes; });
  for (int pass = 0; pass < 3; ++pass)
    for (int x = -50; x < 400; ++x) picture.plot(x, 7.5);
  picture.plot(10, 240);
  EXPECT_EQ(picture.points().size(), 320u);
  EXPECT_EQ(picture.points().front(), QPoint(0, 7));
  EXPECT_EQ(changes, 320);
  picture.clear();
  picture.plot(0, 7);
  EXPECT_EQ(picture.points(), std::vector<QPoint>{QPoint(0, 7)});
}
