#pragma once
// Camera frames drawn by the tests. Green and blue stay fixed while red varies, so a detector
// that read another channel would see no touch at all.

#include "base/frame.h"

#include <QImage>

#include <initializer_list>
#include <vector>

namespace vornix::testing {

inline QRgb withRed(int red) { return qRgb(red, 77, 140); }

// A frame of one colour whose red component is red.
inline QImage plainFrame(int red = 50) {
  QImage frame = blankFrame();
  frame.fill(withRed(red));
  return frame;
}

struct Dot {
  int x;
  int y;
  int red;
};

// The frame with the red component of some pixels changed.
inline QImage withDots(QImage frame, std::initializer_list<Dot> dots) {
  for (const Dot& dot : dots) frame.setPixel(dot.x, dot.y, withRed(dot.red));
  return frame;
}

// The frame with rows of characters pasted at (left, top): '#' is a bright pixel (red 255), any
// other character leaves the pixel as it was.
inline QImage withPatch(QImage frame, int left, int top, std::initializer_list<const char*> rows) {
  int y = top;
  for (const char* row : rows) {
    for (int x = left; *row; ++row, ++x)
      if (*row == '#') frame.setPixel(x, y, withRed(255));
    ++y;
  }
  return frame;
}

// The frame with a run of red values painted rightwards from (left, top), on rows rows.
inline QImage withRun(QImage frame, int left, int top, const std::vector<int>& reds, int rows = 1) {
  for (int y = top; y < top + rows; ++y)
    for (std::size_t i = 0; i < reds.size(); ++i) frame.setPixel(left + int(i), y, withRed(reds[i]));
  return frame;
}

}  // namespace vornix::testing
