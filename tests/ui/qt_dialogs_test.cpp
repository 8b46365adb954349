#include "ui/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace vornix::ui {
namespace {

// The button texts of the message box the call shows; the box is then answered with `answer`.
QStringList buttonsOf(const std::function<void()>& show, QMessageBox::StandardButton answer) {
  static int argc = 1;
  static char name[] = "test_platform";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);  // left to the end of the process
  QStringList texts;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    for (QAbstractButton* button : box->buttons()) texts << button->text();
    box->button(answer)->click();
  });
  show();
  texts.sort();
  return texts;
}

TEST(QtDialogs, MessageBoxesHaveChineseButtons) {
  QtDialogs dialogs;
  EXPECT_EQ(buttonsOf([&] { dialogs.message(QStringLiteral("无设备可连接!")); }, QMessageBox::Ok),
            QStringList{QStringLiteral("确定")});
  form::Answer answer = form::Answer::No;
  const QStringList yesNo = buttonsOf(
      [&] { answer = dialogs.question(QStringLiteral("真的要关机吗？"), QStringLiteral("关闭电源")); },
      QMessageBox::Yes);
  EXPECT_EQ(yesNo, (QStringList{QStringLiteral("否"), QStringLiteral("是")}));
  EXPECT_EQ(answer, form::Answer::Yes);
}

}  // namespace
}  // namespace vornix::ui
