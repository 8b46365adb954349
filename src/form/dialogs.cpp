#include "form/dialogs.h"

#include "base/trace.h"

#include <cstdio>

namespace vornix::form {

void Dialogs::message(const QString& text, const QString& title) {
  trace("msgbox", QString(text).replace("\r\n", " "));
  showMessage(text, title);
}

Answer Dialogs::question(const QString& text, const QString& title) {
  trace("msgbox", text);
  return askYesNo(text, title);
}

void ConsoleDialogs::showMessage(const QString& text, const QString& title) {
  const QByteArray line = (title.isEmpty() ? text : title + ": " + text).toUtf8();
  std::fprintf(stderr, "%s\n", line.constData());
}

Answer ConsoleDialogs::askYesNo(const QString& text, const QString& title) {
  const QByteArray line = (title + ": " + text + " -> No").toUtf8();
  std::fprintf(stderr, "%s\n", line.constData());
  return Answer::No;
}

}  // namespace vornix::form
