#include "ui/panel_layout.h"
#include "ui/panel_window.h"

#include "form/errors.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace vornix::ui {
namespace {

// Records what the window hands to the system.
struct RecordedEvents : panel::PanelEvents {
  QPointF pressed{-1, -1};
  QList<int> movedOver;
  QPointF moved;
  int closed = 0;
  bool throwOnPress = false;
  void Picture1_MouseDown(double x, double y) override {
    if (throwOnPress) throw form::OverflowError();
    pressed = {x, y};
  }
  void Picture1_MouseMove(double x, double y) override { movedTo(1, x, y); }
  void Picture2_MouseMove(double x, double y) override { movedTo(2, x, y); }
  void Picture4_MouseMove(double x, double y) override { movedTo(4, x, y); }
  void MAINFRM_Close() override { ++closed; }
  void movedTo(int picture, double x, double y) {
    movedOver << picture;
    moved = {x, y};
  }
};

class PanelWindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    // Left to the end of the process: destroying it among the other statics crashes in Qt.
    if (!QApplication::instance()) new QApplication(argc, argv);
  }

  void SetUp() override { window = std::make_unique<PanelWindow>(f); }

  template <class Widget = QWidget>
  Widget* widget(const form::Control& control) {
    auto* found = dynamic_cast<Widget*>(window->widgetFor(control));
    EXPECT_NE(found, nullptr) << control.fullName().toStdString();
    return found;
  }

  bool cjkFontPresent() const {
    return QFontInfo(window->font()).family() == QStringLiteral("WenQuanYi Zen Hei");
  }

  panel::MAINFRM f;
  std::unique_ptr<PanelWindow> window;
};

// The visible text of a widget: a button's or label's text, a frame's title.
QString textOf(const QWidget* w) {
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* box = qobject_cast<const QGroupBox*>(w)) return box->title();
  return {};
}

QString captionOf(form::Control* control) {
  if (auto* c = dynamic_cast<form::Button*>(control)) return c->caption;
  if (auto* c = dynamic_cast<form::CheckBox*>(control)) return c->caption;
  if (auto* c = dynamic_cast<form::OptionButton*>(control)) return c->caption;
  if (auto* c = dynamic_cast<form::Label*>(control)) return c->caption();
  if (auto* c = dynamic_cast<form::Frame*>(control)) return c->caption;
  return {};
}

// ---- Building the panel ----

TEST_F(PanelWindowTest, HasTheClientSizeAndCaptionOfThePanel) {
  EXPECT_EQ(window->size(), QSize(1016, 734));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Vornix驱平台V7-100528D"));
}

TEST_F(PanelWindowTest, ShowsEveryCaptionOfThePanel) {
  QSet<QString> shown;
  for (const QWidget* w : window->findChildren<QWidget*>()) shown.insert(textOf(w));
  for (form::Control* control : f.controls()) {
    const QString caption = captionOf(control);
    if (caption.isEmpty()) continue;
    EXPECT_TRUE(shown.contains(caption))
        << control->fullName().toStdString() << " " << caption.toStdString();
  }
}

TEST_F(PanelWindowTest, GivesEveryControlButTheTimersAWidgetNamedAfterIt) {
  for (form::Control* control : f.controls()) {
    QWidget* w = window->widgetFor(*control);
    if (dynamic_cast<form::Timer*>(control)) {
      EXPECT_EQ(w, nullptr);
      continue;
    }
    ASSERT_NE(w, nullptr) << control->fullName().toStdString();
    EXPECT_EQ(w->objectName(), control->fullName());
    EXPECT_TRUE(window->isAncestorOf(w));
  }
}

