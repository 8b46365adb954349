#pragma once
// Message boxes for tests.

#include "form/dialogs.h"

#include <functional>
#include <vector>

namespace vornix::form {

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
