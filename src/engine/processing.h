#pragma once
// The processing functions: the click actions of the hidden buttons that the main tick runs,
// one per family of projection modes.

#include "capture/frame_slot.h"
#include "engine/auto_threshold.h"
#include "engine/zone_watch.h"
#include "engine/detector.h"
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
  void Command12_Click();  // laser pointer, mode 4
  void Command13_Click();  // interactive zones, mode 5

  // The zones changed: all count as free until the next pass.
  void zonesChanged() { zoneWatch_.reset(); }
  // Someone stepped into a zone: its action, as stored.
  std::function<void(const QString& action)> onZoneEntered;

  // Set reference: a copy of the current frame in Picture1 becomes the reference in Picture2.
  void Command7_Click();

  // The point count of the two-point pass changed: two points restart the multi-touch hold
  // counter Label21 at "5".
  void Label20_Change();

  // The frame acquisition every pass starts with: the component puts its current frame into
  // the slot, the slot's picture becomes Picture1 (an empty slot leaves Picture1 as it was),
  // the slot is cleared. Each of the three steps is guarded on its own. True when the frame
  // is new; without a new frame since the last pass (a camera slower than the tick) the pass
  // ends here: no detection, no drag release, no reference copy.
  bool acquireFrame();

  // A drag must not outlive the camera: once no new frame has come for kFramesStoppedMs (a
  // camera unplugged, a replay at its end), a held button is let go as a frame without a touch
  // would let it go. Checked by every pass without a new frame, and by the tick in frame pacing.
  void releaseDragWhenFramesStopped();

  // Runs at the end of every pass with whether it found point 1 and point 2 (mapped into
  // Text8), for the outputs that follow the passes rather than the hand-overs: a finger that
  // stands still writes an unchanged point, which runs no handler.
  std::function<void(bool point1, bool point2)> onPassDone;
  // At each grab: whether the frame is new, and when it reached the capture (none: a repeated
  // frame, or a source without a clock).
  std::function<void(bool isNew, capture::FrameSlot::Arrival)> onFrameTaken;

  // "自动调解阀值" changed: the measurement starts afresh; cleared, the passes use the typed
  // threshold again and the shown one is emptied and hidden.
  void Check3_Click();

  // How the two-point pass ends: when it found a differing row, Label20 counts the points it
  // found ("1" point 1, "2" both); without one it found none, whatever Label20 still reads.
  void twoPointPassDone(bool rowFound);

  // The scan area's corners and the threshold the latest pass used (the measured threshold
  // while "自动调解阀值" is on).
  struct ScanInUse {
    ScanArea area;
    int threshold = 0;
  };
  const ScanInUse& scanInUse() const { return scanInUse_; }

private:
  // The corners of the scanned area and the threshold, each read as a 16-bit integer; a field
  // that does not fit counts as 0 for the pass. Under a correction the area is the bounding
  // rectangle of the calibrated area, within the picture.
  struct ScanFields {
    int x0 = 0, y0 = 0, x3 = 0, y3 = 0, threshold = 0;
  };

  // Yields to the event loop; false once the program is ending, and the pass then stops at once.
  bool yield();
  // The stride s held to 1..4; Text6 is rewritten to "1" or "4" when it was held.
  double clampedStride(double s);
  // The stride of Text6, clamped and cut to whole samples (modes 3, 4 and 5).
  int truncatedStride();
  ScanFields readScanFields();
  // While "自动调解阀值" is checked (and a reference is ready), the threshold measured on this
  // pass's frames replaces the typed one in scan; it is shown in Label27 and traced when it
  // moves. True when the pass saw a global change: it then reports no touch and presses or
  // releases nothing; in static reference mode a settled new picture becomes the reference, and
  // between global changes the reference follows the slow drift of the light where no touch is.
  bool applyAutomaticThreshold(ScanFields& scan);
  // Whether the frame just taken can be compared with a reference. Without one (nothing was
  // ever set), this frame becomes the reference and the pass finds nothing.
  bool referenceReady();
  // Under a correction, the current frame takes the reference's pixels outside the calibrated
  // area, so nothing there differs.
  void ignoreOutsideCalibratedArea();
  // The end of every pass that took a new frame: in dynamic reference mode the frame becomes
  // the reference.
  void followDynamicReference();
  void passDone(bool point1, bool point2);
  // The single-touch pass shared by processing functions 0 and 7.
  void singleTouchPass();
  // The two-point pass's writes for the row y, first differing at column firstHit.
  void reportTwoPoints(int y, double firstHit, const ScanFields& scan);

  panel::MAINFRM& f_;
  form::EventLoop& loop_;
  capture::frmDocument* document_;
  capture::FrameSlot& slot_;
  output::PointerDispatch& dispatch_;
  std::optional<qint64> lastNewFrameMs_;
  // When the last pass of mode 4 saw the laser spot.
  std::optional<qint64> lastSpotMs_;
  AutoThreshold autoThreshold_;
  ZoneWatch zoneWatch_;
  ScanInUse scanInUse_;
  QImage spareReference_;  // the reference before the last drift step

  static constexpr qint64 kFramesStoppedMs = 1000;
  // A laser spot seen again after this long without one is a new shot and clicks.
  static constexpr qint64 kSpotAbsenceMs = 200;
};

}  // namespace vornix::engine
