#include "ui/panel_window.h"

#include "form/errors.h"
#include "output/calibrated_area.h"
#include "ui/control_binders.h"
#include "ui/panel_layout.h"
#include "ui/zone_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

namespace vornix::ui {
namespace {

// Read-outs written by the program, shown as sunken fields so they read as values.
bool isReadout(const QString& name) {
  static const QStringList readouts = {"Label2", "Label3", "Label9", "Label11", "Label14",
                                       "Label20", "Label21", "Label24", "Label27"};
  return readouts.contains(name);
}

Qt::WindowStates qtStateOf(form::WindowState state) {
  switch (state) {
    case form::WindowState::Minimized: return Qt::WindowMinimized;
    case form::WindowState::Maximized: return Qt::WindowMaximized;
    default: return Qt::WindowNoState;
  }
}

form::WindowState modelStateOf(Qt::WindowStates state) {
  if (state & Qt::WindowMinimized) return form::WindowState::Minimized;
  if (state & Qt::WindowMaximized) return form::WindowState::Maximized;
  return form::WindowState::Normal;
}

}  // namespace

PanelWindow::PanelWindow(panel::MAINFRM& f, panel::PanelEvents* events, QWidget* parent)
    : QWidget(parent), f_(f), events_(events) {
  setObjectName(f.window.name());
  QFont panelFont(QStringLiteral("WenQuanYi Zen Hei"));
  panelFont.setPixelSize(12);
  setFont(panelFont);
  setFixedSize(kPanelWidth, kPanelHeight);

  buildFrames();
  buildPictures();
  buildControls();
  orderTabChain();
  // The keyboard starts on the panel itself, on no control, so that a key (a presenter
  // remote's Space or Enter) presses nothing; Tab reaches the controls.
  setFocus();

  QPointer<PanelWindow> self(this);
  f.window.subscribe([self] {
    if (self) self->applyWindowModel();
  });
  applyWindowModel();
}

QWidget* PanelWindow::widgetFor(const form::Control& control) const {
  return widgets_.value(&control, nullptr);
}

PictureView* PanelWindow::pictureView(const form::Picture& picture) const {
  return static_cast<PictureView*>(widgetFor(picture));
}

QLabel* PanelWindow::paneTitle(const form::Picture& picture) const { return titles_.value(&picture, nullptr); }

QWidget* PanelWindow::parentFor(form::Control& control) {
  if (&control == &f_.Command11) return widgetFor(f_.Picture4);
  if (form::Frame* frame = control.frame()) return widgetFor(*frame);
  return this;
}

void PanelWindow::place(form::Control& control, QWidget* widget) {
  widgets_.insert(&control, widget);
  if (const auto rect = panelGeometry(control.fullName())) widget->setGeometry(*rect);
  else qWarning("PanelWindow: no place for %s", qPrintable(control.fullName()));
}

void PanelWindow::buildFrames() {
  // Outer frames before the frames inside them.
  std::function<void(form::Frame&)> build = [&](form::Frame& frame) {
    if (widgets_.contains(&frame)) return;
    if (form::Frame* outer = frame.frame()) build(*outer);
    place(frame, bindFrame(frame, parentFor(frame)));
  };
  for (form::Control* control : f_.controls())
    if (auto* frame = dynamic_cast<form::Frame*>(control)) build(*frame);
}

void PanelWindow::buildPictures() {
  struct Pane {
    form::Picture& picture;
    const char* title;
    int number;
  };
  const Pane panes[] = {{f_.Picture1, "当前", 1}, {f_.Picture2, "基准", 2},
                        {f_.Picture3, "映射预览", 3}, {f_.Picture4, "绘图", 4},
                        {f_.Picture5, "", 5}};
  for (const Pane& pane : panes) {
    auto* view = new PictureView(pane.picture, parentFor(pane.picture));
    place(pane.picture, view);
    if (*pane.title) {
      // Above the pane, where no marker placed on the picture can cover it.
      auto* title = new QLabel(QString::fromUtf8(pane.title), parentFor(pane.picture));
      title->setObjectName(pane.picture.fullName() + QStringLiteral("Title"));
      title->setGeometry(view->x(), view->y() - kPaneTitleHeight, view->width(), kPaneTitleHeight);
      title->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
      titles_.insert(&pane.picture, title);
    }
    if (pane.number == 3 || pane.number == 5) continue;
    view->setMouseTracking(true);
    QPointer<PanelWindow> self(this);
    const int number = pane.number;
    view->onMouseMove = [self, number](double x, double y) {
      if (!self || !self->events_) return;
      panel::PanelEvents& events = *self->events_;
      const std::string handler = "Picture" + std::to_string(number) + "_MouseMove";
      form::runEvent(handler.c_str(), [&] {
        if (number == 1) events.Picture1_MouseMove(x, y);
        if (number == 2) events.Picture2_MouseMove(x, y);
        if (number == 4) events.Picture4_MouseMove(x, y);
      });
    };
  }
  QPointer<PanelWindow> self(this);
  pictureView(f_.Picture1)->onMouseDown = [self](double x, double y) {
    if (!self || !self->events_) return;
    form::runEvent("Picture1_MouseDown", [&] { self->events_->Picture1_MouseDown(x, y); });
  };

  PictureView* camera = pictureView(f_.Picture1);
  for (form::Shape& shape : f_.Shape1) widgets_.insert(&shape, camera->addShape(shape));
  buildZones();

  PictureView* preview = pictureView(f_.Picture3);
  const QColor captured(0x2e, 0xa0, 0x43), mapped(0xd0, 0x30, 0x30), monitor(0x20, 0x50, 0xe0);
  for (form::Label* label : {&f_.Label1, &f_.Label19})
    widgets_.insert(label, preview->addMarker(*label, captured, Qt::white));
  for (form::Label* label : {&f_.Label7, &f_.Label18})
    widgets_.insert(label, preview->addMarker(*label, mapped, Qt::white));
  widgets_.insert(&f_.Label22, pictureView(f_.Picture5)->addMarker(f_.Label22, monitor, Qt::white));

  // Both camera panes show the area a correction calibrates.
  const auto outline = [this] { return output::calibratedOutline(f_).value_or(QPolygonF()); };
  camera->outline = outline;
  preview->outline = outline;
}

void PanelWindow::buildZones() {
  const auto rects = [this] {
    std::vector<QRect> rects;
    for (const panel::Zone& zone : f_.zones.all()) rects.push_back(zone.rect);
    return rects;
  };
  PictureView* camera = pictureView(f_.Picture1);
  PictureView* reference = pictureView(f_.Picture2);
  camera->zones = rects;
  reference->zones = rects;
  QPointer<PanelWindow> self(this);
  f_.zones.subscribe([self] {
    if (!self) return;
    self->pictureView(self->f_.Picture1)->update();
    self->pictureView(self->f_.Picture2)->update();
  });
  // In mode 5 a rectangle dragged on the camera pane is a new zone; its action is set in the list.
  camera->drawsRectangles = [this] { return f_.Label9.caption() == u"5"; };
  camera->onRectangleDrawn = [this](const QRect& rect) { f_.zones.add({rect, QStringLiteral("key:space")}); };

  auto* open = new QPushButton(QStringLiteral("区域设置"), widgetFor(f_.Frame5));
  open->setObjectName(QStringLiteral("ZoneListButton"));
  open->setGeometry(130, 114, 90, 22);
  open->setToolTip(QStringLiteral("多区域互动的区域与动作"));
  connect(open, &QPushButton::clicked, this, [this] {
    if (!zoneDialog_) zoneDialog_ = new ZoneDialog(f_.zones, this);
    zoneDialog_->show();
    zoneDialog_->raise();
  });
}

void PanelWindow::buildControls() {
  for (form::Control* control : f_.controls()) {
    if (widgets_.contains(control)) continue;  // frames, pictures and their markers
    QWidget* parent = parentFor(*control);
    if (auto* button = dynamic_cast<form::Button*>(control)) {
      place(*control, bindButton(*button, parent));
    } else if (auto* check = dynamic_cast<form::CheckBox*>(control)) {
      place(*control, bindCheckBox(*check, parent));
    } else if (auto* option = dynamic_cast<form::OptionButton*>(control)) {
      place(*control, bindOptionButton(*option, parent));
    } else if (auto* text = dynamic_cast<form::TextBox*>(control)) {
      place(*control, bindTextBox(*text, parent));
    } else if (auto* label = dynamic_cast<form::Label*>(control)) {
      QLabel* widget = bindLabel(*label, parent);
      if (isReadout(control->fullName())) {
        widget->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        widget->setIndent(2);
      }
      place(*control, widget);
    }
    // Timers have no widget.
  }
}

// The tab chain goes down the left column (the drawing pane's button, the projection mode, the
// multi-touch frame, the switches), then down the right one (the mapping frame, the algorithm
// row, the serial relay, the page-flip monitor, the commands); inside each frame it reads row
// by row, left to right, and a frame inside a frame comes where it stands.
void PanelWindow::orderTabChain() {
  // The chain starts at the panel itself, so Tab from it reaches the first control.
  setFocusPolicy(Qt::ClickFocus);
  QWidget* previous = this;
  std::function<void(QWidget*)> visit = [&](QWidget* container) {
    QList<QWidget*> children;
    for (QObject* child : container->children())
      if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow()) children.append(widget);
    const bool columns = container == this;
    std::stable_sort(children.begin(), children.end(), [columns](const QWidget* a, const QWidget* b) {
      const auto key = [columns](const QWidget* w) {
        return std::tuple(columns && w->x() >= kRightColumnLeft, w->y(), w->x());
      };
      return key(a) < key(b);
    });
    for (QWidget* child : children) {
      if (child->focusPolicy() & Qt::TabFocus) {
        setTabOrder(previous, child);
        previous = child;
      }
      visit(child);
    }
  };
  visit(this);
}

