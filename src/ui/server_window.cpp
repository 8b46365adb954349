#include "ui/server_window.h"

#include "form/errors.h"
#include "ui/control_binders.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>

namespace vornix::ui {
namespace {

// Shift state of a key or mouse event as the handlers take it: 1 Shift, 2 Ctrl, 4 Alt.
int shiftOf(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
         (modifiers & Qt::AltModifier ? 4 : 0);
}

// Button of a mouse event: 1 left, 2 right, 4 middle.
int buttonOf(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
         (buttons & Qt::MiddleButton ? 4 : 0);
}

// The drag pad: reports presses, moves (with or without a button) and releases in its pixels.
class PadView : public QFrame {
public:
  PadView(server::frmServer& server, QWidget* parent) : QFrame(parent), server_(server) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pad = palette();
    pad.setColor(QPalette::Window, QColor(0xf4, 0xf6, 0xfa));
    setPalette(pad);
  }

protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(0xa8, 0xb0, 0xbc));
    painter.drawText(rect().adjusted(0, 60, 0, 0), Qt::AlignCenter, QStringLiteral("拖动测试区"));
  }
  void mousePressEvent(QMouseEvent* e) override {
    report("Picture1_MouseDown", e, buttonOf(e->button()), &server::frmServer::Picture1_MouseDown);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    report("Picture1_MouseMove", e, buttonOf(e->buttons()), &server::frmServer::Picture1_MouseMove);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    report("Picture1_MouseUp", e, buttonOf(e->button()), &server::frmServer::Picture1_MouseUp);
  }

private:
  using Handler = void (server::frmServer::*)(int, int, double, double);
  void report(const char* name, QMouseEvent* e, int button, Handler handler) {
    const QPointF at = e->position();
    const int shift = shiftOf(e->modifiers());
    server::frmServer& server = server_;
    form::runEvent(name, [&server, handler, button, shift, at] { (server.*handler)(button, shift, at.x(), at.y()); });
  }

  server::frmServer& server_;
};

QLabel* heading(const QString& text, QWidget* parent, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

ServerWindow::ServerWindow(server::frmServer& server, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      server_(server) {
  setObjectName(server.window.name());
  QFont font(QStringLiteral("WenQuanYi Zen Hei"));
  font.setPixelSize(12);
  setFont(font);
  setFixedSize(kWidth, kHeight);
  build();

  QPointer<ServerWindow> self(this);
  server.window.subscribe([self] {
    if (self) self->followModel();
  });
  followModel();
}

void ServerWindow::place(form::Control& control, QWidget* widget, QRect geometry) {
  widget->setGeometry(geometry);
  widgets_.insert(&control, widget);
}

void ServerWindow::build() {
  server::frmServer& s = server_;
  place(s.Label1, bindLabel(s.Label1, this), {8, 8, 236, 18});
  place(s.Label3, bindLabel(s.Label3, this), {8, 28, 236, 18});
  QLabel* count = bindLabel(s.Label2, this);
  count->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  count->setIndent(3);
  place(s.Label2, count, {250, 12, 122, 24});

  place(s.Label4, bindLabel(s.Label4, this), {8, 54, 30, 22});
  QLineEdit* send = bindTextBox(s.TxtSend, this);
  send->installEventFilter(this);
  place(s.TxtSend, send, {40, 54, 332, 22});

  auto* pad = new PadView(s, this);
  pad->setObjectName(s.Picture1.fullName());
  place(s.Picture1, pad, {8, 84, 150, 208});
  place(s.Check1, bindCheckBox(s.Check1, pad), {6, 4, 90, 20});
  place(s.Check2, bindCheckBox(s.Check2, pad), {6, 24, 90, 20});
  place(s.Check3, bindCheckBox(s.Check3, pad), {6, 44, 90, 20});

  heading(QStringLiteral("接收数据"), this, {166, 82, 206, 16});
  // The log and the event list may change a thousand times a second: they are shown at most
  // every kRefreshMs, with their end in view.
  auto* log = new QPlainTextEdit(this);
  log->setObjectName(s.TxtReceive.fullName());
  log->setReadOnly(true);
  place(s.TxtReceive, log, {166, 98, 206, 90});
  heading(QStringLiteral("事件"), this, {166, 192, 206, 16});
  auto* list = new QListWidget(this);
  list->setObjectName(s.List1.fullName());
  place(s.List1, list, {166, 208, 206, 84});

  refresh_.setSingleShot(true);
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, [this] { showLogAndList(); });
  QPointer<ServerWindow> self(this);
  const auto changed = [self] {
    if (self && !self->refresh_.isActive()) self->refresh_.start();
  };
  s.TxtReceive.subscribe(changed);
  s.List1.subscribe(changed);
  showLogAndList();

  QLabel* status = bindLabel(s.StatusBar1, this);
  status->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  status->setIndent(4);
  place(s.StatusBar1, status, {0, 299, kWidth, 22});
}

void ServerWindow::showLogAndList() {
  auto* log = static_cast<QPlainTextEdit*>(widgetFor(server_.TxtReceive));
  if (log->toPlainText() != server_.TxtReceive.text()) {
    log->setPlainText(server_.TxtReceive.text());
    log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
  }
  auto* list = static_cast<QListWidget*>(widgetFor(server_.List1));
  list->clear();
  for (const QString& item : server_.List1.items()) list->addItem(item);
  list->scrollToBottom();
}

void ServerWindow::followModel() {
  setWindowTitle(server_.window.caption);
  if (server_.window.visible() && !isVisible()) show();
  if (!server_.window.visible() && isVisible()) hide();
}

bool ServerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == widgetFor(server_.TxtSend) && event->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat()) {
      const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
      const auto code = static_cast<std::int16_t>(enter ? 13 : key->key() < 0x100 ? key->key() : 0);
      const auto shift = static_cast<std::int16_t>(shiftOf(key->modifiers()));
      server::frmServer& server = server_;
      form::runEvent("TxtSend_KeyUp", [&server, code, shift] { server.TxtSend_KeyUp(code, shift); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ServerWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  form::runEvent("frmServer_Unload", [this] { server_.Unload(); });
}

}  // namespace vornix::ui
