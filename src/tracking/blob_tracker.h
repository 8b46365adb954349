#pragma once
// The tracker run on every frame a pass takes: the frame's blobs (BlobFinder) followed with
// lasting identities (IdentityTracker).

#include "tracking/blob_finder.h"
#include "tracking/identity_tracker.h"

namespace vornix::tracking {

class BlobTracker {
public:
  explicit BlobTracker(TrackingParameters parameters = {}) : identities_(parameters) {}

  void setParameters(const TrackingParameters& parameters) { identities_.setParameters(parameters); }
  const TrackingParameters& parameters() const { return identities_.parameters(); }

  // reference: the static reference, or null to compare with the tracker's own background.
  const TrackedFrame& update(const FrameView& current, const FrameView* reference, const QRect& area,
                             int threshold, double timeSeconds) {
    return identities_.update(finder_.find(current, reference, area, threshold, parameters().minArea), timeSeconds);
  }

  // Tracking stops: every identity ends, and the background starts afresh when it resumes.
  void clear() {
    identities_.clear();
    finder_.reset();
  }

private:
  BlobFinder finder_;
  IdentityTracker identities_;
};

}  // namespace vornix::tracking
