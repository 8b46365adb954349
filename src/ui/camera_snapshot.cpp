#include "ui/camera_snapshot.h"

#include "base/text_rules.h"

#include <QPolygonF>

#include <array>
#include <cmath>

namespace vornix::ui {
namespace {

const QColor kBackground(0x1e, 0x22, 0x28);
const QColor kPointColour(0xff, 0xd0, 0x30);
const QColor kAreaColour(0xff, 0x40, 0x40);
const QColor kTouchColour(0x30, 0xff, 0x60);

// Digits of 3 x 5 cells, read row by row from the top bit; 'M' for the mode's tag.
constexpr std::array<quint16, 10> kDigits = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9,
                                             0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF};
constexpr quint16 kLetterM = 0x5FED;

// Draws a glyph of 3 x 5 cells of cell pixels at (x, y); the next glyph's x.
int drawGlyph(QPainter& painter, quint16 glyph, int x, int y, int cell) {
  for (int bit = 0; bit < 15; ++bit)
    if (glyph & (1 << (14 - bit))) painter.fillRect(x + bit % 3 * cell, y + bit / 3 * cell, cell, cell, Qt::white);
  return x + 4 * cell;
}

void drawMode(QPainter& painter, const QString& mode) {
  constexpr int cell = 2, margin = 3;
  painter.fillRect(0, 0, margin * 2 + 4 * cell * int(mode.size() + 1), margin * 2 + 5 * cell, QColor(0, 0, 0, 160));
  int x = drawGlyph(painter, kLetterM, margin, margin, cell);
  for (QChar c : mode)
    if (c.isDigit()) x = drawGlyph(painter, kDigits[std::size_t(c.digitValue())], x, margin, cell);
}

QPointF corner(const panel::MAINFRM& f, int i) { return {f.Text1[i].value(), f.Text2[i].value()}; }

void drawCross(QPainter& painter, QPointF at) {
  painter.setPen(QPen(kTouchColour, 2));
  painter.drawLine(at + QPointF(-6, 0), at + QPointF(6, 0));
  painter.drawLine(at + QPointF(0, -6), at + QPointF(0, 6));
}

}  // namespace

void paintPicture(QPainter& painter, const form::Picture& picture, const QRectF& target) {
  if (picture.hasImage()) painter.drawImage(target, picture.image());
  painter.setPen(kPointColour);
  const double sx = target.width() / form::Picture::kWidth, sy = target.height() / form::Picture::kHeight;
  for (const QPoint& pixel : picture.points())
    painter.drawPoint(QPointF(target.left() + pixel.x() * sx, target.top() + pixel.y() * sy));
}

QImage cameraSnapshot(const panel::MAINFRM& f) {
  QImage image(form::Picture::kWidth, form::Picture::kHeight, QImage::Format_RGB32);
  image.fill(kBackground);
  QPainter painter(&image);
  paintPicture(painter, f.Picture1, image.rect());

  painter.setPen(QPen(kAreaColour, 1));
  if (f.Option2[0].selected()) {
    painter.drawRect(QRectF(corner(f, 0), corner(f, 3)).normalized());
  } else {
    // Corners 0 to 3 are top-left, bottom-left, top-right, bottom-right.
    painter.drawPolygon(QPolygonF({corner(f, 0), corner(f, 1), corner(f, 3), corner(f, 2)}));
  }
  if (!f.Text5[0].text().isEmpty()) drawCross(painter, {f.Text5[0].value(), f.Text5[1].value()});
  if (!f.Text5[2].text().isEmpty()) drawCross(painter, {f.Text5[2].value(), f.Text5[3].value()});
  drawMode(painter, decimalText(numericValue(f.Label9.caption())));
  return image;
}

}  // namespace vornix::ui
