#pragma once
// TUIO 1.1 output: after every pass that ran, one /tuio/2Dcur bundle with the cursors that pass
// found, for the touch applications that read TUIO over UDP. The cursors come from the passes,
// not from the hand-overs, so a finger that stands still (whose unchanged point runs no
// handler) stays alive.

#include "form/event_loop.h"
#include "output/tuio_cursors.h"
#include "output/tuio_target.h"
#include "panel/mainfrm.h"

#include <QString>

#include <optional>
#include <vector>

namespace vornix::output {

// One bundle: "source", "alive" with the session ids of the cursors, one "set" per cursor in
// the same order, then "fseq".
struct TuioBundle {
  QString source;
  std::vector<TuioCursor> cursors;
  qint32 fseq = 0;
};

// Delivers bundles to a target; the program's backend sends OSC over UDP.
class TuioTransport {
public:
  enum class Delivery {
    Sent,
    Waiting,  // nothing sent: the target's host name is still being looked up
  };
  enum class SendError {
    UnknownHost,  // the host name has no address
    Refused,      // nothing listens on the target's port
    Network,      // the system refused the socket or the datagram
  };
  using SendResult = Result<Delivery, SendError>;

  virtual ~TuioTransport() = default;
  virtual void setTarget(const TuioTarget& target) = 0;
  virtual SendResult send(const TuioBundle& bundle) = 0;
};

class TuioOutput {
public:
  // transport: none, and nothing is ever sent.
  // hostName names the source of the bundles ("vornix@HOST").
  TuioOutput(const panel::MAINFRM& f, form::EventLoop& loop, TuioTransport* transport, const QString& hostName);

  // The target given on the command line; it wins over the configuration file's.
  void setCommandLineTarget(const TuioTarget& target);
  // The text stored under "TUIO"/"目标", handed over by every configuration load; empty: off.
  void setStoredTarget(const QString& text);
  std::optional<TuioTarget> target() const { return target_; }

  // A pass has run and found point 1 (mapped into Text8(0), Text8(1)) and point 2 (Text8(2),
  // Text8(3)), or not: sends that pass's bundle.
  void passDone(bool point1, bool point2);
  // While blobs are tracked, in place of passDone: one cursor per tracked blob (its identity the
  // session id), at its position as a fraction of the mouse activity range.
  void blobsDone(const std::vector<TuioCursors::IdentifiedPoint>& blobs);

  // Pause after a failed send, and how long sends must succeed before a failure that comes
  // back is reported again.
  static constexpr qint64 kRetryMs = 1000;

private:
  void send(const std::vector<TuioCursor>& cursors, qint64 now);
  void aim(const std::optional<TuioTarget>& target);
  void report(const QString& error);
  QPointF normalisedPoint(std::size_t first) const;

  const panel::MAINFRM& f_;
  form::EventLoop& loop_;
  TuioTransport* transport_;
  const QString source_;

  bool commandLineTarget_ = false;
  std::optional<TuioTarget> target_;
  TuioCursors cursors_;
  qint32 sent_ = 0;

  qint64 retryAtMs_ = 0;
  std::optional<qint64> sendingSinceMs_;
  QString reported_;
};

}  // namespace vornix::output
