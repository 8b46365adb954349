#include "capture/demo_capture.h"

#include "base/frame.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vornix::capture {

namespace {

// One stretch of the scene: the blob moves linearly from (x0, y0) to (x1, y1) over the frames
// [begin, end). Frames covered by no stretch show the bare surface.
struct Stretch {
  int begin, end;
  double x0, y0, x1, y1;
  bool bright;
};

constexpr double kFootRadius = 16;
constexpr double kHandHalfWidth = 22;
constexpr double kHandHalfHeight = 60;

// Swipes move 16 pixels a frame: from x < 40 to x > 280 in 15 frames, 10 grabs at 20 a second.
constexpr std::array<Stretch, 8> kScript{{
    {30, 45, -30, 130, 80, 130, true},     // steps in from the left
    {45, 75, 80, 130, 80, 130, true},      // stands
    {90, 120, 160, 100, 160, 100, true},   // taps down elsewhere and stays
    {120, 160, 160, 100, 270, 170, true},  // drags down to the right
    {160, 190, 270, 170, 270, 170, true},  // rests
    {190, 210, 270, 170, 270, 280, true},  // walks off the bottom
    {240, 265, -40, 120, 360, 120, false}, // hand swipes to the right
    {295, 320, 360, 120, -40, 120, false}, // and back to the left
}};

constexpr int kSurfaceRedMin = 95;   // the surface's red stays within 95..125, so a dark hand
constexpr int kNoise = 3;            // (red 15) and a light foot (red 235) differ by far more
                                     // than 60, and noise alone by at most 2 * kNoise

std::uint64_t mix(std::uint64_t v) {
  v += 0x9E3779B97F4A7C15ull;
  v = (v ^ (v >> 30)) * 0xBF58476D1CE4E5B9ull;
  v = (v ^ (v >> 27)) * 0x94D049BB133111EBull;
  return v ^ (v >> 31);
}

const QImage& surface() {
  static const QImage image = [] {
    QImage s(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    for (int y = 0; y < kFrameHeight; ++y) {
      auto* row = reinterpret_cast<QRgb*>(s.scanLine(y));
      for (int x = 0; x < kFrameWidth; ++x) {
        const int r = kSurfaceRedMin + 15 + int(std::lround(15 * std::sin(x / 23.0) * std::cos(y / 17.0)));
        const int g = 70 + int(std::lround(30 * std::sin((x + y) / 40.0)));
        const int b = 130 + int(std::lround(40 * std::cos(x / 50.0 - y / 60.0)));
        row[x] = qRgb(r, g, b);
      }
    }
    return s;
  }();
  return image;
}

int clampByte(int v) { return std::clamp(v, 0, 255); }

}  // namespace

DemoScene::Blob DemoScene::blobAt(std::int64_t frame) {
  const int f = int(((frame % kLoopFrames) + kLoopFrames) % kLoopFrames);
  for (const Stretch& s : kScript) {
    if (f < s.begin || f >= s.end) continue;
    const double t = s.end - s.begin > 1 ? double(f - s.begin) / (s.end - s.begin - 1) : 0;
    Blob blob;
    blob.present = true;
    blob.cx = s.x0 + (s.x1 - s.x0) * t;
    blob.cy = s.y0 + (s.y1 - s.y0) * t;
    blob.bright = s.bright;
    blob.rx = s.bright ? kFootRadius : kHandHalfWidth;
    blob.ry = s.bright ? kFootRadius : kHandHalfHeight;
    return blob;
  }
  return {};
}

QImage DemoScene::render(std::int64_t frame) {
  QImage image = surface().copy();
  const Blob blob = blobAt(frame);
  const QRgb blobColour = blob.bright ? qRgb(235, 225, 210) : qRgb(15, 12, 10);
  const std::uint64_t seed = mix(std::uint64_t(frame));
  for (int y = 0; y < kFrameHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kFrameWidth; ++x) {
      QRgb colour = row[x];
      if (blob.present) {
        const double dx = (x - blob.cx) / blob.rx;
        const double dy = (y - blob.cy) / blob.ry;
        if (dx * dx + dy * dy <= 1) colour = blobColour;
      }
      const std::uint64_t n = mix(seed ^ (std::uint64_t(y) << 16 | std::uint64_t(x)));
      const int span = 2 * kNoise + 1;
      row[x] = qRgb(clampByte(qRed(colour) + int(n % span) - kNoise),
                    clampByte(qGreen(colour) + int((n >> 8) % span) - kNoise),
                    clampByte(qBlue(colour) + int((n >> 16) % span) - kNoise));
    }
  }
  return image;
}

DemoCapture::DemoCapture(bool step) : step_(step) { clock_.start(); }

Grab DemoCapture::grabToSlot(FrameSlot& slot) {
  if (released_) return Grab::Nothing;
  const std::int64_t frame =
      step_ ? nextStepFrame_++ : clock_.elapsed() * DemoScene::kFps / 1000;
  const bool isNew = frame != renderedFrame_;
  if (isNew) {
    rendered_ = DemoScene::render(frame);
    renderedFrame_ = frame;
  }
  slot.put(rendered_);
  return isNew ? Grab::New : Grab::Repeated;
}

int DemoCapture::videoWidth() const { return kFrameWidth; }
int DemoCapture::videoHeight() const { return kFrameHeight; }

QString DemoCapture::description() const {
  return step_ ? QStringLiteral("demo scene (step)") : QStringLiteral("demo scene");
}

}  // namespace vornix::capture
