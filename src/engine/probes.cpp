#include "engine/probes.h"

#include "base/text_rules.h"

#include <cmath>

namespace vornix::engine {

void Probes::Picture1_MouseMove(std::int16_t, std::int16_t, float X, float Y) { show(f_.Picture1, X, Y); }
void Probes::Picture2_MouseMove(std::int16_t, std::int16_t, float X, float Y) { show(f_.Picture2, X, Y); }
void Probes::Picture4_MouseMove(std::int16_t, std::int16_t, float X, float Y) { show(f_.Picture1, X, Y); }

void Probes::show(const form::Picture& image, float X, float Y) {
  // A fractional position lies in the pixel that contains it.
  const double column = std::floor(X);
  const double row = std::floor(Y);
  const bool onPicture = column >= 0 && row >= 0 && column < image.image().width() &&
                         row < image.image().height();  // false for NaN as well
  const std::int64_t colour =
      onPicture ? image.colourAt(static_cast<int>(column), static_cast<int>(row)) : -1;
  f_.Label3.setCaption("x=" + decimalTextSingle(X) + ",Y=" + decimalTextSingle(Y) +
                       ",P=" + decimalText(redComponent(colour)));
}

}  // namespace vornix::engine
