#include "output/mapping.h"

#include "base/text_rules.h"
#include "base/trace.h"
#include "form/errors.h"
#include "output/grid_transform.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace vornix::output {

namespace {

// The camera preview's grid, the scale of Picture3 for the camera markers.
const QRectF kCameraScale(0, 0, form::Picture::kWidth, form::Picture::kHeight);

const char* const kNotConvex = "四个校正点不构成凸四边形，映射算法恢复为矩形校正";

}  // namespace

QRectF mouseRange(const panel::MAINFRM& f) {
  return QRectF(f.Text3[0].value(), f.Text3[1].value(), f.Text3[2].value(), f.Text3[3].value());
}

namespace {

Corners cornersOf(const panel::MAINFRM& f) {
  Corners camera;
  for (int i = 0; i < 4; ++i) camera[i] = QPointF(f.Text1[i].value(), f.Text2[i].value());
  return camera;
}

}  // namespace

std::optional<QPointF> correctedPoint(const panel::MAINFRM& f, QPointF camera) {
  if (f.Option2[1].selected()) return perspectivePoint(cornersOf(f), mouseRange(f), camera);
  if (f.Option2[2].selected()) return gridPoint(f.calibrationGrid, mouseRange(f), camera);
  return std::nullopt;
}

QPointF screenPoint(const panel::MAINFRM& f, QPointF camera) {
  const QRectF range = mouseRange(f);
  QPointF screen;
  if (const std::optional<QPointF> corrected = correctedPoint(f, camera)) {
    screen = *corrected;
  } else {
    const Corners c = cornersOf(f);
    screen = QPointF((camera.x() - c[0].x()) * range.width() / (c[3].x() - c[0].x()) + range.left(),
                     (camera.y() - c[0].y()) * range.height() / (c[3].y() - c[0].y()) + range.top());
  }
  const auto within = [](double v, double low, double length) {
    return std::isfinite(v) ? std::clamp(v, low, low + length) : low;
  };
  return QPointF(within(screen.x(), range.left(), range.width()), within(screen.y(), range.top(), range.height()));
}

void Mapping::Option1_Click(int index) {
  f_.Option1[0].tag = decimalText(index);
  if (index != 4) return;
  double sumX = 0, sumY = 0;
  for (int i = 0; i < 4; ++i) {
    sumX += f_.Text1[i].value();
    sumY += f_.Text2[i].value();
  }
  form::Shape& centre = f_.Shape1[4];
  centre.move(sumX / 4 - centre.width / 2, sumY / 4 - centre.height / 2);
  if (f_.Option2[1].selected() && !isConvexQuad(corners())) {
    // Rectangular before the box shows: passes keep running while it waits for its OK.
    f_.Option2[0].setSelected(true);
    dialogs_.message(QString::fromUtf8(kNotConvex));
  }
}

void Mapping::Option2_Click(int index) {
  const bool trapezoid = index == 1;
  for (int i : {1, 2}) {
    f_.Text1[i].setEnabled(trapezoid);
    f_.Text2[i].setEnabled(trapezoid);
    f_.Option1[i].setEnabled(trapezoid);
  }
  const double armed = numericValue(f_.Option1[0].tag);
  if (!trapezoid && (armed == 1 || armed == 2)) f_.Option1[4].setSelected(true);
}

Corners Mapping::corners() const { return cornersOf(f_); }

void Mapping::Picture1_MouseDown(double x, double y) {
  const double step = numericValue(f_.Option1[0].tag);
  if (step >= 4) return;
  // Only the program writes the tag (0..4); anything else names no corner.
  if (step < 0 || step != std::floor(step)) return;
  const int corner = static_cast<int>(step);
  f_.Text1[corner].setText(decimalText(std::floor(x)));
  f_.Text2[corner].setText(decimalText(std::floor(y)));
  form::Shape& marker = f_.Shape1[corner];
  marker.move(x - marker.width / 2, y - marker.height / 2);
}

void Mapping::Text16_Change() {
  handOver(false);
  if (numericValue(f_.Label9.caption()) == 7) {
    const double mappedX = f_.Text8[0].value();
    // The monitor strip spans the mouse activity range, so the marker shows where across the
    // screen the hand is.
    f_.Picture5.setScale(mouseRange(f_));
    f_.Label22.move(mappedX, f_.Text3[1].value(), f_.Picture5.scale());
    f_.Text20.setText(decimalText(mappedX));
  }
}

void Mapping::Text18_Change() { handOver(true); }

void Mapping::handOver(bool second) {
  const form::TextBox& xField = f_.Text5[second ? 2 : 0];
  const form::TextBox& yField = f_.Text5[second ? 3 : 1];
  trace(second ? "touch2" : "touch", xField.text() + ' ' + yField.text());
  loop_.processEvents();
  const std::int16_t y = form::int16Of(yField.value());
  const std::int16_t x = form::int16Of(xField.value());
  mapPoint(x, y, second);
  f_.Picture3.setScale(kCameraScale);
  form::Label& marker = second ? f_.Label19 : f_.Label1;
  marker.move(xField.value(), yField.value(), f_.Picture3.scale());
}

void Mapping::movemouse(std::int16_t xc, std::int16_t yc) { mapPoint(xc, yc, false); }

void Mapping::movemouse2(std::int16_t xc, std::int16_t yc) { mapPoint(xc, yc, true); }

void Mapping::mapPoint(std::int16_t xc, std::int16_t yc, bool second) {
  using form::int16Of;
  using form::step;
  auto X = [this](int i) { return f_.Text1[i].value(); };
  auto Y = [this](int i) { return f_.Text2[i].value(); };
  auto L = [this] { return f_.Text3[0].value(); };
  auto T = [this] { return f_.Text3[1].value(); };
  auto W = [this] { return f_.Text3[2].value(); };
  auto H = [this] { return f_.Text3[3].value(); };

  std::int16_t mx = 0;
  std::int16_t my = 0;
  std::optional<QPointF> corrected;
  step([&] { corrected = correctedPoint(f_, QPointF(xc, yc)); });
  if (corrected) {
    step([&] { mx = int16Of(corrected->x()); });
    step([&] { my = int16Of(corrected->y()); });
  } else {
    step([&] { mx = int16Of(form::divide((xc - X(0)) * W(), X(3) - X(0)) + L()); });
    step([&] { my = int16Of(form::divide((yc - Y(0)) * H(), Y(3) - Y(0)) + T()); });
  }
  step([&] { if (L() > mx) mx = int16Of(L()); });
  step([&] { if (T() > my) my = int16Of(T()); });
  if (second) {
    // The second point is bounded by twice the width and height, not by the range's far edge.
    step([&] { if (W() + W() < mx) mx = int16Of(W() + W()); });
    step([&] { if (H() + H() < my) my = int16Of(H() + H()); });
  } else {
    step([&] { if (L() + W() < mx) mx = int16Of(W() + L()); });
    step([&] { if (T() + H() < my) my = int16Of(H() + T()); });
  }
  // The origin never goes out: (0, 0) becomes (0, 1).
  if (mx == 0 && my == 0) my = 1;

  form::TextBox& xField = f_.Text8[second ? 2 : 0];
  form::TextBox& yField = f_.Text8[second ? 3 : 1];
  step([&] {
    xField.setText(decimalText(mx));
    yField.setText(decimalText(my));
  });
  trace(second ? "map2" : "map", xField.text() + ' ' + yField.text());
  form::TextBox& trigger = second ? f_.Text19 : f_.Text17;
  step([&] { trigger.setText(positionMessage(mx, my)); });
}

}  // namespace vornix::output
