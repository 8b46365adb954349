#include "ui/qt_dialogs.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

namespace vornix::ui {
namespace {

// The panel speaks Chinese, and so do the buttons of its message boxes, whatever language the
// desktop is set to.
void nameButtons(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, const char*> names[] = {
      {QMessageBox::Ok, "确定"}, {QMessageBox::Yes, "是"}, {QMessageBox::No, "否"}};
  for (const auto& [which, text] : names)
    if (QAbstractButton* button = box.button(which)) button->setText(QString::fromUtf8(text));
}

}  // namespace

void QtDialogs::showMessage(const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QCoreApplication::applicationName() : title, text,
                  QMessageBox::Ok);
  nameButtons(box);
  box.exec();
}

form::Answer QtDialogs::askYesNo(const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  nameButtons(box);
  return box.exec() == QMessageBox::Yes ? form::Answer::Yes : form::Answer::No;
}

}  // namespace vornix::ui
