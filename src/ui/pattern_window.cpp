#include "ui/pattern_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace vornix::ui {

class PatternWindow::View : public QWidget {
public:
  explicit View(PatternWindow& owner)
      : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::X11BypassWindowManagerHint),
        owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
  }
  QImage picture;

protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(rect(), picture); }
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && owner_.onEscape) owner_.onEscape();
  }

private:
  PatternWindow& owner_;
};

PatternWindow::PatternWindow() : view_(std::make_unique<View>(*this)) {}

PatternWindow::~PatternWindow() = default;

bool PatternWindow::show(const QRect& area, const QImage& picture) {
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return false;
  view_->picture = picture;
  view_->setGeometry(area.translated(primary->geometry().topLeft()));
  view_->show();
  view_->raise();
  view_->activateWindow();
  // Bypassing the window manager also bypasses its focus: take the keyboard for Esc.
  view_->grabKeyboard();
  view_->update();
  return true;
}

void PatternWindow::hide() {
  view_->releaseKeyboard();
  view_->hide();
}

}  // namespace vornix::ui
