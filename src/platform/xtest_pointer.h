#pragma once
// Pointer input through the X server's XTest extension: absolute moves in root-window
// coordinates of the default screen, left button 1.

#include "output/pointer.h"

#include <memory>

struct _XDisplay;

namespace vornix::platform {

class XTestPointer : public output::PointerBackend {
public:
  // Connects to $DISPLAY; nullptr with the reason in *error when there is no usable display.
  static std::unique_ptr<XTestPointer> open(QString* error);
  ~XTestPointer() override;
  XTestPointer(const XTestPointer&) = delete;
  XTestPointer& operator=(const XTestPointer&) = delete;

  void moveTo(int x, int y) override;
  void press() override;
  void release() override;
  QString name() const override { return QStringLiteral("x11"); }

private:
  explicit XTestPointer(_XDisplay* display) : display_(display) {}
  void button(bool down);

  _XDisplay* display_;
};

}  // namespace vornix::platform
