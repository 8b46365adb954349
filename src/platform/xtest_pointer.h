#pragma once
// Pointer input through the X server's XTest extension: screen points are placed on the root
// window of the default screen relative to the primary monitor; left button 1.

#include "output/pointer.h"

#include <memory>

namespace vornix::platform {

class X11Display;

class XTestPointer : public output::PointerBackend {
public:
  // nullptr with the reason in *error when the server has no XTest extension.
  static std::unique_ptr<XTestPointer> open(std::shared_ptr<X11Display> display, QString* error);

  // Does nothing once the display is lost.
  void moveTo(int x, int y) override;
  void press() override;
  void release() override;
  // The keysym's key on the server's keyboard map.
  bool tapKey(const QString& keysym) override;
  QString name() const override { return QStringLiteral("x11"); }
  bool lost() const override;

private:
  explicit XTestPointer(std::shared_ptr<X11Display> display) : display_(std::move(display)) {}
  void button(bool down);

  std::shared_ptr<X11Display> display_;
};

}  // namespace vornix::platform
