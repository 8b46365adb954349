#pragma once
// The calibration pattern on the desktop: a frameless window above all others, placed exactly
// over the requested area of the primary monitor, that takes the keyboard so Esc reaches it.

#include "form/pattern_screen.h"

#include <memory>

namespace vornix::ui {

class PatternWindow : public form::PatternScreen {
public:
  PatternWindow();
  ~PatternWindow() override;
  bool show(const QRect& area, const QImage& picture) override;
  void hide() override;

private:
  class View;
  std::unique_ptr<View> view_;
};

}  // namespace vornix::ui