TEST_F(PanelWindowTest, PlacesControlsInsideTheirFrames) {
  EXPECT_EQ(widget(f.Text1[0])->parentWidget(), widget(f.Frame2));
  EXPECT_EQ(widget(f.Option3[0])->parentWidget(), widget(f.Frame1));
  EXPECT_EQ(widget(f.Option3[3])->parentWidget(), widget(f.Frame4));
  EXPECT_EQ(widget(f.Frame7)->parentWidget(), widget(f.Frame6));
  EXPECT_EQ(widget(f.Text7)->parentWidget(), widget(f.Frame7));
  EXPECT_EQ(widget(f.Command11)->parentWidget(), widget(f.Picture4));
  EXPECT_EQ(widget(f.Label7)->parentWidget(), widget(f.Picture3));
  EXPECT_EQ(widget(f.Label22)->parentWidget(), widget(f.Picture5));
  EXPECT_EQ(widget(f.Shape1[2])->parentWidget(), widget(f.Picture1));
  for (form::Picture* picture : {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4})
    EXPECT_EQ(widget(*picture)->size(), QSize(320, 240));
}

// Every shown widget lies inside its parent and clear of its shown siblings.
TEST_F(PanelWindowTest, LayoutHasNoOverlapsAndStaysInsideItsParents) {
  QList<QWidget*> all = window->findChildren<QWidget*>();
  all.append(window.get());
  for (QWidget* parent : all) {
    QList<QWidget*> children;
    for (QObject* child : parent->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (w && !w->isHidden() && !w->testAttribute(Qt::WA_TransparentForMouseEvents) &&
          !w->objectName().isEmpty())
        children.append(w);
    }
    for (int i = 0; i < children.size(); ++i) {
      EXPECT_TRUE(parent->rect().contains(children[i]->geometry()))
          << children[i]->objectName().toStdString() << " outside its parent";
      for (int j = i + 1; j < children.size(); ++j)
        EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
            << children[i]->objectName().toStdString() << " overlaps "
            << children[j]->objectName().toStdString();
    }
  }
}

TEST_F(PanelWindowTest, EveryCaptionFitsItsPlace) {
  if (!cjkFontPresent()) GTEST_SKIP() << "the font WenQuanYi Zen Hei is not installed";
  for (form::Control* control : f.controls()) {
    QWidget* w = window->widgetFor(*control);
    if (!w || !panelGeometry(control->fullName()) || !control->visible()) continue;
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      // A push button's size hint has a minimum width of its own; the text is what must fit.
      EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
          << control->fullName().toStdString();
    } else if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w)) {
      EXPECT_LE(w->sizeHint().width(), w->width()) << control->fullName().toStdString();
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
      EXPECT_LE(box->fontMetrics().horizontalAdvance(box->title()) + 16, box->width())
          << control->fullName().toStdString();
    }
  }
}

// The titles of the panes lie outside the panes, so no marker the model places, in any corner,
// covers them.
TEST_F(PanelWindowTest, PaneTitlesAreNeverCoveredByMarkers) {
  for (form::Label* marker : {&f.Label1, &f.Label7, &f.Label18, &f.Label19}) {
    for (const QPointF corner : {QPointF(0, 0), QPointF(320, 0), QPointF(0, 240), QPointF(320, 240)}) {
      marker->move(corner.x(), corner.y(), QRectF(0, 0, 320, 240));
      QWidget* shown = widget(*marker);
      const QRect markerRect(shown->mapTo(window.get(), QPoint(0, 0)), shown->size());
      for (form::Picture* picture : {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4}) {
        QLabel* title = window->paneTitle(*picture);
        ASSERT_NE(title, nullptr);
        const QRect titleRect(title->mapTo(window.get(), QPoint(0, 0)), title->size());
        EXPECT_FALSE(titleRect.intersects(markerRect))
            << marker->fullName().toStdString() << " at " << corner.x() << "," << corner.y() << " covers the title of "
            << picture->fullName().toStdString();
      }
    }
  }
  EXPECT_EQ(window->paneTitle(f.Picture3)->text(), QStringLiteral("映射预览"));
}

// The widgets Tab reaches, in the order it reaches them from the panel itself.
QList<QWidget*> tabChain(QWidget* window) {
  QList<QWidget*> chain;
  for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
    if ((w->focusPolicy() & Qt::TabFocus) && window->isAncestorOf(w)) chain.append(w);
  return chain;
}

