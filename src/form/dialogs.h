#pragma once
// Message boxes. The program shows them with Qt; headless runs print the text on stderr and take
// the default answer.

#include <QString>

namespace vornix::form {

enum class Answer { Ok, Yes, No };

class Dialogs {
public:
  virtual ~Dialogs() = default;
  // A message with an OK button. Also printed in the trace as "msgbox TEXT".
  void message(const QString& text, const QString& title = {});
  // A question with Yes and No buttons.
  Answer question(const QString& text, const QString& title);

protected:
  virtual void showMessage(const QString& text, const QString& title) = 0;
  virtual Answer askYesNo(const QString& text, const QString& title) = 0;
};

// Headless: stderr, OK, and No for every question (so a headless run never powers off).
class ConsoleDialogs : public Dialogs {
protected:
  void showMessage(const QString& text, const QString& title) override;
  Answer askYesNo(const QString& text, const QString& title) override;
};

}  // namespace vornix::form
