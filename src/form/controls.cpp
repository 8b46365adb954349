#include "form/controls.h"

#include "base/frame.h"
#include "base/text_rules.h"
#include "form/errors.h"

#include <cmath>

namespace vornix::form {

Control::Control(QString name, int index) : name_(std::move(name)), index_(index) {}

QString Control::fullName() const {
  return index_ < 0 ? name_ : name_ + u'(' + QString::number(index_) + u')';
}

void Control::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  notify();
}

void Control::setVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  notify();
}

bool Control::operable() const {
  if (!enabled_) return false;
  for (const Frame* f = frame_; f; f = f->frame())
    if (!f->enabled()) return false;
  return true;
}

void Control::notify() {
  for (const auto& listener : listeners_) listener();
}

void Button::click() {
  if (onClick) onClick();
}

double TextBox::value() const { return numericValue(text_); }

void TextBox::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  notify();
  if (onChange) onChange();
}

void TextBox::setTextQuietly(const QString& text) {
  if (text == text_) return;
  text_ = text;
  notify();
}

void CheckBox::setValue(int value) {
  if (value < 0 || value > 2) throw InvalidValueError();
  if (value == value_) return;
  value_ = value;
  notify();
  if (onClick) onClick();
}

void ListBox::addItem(const QString& item) {
  items_.push_back(item);
  notify();
}

void ListBox::removeItem(std::size_t index) {
  if (index >= items_.size()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  notify();
}

void ListBox::clear() {
  if (items_.empty()) return;
  items_.clear();
  notify();
}

void OptionButton::setSelected(bool selected) {
  if (selected == selected_) return;
  selected_ = selected;
  if (selected && group_) {
    for (OptionButton* other : group_->buttons_) {
      if (other != this && other->selected_) {
        other->selected_ = false;
        other->notify();
      }
    }
  }
  notify();
  if (selected && onClick) onClick(index());
}

void OptionGroup::add(OptionButton& button) {
  button.group_ = this;
  buttons_.push_back(&button);
}

OptionButton* OptionGroup::selectedButton() const {
  for (OptionButton* button : buttons_)
    if (button->selected()) return button;
  return nullptr;
}

void Label::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  notify();
  if (onChange) onChange();
}

void Label::move(double left, double top, QRectF scale) {
  position_ = {left, top};
  scale_ = scale;
  placed_ = true;
  notify();
}

void Shape::move(double newLeft, double newTop) {
  left = newLeft;
  top = newTop;
  notify();
}

void Timer::setInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  notify();
}

void Timer::setTimerEnabled(bool enabled) {
  if (enabled == timerEnabled_) return;
  timerEnabled_ = enabled;
  notify();
}

Picture::Picture(QString name, int index) : Control(std::move(name), index) {}

void Picture::setImage(const QImage& image) {
  image_ = toFrameFormat(image);
  hasImage_ = !image_.isNull();
  notify();
}

std::int64_t Picture::colourAt(int x, int y) const {
  if (!hasImage_) return -1;
  return FrameView(image_).colourValue(x, y);
}

void Picture::plot(double x, double y) {
  if (scale_.width() == 0 || scale_.height() == 0) return;
  const double column = std::floor((x - scale_.left()) * kWidth / scale_.width());
  const double row = std::floor((y - scale_.top()) * kHeight / scale_.height());
  if (!(column >= 0 && column < kWidth && row >= 0 && row < kHeight)) return;
  const std::size_t at = std::size_t(row) * kWidth + std::size_t(column);
  if (drawn_[at]) return;
  drawn_[at] = true;
  points_.emplace_back(int(column), int(row));
  notify();
}

void Picture::clear() {
  if (points_.empty()) return;
  for (const QPoint& point : points_) drawn_[std::size_t(point.y()) * kWidth + std::size_t(point.x())] = false;
  points_.clear();
  notify();
}

void Window::setLeft(double twips) {
  left_ = twips;
  notify();
}

void Window::setTop(double twips) {
  top_ = twips;
  notify();
}

void Window::setSize(double widthTwips, double heightTwips) {
  width_ = widthTwips;
  height_ = heightTwips;
  notify();
}

void Window::setState(WindowState state) {
  if (state == state_) return;
  state_ = state;
  notify();
}

}  // namespace vornix::form
