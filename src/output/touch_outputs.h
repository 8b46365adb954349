#pragma once
// The outputs that carry every touch of a frame at once: the TUIO cursors, the WebSocket feed
// and the trace. After every pass that took a frame they get either the tracked blobs (while
// "多点跟踪" is on), mapped through the calibration, or the passes' points 1 and 2.

#include "output/tuio_output.h"
#include "panel/mainfrm.h"
#include "tracking/identity_tracker.h"

#include <QByteArray>
#include <QPointF>
#include <QSizeF>

#include <vector>

namespace vornix::output {

// Sends one text to every client of the touch feed; the program's backend is a WebSocket server.
class TouchFeed {
public:
  virtual ~TouchFeed() = default;
  // Whether anyone listens; nothing is built for a feed without clients.
  virtual bool hasClients() const = 0;
  virtual void send(const QByteArray& text) = 0;
};

struct ScreenTouch {
  qint32 id = 0;
  QPointF screen;      // screen pixels
  QPointF normalised;  // 0..1 within the mouse activity range
  QSizeF size;         // screen pixels
};

// The feed's text of one frame: {"frame": N, "touches": [{"id", "x", "y", "nx", "ny", "w", "h"}]}.
QByteArray touchFeedText(qint64 frame, const std::vector<ScreenTouch>& touches);

class TouchOutputs {
public:
  // feed: none, and nothing is sent there.
  TouchOutputs(const panel::MAINFRM& f, TuioOutput& tuio, TouchFeed* feed) : f_(f), tuio_(tuio), feed_(feed) {}

  // A pass found point 1 (mapped into Text8(0..1)) and point 2 (Text8(2..3)), or not; ids 1, 2.
  void passDone(bool point1, bool point2);
  // The blobs tracked on the pass's frame, in camera pixels.
  void blobsDone(const tracking::TrackedFrame& frame);

private:
  ScreenTouch touchOfBlob(const tracking::TrackedBlob& blob) const;
  ScreenTouch touchAt(qint32 id, QPointF screen, QSizeF size) const;

  const panel::MAINFRM& f_;
  TuioOutput& tuio_;
  TouchFeed* feed_;
  qint64 frames_ = 0;
};

}  // namespace vornix::output
