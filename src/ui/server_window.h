#pragma once
// The multi-touch server frmServer as a Qt window: address, port and connection read-outs, the
// send field (Enter broadcasts it), the drag pad with its three boxes, the receive log, the event
// list and the status line. The window shows and hides with the model; its close box unloads
// the server, which ends every connection.

#include "server/frm_server.h"

#include <QHash>
#include <QTimer>
#include <QWidget>

namespace vornix::ui {

class ServerWindow : public QWidget {
public:
  explicit ServerWindow(server::frmServer& server, QWidget* parent = nullptr);

  // The widget showing a control (nullptr for the timer).
  QWidget* widgetFor(const form::Control& control) const { return widgets_.value(&control, nullptr); }

  static constexpr int kWidth = 380;
  static constexpr int kHeight = 321;
  // The receive log and the event list are brought up to date at most this often.
  static constexpr int kRefreshMs = 200;

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void build();
  void place(form::Control& control, QWidget* widget, QRect geometry);
  void followModel();
  void showLogAndList();

  server::frmServer& server_;
  QHash<const form::Control*, QWidget*> widgets_;
  QTimer refresh_;
};

}  // namespace vornix::ui
