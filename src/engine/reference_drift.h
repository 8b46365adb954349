#pragma once
// Slow drift of the light under a static reference: the reference's red follows the current
// frame by at most four levels a step, only where the two already differ by no more than the
// threshold. A touch differs by more and is never drawn into the reference, however long it
// stands; a sunrise or a lamp warming up changes each pixel by a level now and then and is
// followed, so a reference taken in the morning still serves in the afternoon. Under a touch
// the reference takes the light's shift over the rest of the picture instead, so the floor under
// a visitor who stood through a change of light does not stay behind as a touch once they leave. Pixel by pixel
// rather than one gain and offset for the whole picture: sun through a window lights part of
// the floor, and a step of a level needs no model of how the camera answers light.

#include <QImage>

namespace vornix::engine {

// Writes into `into` the reference with the red of every pixel moved toward the current
// frame's red, by their difference but at most four levels, where they differ by no more than
// threshold (above 255 counts as 255); the red of the pixels that differ by more moves by
// lightShift (the change of the light elsewhere), at most four levels; blue and green are kept.
// `into` keeps its pixels when it holds an image of the reference's size and format that
// nothing else shares (the reference replaced by the last step), else it gets new ones. Both
// images are RGB32 frames of one size; for a pair of another kind `into` becomes the reference.
void driftReference(const QImage& current, const QImage& reference, int threshold, int lightShift, QImage& into);

}  // namespace vornix::engine
