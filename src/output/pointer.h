#pragma once
// Pointer input on the local desktop. The handlers call PointerOutput, named after the
// desktop calls they stand for; a PointerBackend delivers the input (XTest, uinput, or nothing),
// a CursorReader reads the real pointer back.

#include <QPoint>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace vornix::output {

// The flags of mouse_event.
enum MouseFlags : int { kLeftDown = 2, kLeftUp = 4, kLeftClick = 6 };

// Delivers absolute moves and left-button presses to the desktop at once (no buffering).
class PointerBackend {
public:
  virtual ~PointerBackend() = default;
  virtual void moveTo(int x, int y) = 0;
  virtual void press() = 0;
  virtual void release() = 0;
  virtual QString name() const = 0;
  // Presses and releases the key of an X keysym name ("F5", "space", "a", "Return"); false
  // when the backend knows no such key. A backend without keys only takes note.
  virtual bool tapKey(const QString& keysym) {
    (void)keysym;
    return true;
  }
  // The desktop it injects into is gone (the X server ended): it delivers nothing any more.
  virtual bool lost() const { return false; }
};

class CursorReader {
public:
  virtual ~CursorReader() = default;
  // The desktop pointer in screen pixels; nothing when it cannot be read.
  virtual std::optional<QPoint> cursorPos() = 0;
};

// The "none" backend: delivers nothing and keeps nothing. When pointer output was wanted but
// no backend could deliver it, the notice says why and how to fix it, once, at the first event.
class NoPointer : public PointerBackend {
public:
  explicit NoPointer(QString notice = {}) : notice_(std::move(notice)) {}
  void moveTo(int, int) override { announce(); }
  void press() override { announce(); }
  void release() override { announce(); }
  bool tapKey(const QString&) override {
    announce();
    return true;
  }
  QString name() const override { return QStringLiteral("none"); }

private:
  void announce();
  QString notice_;
};

class PointerOutput {
public:
  // The backend (and the reader, when given) must outlive this object.
  explicit PointerOutput(PointerBackend& backend, CursorReader* cursor = nullptr);
  explicit PointerOutput(std::unique_ptr<PointerBackend> backend,
                         std::unique_ptr<CursorReader> cursor = nullptr);
  // Releases a button still held by this program.
  ~PointerOutput();
  PointerOutput(const PointerOutput&) = delete;
  PointerOutput& operator=(const PointerOutput&) = delete;

  void SetCursorPos(int x, int y);
  // When the frame of the running pass reached the capture component (none between passes, or
  // for a source without a clock): each cursor move is then followed by the trace line
  // "frame-age MS", the milliseconds from that moment to the injector's call.
  void setFrameArrival(std::optional<std::chrono::steady_clock::time_point> arrived) { frameArrived_ = arrived; }
  // kLeftDown, kLeftUp, or kLeftClick (down then up where the cursor is); other flags do nothing.
  void mouse_event(int flags);
  // A key pressed and released, by its X keysym name.
  void tapKey(const QString& keysym);
  // The desktop pointer when the reader answers, else the last position set, else (-1, -1):
  // never the origin before anything has moved, so the corner watcher stays quiet at start.
  QPoint GetCursorPos();

  // Lets go of the left button if this program pressed it and has not released it yet.
  void releaseHeldButton();
  // The program is ending: a held button is let go, and nothing is injected from now on.
  void stop();
  bool buttonHeld() const { return held_; }

  PointerBackend& backend() { return *backend_; }

private:
  std::optional<std::chrono::steady_clock::time_point> frameArrived_;
  void press();
  void release();

  std::unique_ptr<PointerBackend> ownedBackend_;
  std::unique_ptr<CursorReader> ownedCursor_;
  PointerBackend* backend_;
  CursorReader* cursor_;
  std::optional<QPoint> lastSet_;
  bool held_ = false;
  bool stopped_ = false;
};

}  // namespace vornix::output
