#pragma once
// The control model shared by every window: each control holds its value, and a write that
// changes the value runs the control's handler at once, nested inside the writer. A write that
// leaves the value as it was runs no handler, for every control.
//
// Views (src/ui) and timer drivers subscribe to a control to mirror it; the handler is the
// behaviour, wired in one place per window.

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <vector>

namespace vornix::form {

class Frame;

class Control {
public:
  // name is the control's name in the window, e.g. "Text1"; index is -1 outside an array.
  explicit Control(QString name = {}, int index = -1);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // "Text1(0)" for an array member, "Text4" otherwise.
  QString fullName() const;
  const QString& name() const { return name_; }
  int index() const { return index_; }
  void setName(QString name, int index = -1) { name_ = std::move(name); index_ = index; }

  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool visible() const { return visible_; }
  void setVisible(bool visible);

  // The frame the control sits in (nullptr: directly on its window). An operator cannot change
  // a control whose frame, or any frame around it, is disabled.
  Frame* frame() const { return frame_; }
  void setFrame(Frame* frame) { frame_ = frame; }
  bool operable() const;

  // Free text kept for the program (a timer's counter, the calibration step).
  QString tag;

  // Called after every change of the control's state, by the program or the operator.
  void subscribe(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }

protected:
  void notify();

private:
  QString name_;
  int index_;
  bool enabled_ = true;
  bool visible_ = true;
  Frame* frame_ = nullptr;
  std::vector<std::function<void()>> listeners_;
};

class Frame : public Control {
public:
  using Control::Control;
  QString caption;
};

class Button : public Control {
public:
  using Control::Control;
  QString caption;
  std::function<void()> onClick;
  // Runs the click handler (the program calls it directly; the operator presses the button).
  void click();
};

class TextBox : public Control {
public:
  using Control::Control;
  const QString& text() const { return text_; }
  // The numeric value of the text.
  double value() const;
  // Sets the text; when it changed, runs onChange before returning.
  void setText(const QString& text);
  // Sets the text without running onChange; views still follow it.
  void setTextQuietly(const QString& text);
  // Sets the design-time text without running a handler.
  void initText(const QString& text) { text_ = text; }
  std::function<void()> onChange;

private:
  QString text_;
};

// Check-box state: 0 cleared, 1 checked, 2 greyed.
class CheckBox : public Control {
public:
  using Control::Control;
  QString caption;
  int value() const { return value_; }
  bool checked() const { return value_ == 1; }
  // Sets the state; a value outside 0..2 raises InvalidValueError and changes nothing. When the
  // state changed, runs onClick before returning.
  void setValue(int value);
  void initValue(int value) { value_ = value; }
  std::function<void()> onClick;

private:
  int value_ = 0;
};

// A list of text entries, newest last.
class ListBox : public Control {
public:
  using Control::Control;
  const std::vector<QString>& items() const { return items_; }
  void addItem(const QString& item);
  void removeItem(std::size_t index);
  void clear();

private:
  std::vector<QString> items_;
};

class OptionGroup;

class OptionButton : public Control {
public:
  using Control::Control;
  QString caption;
  bool selected() const { return selected_; }
  // Selecting a button clears the others of its group and runs onClick (with the button's
  // index); selecting the selected one runs nothing. Clearing runs no handler.
  void setSelected(bool selected);
  void initSelected(bool selected) { selected_ = selected; }
  std::function<void(int index)> onClick;

private:
  friend class OptionGroup;
  OptionGroup* group_ = nullptr;
  bool selected_ = false;
};

// The mutually exclusive buttons of one container.
class OptionGroup {
public:
  void add(OptionButton& button);
  const std::vector<OptionButton*>& buttons() const { return buttons_; }
  OptionButton* selectedButton() const;

private:
  friend class OptionButton;
  std::vector<OptionButton*> buttons_;
};

// A label: a caption, and a position when it serves as a marker on a picture (in the picture's
// current coordinate scale at the time it was placed).
class Label : public Control {
public:
  using Control::Control;
  const QString& caption() const { return caption_; }
  void setCaption(const QString& caption);
  void initCaption(const QString& caption) { caption_ = caption; }
  std::function<void()> onChange;

  // Marker position: left and top in the scale of the picture it sits on, plus the picture's
  // scale rectangle at the time of the move, so that a view can place it in pixels.
  QPointF position() const { return position_; }
  QRectF placedInScale() const { return scale_; }
  void move(double left, double top, QRectF scale = {});
  bool placed() const { return placed_; }

private:
  QString caption_;
  QPointF position_;
  QRectF scale_;
  bool placed_ = false;
};

// A small shape marker inside a picture, in the picture's pixels.
class Shape : public Control {
public:
  using Control::Control;
  double left = 0, top = 0, width = 7, height = 7;
  void move(double newLeft, double newTop);
};

class Timer : public Control {
public:
  using Control::Control;
  int interval() const { return interval_; }
  void setInterval(int ms);
  bool timerEnabled() const { return timerEnabled_; }
  void setTimerEnabled(bool enabled);
  std::function<void()> onTimer;

private:
  int interval_ = 0;
  bool timerEnabled_ = false;
};

// A picture pane of 320 x 240 pixels: an image, points plotted over it, and a coordinate scale
// for the markers placed on it.
class Picture : public Control {
public:
  Picture(QString name = {}, int index = -1);
  const QImage& image() const { return image_; }
  bool hasImage() const { return hasImage_; }
  // Makes a copy of the given image the pane's picture. The copy shares the pixels until either
  // image is changed (Qt's implicit sharing; a pane only ever replaces its picture), so handing a
  // frame from pane to pane costs no copying of pixels.
  void setImage(const QImage& image);
  // Colour value 0x00BBGGRR at (x, y) of the picture, -1 outside it or without a picture.
  std::int64_t colourAt(int x, int y) const;

  // The pixels of the drawing over the picture, in the order they were first drawn.
  const std::vector<QPoint>& points() const { return points_; }
  // Draws the pixel at (x, y) in the current coordinate scale. The drawing is pixels of the
  // pane: a point outside it or on a pixel already drawn adds nothing, so the drawing stays
  // bounded however long points are plotted without a clear.
  void plot(double x, double y);
  // Clears the drawing to the background (the picture itself stays).
  void clear();

  // Coordinate scale: the top-left corner and the size in user units; the default scale is
  // the pane's pixels.
  QRectF scale() const { return scale_; }
  void setScale(QRectF scale) { scale_ = scale; }

  static constexpr int kWidth = 320;
  static constexpr int kHeight = 240;

private:
  QImage image_;
  bool hasImage_ = false;
  std::vector<QPoint> points_;
  std::vector<bool> drawn_ = std::vector<bool>(std::size_t(kWidth) * kHeight);
  QRectF scale_{0, 0, kWidth, kHeight};
};

enum class WindowState { Normal, Minimized, Maximized };

// A top-level window: its position and size in twips (15 per logical pixel), visibility and
// state.
class Window : public Control {
public:
  using Control::Control;
  QString caption;
  double left() const { return left_; }
  double top() const { return top_; }
  double width() const { return width_; }
  double height() const { return height_; }
  void setLeft(double twips);
  void setTop(double twips);
  void setSize(double widthTwips, double heightTwips);
  WindowState state() const { return state_; }
  void setState(WindowState state);
  void show() { setVisible(true); }
  void hide() { setVisible(false); }

  static constexpr double kTwipsPerPixel = 15;

private:
  double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  WindowState state_ = WindowState::Normal;
};

}  // namespace vornix::form
