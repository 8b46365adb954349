#pragma once
// The camera pane as a picture of its own, for the status server: what the camera sees, the
// watched area (the rectangle of corners 0 and 3, or the calibrated outline of all four), the
// last touch and the projection mode. Drawn without fonts, so it works headless as well.

#include "form/controls.h"
#include "panel/mainfrm.h"

#include <QImage>
#include <QPainter>
#include <QRectF>

namespace vornix::ui {

// A picture's image and plotted points, stretched over target; the panel's panes paint with it.
void paintPicture(QPainter& painter, const form::Picture& picture, const QRectF& target);

// 320 x 240.
QImage cameraSnapshot(const panel::MAINFRM& f);

}  // namespace vornix::ui