// The panel keeps its place where it fits; on a smaller screen (a 1024 x 768 projector mode) it
// moves, at its size, to the nearest place where the primary screen's available area holds it
// whole, so that its bottom row and 结束 stay within reach.
QPoint PanelWindow::onPrimaryScreen(QPoint wanted) const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return wanted;
  const QRect available = screen->availableGeometry();
  const QSize outer = frameGeometry().size().expandedTo(size());
  const int x = std::clamp(wanted.x(), available.left(), std::max(available.left(), available.right() + 1 - outer.width()));
  const int y = std::clamp(wanted.y(), available.top(), std::max(available.top(), available.bottom() + 1 - outer.height()));
  return {x, y};
}

void PanelWindow::applyWindowModel() {
  const form::Window& model = f_.window;
  applyingModel_ = true;
  setWindowTitle(model.caption);

  const QPoint position(int(std::lround(model.left() / form::Window::kTwipsPerPixel)),
                        int(std::lround(model.top() / form::Window::kTwipsPerPixel)));
  if (position != appliedPosition_) {
    appliedPosition_ = position;
    move(onPrimaryScreen(position));
  }
  const Qt::WindowStates wanted = qtStateOf(model.state());
  const bool stateDiffers = (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) != wanted;
  if (!model.visible()) {
    if (stateDiffers) setWindowState((windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)) | wanted);
    if (isVisible()) hide();
  } else if (stateDiffers || !isVisible()) {
    // The show* calls also bring a minimised window back on a real desktop.
    switch (model.state()) {
      case form::WindowState::Minimized: showMinimized(); break;
      case form::WindowState::Maximized: showMaximized(); break;
      default: showNormal(); break;
    }
  }
  applyingModel_ = false;
}

void PanelWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (events_) {
    form::runEvent("MAINFRM_Close", [this] { events_->MAINFRM_Close(); });
    return;
  }
  f_.window.hide();
}

void PanelWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && !applyingModel_)
    f_.window.setState(modelStateOf(windowState()));
}

}  // namespace vornix::ui
