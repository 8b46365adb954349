// How well the tracker keeps walkers apart on the clips of scripts/make_clips.py (walkersN):
//
//     tracking_accuracy CLIPS_FOLDER NAME...
//
// For each clip, once with the tracker's least-total-distance matching and once with greedy
// nearest-neighbour matching on the same blobs: the share of walker-frames found (a reported
// identity within a walker's width of its centre, one identity per walker), and the identity
// switches (a walker found under another identity than before), put down to the closest
// encounter around them: through each other (centres less than a width apart: one blob), close
// (less than two widths) or apart by at least their own width. Encounters are the closest
// approaches of two walkers under three widths.

#include "base/frame.h"
#include "tracking/assignment.h"
#include "tracking/blob_tracker.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineF>

#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

using namespace vornix;

namespace {

using Walkers = std::vector<std::optional<QPointF>>;  // per walker; none before it appears

enum Encounter { Through, Close, Apart, kEncounters };
const char* const kEncounterNames[] = {"through", "close", "apart"};

Encounter encounterAt(double distance, double width) {
  return distance < width ? Through : distance < 2 * width ? Close : Apart;
}

struct Clip {
  std::vector<QImage> frames;
  std::vector<Walkers> walkers;  // per frame
  double width = 0;
};

std::optional<Clip> loadClip(const QString& folder, const QString& name) {
  QFile file(folder + '/' + name + ".json");
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QJsonObject description = QJsonDocument::fromJson(file.readAll()).object();
  Clip clip;
  clip.width = description["width"].toDouble();
  const QJsonArray frames = description["walkers"].toArray();
  for (int f = 0; f < frames.size(); ++f) {
    clip.frames.push_back(toFrameFormat(QImage(QString::asprintf("%s/%s/frames/%04d.png", qPrintable(folder), qPrintable(name), f))));
    Walkers walkers;
    for (const QJsonValue& w : frames[f].toArray()) walkers.emplace_back(QPointF(w[0].toDouble(), w[1].toDouble()));
    clip.walkers.push_back(walkers);
  }
  const std::size_t count = clip.walkers.empty() ? 0 : clip.walkers.back().size();
  for (Walkers& walkers : clip.walkers) walkers.resize(count);
  return clip;
}

struct Figures {
  int walkerFrames = 0, found = 0;
  std::array<int, kEncounters> encounters{}, switches{};
};

// Which identity each walker is found under in this frame (-1: not found).
std::vector<int> identitiesOfWalkers(const Walkers& walkers, const std::vector<tracking::TrackedBlob>& blobs, double width) {
  std::vector<int> ids(walkers.size(), -1);
  if (blobs.empty()) return ids;
  const std::size_t n = walkers.size() + blobs.size();
  std::vector<std::vector<double>> cost(n, std::vector<double>(n, 0.0));
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t c = 0; c < n; ++c)
      if (r < walkers.size() && c < blobs.size())
        cost[r][c] = walkers[r] && QLineF(*walkers[r], blobs[c].centre).length() <= width
                         ? QLineF(*walkers[r], blobs[c].centre).length() : 1e9;
      else if (r < walkers.size() || c < blobs.size())
        cost[r][c] = width;
  const std::vector<int> match = tracking::minimumCostAssignment(cost);
  for (std::size_t w = 0; w < walkers.size(); ++w)
    if (match[w] >= 0 && std::size_t(match[w]) < blobs.size() && cost[w][match[w]] < 1e9) ids[w] = blobs[match[w]].id;
  return ids;
}

Figures measure(const Clip& clip, bool greedy) {
  tracking::TrackingParameters parameters;
  parameters.greedy = greedy;
  tracking::BlobTracker tracker(parameters);
  Figures figures;
  const std::size_t count = clip.walkers.back().size();
  std::vector<int> last(count, -1);
  // The closest other walker of each walker in each frame.
  std::vector<std::vector<double>> nearest(clip.frames.size(), std::vector<double>(count, 1e9));
  for (std::size_t f = 0; f < clip.frames.size(); ++f) {
    const Walkers& walkers = clip.walkers[f];
    for (std::size_t a = 0; a < walkers.size(); ++a)
      for (std::size_t b = 0; b < walkers.size(); ++b)
        if (a != b && walkers[a] && walkers[b])
          nearest[f][a] = std::min(nearest[f][a], QLineF(*walkers[a], *walkers[b]).length());
  }
  for (std::size_t f = 0; f < clip.frames.size(); ++f) {
    const tracking::TrackedFrame& tracked =
        tracker.update(FrameView(clip.frames[f]), nullptr, QRect(0, 0, kFrameWidth, kFrameHeight), 60, f * 0.05);
    const Walkers& walkers = clip.walkers[f];
    const std::vector<int> ids = identitiesOfWalkers(walkers, tracked.blobs, clip.width);
    for (std::size_t w = 0; w < walkers.size(); ++w) {
      if (!walkers[w]) continue;
      ++figures.walkerFrames;
      if (ids[w] < 0) continue;
      ++figures.found;
      if (last[w] >= 0 && ids[w] != last[w]) {
        double closest = 1e9;
        for (std::size_t g = f >= 15 ? f - 15 : 0; g <= f; ++g) closest = std::min(closest, nearest[g][w]);
        ++figures.switches[encounterAt(closest, clip.width)];
      }
      last[w] = ids[w];
    }
  }
  // Encounters: a pair's closest approach (a local minimum of their distance) under three widths.
  for (std::size_t a = 0; a < count; ++a)
    for (std::size_t b = a + 1; b < count; ++b) {
      std::vector<double> d;
      for (const Walkers& walkers : clip.walkers)
        d.push_back(walkers[a] && walkers[b] ? QLineF(*walkers[a], *walkers[b]).length() : 1e9);
      for (std::size_t f = 1; f + 1 < d.size(); ++f)
        if (d[f] < 3 * clip.width && d[f] <= d[f - 1] && d[f] < d[f + 1]) ++figures.encounters[encounterAt(d[f], clip.width)];
    }
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tracking_accuracy CLIPS_FOLDER NAME...\n");
    return 2;
  }
  std::printf("| clip | matching | walker-frames found | encounters through / close / apart | switches through / close / apart |\n");
  std::printf("|---|---|---|---|---|\n");
  for (int i = 2; i < argc; ++i) {
    const std::optional<Clip> clip = loadClip(argv[1], argv[i]);
    if (!clip || clip->frames.empty() || clip->frames.front().isNull()) {
      std::fprintf(stderr, "tracking_accuracy: cannot read clip %s in %s\n", argv[i], argv[1]);
      return 1;
    }
    for (const bool greedy : {false, true}) {
      const Figures f = measure(*clip, greedy);
      std::printf("| %s | %s | %.2f %% (%d of %d) | %d / %d / %d | %d / %d / %d |\n", argv[i],
                  greedy ? "greedy nearest" : "least total distance", 100.0 * f.found / std::max(f.walkerFrames, 1),
                  f.found, f.walkerFrames, f.encounters[Through], f.encounters[Close], f.encounters[Apart],
                  f.switches[Through], f.switches[Close], f.switches[Apart]);
    }
  }
  return 0;
}
