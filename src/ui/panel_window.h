#pragma once
// The control panel MAINFRM as a Qt window. Every control of the panel has a widget that shows
// it and follows its changes; the operator's input becomes a write to the control, so the
// control's handler runs as if the program had written it.
//
// The window's visibility, state and position follow f.window: the constructor shows the window
// when the model says it is visible, and a later hide/show/state/position change of the model
// is applied to the window. The operator minimising or restoring the window is written back to
// the model's state.

#include "panel/mainfrm.h"
#include "panel/panel_events.h"
#include "ui/picture_view.h"

#include <QHash>
#include <QLabel>
#include <QDialog>
#include <QWidget>


namespace vornix::ui {

class PanelWindow : public QWidget {
public:
  // events receives the presses on the camera pane, the mouse over the probed panes and the
  // close box. Without it, closing hides the panel (f.window becomes hidden), from where the
  // program can show it again.
  explicit PanelWindow(panel::MAINFRM& f, panel::PanelEvents* events = nullptr, QWidget* parent = nullptr);

  // The widget showing a control (nullptr for the timers).
  QWidget* widgetFor(const form::Control& control) const;
  PictureView* pictureView(const form::Picture& picture) const;
  // The title line above a picture pane (nullptr for the panes without one).
  QLabel* paneTitle(const form::Picture& picture) const;

protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  QWidget* parentFor(form::Control& control);
  void buildFrames();
  void buildPictures();
  void buildControls();
  // The zones on the camera and reference panes, drawing them on the camera pane in mode 5, and
  // the button that opens their list.
  void buildZones();
  void place(form::Control& control, QWidget* widget);
  void orderTabChain();
  void applyWindowModel();
  QPoint onPrimaryScreen(QPoint wanted) const;

  panel::MAINFRM& f_;
  panel::PanelEvents* events_;
  QHash<const form::Control*, QWidget*> widgets_;
  QHash<const form::Control*, QLabel*> titles_;
  QDialog* zoneDialog_ = nullptr;
  bool applyingModel_ = false;
  QPoint appliedPosition_{-1, -1};
};

}  // namespace vornix::ui
