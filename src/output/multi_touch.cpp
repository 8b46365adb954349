#include "output/multi_touch.h"

#include "base/text_rules.h"
#include "base/trace.h"
#include "form/errors.h"

#include <cmath>

namespace vornix::output {

using form::step;

namespace {

// A coordinate of the scale message: rounded down, as decimal text.
QString wholeText(double value) {
  const double whole = std::floor(value);
  if (!std::isfinite(whole)) throw form::OverflowError();
  return decimalText(whole);
}

}  // namespace

void MultiTouch::Text19_Change() {
  step([&] { x1_ = f_.Text8[0].value(); });
  step([&] { y1_ = f_.Text8[1].value(); });
  step([&] { x2_ = f_.Text8[2].value(); });
  step([&] { y2_ = f_.Text8[3].value(); });
  step([&] {
    // The pivot is x1 plus half of x2, not the midpoint of the two.
    const double m = x1_ + x2_ / 2;
    const double factor = (form::divide(x2_ - x1_, px2_ - px1_) - 1) * 1.1;
    const QString message = QStringLiteral("1|scale|") + wholeText((x1_ + m) / 2) + u',' + wholeText(y1_) + u',' +
                            wholeText((x2_ + m) / 2) + u',' + wholeText(y2_) + u',' + fixedDecimalText(factor, 2);
    if (message == f_.Text15.text()) return;
    f_.Text15.setText(message);
    trace("scale", message);
  });
  px1_ = x1_;
  px2_ = x2_;
}

void MultiTouch::Timer6_Timer() {
  const QString message = numericValue(f_.Label21.caption()) > 1 ? f_.Text15.text() : f_.Text14.text();
  server::frmServer& server = server_.window();
  server.TxtSend.setText(message);
  server.TxtSend_KeyUp(13, 0);
}

void MultiTouch::Timer7_Timer() {
  const double counter = numericValue(f_.Label21.caption());
  if (counter > 0) f_.Label21.setCaption(decimalText(counter - 1));
}

void MultiTouch::Check8_Click() {
  if (f_.Check8.value() == 1) server_.show();
  if (f_.Check8.value() == 0) server_.unload();
  f_.Timer6.setTimerEnabled(f_.Check8.value() != 0);
}

void MultiTouch::Check9_Click() { f_.Timer6.setTimerEnabled(f_.Check9.value() != 0); }

}  // namespace vornix::output
