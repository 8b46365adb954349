#pragma once
// One binder per kind of control: each makes the widget, shows the control's state in it, keeps
// it in step with every later change of the control, and turns the operator's input into a write
// to the control (which runs its handler). The widget is named after the control ("Text1(0)").

#include "form/controls.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vornix::ui {

QGroupBox* bindFrame(form::Frame& frame, QWidget* parent);
QPushButton* bindButton(form::Button& button, QWidget* parent);
QCheckBox* bindCheckBox(form::CheckBox& check, QWidget* parent);
QRadioButton* bindOptionButton(form::OptionButton& option, QWidget* parent);
QLineEdit* bindTextBox(form::TextBox& text, QWidget* parent);
QLabel* bindLabel(form::Label& label, QWidget* parent);

}  // namespace vornix::ui
