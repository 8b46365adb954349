#pragma once
// Message boxes on the desktop.

#include "form/dialogs.h"

namespace vornix::ui {

class QtDialogs : public form::Dialogs {
protected:
  void showMessage(const QString& text, const QString& title) override;
  form::Answer askYesNo(const QString& text, const QString& title) override;
};

}  // namespace vornix::ui
