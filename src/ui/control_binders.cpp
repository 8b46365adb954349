#include "ui/control_binders.h"

#include "form/errors.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <string>

namespace vornix::ui {
namespace {

// Makes `refresh` show the control in the widget now and after every change of the control.
// The widget may go before the control does; the listener then does nothing.
template <class Widget, class Refresh>
void mirror(form::Control& control, Widget* widget, Refresh refresh) {
  widget->setObjectName(control.fullName());
  QPointer<Widget> guard(widget);
  auto update = [&control, guard, refresh] {
    if (!guard) return;
    const QSignalBlocker blocker(guard.data());
    guard->setEnabled(control.enabled());
    guard->setVisible(control.visible());
    refresh(*guard);
  };
  update();
  control.subscribe(update);
}

// An operator's input as a top-level event: an error in the handler chain ends that chain only.
void operatorEvent(const form::Control& control, const char* event, const std::function<void()>& write) {
  const std::string name = (control.fullName() + u'_' + QLatin1String(event)).toStdString();
  form::runEvent(name.c_str(), write);
}

Qt::CheckState checkStateOf(int value) {
  switch (value) {
    case 1: return Qt::Checked;
    case 2: return Qt::PartiallyChecked;
    default: return Qt::Unchecked;
  }
}

}  // namespace

QGroupBox* bindFrame(form::Frame& frame, QWidget* parent) {
  auto* box = new QGroupBox(frame.caption, parent);
  mirror(frame, box, [&frame](QGroupBox& widget) { widget.setTitle(frame.caption); });
  return box;
}

QPushButton* bindButton(form::Button& button, QWidget* parent) {
  auto* widget = new QPushButton(button.caption, parent);
  widget->setAutoDefault(false);
  mirror(button, widget, [&button](QPushButton& w) { w.setText(button.caption); });
  QObject::connect(widget, &QPushButton::clicked, widget,
                   [&button] { operatorEvent(button, "Click", [&button] { button.click(); }); });
  return widget;
}

QCheckBox* bindCheckBox(form::CheckBox& check, QWidget* parent) {
  auto* widget = new QCheckBox(check.caption, parent);
  widget->setTristate(true);
  auto refresh = [&check](QCheckBox& w) {
    w.setText(check.caption);
    w.setCheckState(checkStateOf(check.value()));
  };
  mirror(check, widget, refresh);
  // A click toggles between cleared and checked; a greyed box becomes cleared. The greyed state
  // is the program's to set, so the widget is put back to what the control holds afterwards.
  QPointer<QCheckBox> guard(widget);
  QObject::connect(widget, &QCheckBox::clicked, widget, [&check, guard, refresh] {
    operatorEvent(check, "Click", [&check] { check.setValue(check.value() == 0 ? 1 : 0); });
    if (!guard) return;
    const QSignalBlocker blocker(guard.data());
    refresh(*guard);
  });
  return widget;
}

QRadioButton* bindOptionButton(form::OptionButton& option, QWidget* parent) {
  auto* widget = new QRadioButton(option.caption, parent);
  // The model keeps its groups exclusive (and may hold a group with nothing selected), so each
  // button shows its own control only.
  widget->setAutoExclusive(false);
  auto refresh = [&option](QRadioButton& w) {
    w.setText(option.caption);
    w.setChecked(option.selected());
  };
  mirror(option, widget, refresh);
  QPointer<QRadioButton> guard(widget);
  QObject::connect(widget, &QRadioButton::clicked, widget, [&option, guard, refresh] {
    operatorEvent(option, "Click", [&option] { option.setSelected(true); });
    if (!guard) return;
    const QSignalBlocker blocker(guard.data());
    refresh(*guard);
  });
  return widget;
}

QLineEdit* bindTextBox(form::TextBox& text, QWidget* parent) {
  auto* widget = new QLineEdit(parent);
  mirror(text, widget, [&text](QLineEdit& w) {
    // Rewriting the same text would move the operator's cursor to the end.
    if (w.text() != text.text()) w.setText(text.text());
  });
  QObject::connect(widget, &QLineEdit::textEdited, widget, [&text](const QString& edited) {
    operatorEvent(text, "Change", [&text, edited] { text.setText(edited); });
  });
  return widget;
}

QLabel* bindLabel(form::Label& label, QWidget* parent) {
  auto* widget = new QLabel(parent);
  mirror(label, widget, [&label](QLabel& w) { w.setText(label.caption()); });
  return widget;
}

}  // namespace vornix::ui
