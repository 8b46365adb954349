#include "engine/processing.h"

#include "base/frame.h"
#include "base/text_rules.h"
#include "capture/frm_document.h"
#include "engine/detector.h"
#include "form/errors.h"
#include "output/pointer_dispatch.h"

#include <optional>
#include <stdexcept>

namespace vornix::engine {

using form::int16Of;
using form::step;

namespace {

std::int16_t int16OfText(const form::TextBox& box) { return int16Of(box.value()); }

}  // namespace

void Processing::Command2_Click() { singleTouchPass(); }
void Processing::Command10_Click() { singleTouchPass(); }

// The passes of modes 3 and 6 are not built yet: their entry points run nothing.
void Processing::Command8_Click() {}
void Processing::Command9_Click() {}

void Processing::twoPointPassDone(bool rowFound) {
  const QString& points = f_.Label20.caption();
  if (onPassDone) onPassDone(rowFound && points != u"0", rowFound && points == u"2");
}

void Processing::Command7_Click() { f_.Picture2.setImage(f_.Picture1.image()); }

bool Processing::yield() {
  loop_.processEvents();
  return !loop_.quitRequested();
}

bool Processing::acquireFrame() {
  capture::Grab grab = capture::Grab::Nothing;
  step([&] {
    if (!document_) throw std::runtime_error("no capture window");
    grab = document_->sdk2000().grabToSlot(slot_);
  });
  step([&] {
    if (std::optional<QImage> picture = slot_.get()) f_.Picture1.setImage(*picture);
  });
  step([&] { slot_.clear(); });
  if (grab != capture::Grab::New) return false;
  lastNewFrameMs_ = loop_.nowMs();
  return true;
}

void Processing::passWithoutNewFrame() {
  if (lastNewFrameMs_ && loop_.nowMs() - *lastNewFrameMs_ >= kSourceGoneMs) step([&] { dispatch_.dragRelease(); });
}

void Processing::singleTouchPass() {
  if (!yield()) return;

  double s = 0;
  step([&] { s = f_.Text6.value(); });
  step([&] {
    if (s < 1) {
      s = 1;
      f_.Text6.setText(QStringLiteral("1"));
    }
  });
  step([&] {
    if (s > 4) {
      s = 4;
      f_.Text6.setText(QStringLiteral("4"));
    }
  });
  const int stride = static_cast<int>(roundHalfEven(s));

  // A field that does not fit 16 bits leaves its value at 0 for this pass.
  int x0 = 0, y0 = 0, x3 = 0, y3 = 0, threshold = 0;
  step([&] { x0 = int16OfText(f_.Text1[0]); });
  step([&] { y0 = int16OfText(f_.Text2[0]); });
  step([&] { x3 = int16OfText(f_.Text1[3]); });
  step([&] { y3 = int16OfText(f_.Text2[3]); });
  step([&] { threshold = int16OfText(f_.Text4); });

  if (!acquireFrame()) {
    passWithoutNewFrame();
    return;
  }

  std::optional<Touch> touch;
  if (!f_.Picture2.hasImage()) {
    // Nothing to compare with yet: this frame becomes the reference and counts as no touch.
    step([&] { Command7_Click(); });
  } else {
    step([&] {
      // The pass yields before every row, and what runs then may replace the pictures: each
      // row reads the pictures as they are at that moment.
      touch = findTouch(ScanArea{x0, y0, x3, y3, stride}, threshold,
                        [&](int) -> std::optional<std::pair<FrameView, FrameView>> {
                          if (!yield()) return std::nullopt;
                          return std::pair(FrameView(f_.Picture1.image()), FrameView(f_.Picture2.image()));
                        });
    });
  }
  if (loop_.quitRequested()) return;

  if (touch) {
    const int x = touch->x, y = touch->y;
    step([&] { f_.Text5[0].setText(decimalText(x)); });
    step([&] { f_.Text5[1].setText(decimalText(y)); });
    step([&] {
      f_.Text16.setText(positionMessage(x, y));
    });
    step([&] { f_.Label2.setCaption(decimalText(touch->difference)); });
    if (!yield()) return;
    step([&] { dispatch_.dragPress(); });
  } else {
    step([&] { dispatch_.dragRelease(); });
  }

  step([&] {
    if (f_.Option3[2].selected()) Command7_Click();
  });
  step([&] {
    if (onPassDone) onPassDone(touch.has_value(), false);
  });
}

}  // namespace vornix::engine
