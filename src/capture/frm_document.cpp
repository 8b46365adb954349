#include "capture/frm_document.h"

#include "base/frame.h"
#include "base/text_rules.h"

#include <algorithm>
#include <cmath>

namespace vornix::capture {

frmDocument::frmDocument(std::unique_ptr<CaptureComponent> component, WindowAllowance allowance,
                         double twipsPerPixel)
    : sdk2000_(std::move(component)), allowance_(allowance), twipsPerPixel_(twipsPerPixel) {
  window.caption = QStringLiteral("frmDocument");
  // Windows are laid out in whole screen pixels.
  window.setSize((std::lround(kDesignClientWidth / twipsPerPixel_) + allowance_.horizontalPixels) * twipsPerPixel_,
                 (std::lround(kDesignClientHeight / twipsPerPixel_) + allowance_.verticalPixels) * twipsPerPixel_);
  seenWidth_ = window.width();
  seenHeight_ = window.height();
  seenState_ = window.state();
  window.subscribe([this] { windowChanged(); });
}

void frmDocument::load(form::Dialogs& dialogs) {
  if (!loaded_) Form_Load(dialogs);
}

void frmDocument::unload() {
  if (!loaded_) return;
  Form_Unload();
  loaded_ = false;
}

void frmDocument::Form_Load(form::Dialogs& dialogs) {
  loaded_ = true;
  if (sdk2000_->channelNumber(false) < 0) dialogs.message(QStringLiteral("无设备可连接!"));
  sdk2000Left = 0;
  sdk2000Top = 0;
  normalSize();
  sdk2000_->setVideoStandard(1);
  sdk2000_->setVideoInput(1);
  sdk2000_->requestFormat(kFrameWidth, kFrameHeight, 2);
}

void frmDocument::Form_Resize() {
  sdk2000Width = innerWidth();
  sdk2000Height = innerHeight();
}

void frmDocument::Form_Unload() { sdk2000_->release(); }

void frmDocument::normalSize() {
  if (window.state() == form::WindowState::Maximized) window.setState(form::WindowState::Normal);
  const double videoWidth = sdk2000_->videoWidth();
  const double videoHeight = sdk2000_->videoHeight();

  scaleMode_ = ScaleMode::Twips;
  const double innerWidthTwips = innerWidth();
  const double innerHeightTwips = innerHeight();
  const double allowanceX = window.width() - innerWidthTwips;
  const double allowanceY = toInt32(window.height() - innerHeightTwips).value_or(0);

  scaleMode_ = ScaleMode::Pixels;
  const double innerWidthPixels = innerWidth();
  const double innerHeightPixels = toInt32(innerHeight()).value_or(0);
  // A minimised window has no client area to take the ratio from: its size stays.
  if (innerWidthPixels == 0 || innerHeightPixels == 0) return;

  const float outerWidth = float(allowanceX + videoWidth * innerWidthTwips / innerWidthPixels);
  const float outerHeight = float(allowanceY + videoHeight * innerHeightTwips / innerHeightPixels);
  window.setSize(outerWidth, outerHeight);
}

int frmDocument::innerPixels(double outerTwips, int allowancePixels) const {
  if (window.state() == form::WindowState::Minimized) return 0;
  const long outerPixels = std::lround(outerTwips / twipsPerPixel_);
  return int(std::max(0L, outerPixels - allowancePixels));
}

double frmDocument::inScale(int pixels) const {
  return scaleMode_ == ScaleMode::Pixels ? double(pixels) : pixels * twipsPerPixel_;
}

double frmDocument::innerWidth() const {
  return inScale(innerPixels(window.width(), allowance_.horizontalPixels));
}

double frmDocument::innerHeight() const {
  return inScale(innerPixels(window.height(), allowance_.verticalPixels));
}

void frmDocument::windowChanged() {
  if (window.width() == seenWidth_ && window.height() == seenHeight_ && window.state() == seenState_) return;
  seenWidth_ = window.width();
  seenHeight_ = window.height();
  seenState_ = window.state();
  if (loaded_) Form_Resize();
}

}  // namespace vornix::capture
