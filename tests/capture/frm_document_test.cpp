#include "capture/frm_document.h"
#include "doubles/recording_dialogs.h"

#include "base/frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace vornix::capture {
namespace {

using form::WindowState;

// Records the calls made on the component, in order.
class RecordingCapture : public CaptureComponent {
public:
  explicit RecordingCapture(std::vector<std::string>& calls, std::int16_t channel = 0)
      : calls_(calls), channel_(channel) {}
  void setVideoStandard(std::int16_t value) override {
    calls_.push_back("standard " + std::to_string(value));
    CaptureComponent::setVideoStandard(value);
  }
  void setVideoInput(std::int16_t value) override {
    calls_.push_back("input " + std::to_string(value));
    CaptureComponent::setVideoInput(value);
  }
  void release() override { calls_.push_back("release"); }
  Grab grabToSlot(FrameSlot&) override { return Grab::Nothing; }
  void requestFormat(int width, int height, int subtype) override {
    calls_.push_back("format " + std::to_string(width) + "x" + std::to_string(height) + "/" + std::to_string(subtype));
  }
  int videoWidth() const override { return kFrameWidth; }
  int videoHeight() const override { return kFrameHeight; }
  std::int16_t channelNumber(bool) const override {
    calls_.push_back("channel");
    return channel_;
  }
  bool finished() const override { return false; }
  QString description() const override { return QStringLiteral("recording"); }

private:
  std::vector<std::string>& calls_;
  std::int16_t channel_;
};

TEST(FrmDocumentLoad, FailingSourceIsReportedOnceAndLoadingGoesOn) {
  form::RecordingDialogs dialogs;
  frmDocument doc(makeCapture(QStringLiteral("/dev/video77"), false));
  doc.load(dialogs);
  doc.load(dialogs);
  EXPECT_EQ(dialogs.messages, std::vector<QString>{QStringLiteral("无设备可连接!")});
  EXPECT_TRUE(doc.loaded());
  EXPECT_EQ(doc.sdk2000().videoStandard(), 1);
  EXPECT_EQ(doc.sdk2000().videoInput(), 1);
  EXPECT_EQ(doc.sdk2000().requestedFormat(), (FormatRequest{320, 240, 2}));
  EXPECT_EQ(doc.innerWidth(), 320);
}

TEST(FrmDocumentLoad, ConfiguresTheComponentInOrderWithoutMessage) {
  std::vector<std::string> calls;
  form::RecordingDialogs dialogs;
  frmDocument doc(std::make_unique<RecordingCapture>(calls));
  doc.load(dialogs);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(calls, (std::vector<std::string>{"channel", "standard 1", "input 1", "format 320x240/2"}));
  EXPECT_EQ(doc.sdk2000Left, 0);
  EXPECT_EQ(doc.sdk2000Top, 0);
}

TEST(FrmDocumentLoad, UnloadReleasesTheDevice) {
  std::vector<std::string> calls;
  form::RecordingDialogs dialogs;
  frmDocument doc(std::make_unique<RecordingCapture>(calls));
  doc.load(dialogs);
  calls.clear();
  doc.unload();
  EXPECT_EQ(calls, std::vector<std::string>{"release"});
  EXPECT_FALSE(doc.loaded());
}

class NormalSize : public ::testing::TestWithParam<double> {};

TEST_P(NormalSize, ClientAreaBecomesExactlyOneFrameAndTheComponentFillsIt) {
  std::vector<std::string> calls;
  form::RecordingDialogs dialogs;
  frmDocument doc(std::make_unique<RecordingCapture>(calls), WindowAllowance{16, 39}, GetParam());
  doc.load(dialogs);
  EXPECT_EQ(doc.scaleMode(), frmDocument::ScaleMode::Pixels);
  EXPECT_EQ(doc.innerWidth(), 320);
  EXPECT_EQ(doc.innerHeight(), 240);
  EXPECT_DOUBLE_EQ(doc.window.width(), (320 + 16) * GetParam());
  EXPECT_NEAR(doc.window.height(), (240 + 39) * GetParam(), 1) << "the caption allowance is kept in whole twips";
  EXPECT_EQ(doc.sdk2000Width, 320);
  EXPECT_EQ(doc.sdk2000Height, 240);
}

INSTANTIATE_TEST_SUITE_P(TwipsPerPixel, NormalSize, ::testing::Values(15.0, 12.0, 7.5));

TEST(NormalSizeStep, RestoresAMaximisedWindowFirst) {
  std::vector<std::string> calls;
  form::RecordingDialogs dialogs;
  frmDocument doc(std::make_unique<RecordingCapture>(calls));
  doc.window.setState(WindowState::Maximized);
  doc.window.setSize(1920 * 15, 1080 * 15);
  doc.load(dialogs);
  EXPECT_EQ(doc.window.state(), WindowState::Normal);
  EXPECT_EQ(doc.innerWidth(), 320);
  EXPECT_EQ(doc.innerHeight(), 240);
}

TEST(NormalSizeStep, LeavesAMinimisedWindowAlone) {
  std::vector<std::string> calls;
  form::RecordingDialogs dialogs;
  frmDocument doc(std::make_unique<RecordingCapture>(calls));
  doc.window.setState(WindowState::Minimized);
  const double width = doc.window.width(), height = doc.window.height();
  doc.load(dialogs);
  EXPECT_EQ(doc.window.state(), WindowState::Minimized);
  EXPECT_EQ(doc.window.width(), width);
  EXPECT_EQ(doc.window.height(), height);
  EXPECT_EQ(calls.back(), "format 320x240/2") << "the load still finishes";
}

TEST(FrmDocumentResize, ComponentFollowsTheClientAreaInTheCurrentUnit) {
  std::vector<std::string> calls;
  form::RecordingDialogs dialogs;
  frmDocument doc(std::make_unique<RecordingCapture>(calls), WindowAllowance{16, 39});
  doc.load(dialogs);
  doc.window.setSize((400 + 16) * 15, (300 + 39) * 15);
  EXPECT_EQ(doc.sdk2000Width, 400);
  EXPECT_EQ(doc.sdk2000Height, 300);
  doc.setScaleMode(frmDocument::ScaleMode::Twips);
  doc.window.setSize((100 + 16) * 15, (50 + 39) * 15);
  EXPECT_EQ(doc.sdk2000Width, 1500);
  EXPECT_EQ(doc.sdk2000Height, 750);
}

}  // namespace
}  // namespace vornix::capture
