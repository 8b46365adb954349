#pragma once
// The pointer output dispatch that every mapped point passes through, the drag press and
// release of the processing functions, and the page-flip swipe detector of mode 7.

#include "form/event_loop.h"
#include "output/pointer.h"
#include "panel/mainfrm.h"

#include <array>
#include <cstdint>

namespace vornix::output {

class PointerDispatch {
public:
  PointerDispatch(panel::MAINFRM& f, form::EventLoop& loop, PointerOutput& pointer)
      : f_(f), loop_(loop), pointer_(pointer) {}

  // Dispatch of the mapped point in Text8(0), Text8(1): mapping preview, serial copy (Text9),
  // cursor move (Check1), click (Check4, except for the laser spot), then a yield and the move
  // message (Text14).
  void Text17_Change();

  // Runs handOver (the laser pass's writes of its spot) with the per-point click left out: the
  // laser clicks when a spot appears, never on moves. Points received over the serial line
  // still click.
  template <class HandOver>
  void withoutPointClick(HandOver&& handOver) {
    struct Restore {
      bool& flag;
      ~Restore() { flag = true; }
    } restore{clickOnPoints_};
    clickOnPoints_ = false;
    handOver();
  }
  // The laser spot appeared after an absence: one click where the cursor is, with Check4.
  void spotAppeared();

  // Left button held while a touch lasts (Check7), its state in the caption of Label14.
  void dragPress();
  void dragRelease();

  // Check7 switches the serial poll Timer5.
  void Check7_Click();

  // One sample of the mapped X for the swipe detector, from Text20.
  void Text20_Change();

  // Indices 0..29 hold the samples, 29 the newest; 30 is only ever cleared.
  using History = std::array<std::int16_t, 31>;
  const History& history() const { return history_; }

  // A swipe starts beyond one threshold and ends beyond the other.
  static constexpr int kLowX = 40;
  static constexpr int kHighX = 280;

private:
  int oldestSample() const;
  bool rightwardSwipe() const;
  bool leftwardSwipe() const;
  void clickPageButton(int xField, int yField);

  panel::MAINFRM& f_;
  form::EventLoop& loop_;
  PointerOutput& pointer_;
  History history_{};
  int samples_ = 0;  // samples since the start or the last swipe, at most 30
  bool clickOnPoints_ = true;
};

}  // namespace vornix::output
