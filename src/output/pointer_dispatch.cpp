#include "output/pointer_dispatch.h"

#include "base/text_rules.h"
#include "base/trace.h"
#include "form/errors.h"
#include "output/mapping.h"

#include <algorithm>

namespace vornix::output {

void PointerDispatch::Text17_Change() {
  const double xv = f_.Text8[0].value();
  double yv = f_.Text8[1].value();
  if (xv == 0 && yv == 0) yv = 1;

  f_.Picture3.setScale(mouseRange(f_));
  f_.Label7.move(static_cast<float>(xv), static_cast<float>(yv), f_.Picture3.scale());
  f_.Label18.move(static_cast<float>(f_.Text8[2].value()), static_cast<float>(f_.Text8[3].value()),
                  f_.Picture3.scale());

  f_.Text9.setText(positionMessage(xv, yv));
  if (f_.Check1.checked()) pointer_.SetCursorPos(form::int32Of(xv), form::int32Of(yv));
  if (f_.Check4.checked() && clickOnPoints_) pointer_.mouse_event(kLeftClick);
  loop_.processEvents();
  // The move message carries the field texts as they stand, (0, 0) included.
  f_.Text14.setText(QStringLiteral("0|move|") + f_.Text8[0].text() + ',' + f_.Text8[1].text());
}

void PointerDispatch::spotAppeared() {
  if (f_.Check4.checked()) pointer_.mouse_event(kLeftClick);
}

void PointerDispatch::dragPress() {
  if (f_.Check7.checked() && f_.Label14.caption() == QLatin1String("0")) {
    f_.Label14.setCaption(QStringLiteral("1"));
    pointer_.mouse_event(kLeftDown);
  }
}

void PointerDispatch::dragRelease() {
  if (f_.Check7.checked() && f_.Label14.caption() == QLatin1String("1")) {
    f_.Label14.setCaption(QStringLiteral("0"));
    pointer_.mouse_event(kLeftUp);
  }
}

void PointerDispatch::Check7_Click() { f_.Timer5.setTimerEnabled(f_.Check7.value() != 0); }

void PointerDispatch::Text20_Change() {
  History& h = history_;
  for (int i = 0; i <= 28; ++i) h[i] = h[i + 1];
  h[29] = form::int16Of(f_.Text20.value());
  samples_ = std::min(samples_ + 1, 30);

  QString form;
  for (int i = 0; i <= 29; ++i) form += ',' + threeDigitText(h[i]);
  f_.Text21.setText(form);

  if (rightwardSwipe()) {
    trace("swipe", QStringLiteral("right"));
    clickPageButton(0, 1);
  }
  if (leftwardSwipe()) {
    trace("swipe", QStringLiteral("left"));
    clickPageButton(2, 3);
  }
}

// A run starts at a sample that arrived since the start or the last swipe: the zeros a swipe
// leaves behind would otherwise read as a start below kLowX, and a hand moving on to the right
// after a swipe would turn page after page.
int PointerDispatch::oldestSample() const { return int(history_.size()) - 1 - samples_; }

// A strictly rising run ending above kHighX whose first sample is below kLowX, at index 3..24.
bool PointerDispatch::rightwardSwipe() const {
  const History& h = history_;
  if (h[29] <= kHighX) return false;
  const int oldest = oldestSample();
  int k = 29;
  while (k > 1 && k > oldest && h[k] > h[k - 1] && h[k] >= kLowX) --k;
  return h[k] < kLowX && k > 2 && k < 25 && k >= oldest;
}

// A strictly falling run ending below kLowX whose first sample is above kHighX, at index 3..24.
bool PointerDispatch::leftwardSwipe() const {
  const History& h = history_;
  if (h[29] >= kLowX) return false;
  const int oldest = oldestSample();
  int k = 29;
  while (k > 1 && k > oldest && h[k] < h[k - 1] && h[k] <= kHighX) --k;
  return h[k] > kHighX && k > 2 && k < 25 && k >= oldest;
}

void PointerDispatch::clickPageButton(int xField, int yField) {
  pointer_.SetCursorPos(form::int32Of(f_.Text22[xField].value()),
                        form::int32Of(f_.Text22[yField].value()));
  pointer_.mouse_event(kLeftClick);
  history_.fill(0);
  samples_ = 0;
}

}  // namespace vornix::output