// Down the left column, then the right; inside a frame, row by row and left to right, each
// frame's controls together.
TEST_F(PanelWindowTest, TabFollowsTheLayout) {
  const QList<QWidget*> chain = tabChain(window.get());
  ASSERT_GT(chain.size(), 50);
  QHash<QWidget*, QWidget*> lastOf;  // the last widget reached in each parent
  QList<QWidget*> finishedParents;
  bool inRightColumn = false;
  QWidget* previousParent = nullptr;
  for (QWidget* w : chain) {
    QWidget* parent = w->parentWidget();
    const bool right = w->mapTo(window.get(), QPoint(0, 0)).x() >= kRightColumnLeft;
    EXPECT_TRUE(right || !inRightColumn) << w->objectName().toStdString() << " after the right column";
    inRightColumn |= right;
    if (QWidget* before = lastOf.value(parent)) {
      const auto place = [&](const QWidget* v) {
        return std::tuple(parent == window.get() && v->x() >= kRightColumnLeft, v->y(), v->x());
      };
      EXPECT_LT(place(before), place(w)) << before->objectName().toStdString() << " then " << w->objectName().toStdString();
    }
    // A parent left for another that is not inside it is never come back to.
    if (previousParent && previousParent != parent && !previousParent->isAncestorOf(parent))
      finishedParents.append(previousParent);
    EXPECT_FALSE(finishedParents.contains(parent)) << w->objectName().toStdString() << " out of its frame";
    lastOf.insert(parent, w);
    previousParent = parent;
  }
  EXPECT_EQ(chain.indexOf(widget(f.Text2[0])), chain.indexOf(widget(f.Text1[0])) + 1);
  EXPECT_EQ(chain.last(), widget(f.Command3)) << "结束 comes last";
}

// A presenter remote's Space on the freshly shown panel presses nothing.
TEST_F(PanelWindowTest, TheKeyboardStartsOnNoControl) {
  int ended = 0;
  f.Command3.onClick = [&] { ++ended; };
  window->show();
  QApplication::setActiveWindow(window.get());
  QApplication::processEvents();
  QWidget* focused = QApplication::focusWidget();
  ASSERT_NE(focused, nullptr) << "the panel is not active";
  EXPECT_EQ(focused, window.get()) << focused->objectName().toStdString() << " has the keyboard";
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent space(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(focused, &space);
  }
  EXPECT_EQ(ended, 0);
}

// ---- From the model to the widgets ----

