#pragma once
// A picture pane of the panel: paints the model's image and plotted points, carries the marker
// labels and shapes that sit on the picture, and reports the mouse in picture pixels.

#include "form/controls.h"

#include <QLabel>
#include <QPolygonF>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

namespace vornix::ui {

class PictureView : public QWidget {
public:
  explicit PictureView(form::Picture& picture, QWidget* parent = nullptr);

  form::Picture& picture() const { return picture_; }

  // A label placed on the picture as a captioned marker, in the scale it was placed in.
  QLabel* addMarker(form::Label& label, const QColor& background, const QColor& foreground);
  // A small rectangle marker in picture pixels.
  QWidget* addShape(form::Shape& shape);

  // Picture pixels (the model's 320 x 240 grid) of a point of the pane, and back.
  QPointF toPicturePixels(QPointF viewPoint) const;
  QPointF toViewPixels(QPointF picturePixels) const;
  // Where a point given in user units of `scale` lands on the pane.
  QPointF mapFromScale(QPointF userPoint, const QRectF& scale) const;

  // The calibrated area drawn over the picture, in picture pixels (empty: none).
  std::function<QPolygonF()> outline;

  // Pane pixels (fractional) of a press / a move; set by the window that owns the pane.
  std::function<void(double x, double y)> onMouseDown;
  std::function<void(double x, double y)> onMouseMove;

  // Zones drawn over the picture with their numbers (from 1), in picture pixels; asked at every
  // paint.
  std::function<std::vector<QRect>()> zones;
  // While it answers true, a drag on the pane draws a rectangle, handed over in picture pixels
  // when the button comes up.
  std::function<bool()> drawsRectangles;
  std::function<void(const QRect& rect)> onRectangleDrawn;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  struct LabelMarker {
    form::Label* label;
    QLabel* widget;
  };
  struct ShapeMarker {
    form::Shape* shape;
    QWidget* widget;
    bool placed = false;
  };

  void placeMarker(const LabelMarker& marker);
  void placeShape(ShapeMarker& marker);

  QRect viewRect(const QRect& pictureRect) const;
  // The rectangle being drawn, in picture pixels, between the press and the pointer.
  QRect drawnRect() const;

  form::Picture& picture_;
  std::optional<QPointF> dragFrom_;
  QPointF dragTo_;
  std::vector<LabelMarker> labels_;
  std::vector<ShapeMarker> shapes_;
};

}  // namespace vornix::ui
