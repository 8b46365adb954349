// "自动调解阀值" through the whole system: the passes take their threshold from the measured
// noise, pass over global changes and, with a static reference, learn the new picture.

#include "drawn_frames.h"
#include "doubles/recording_pointer.h"
#include "support/test_system.h"
#include "support/trace_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using vornix::output::RecordingPointer;
using vornix::testing::CameraTestSystem;
using vornix::testing::plainFrame;
using vornix::testing::TraceCapture;
using vornix::testing::withDots;
using vornix::testing::withRed;

namespace {

using Event = RecordingPointer::Event;

// plainFrame(100) with sensor noise of standard deviation sigma on red (Box-Muller over the raw
// output of a seeded Mersenne twister, so the frame is the same everywhere).
QImage noisyFrame(std::uint32_t seed, double sigma = 15) {
  std::mt19937 bits(seed);
  const auto uniform = [&] { return (double(bits()) + 0.5) / 4294967296.0; };
  QImage frame = plainFrame(100);
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) {
      const double gauss = std::sqrt(-2 * std::log(uniform())) * std::cos(6.283185307179586 * uniform());
      frame.setPixel(x, y, withRed(std::clamp(int(std::lround(100 + sigma * gauss)), 0, 255)));
    }
  return frame;
}

// A bright object, red 250 (a difference of 150), 6 x 6 pixels from (200, 150).
QImage withObject(QImage frame) {
  for (int y = 150; y < 156; ++y)
    for (int x = 200; x < 206; ++x) frame.setPixel(x, y, withRed(250));
  return frame;
}

class AutomaticThreshold : public ::testing::Test {
protected:
  AutomaticThreshold() {
    f.Text6.setText("1");
    f.Text4.setText("60");
    f.Option3[3].setSelected(true);  // static reference
    f.Picture1.setImage(plainFrame(100));
    f.Command7.click();
  }
  // Runs a pass of processing function 0 and tells whether it reported a touch.
  bool reportsTouch(const QImage& frame) {
    f.Text5[0].setText("none");
    t.camera.frames.push_back(frame);
    f.Command2.click();
    return f.Text5[0].text() != "none";
  }
  std::vector<Event> buttonEvents() const { return t.pointerEvents.buttonEvents(); }
  QStringList thresholdLines() const {
    QStringList lines;
    for (const QString& line : trace.lines())
      if (line.startsWith("threshold") || line == "relearn") lines << line;
    return lines;
  }

  TraceCapture trace;
  CameraTestSystem t;
  vornix::panel::MAINFRM& f = t.f;
};

TEST_F(AutomaticThreshold, FollowsTheNoiseAboveTheTypedThreshold) {
  // Noise of 15 crosses the typed 60 (four standard deviations) somewhere in 77,361 samples.
  ASSERT_TRUE(reportsTouch(noisyFrame(1)));

  f.Check3.setValue(1);
  EXPECT_FALSE(reportsTouch(noisyFrame(2)));
  EXPECT_TRUE(f.Label27.visible());
  EXPECT_FALSE(reportsTouch(noisyFrame(3)));
  // Six standard deviations: 6 x 15 = 90, give or take the sampling of the median.
  const int shown = f.Label27.caption().toInt();
  EXPECT_GE(shown, 80);
  EXPECT_LE(shown, 100);
  EXPECT_EQ(thresholdLines(), QStringList{"threshold " + f.Label27.caption()});

  EXPECT_TRUE(reportsTouch(withObject(noisyFrame(4))));
  EXPECT_EQ(f.Text5[0].text(), "200");
  EXPECT_EQ(f.Text5[1].text(), "150");
  EXPECT_EQ(f.Text4.text(), "60");
}

TEST_F(AutomaticThreshold, ClearingTheBoxUsesTheTypedThresholdAgain) {
  f.Check3.setValue(1);
  reportsTouch(noisyFrame(1));
  const QImage seventyOver = withDots(plainFrame(100), {{30, 40, 170}});
  EXPECT_FALSE(reportsTouch(seventyOver));  // under the measured threshold of about 90

  f.Check3.setValue(0);
  EXPECT_FALSE(f.Label27.visible());
  EXPECT_TRUE(reportsTouch(seventyOver));
  EXPECT_EQ(f.Label2.caption(), "70");
}

