#pragma once
// The zones of mode 5 as a list: each zone's rectangle and its action, which the operator edits
// in place (key:NAME, click:X,Y or send:TEXT), and a button that deletes the selected zone.
// Zones themselves are drawn with the mouse on the camera pane.

#include "panel/zones.h"

#include <QDialog>

class QTableWidget;

namespace vornix::ui {

class ZoneDialog : public QDialog {
public:
  explicit ZoneDialog(panel::ZoneList& zones, QWidget* parent = nullptr);

private:
  void refill();
  void actionEdited(int row, int column);

  panel::ZoneList& zones_;
  QTableWidget* table_;
  bool filling_ = false;
};

}  // namespace vornix::ui
