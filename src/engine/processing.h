#pragma once
// The processing functions: the click actions of the hidden buttons that the main tick runs,
// one per family of projection modes.

#include "capture/frame_slot.h"
#include "form/event_loop.h"
#include "panel/mainfrm.h"

#include <functional>
#include <optional>

namespace vornix::capture {
class frmDocument;
}
namespace vornix::output {
class PointerDispatch;
}

namespace vornix::engine {

class Processing {
public:
  // document: the default capture window whose component grabs the frames (none: no frame is
  // ever taken and Picture1 keeps what it holds). slot: where the component puts the frame.
  Processing(panel::MAINFRM& f, form::EventLoop& loop, capture::frmDocument* document,
             capture::FrameSlot& slot, output::PointerDispatch& dispatch)
      : f_(f), loop_(loop), document_(document), slot_(slot), dispatch_(dispatch) {}

  void Command2_Click();   // processing function 0: floor, wall and page modes 0, 1, 2
  void Command8_Click();   // processing function 3: rear projection, mode 3
  void Command9_Click();   // processing function 6: two-point touch, mode 6
  void Command10_Click();  // processing function 7: page-flip click, mode 7

  // Set reference: a copy of the current frame in Picture1 becomes the reference in Picture2.
  void Command7_Click();

  // The frame acquisition every pass starts with: the component puts its current frame into
  // the slot, the slot's picture becomes Picture1 (an empty slot leaves Picture1 as it was),
  // the slot is cleared. Each of the three steps is guarded on its own. True when the frame
  // is new; without a new frame since the last pass (a camera slower than the tick) the pass
  // ends here: no detection, no drag release, no reference copy. Only once no new frame has
  // come for kSourceGoneMs (a camera pulled out, a stalled pipeline) does such a pass let go
  // of a held drag button, so the desktop is not left in a drag while the camera is away.
  bool acquireFrame();
  static constexpr qint64 kSourceGoneMs = 1000;

  // Runs at the end of every pass with whether it found point 1 and point 2 (mapped into
  // Text8), for the outputs that follow the passes rather than the hand-overs: a finger that
  // stands still writes an unchanged point, which runs no handler.
  std::function<void(bool point1, bool point2)> onPassDone;

  // How the two-point pass ends: when it found a differing row, Label20 counts the points it
  // found ("1" point 1, "2" both); without one it found none, whatever Label20 still reads.
  void twoPointPassDone(bool rowFound);

private:
  // Yields to the event loop; false once the program is ending, and the pass then stops at once.
  bool yield();

  // The single-touch pass shared by processing functions 0 and 7.
  void singleTouchPass();
  // A pass without a new frame: the drag ends once the source has been silent too long.
  void passWithoutNewFrame();

  panel::MAINFRM& f_;
  form::EventLoop& loop_;
  capture::frmDocument* document_;
  capture::FrameSlot& slot_;
  output::PointerDispatch& dispatch_;
  std::optional<qint64> lastNewFrameMs_;  // loop time of the last new frame
};

}  // namespace vornix::engine
