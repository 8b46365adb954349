#pragma once
// The automatic calibration, "自动校正" and --calibrate: the pattern is shown over the mouse
// activity range, found in the camera's frames and fitted; the corners, the grid and the mapping
// are set, a new reference frame is taken once the pattern is gone, and the configuration is
// saved as 保存参数 does. The passes rest meanwhile. A failure (no display, no pattern within
// the time, Esc) changes nothing.

#include "engine/processing.h"
#include "form/controls.h"
#include "form/dialogs.h"
#include "form/event_loop.h"
#include "form/pattern_screen.h"
#include "output/calibration_pattern.h"
#include "panel/mainfrm.h"

#include <optional>

namespace vornix::system {

class AutoCalibration {
public:
  // screen: where the pattern is shown (none: there is no display).
  AutoCalibration(panel::MAINFRM& f, form::EventLoop& loop, form::Dialogs& dialogs, form::PatternScreen* screen,
                  engine::Processing& processing);

  // Starts a calibration unless one is running.
  void Command14_Click();
  // One step at each frame time while a calibration runs.
  void Step_Timer();
  // Esc on the pattern.
  void cancel();
  bool running() const { return stage_ != Stage::Idle; }

  // Drives the steps; the loop watches it.
  form::Timer step{QStringLiteral("CalibrationStep")};

  // All of it, pattern shown to reference taken, within this time.
  static constexpr qint64 kTimeLimitMs = 10000;
  // New frames let pass before the camera's picture is trusted, after the pattern appears and
  // after it is gone.
  static constexpr int kSettleFrames = 4;

private:
  enum class Stage { Idle, Searching, Clearing };

  void fail(const QString& reason, bool tellOperator);
  // Writes the fit into the panel, takes the reference and saves.
  void finish();

  panel::MAINFRM& f_;
  form::EventLoop& loop_;
  form::Dialogs& dialogs_;
  form::PatternScreen* screen_;
  engine::Processing& processing_;
  Stage stage_ = Stage::Idle;
  qint64 startedMs_ = 0;
  int newFrames_ = 0;
  std::optional<output::CalibrationFit> fit_;
};

}  // namespace vornix::system
