#include "engine/zone_watch.h"

#include <algorithm>
#include <cstdlib>

namespace vornix::engine {

ZoneCount countDiffering(const FrameView& current, const FrameView& reference, const QRect& rect, int stride,
                         int threshold) {
  ZoneCount count;
  if (stride < 1 || rect.isEmpty()) return count;
  const int width = std::min(current.width(), reference.width());
  const int height = std::min(current.height(), reference.height());
  // Outside the frames a sample reads -1 in both and never differs: only samples inside count.
  const auto first = [stride](int from) { return from >= 0 ? from : from + (-from + stride - 1) / stride * stride; };
  const int x0 = first(rect.left()), y0 = first(rect.top());
  const int x1 = std::min(rect.right(), width - 1), y1 = std::min(rect.bottom(), height - 1);
  for (int y = y0; y <= y1; y += stride) {
    const uchar* now = current.pixelRow(y) + 2;
    const uchar* then = reference.pixelRow(y) + 2;
    for (int x = x0; x <= x1; x += stride) {
      ++count.samples;
      if (std::abs(int(now[x * 4]) - int(then[x * 4])) > threshold) ++count.differing;
    }
  }
  return count;
}

std::vector<ZoneChange> ZoneWatch::update(const std::vector<ZoneCount>& counts) {
  if (occupied_.size() != counts.size()) occupied_.assign(counts.size(), false);
  std::vector<ZoneChange> changes;
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const long long differing = counts[i].differing, samples = counts[i].samples;
    if (samples == 0) continue;
    if (!occupied_[i] && differing * 10 >= samples) {
      occupied_[i] = true;
      changes.push_back({int(i), true});
    } else if (occupied_[i] && differing * 20 < samples) {
      occupied_[i] = false;
      changes.push_back({int(i), false});
    }
  }
  return changes;
}

}  // namespace vornix::engine
