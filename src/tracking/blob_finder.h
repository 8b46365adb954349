#pragma once
// The blobs of a frame: the samples of the scan area whose red differs by more than the
// threshold from a background, grouped into 8-connected components.
//
// The background is the given reference (the static reference of the passes) or, without one,
// the finder's own: the first frame, then learning every frame, quickly where a sample does not
// differ and very slowly where it does, so lighting that drifts is followed while a visitor who
// stands still stays a blob for minutes.

#include "base/frame.h"

#include <QPointF>
#include <QRect>

#include <cstdint>
#include <memory>
#include <vector>

namespace vornix::tracking {

struct Blob {
  QPointF centre;  // centroid of the blob's samples, camera pixels
  QRect box;       // bounding box, camera pixels
  int area = 0;    // samples
};

class BlobFinder {
public:
  // Share of its difference a background sample learns per frame where the frame does not
  // differ (about 1.6 s to follow at 20 frames a second), and where it does (a difference of
  // 1.2 times the threshold stays above it for 1500 frames, 75 s).
  static constexpr float kLearnRate = 1.0f / 32;
  static constexpr float kAbsorbRate = 1.0f / 8192;
  static constexpr int kFractionBits = 16;
  // More than this share of the scan area differing at once is a change of the whole scene (a
  // light switched on, the camera knocked): the background starts again from this frame.
  static constexpr double kGlobalChangeShare = 0.5;
  // At most this many blobs, the largest, are reported.
  static constexpr std::size_t kMaxBlobs = 64;

  BlobFinder();
  ~BlobFinder();

  // area: the scan area's corners (x0, y0) and (x3, y3), inclusive, clipped to the frame.
  // reference: the background to compare with (a static reference), or null for the finder's
  // own. Blobs of fewer than minArea samples are dropped; largest first.
  std::vector<Blob> find(const FrameView& current, const FrameView* reference, const QRect& area,
                         int threshold, int minArea);

  // The next frame without a reference starts the background afresh.
  void reset() { background_.clear(); }

private:
  struct Labels;
  std::vector<std::int32_t> background_;  // red, kFractionBits below the point
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> mask_;
  std::unique_ptr<Labels> labels_;
};

}  // namespace vornix::tracking
