#pragma once
// Where every control of the panel sits, in logical pixels of its parent: the window for the
// controls outside any frame, the frame's group box for those inside one, the picture pane for
// the button on the drawing pane.

#include <QRect>
#include <QString>

#include <optional>

namespace vornix::ui {

// The rectangle of the control named `fullName` ("Text1(0)", "Frame2"); none for controls
// without a place of their own (timers, markers on the pictures).
std::optional<QRect> panelGeometry(const QString& fullName);

// Client size of the panel window.
inline constexpr int kPanelWidth = 1016;
inline constexpr int kPanelHeight = 734;
// Where the right-hand column of frames begins; the picture panes and the switches lie left of it.
inline constexpr int kRightColumnLeft = 656;
// Height of the title line above each picture pane, clear of the markers on the pane.
inline constexpr int kPaneTitleHeight = 15;

}  // namespace vornix::ui