TEST_F(AutomaticThreshold, AGlobalChangeIsNoTouchAndIsLearntOnceSettled) {
  f.Check3.setValue(1);
  f.Check7.setValue(1);
  ASSERT_TRUE(reportsTouch(withDots(plainFrame(100), {{40, 30, 255}})));
  EXPECT_EQ(buttonEvents(), std::vector<Event>{Event::press()});

  // The light goes up by 90 over the whole picture: no touch, and the button stays held.
  const QImage brighter = plainFrame(190);
  const QImage brighterTouched = withDots(brighter, {{40, 30, 255}});
  EXPECT_FALSE(reportsTouch(brighter));
  EXPECT_FALSE(reportsTouch(brighter));
  EXPECT_FALSE(reportsTouch(brighterTouched));
  EXPECT_EQ(buttonEvents(), std::vector<Event>{Event::press()});
  EXPECT_EQ(thresholdLines(), QStringList{"threshold 12"});  // the floor: the frames have no noise

  // The fourth pass over the changed picture follows three that saw it hold still.
  EXPECT_FALSE(reportsTouch(brighter));
  EXPECT_EQ(thresholdLines(), (QStringList{"threshold 12", "relearn"}));
  EXPECT_TRUE(reportsTouch(brighterTouched));
  EXPECT_FALSE(reportsTouch(brighter));
  EXPECT_EQ(buttonEvents(), (std::vector<Event>{Event::press(), Event::release()}));
}

TEST_F(AutomaticThreshold, NoiseThatJumpsPastTheThresholdIsMeasuredAfreshAfterTwoSeconds) {
  f.Check3.setValue(1);
  reportsTouch(plainFrame(100));  // no noise: the floor of 12
  // Noise of 20 at once: 55 % of the samples differ by more than 12, and never hold still.
  const QImage noisy[] = {noisyFrame(1, 20), noisyFrame(2, 20)};
  for (int pass = 1; pass <= 40; ++pass) EXPECT_FALSE(reportsTouch(noisy[pass % 2])) << pass;
  EXPECT_EQ(f.Label27.caption(), "12");
  // The 40th was the last global change; measured afresh: 6 x 20 = 120.
  EXPECT_FALSE(reportsTouch(noisy[1]));
  const int shown = f.Label27.caption().toInt();
  EXPECT_GE(shown, 105);
  EXPECT_LE(shown, 135);
  EXPECT_TRUE(reportsTouch(withObject(noisy[0])));
  EXPECT_EQ(f.Text5[0].text(), "200");
}

TEST_F(AutomaticThreshold, TheStaticReferenceFollowsSlowLightButNotAStillObject) {
  f.Check3.setValue(1);
  // The light rises by 60 levels over a minute of passes while an object stands still: without
  // the drift most samples would soon differ by more than the floor of 12.
  int found = 0;
  for (int pass = 0; pass < 1200; ++pass) found += reportsTouch(withObject(plainFrame(100 + pass / 20)));
  EXPECT_EQ(found, 1200);
  EXPECT_EQ(f.Text5[0].text(), "200");
  EXPECT_EQ(thresholdLines(), QStringList{"threshold 12"});
}

TEST_F(AutomaticThreshold, TheTwoPointPassUsesTheMeasuredThreshold) {
  f.Check3.setValue(1);
  reportsTouch(noisyFrame(1));
  f.Label20.setCaption("9");  // rewritten only by a pass that finds a differing row
  t.camera.frames.push_back(noisyFrame(2));
  f.Command9.click();
  EXPECT_EQ(f.Label20.caption(), "9");
  t.camera.frames.push_back(withObject(noisyFrame(3)));
  f.Command9.click();
  // The object, columns 200 to 205, is one point; the last column whose window holds two of its
  // flags, 204, is the first point reported.
  EXPECT_EQ(f.Label20.caption(), "1");
  EXPECT_EQ(f.Text5[0].text(), "204");
}

}  // namespace
