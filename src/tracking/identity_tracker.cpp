#include "tracking/identity_tracker.h"

#include "tracking/assignment.h"

#include <QLineF>

#include <algorithm>
#include <limits>
#include <tuple>

namespace vornix::tracking {

namespace {

double distance(QPointF a, QPointF b) { return QLineF(a, b).length(); }

}  // namespace

// For each track the blob it continues as, or -1.
std::vector<int> IdentityTracker::match(const std::vector<Blob>& blobs) const {
  const std::size_t tracks = tracks_.size(), found = blobs.size();
  std::vector<int> blobOfTrack(tracks, -1);
  if (tracks == 0 || found == 0) return blobOfTrack;

  if (p_.greedy) {
    std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
    for (std::size_t t = 0; t < tracks; ++t)
      for (std::size_t b = 0; b < found; ++b) {
        const double d = distance(tracks_[t].expected(), blobs[b].centre);
        if (d <= p_.maxJump) pairs.emplace_back(d, t, b);
      }
    std::sort(pairs.begin(), pairs.end());
    std::vector<bool> taken(found, false);
    for (const auto& [d, t, b] : pairs)
      if (blobOfTrack[t] < 0 && !taken[b]) {
        blobOfTrack[t] = int(b);
        taken[b] = true;
      }
    return blobOfTrack;
  }

  // Rows: tracks, then one stand-in per blob (the blob is new); columns: blobs, then one
  // stand-in per track (the track is missed). Leaving a track and a blob apart costs a maximum
  // jump each, so no pair further apart than that is ever taken.
  const double forbidden = 1e9;
  const std::size_t n = tracks + found;
  std::vector<std::vector<double>> cost(n, std::vector<double>(n, 0.0));
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t c = 0; c < n; ++c) {
      if (r < tracks && c < found) {
        const double d = distance(tracks_[r].expected(), blobs[c].centre);
        cost[r][c] = d <= p_.maxJump ? d : forbidden;
      } else if (r < tracks || c < found) {
        cost[r][c] = p_.maxJump;
      }
    }
  const std::vector<int> column = minimumCostAssignment(cost);
  for (std::size_t t = 0; t < tracks; ++t)
    if (column[t] >= 0 && std::size_t(column[t]) < found && cost[t][column[t]] < forbidden) blobOfTrack[t] = column[t];
  return blobOfTrack;
}

const TrackedFrame& IdentityTracker::update(const std::vector<Blob>& blobs, double timeSeconds) {
  frame_.blobs.clear();
  frame_.ended = std::move(endedByClear_);
  endedByClear_.clear();

  const std::vector<int> blobOfTrack = match(blobs);
  // Visitors walking through each other are one blob for a while: a track left without a blob
  // whose expected position lies in a blob another track continues as is hidden there, and
  // every track in such a blob goes on along its own way until they part.
  std::vector<int> tracksIn(blobs.size(), 0), hiddenIn(tracks_.size(), -1);
  for (std::size_t t = 0; t < tracks_.size(); ++t)
    if (blobOfTrack[t] >= 0) ++tracksIn[blobOfTrack[t]];
  for (std::size_t t = 0; t < tracks_.size(); ++t) {
    if (blobOfTrack[t] >= 0 || tracks_[t].hidden >= kMaxHiddenFrames) continue;
    for (std::size_t b = 0; b < blobs.size(); ++b)
      if (tracksIn[b] > 0 && QRectF(blobs[b].box).adjusted(-2, -2, 2, 2).contains(tracks_[t].expected())) {
        hiddenIn[t] = int(b);
        ++tracksIn[b];
        break;
      }
  }

  std::vector<bool> continued(blobs.size(), false);
  std::vector<Track> kept;
  for (std::size_t t = 0; t < tracks_.size(); ++t) {
    Track& track = tracks_[t];
    const int b = blobOfTrack[t] >= 0 ? blobOfTrack[t] : hiddenIn[t];
    if (b >= 0 && tracksIn[b] > 1) {
      track.position = track.expected();
      track.box = QRectF(blobs[b].box);
      track.box.moveCenter(track.position);
      track.missed = 0;
      ++track.hidden;
      if (blobOfTrack[t] >= 0) continued[b] = true;
    } else if (b >= 0) {
      const Blob& blob = blobs[b];
      continued[b] = true;
      const QPointF moved = (blob.centre - track.position) / (track.missed + 1);
      track.step = (track.step + moved) / 2;
      track.position = blob.centre;
      track.box = blob.box;
      track.area = blob.area;
      track.missed = 0;
      track.hidden = 0;
    } else if (++track.missed > p_.keepFrames) {
      frame_.ended.push_back(track.id);
      continue;
    }
    kept.push_back(std::move(track));
  }
  tracks_ = std::move(kept);
  for (std::size_t b = 0; b < blobs.size(); ++b) {
    if (continued[b]) continue;
    tracks_.push_back(Track{++lastId_, blobs[b].centre, {}, blobs[b].box, blobs[b].area, 0, 0,
                            OneEuroFilter(p_.smoothing), OneEuroFilter(p_.smoothing)});
  }

  for (Track& track : tracks_) {
    // A vanished blob is reported where it is expected, its box moved along.
    const QPointF at = track.missed ? track.position + track.step * track.missed : track.position;
    const QPointF smoothed(track.x.filter(at.x(), timeSeconds), track.y.filter(at.y(), timeSeconds));
    frame_.blobs.push_back(TrackedBlob{track.id, smoothed, track.box.translated(at - track.position), track.area,
                                       track.missed == 0});
  }
  std::sort(frame_.blobs.begin(), frame_.blobs.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
  std::sort(frame_.ended.begin(), frame_.ended.end());
  return frame_;
}

void IdentityTracker::clear() {
  for (const Track& track : tracks_) endedByClear_.push_back(track.id);
  tracks_.clear();
}

}  // namespace vornix::tracking
