#pragma once
// The part of the camera picture a correction calibrates: under 梯形校正 the quadrilateral of
// corners 0 to 3, under 非线性校正 the outline of the grid. The passes look only inside it, so a
// visitor beside the projection moves nothing, and the previews draw it.

#include "panel/mainfrm.h"

#include <QPolygonF>

#include <optional>

namespace vornix::output {

// The outline in camera pixels, walked round from the top-left corner; none under 矩形校正 or
// while the corners or the grid cannot be used (the mapping is then the rectangle's too).
std::optional<QPolygonF> calibratedOutline(const panel::MAINFRM& f);

}  // namespace vornix::output
