#include "engine/main_tick.h"

#include "base/text_rules.h"
#include "base/trace.h"

namespace vornix::engine {

void MainTick::Timer1_Timer() {
  if (passRunning_) return;
  passRunning_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{passRunning_};

  const auto modeIs = [this](int mode) { return numericValue(f_.Label9.caption()) == mode; };
  if (modeIs(0)) f_.Command2.click();
  if (modeIs(1)) f_.Command2.click();
  if (modeIs(2)) f_.Command2.click();
  if (modeIs(3)) f_.Command8.click();
  if (modeIs(4)) f_.Command12.click();
  if (modeIs(5)) f_.Command13.click();
  if (modeIs(6)) f_.Command9.click();
  if (modeIs(7)) f_.Command10.click();
  f_.Timer3.tag = decimalText(numericValue(f_.Timer3.tag) + 1);
}

void MainTick::Timer3_Timer() {
  f_.Label11.setCaption("实测速度 " + f_.Timer3.tag + " 桢/秒");
  trace("fps", f_.Timer3.tag);
  f_.Timer3.tag = "0";
}

}  // namespace vornix::engine
