#pragma once
// Message boxes. The program shows them with Qt; headless runs print the text on stderr and take
// the default answer; tests record them.

#include <QString>

#include <functional>
#include <vector>

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

// Tests: remembers every text and answers questions with a preset answer.
class RecordingDialogs : public Dialogs {
public:
  std::vector<QString> messages;
  std::vector<QString> questions;
  Answer nextAnswer = Answer::No;
  // Runs while a message is shown, as events do while a message box waits for its OK.
  std::function<void()> whileShown;

protected:
  void showMessage(const QString& text, const QString&) override {
    messages.push_back(text);
    if (whileShown) whileShown();
  }
  Answer askYesNo(const QString& text, const QString&) override {
    questions.push_back(text);
    return nextAnswer;
  }
};

}  // namespace vornix::form
