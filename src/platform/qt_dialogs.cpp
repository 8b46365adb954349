#include "platform/qt_dialogs.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace vornix::platform {

void QtDialogs::showMessage(const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QCoreApplication::applicationName() : title, text,
                  QMessageBox::Ok);
  box.exec();
}

form::Answer QtDialogs::askYesNo(const QString& text, const QString& title) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? form::Answer::Yes : form::Answer::No;
}

}  // namespace vornix::platform
