#include "support/test_system.h"

#include <gtest/gtest.h>

#include <set>

using vornix::testing::TestSystem;

TEST(PanelAtStart, ChecksOptionsAndModeAreAsDesigned) {
  TestSystem t;
  auto& f = t.f;
  for (auto* box : {&f.Check1, &f.Check2, &f.Check5, &f.Check9}) EXPECT_EQ(box->value(), 1) << box->fullName().toStdString();
  for (auto* box : {&f.Check3, &f.Check4, &f.Check6, &f.Check7, &f.Check8}) EXPECT_EQ(box->value(), 0) << box->fullName().toStdString();
  EXPECT_EQ(f.Label9.caption(), "1");
  EXPECT_EQ(f.option4Group.selectedButton(), nullptr);
  for (auto* option : {&f.Option3[0], &f.Option3[2], &f.Option1[4], &f.Option2[0], &f.Option5[1]})
    EXPECT_TRUE(option->selected()) << option->fullName().toStdString();
  for (auto* option : {&f.Option3[1], &f.Option3[3], &f.Option1[0], &f.Option2[1], &f.Option5[0]})
    EXPECT_FALSE(option->selected()) << option->fullName().toStdString();
  EXPECT_EQ(f.window.caption, "Vornix驱平台V7-100528D");
  EXPECT_EQ(f.Option1[0].tag, "4");
  EXPECT_EQ(f.Timer7.tag, "10");
  EXPECT_EQ(f.Option4[6].caption, "6 两点触摸     图片缩放移动旋转");
}

TEST(PanelAtStart, TimersHaveTheirIntervalsAndStates) {
  TestSystem t;
  auto& f = t.f;
  const std::pair<vornix::form::Timer*, std::pair<int, bool>> timers[] = {
      {&f.Timer1, {50, true}},  {&f.Timer2, {100, true}}, {&f.Timer3, {1000, true}},
      {&f.Timer4, {200, true}}, {&f.Timer5, {5, false}},  {&f.Timer6, {100, false}},
      {&f.Timer7, {100, true}}};
  for (auto [timer, expected] : timers) {
    EXPECT_EQ(timer->interval(), expected.first) << timer->fullName().toStdString();
    EXPECT_EQ(timer->timerEnabled(), expected.second) << timer->fullName().toStdString();
  }
}

TEST(PanelAtStart, DisabledControlsAndFramesAreInoperableButProgramWritesWork) {
  TestSystem t;
  auto& f = t.f;
  for (vornix::form::Control* c : std::initializer_list<vornix::form::Control*>{
           &f.Command1, &f.Option3[1], &f.Option4[3], &f.Option4[7], &f.Text1[1], &f.Text2[2],
           &f.Option1[1], &f.Option1[2], &f.Check8, &f.Check9, &f.Option2[2], &f.Text22[0], &f.Text20})
    EXPECT_FALSE(c->operable()) << c->fullName().toStdString();
  for (vornix::form::Control* c : std::initializer_list<vornix::form::Control*>{
           &f.Command3, &f.Check1, &f.Check3, &f.Option4[0], &f.Option4[2], &f.Option4[4], &f.Option4[5], &f.Text1[0], &f.Text1[3], &f.Option1[3],
           &f.Text7, &f.Option5[0], &f.Option2[0], &f.Option2[1]})
    EXPECT_TRUE(c->operable()) << c->fullName().toStdString();
  for (auto* hidden : {&f.Command2, &f.Command8, &f.Command9, &f.Command10, &f.Command12, &f.Command13}) EXPECT_FALSE(hidden->visible());
  EXPECT_FALSE(f.Text21.visible());
  f.Option4[6].setSelected(true);  // the configuration load may select a disabled mode
  EXPECT_EQ(f.Label9.caption(), "6");
}

TEST(PanelAtStart, EveryControlHasAUniqueName) {
  TestSystem t;
  std::set<QString> names;
  for (auto* control : t.f.controls()) {
    EXPECT_FALSE(control->name().isEmpty());
    EXPECT_TRUE(names.insert(control->fullName()).second) << control->fullName().toStdString();
  }
}

TEST(ModeSelection, PickingAModeWritesItsIndexIntoLabel9) {
  TestSystem t;
  t.f.Option4[1].setSelected(true);
  EXPECT_EQ(t.f.Label9.caption(), "1");
  t.f.Option4[0].setSelected(true);
  EXPECT_EQ(t.f.Label9.caption(), "0");
}