TEST_F(PanelWindowTest, MirrorsTheDesignStateOfThePanel) {
  EXPECT_FALSE(widget(f.Command1)->isEnabled());
  EXPECT_TRUE(widget(f.Check3)->isEnabled());
  EXPECT_FALSE(widget(f.Option3[1])->isEnabled());
  EXPECT_FALSE(widget(f.Text1[1])->isEnabled());
  EXPECT_FALSE(widget(f.Option2[2])->isEnabled());
  for (form::Frame* frame : {&f.Frame8, &f.Frame9}) {
    EXPECT_FALSE(widget(*frame)->isEnabled()) << frame->fullName().toStdString();
  }
  EXPECT_FALSE(widget(f.Check8)->isEnabled()) << "inside the disabled Frame8";
  EXPECT_TRUE(widget(f.Check6)->isEnabled());

  for (form::Control* hidden : {(form::Control*)&f.Command2, (form::Control*)&f.Command8,
                                (form::Control*)&f.Command9, (form::Control*)&f.Command10,
                                (form::Control*)&f.Text21, (form::Control*)&f.Label27})
    EXPECT_TRUE(widget(*hidden)->isHidden()) << hidden->fullName().toStdString();

  EXPECT_EQ(widget<QCheckBox>(f.Check1)->checkState(), Qt::Checked);
  EXPECT_EQ(widget<QCheckBox>(f.Check4)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(widget<QRadioButton>(f.Option1[4])->isChecked());
  for (auto& option : f.Option4) EXPECT_FALSE(widget<QRadioButton>(option)->isChecked());
  EXPECT_EQ(widget<QLineEdit>(f.Text3[2])->text(), QStringLiteral("1024"));
}

TEST_F(PanelWindowTest, FollowsProgramWritesOfEveryKind) {
  f.Text4.setText("75");
  EXPECT_EQ(widget<QLineEdit>(f.Text4)->text(), QStringLiteral("75"));

  f.Check4.setValue(2);
  EXPECT_EQ(widget<QCheckBox>(f.Check4)->checkState(), Qt::PartiallyChecked);
  f.Check1.setValue(0);
  EXPECT_EQ(widget<QCheckBox>(f.Check1)->checkState(), Qt::Unchecked);

  f.Label11.setCaption("实测速度 20 桢/秒");
  EXPECT_EQ(widget<QLabel>(f.Label11)->text(), QStringLiteral("实测速度 20 桢/秒"));

  f.Command1.setEnabled(true);
  EXPECT_TRUE(widget(f.Command1)->isEnabled());
  f.Text21.setVisible(true);
  EXPECT_FALSE(widget(f.Text21)->isHidden());
  f.Frame8.setEnabled(true);
  EXPECT_TRUE(widget(f.Check8)->isEnabled());
}

// The threshold measured while "自动调解阀值" is checked shows between 阀值 and 速度系数.
TEST_F(PanelWindowTest, TheMeasuredThresholdSitsBesideTheTypedOne) {
  f.Label27.setVisible(true);
  f.Label27.setCaption("255");
  const QRect shown = widget(f.Label27)->geometry();
  EXPECT_FALSE(widget(f.Label27)->isHidden());
  EXPECT_EQ(shown.top(), widget(f.Text4)->geometry().top());
  EXPECT_GT(shown.left(), widget(f.Text4)->geometry().right());
  EXPECT_LT(shown.right(), widget(f.Label12)->geometry().left());
  if (cjkFontPresent()) {
    EXPECT_LE(widget(f.Label27)->sizeHint().width(), shown.width());
  }
}

TEST_F(PanelWindowTest, FollowsTheSelectionOfAnOptionGroupIncludingButtonsTheOperatorCannotPick) {
  f.Option4[6].setSelected(true);
  EXPECT_TRUE(widget<QRadioButton>(f.Option4[6])->isChecked());
  f.Option4[1].setSelected(true);
  EXPECT_TRUE(widget<QRadioButton>(f.Option4[1])->isChecked());
  EXPECT_FALSE(widget<QRadioButton>(f.Option4[6])->isChecked());
  // The two halves of Option3 are separate groups.
  f.Option3[3].setSelected(true);
  EXPECT_TRUE(widget<QRadioButton>(f.Option3[0])->isChecked());
  EXPECT_FALSE(widget<QRadioButton>(f.Option3[2])->isChecked());
  // A group may be left with nothing selected.
  f.Option4[1].setSelected(false);
  EXPECT_FALSE(widget<QRadioButton>(f.Option4[1])->isChecked());
}

// ---- From the operator to the model ----

TEST_F(PanelWindowTest, AnEditInATextFieldRunsTheChangeHandler) {
  QStringList seen;
  f.Text4.onChange = [&] { seen << f.Text4.text(); };
  auto* edit = widget<QLineEdit>(f.Text4);
  edit->setText("80");
  emit edit->textEdited("80");
  EXPECT_EQ(f.Text4.text(), QStringLiteral("80"));
  EXPECT_EQ(seen, QStringList{"80"});

  emit edit->textEdited("80");  // the text the field already holds
  EXPECT_EQ(seen.size(), 1);
}

TEST_F(PanelWindowTest, AHandlerThatRewritesTheFieldIsShownInIt) {
  f.Text6.onChange = [&] {
    if (f.Text6.text().toInt() > 4) f.Text6.setText("4");
  };
  auto* edit = widget<QLineEdit>(f.Text6);
  edit->setText("9");
  emit edit->textEdited("9");
  EXPECT_EQ(f.Text6.text(), QStringLiteral("4"));
  EXPECT_EQ(edit->text(), QStringLiteral("4"));
}

TEST_F(PanelWindowTest, ClickingACheckBoxTogglesBetweenClearedAndChecked) {
  int clicks = 0;
  f.Check4.onClick = [&] { ++clicks; };
  auto* box = widget<QCheckBox>(f.Check4);
  box->click();
  EXPECT_EQ(f.Check4.value(), 1);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  box->click();
  EXPECT_EQ(f.Check4.value(), 0);
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  EXPECT_EQ(clicks, 2);

  f.Check4.setValue(2);
  box->click();
  EXPECT_EQ(f.Check4.value(), 0) << "a greyed box is cleared by a click";
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
}

TEST_F(PanelWindowTest, ClickingAnOptionButtonSelectsItAndRunsItsHandlerOnce) {
  QList<int> picked;
  for (auto& option : f.Option4) option.onClick = [&](int index) { picked << index; };
  widget<QRadioButton>(f.Option4[2])->click();
  EXPECT_TRUE(f.Option4[2].selected());
  EXPECT_EQ(picked, QList<int>{2});

  widget<QRadioButton>(f.Option4[2])->click();  // already selected
  EXPECT_EQ(picked, QList<int>{2});
  EXPECT_TRUE(widget<QRadioButton>(f.Option4[2])->isChecked());

  widget<QRadioButton>(f.Option4[0])->click();
  EXPECT_EQ(picked, (QList<int>{2, 0}));
  EXPECT_FALSE(widget<QRadioButton>(f.Option4[2])->isChecked());
}

TEST_F(PanelWindowTest, AnErrorInAHandlerEndsOnlyThatHandler) {
  f.Command4.onClick = [] { throw form::OverflowError(); };
  f.Check6.onClick = [] { throw form::OverflowError(); };
  EXPECT_NO_THROW(widget<QPushButton>(f.Command4)->click());
  EXPECT_NO_THROW(widget<QCheckBox>(f.Check6)->click());
  EXPECT_EQ(f.Check6.value(), 1);
  EXPECT_EQ(widget<QCheckBox>(f.Check6)->checkState(), Qt::Checked);
}

TEST_F(PanelWindowTest, AButtonClickRunsTheClickHandler) {
  int cleared = 0;
  f.Command11.onClick = [&] { ++cleared; };
  widget<QPushButton>(f.Command11)->click();
  EXPECT_EQ(cleared, 1);
}

// ---- The picture panes ----

TEST_F(PanelWindowTest, MarkersAppearOnceThePictureScaleMapsThemToPixels) {
  auto* mapped = widget(f.Label7);
  EXPECT_TRUE(mapped->isHidden()) << "not placed yet";

  f.Label7.move(512, 384, QRectF(0, 0, 1024, 768));
  EXPECT_FALSE(mapped->isHidden());
  EXPECT_EQ(mapped->pos(), QPoint(160, 120));

  // A mouse activity range with an offset: (500, 350) in (100, 50, 800, 600).
  f.Label18.move(500, 350, QRectF(100, 50, 800, 600));
  EXPECT_EQ(widget(f.Label18)->pos(), QPoint(160, 120));

  f.Label1.move(40, 30, QRectF(0, 0, 320, 240));
  EXPECT_EQ(widget(f.Label1)->pos(), QPoint(40, 30));
}

TEST_F(PanelWindowTest, AMarkerPlacedWithoutAScaleUsesThePicturesScale) {
  f.Picture3.setScale(QRectF(0, 0, 640, 480));
  f.Label19.move(320, 240);
  EXPECT_EQ(widget(f.Label19)->pos(), QPoint(160, 120));
}

TEST_F(PanelWindowTest, AMarkerBeyondTheRangeStaysOnThePaneEdge) {
  f.Label7.move(1024, 768, QRectF(0, 0, 1024, 768));
  QWidget* marker = widget(f.Label7);
  EXPECT_EQ(marker->geometry().right(), 319);
  EXPECT_EQ(marker->geometry().bottom(), 239);
}

TEST_F(PanelWindowTest, CornerShapesShowWhereTheyArePlaced) {
  QWidget* centre = widget(f.Shape1[4]);
  EXPECT_TRUE(centre->isHidden());
  f.Shape1[4].move(156.5, 116);
  EXPECT_FALSE(centre->isHidden());
  EXPECT_EQ(centre->geometry(), QRect(157, 116, 7, 7));
}

TEST_F(PanelWindowTest, PaintsThePictureAndItsPlottedPoints) {
  QImage frame(320, 240, QImage::Format_RGB32);
  frame.fill(QColor(200, 10, 10));
  f.Picture1.setImage(frame);
  f.Picture4.plot(100, 100);
  const QImage camera = widget(f.Picture1)->grab().toImage();
  EXPECT_EQ(camera.pixelColor(200, 200), QColor(200, 10, 10));
  const QImage drawing = widget(f.Picture4)->grab().toImage();
  EXPECT_NE(drawing.pixelColor(100, 100), drawing.pixelColor(101, 101));

  f.Picture4.clear();
  const QImage cleared = widget(f.Picture4)->grab().toImage();
  EXPECT_EQ(cleared.pixelColor(100, 100), cleared.pixelColor(101, 101));
}

TEST_F(PanelWindowTest, ForwardsPressesOnTheCameraPaneAndMovesOverTheProbedPanes) {
  RecordedEvents events;
  window = std::make_unique<PanelWindow>(f, &events);

  const QPointF at(12.5, 30.25);
  QMouseEvent press(QEvent::MouseButtonPress, at, window->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget(f.Picture1), &press);
  EXPECT_EQ(events.pressed, at);

  for (form::Picture* picture : {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4}) {
    QMouseEvent move(QEvent::MouseMove, at, window->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget(*picture), &move);
  }
  EXPECT_EQ(events.movedOver, (QList<int>{1, 2, 4}));
  EXPECT_EQ(events.moved, at);

  events.throwOnPress = true;
  EXPECT_NO_THROW(QApplication::sendEvent(widget(f.Picture1), &press));
}

// ---- The window ----

TEST_F(PanelWindowTest, FollowsTheVisibilityStateAndPositionOfTheModelWindow) {
  EXPECT_TRUE(window->isVisible());
  f.window.hide();
  EXPECT_FALSE(window->isVisible());
  f.window.show();
  EXPECT_TRUE(window->isVisible());

  // The place of the model where the screen holds the whole panel there, else on the screen.
  f.window.setLeft(1000);
  f.window.setTop(1500);
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  if (available.contains(QRect(QPoint(67, 100), frame.size()))) {
    EXPECT_EQ(window->pos(), QPoint(67, 100));
  } else {
    // Each axis: inside the screen where the panel fits, at the screen's edge where it does not.
    const auto onScreen = [](int start, int length, int screenStart, int screenLength) {
      return length > screenLength ? start == screenStart
                                   : start >= screenStart && start + length <= screenStart + screenLength;
    };
    EXPECT_TRUE(onScreen(frame.x(), frame.width(), available.x(), available.width()));
    EXPECT_TRUE(onScreen(frame.y(), frame.height(), available.y(), available.height()));
  }

  f.window.setState(form::WindowState::Minimized);
  EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
  f.window.setState(form::WindowState::Normal);
  EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
}

TEST_F(PanelWindowTest, AWindowBuiltForAHiddenPanelStaysHiddenUntilShown) {
  window.reset();
  f.window.hide();
  window = std::make_unique<PanelWindow>(f);
  EXPECT_FALSE(window->isVisible());
  f.window.show();
  EXPECT_TRUE(window->isVisible());
}

TEST_F(PanelWindowTest, AnOperatorMinimiseReachesTheModelSoTheProgramCanRestore) {
  window->setWindowState(Qt::WindowMinimized);
  EXPECT_EQ(f.window.state(), form::WindowState::Minimized);
  f.window.setState(form::WindowState::Normal);
  EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
}

TEST_F(PanelWindowTest, ClosingRunsTheCloseCallbackOrHidesThePanel) {
  window->close();
  EXPECT_FALSE(f.window.visible());

  f.window.show();
  RecordedEvents events;
  window = std::make_unique<PanelWindow>(f, &events);
  window->close();
  EXPECT_EQ(events.closed, 1);
}

TEST_F(PanelWindowTest, AModelThatOutlivesItsWindowCanStillBeWritten) {
  window.reset();
  EXPECT_NO_THROW({
    f.Text4.setText("99");
    f.Check1.setValue(0);
    f.Option4[0].setSelected(true);
    f.Label7.move(1, 1);
    f.Shape1[0].move(1, 1);
    f.Picture4.plot(1, 1);
    f.window.hide();
  });
}

}  // namespace
}  // namespace vornix::ui
