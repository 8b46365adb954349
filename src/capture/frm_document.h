#pragma once
// The default capture window frmDocument: hosts the capture component sdk2000, connects and
// configures it when it loads, keeps it sized to the client area, releases it when it unloads.

#include "capture/capture_component.h"
#include "form/controls.h"
#include "form/dialogs.h"

#include <memory>

namespace vornix::capture {

// Borders and caption around a window's client area, in pixels.
struct WindowAllowance {
  int horizontalPixels = 16;
  int verticalPixels = 39;
};

class frmDocument {
public:
  enum class ScaleMode { Twips, Pixels };

  // The window starts at its design size; twipsPerPixel is the screen's.
  explicit frmDocument(std::unique_ptr<CaptureComponent> component, WindowAllowance allowance = {},
                       double twipsPerPixel = form::Window::kTwipsPerPixel);
  frmDocument(const frmDocument&) = delete;
  frmDocument& operator=(const frmDocument&) = delete;

  form::Window window{"frmDocument"};
  CaptureComponent& sdk2000() { return *sdk2000_; }
  const CaptureComponent& sdk2000() const { return *sdk2000_; }

  // Placement of sdk2000 inside the client area, in the window's current scale unit.
  double sdk2000Left = 0;
  double sdk2000Top = 0;
  double sdk2000Width = 0;
  double sdk2000Height = 0;

  // Runs Form_Load the first time the window is referred to.
  void load(form::Dialogs& dialogs);
  bool loaded() const { return loaded_; }
  // Unloading from outside (the program itself never does).
  void unload();

  void Form_Load(form::Dialogs& dialogs);
  void Form_Resize();
  void Form_Unload();
  // Makes the client area exactly one video frame large, in screen pixels.
  void normalSize();

  ScaleMode scaleMode() const { return scaleMode_; }
  void setScaleMode(ScaleMode mode) { scaleMode_ = mode; }
  // Client area in the current scale unit; zero while the window is minimised. A window is
  // laid out in whole screen pixels, so the area in twips is always a whole number of pixels.
  double innerWidth() const;
  double innerHeight() const;
  double twipsPerPixel() const { return twipsPerPixel_; }

  static constexpr double kDesignClientWidth = 5700;
  static constexpr double kDesignClientHeight = 3450;

private:
  int innerPixels(double outerTwips, int allowancePixels) const;
  double inScale(int pixels) const;
  void windowChanged();

  std::unique_ptr<CaptureComponent> sdk2000_;
  bool loaded_ = false;
  ScaleMode scaleMode_ = ScaleMode::Twips;
  WindowAllowance allowance_;
  double twipsPerPixel_;
  double seenWidth_ = 0, seenHeight_ = 0;
  form::WindowState seenState_ = form::WindowState::Normal;
};

}  // namespace vornix::capture
