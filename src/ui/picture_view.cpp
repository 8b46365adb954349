#include "ui/picture_view.h"

#include "ui/camera_snapshot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace vornix::ui {
namespace {

constexpr double kModelWidth = form::Picture::kWidth;
constexpr double kModelHeight = form::Picture::kHeight;

const QColor kBackground(0x1e, 0x22, 0x28);
const QColor kShapeColour(0xff, 0x40, 0x40);
const QColor kZoneColour(0x30, 0xe0, 0xf0);
const QColor kOutlineColour(0x40, 0xe0, 0xff);

}  // namespace

PictureView::PictureView(form::Picture& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
  setObjectName(picture.fullName());
  setAttribute(Qt::WA_OpaquePaintEvent);
  QPointer<PictureView> self(this);
  picture.subscribe([self] {
    if (!self) return;
    self->setEnabled(self->picture_.enabled());
    self->setVisible(self->picture_.visible());
    // Markers placed in user units follow a scale change of their picture.
    for (const LabelMarker& marker : self->labels_) self->placeMarker(marker);
    self->update();
  });
  setEnabled(picture.enabled());
  setVisible(picture.visible());
}

QLabel* PictureView::addMarker(form::Label& label, const QColor& background,
                               const QColor& foreground) {
  auto* widget = new QLabel(label.caption(), this);
  widget->setObjectName(label.fullName());
  widget->setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont small = widget->font();
  small.setPixelSize(11);
  widget->setFont(small);
  widget->setStyleSheet(QStringLiteral("QLabel { background: %1; color: %2; padding: 0px 2px; }")
                            .arg(background.name(), foreground.name()));
  widget->adjustSize();
  labels_.push_back({&label, widget});

  QPointer<PictureView> self(this);
  const std::size_t index = labels_.size() - 1;
  label.subscribe([self, index] {
    if (self) self->placeMarker(self->labels_[index]);
  });
  placeMarker(labels_.back());
  return widget;
}

QWidget* PictureView::addShape(form::Shape& shape) {
  auto* widget = new QWidget(this);
  widget->setObjectName(shape.fullName());
  widget->setAttribute(Qt::WA_TransparentForMouseEvents);
  widget->setStyleSheet(QStringLiteral("border: 1px solid %1;").arg(kShapeColour.name()));
  widget->setAttribute(Qt::WA_StyledBackground);
  // A marker is shown once the program has placed it; the design position is not meaningful.
  widget->hide();
  shapes_.push_back({&shape, widget});

  QPointer<PictureView> self(this);
  const std::size_t index = shapes_.size() - 1;
  shape.subscribe([self, index] {
    if (!self) return;
    ShapeMarker& marker = self->shapes_[index];
    marker.placed = true;
    self->placeShape(marker);
  });
  return widget;
}

QPointF PictureView::toPicturePixels(QPointF viewPoint) const {
  return {viewPoint.x() * kModelWidth / width(), viewPoint.y() * kModelHeight / height()};
}

QPointF PictureView::toViewPixels(QPointF picturePixels) const {
  return {picturePixels.x() * width() / kModelWidth, picturePixels.y() * height() / kModelHeight};
}

QPointF PictureView::mapFromScale(QPointF userPoint, const QRectF& scale) const {
  return {(userPoint.x() - scale.left()) * width() / scale.width(),
          (userPoint.y() - scale.top()) * height() / scale.height()};
}

void PictureView::placeMarker(const LabelMarker& marker) {
  const form::Label& label = *marker.label;
  QLabel* widget = marker.widget;
  if (widget->text() != label.caption()) {
    widget->setText(label.caption());
    widget->adjustSize();
  }
  QRectF scale = label.placedInScale();
  if (scale.width() == 0 || scale.height() == 0) scale = picture_.scale();
  const bool placeable = label.placed() && scale.width() != 0 && scale.height() != 0;
  widget->setVisible(label.visible() && placeable);
  if (!placeable) return;

  // The marker's top-left corner sits at the label's position; it is kept inside the pane so
  // that a point on or beyond the edge of the range stays in sight.
  const QPointF at = mapFromScale(label.position(), scale);
  const double x = std::clamp(at.x(), 0.0, double(std::max(0, width() - widget->width())));
  const double y = std::clamp(at.y(), 0.0, double(std::max(0, height() - widget->height())));
  widget->move(int(std::floor(x)), int(std::floor(y)));
}

void PictureView::placeShape(ShapeMarker& marker) {
  const form::Shape& shape = *marker.shape;
  const QPointF topLeft = toViewPixels({shape.left, shape.top});
  const QPointF size = toViewPixels({shape.width, shape.height});
  marker.widget->setGeometry(int(std::round(topLeft.x())), int(std::round(topLeft.y())),
                             std::max(1, int(std::round(size.x()))),
                             std::max(1, int(std::round(size.y()))));
  marker.widget->setVisible(marker.placed && shape.visible());
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  paintPicture(painter, picture_, rect());

  if (zones) {
    const std::vector<QRect> all = zones();
    for (std::size_t i = 0; i < all.size(); ++i) {
      const QRect area = viewRect(all[i]);
      painter.setPen(kZoneColour);
      painter.drawRect(area);
      painter.drawText(area.adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, QString::number(i + 1));
    }
  }
  if (dragFrom_) {
    painter.setPen(QPen(kZoneColour, 1, Qt::DashLine));
    painter.drawRect(viewRect(drawnRect()));
  }
  if (outline) {
    QPolygonF shown;
    for (const QPointF& p : outline()) shown << toViewPixels(p);
    painter.setPen(QPen(kOutlineColour, 1));
    painter.drawPolygon(shown);
  }

  if (!isEnabled()) painter.fillRect(rect(), QColor(128, 128, 128, 80));
}

QRect PictureView::viewRect(const QRect& pictureRect) const {
  const QPointF topLeft = toViewPixels(pictureRect.topLeft());
  const QPointF size = toViewPixels(QPointF(pictureRect.width(), pictureRect.height()));
  return QRectF(topLeft, QSizeF(size.x(), size.y())).toRect().adjusted(0, 0, -1, -1);
}

QRect PictureView::drawnRect() const {
  const QPointF a = *dragFrom_, b = dragTo_;
  const QPoint topLeft(int(std::floor(std::min(a.x(), b.x()))), int(std::floor(std::min(a.y(), b.y()))));
  const QPoint bottomRight(int(std::floor(std::max(a.x(), b.x()))), int(std::floor(std::max(a.y(), b.y()))));
  return QRect(topLeft, bottomRight).intersected(QRect(0, 0, int(kModelWidth), int(kModelHeight)));
}

void PictureView::mousePressEvent(QMouseEvent* event) {
  const QPointF at = toPicturePixels(event->position());
  if (event->button() == Qt::LeftButton && drawsRectangles && drawsRectangles()) {
    dragFrom_ = at;
    dragTo_ = at;
  }
  if (onMouseDown) onMouseDown(at.x(), at.y());
  event->accept();
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = toPicturePixels(event->position());
  if (dragFrom_) {
    dragTo_ = at;
    update();
  }
  if (onMouseMove) onMouseMove(at.x(), at.y());
  event->accept();
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
  if (dragFrom_) {
    dragTo_ = toPicturePixels(event->position());
    const QRect drawn = drawnRect();
    dragFrom_.reset();
    update();
    // A click without a drag draws nothing.
    if (drawn.width() >= 3 && drawn.height() >= 3 && onRectangleDrawn) onRectangleDrawn(drawn);
  }
  event->accept();
}

}  // namespace vornix::ui
