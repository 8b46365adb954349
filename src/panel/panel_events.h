#pragma once
// What the panel's window hands to the running system: the mouse on the picture panes and its
// close box. Everything else reaches the system through the controls of the model.

namespace vornix::panel {

class PanelEvents {
public:
  virtual ~PanelEvents() = default;
  // A press on the camera pane, and the mouse moving over the probed panes, in their pixels.
  virtual void Picture1_MouseDown(double x, double y) = 0;
  virtual void Picture1_MouseMove(double x, double y) = 0;
  virtual void Picture2_MouseMove(double x, double y) = 0;
  virtual void Picture4_MouseMove(double x, double y) = 0;
  // The operator closed the panel with its close box.
  virtual void MAINFRM_Close() = 0;
};

}  // namespace vornix::panel
