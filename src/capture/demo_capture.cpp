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

// The rear-projection screen seen from behind: dim, with a faint shading.
const QImage& rearScreen() {
  static const QImage image = [] {
    QImage s(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    for (int y = 0; y < kFrameHeight; ++y) {
      auto* row = reinterpret_cast<QRgb*>(s.scanLine(y));
      for (int x = 0; x < kFrameWidth; ++x) {
        const int r = 60 + int(std::lround(8 * std::sin(x / 37.0) * std::cos(y / 29.0)));
        row[x] = qRgb(r, 55 + (x + y) / 40, 75 - y / 12);
      }
    }
    return s;
  }();
  return image;
}

// A fingertip's stripe over the screen's red: its edges rise and fall 17 levels a column, so
// that none of them lies within the camera noise of the threshold 60, and three columns on
// either side of where it crosses the threshold still rise or fall by far more than 5.
constexpr std::array<int, DemoScene::kStripeColumns> kStripeProfile{
    17, 34, 51, 68, 85, 102, 119, 136, 150, 150, 150, 150, 150,
    150, 150, 150, 150, 150, 136, 119, 102, 85, 68, 51, 34, 17};

struct TapPlace {
  int left, top;
};
constexpr int kTapFrames = DemoScene::kTapLoopFrames / 8;  // pressed for the first half
constexpr std::array<TapPlace, 8> kTaps{{
    {41, 30}, {201, 50}, {121, 110}, {251, 170}, {61, 190}, {161, 70}, {221, 130}, {91, 150},
}};

constexpr int kFingerWidth = 5;
constexpr int kFingerRows = 40;
constexpr int kFingersTop = 90;

int frameInLoop(std::int64_t frame, int loopFrames) {
  return int(((frame % loopFrames) + loopFrames) % loopFrames);
}

// Camera noise of a few levels on every channel, different in every frame.
void addNoise(QImage& image, std::int64_t frame) {
  const std::uint64_t seed = mix(std::uint64_t(frame));
  for (int y = 0; y < kFrameHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kFrameWidth; ++x) {
      const std::uint64_t n = mix(seed ^ (std::uint64_t(y) << 16 | std::uint64_t(x)));
      const int span = 2 * kNoise + 1;
      row[x] = qRgb(clampByte(qRed(row[x]) + int(n % span) - kNoise),
                    clampByte(qGreen(row[x]) + int((n >> 8) % span) - kNoise),
                    clampByte(qBlue(row[x]) + int((n >> 16) % span) - kNoise));
    }
  }
}

void paintBlob(QImage& image, const DemoScene::Blob& blob) {
  if (!blob.present) return;
  const QRgb colour = blob.bright ? qRgb(235, 225, 210) : qRgb(15, 12, 10);
  for (int y = 0; y < kFrameHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kFrameWidth; ++x) {
      const double dx = (x - blob.cx) / blob.rx;
      const double dy = (y - blob.cy) / blob.ry;
      if (dx * dx + dy * dy <= 1) row[x] = colour;
    }
  }
}

void paintTap(QImage& image, const DemoScene::Tap& tap) {
  if (!tap.present) return;
  for (int y = tap.top; y < tap.top + DemoScene::kStripeRows; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int i = 0; i < DemoScene::kStripeColumns; ++i) {
      QRgb& pixel = row[tap.left + i];
      pixel = qRgb(clampByte(qRed(pixel) + kStripeProfile[i]), qGreen(pixel) + kStripeProfile[i] / 2, qBlue(pixel));
    }
  }
}

void paintFingers(QImage& image, const DemoScene::Fingers& fingers) {
  if (!fingers.present) return;
  for (int y = fingers.top; y < fingers.top + kFingerRows; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (const int left : {fingers.left1, fingers.left2})
      for (int x = left; x < left + kFingerWidth; ++x) row[x] = qRgb(235, 225, 210);
  }
}

}  // namespace

DemoScene::Scene DemoScene::sceneForMode(double mode) {
  if (mode == 3) return Scene::RearProjection;
  if (mode == 6) return Scene::Pinch;
  return Scene::Floor;
}

DemoScene::Tap DemoScene::tapAt(std::int64_t frame) {
  const int f = frameInLoop(frame, kTapLoopFrames);
  if (f % kTapFrames >= kTapFrames / 2) return {};
  const TapPlace& place = kTaps[std::size_t(f / kTapFrames)];
  return Tap{true, place.left, place.top};
}

// Half a second bare, two thirds of a second closing in 2 columns a frame each, half a second
// holding, half a second spreading 5 columns a frame each, a third of a second holding, half a
// second lifted.
DemoScene::Fingers DemoScene::fingersAt(std::int64_t frame) {
  const int f = frameInLoop(frame, kPinchLoopFrames);
  const auto at = [](int left1, int left2, int motion) { return Fingers{true, left1, left2, kFingersTop, motion}; };
  if (f < 15) return {};
  if (f < 35) return at(100 + 2 * (f - 15), 215 - 2 * (f - 15), -1);
  if (f < 50) return at(138, 177, 0);
  if (f < 65) return at(138 - 5 * (f - 49), 177 + 5 * (f - 49), 1);
  if (f < 75) return at(63, 252, 0);
  return {};
}

DemoScene::Blob DemoScene::blobAt(std::int64_t frame) {
  const int f = frameInLoop(frame, kLoopFrames);
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

QImage DemoScene::render(std::int64_t frame, Scene scene) {
  QImage image;
  switch (scene) {
  case Scene::Floor:
    image = surface().copy();
    paintBlob(image, blobAt(frame));
    break;
  case Scene::RearProjection:
    image = rearScreen().copy();
    paintTap(image, tapAt(frame));
    break;
  case Scene::Pinch:
    image = surface().copy();
    paintFingers(image, fingersAt(frame));
    break;
  }
  addNoise(image, frame);
  return image;
}

DemoCapture::DemoCapture(bool step) : step_(step) {}

DemoCapture::~DemoCapture() { clock_.stop(); }

void DemoCapture::release() {
  released_ = true;
  clock_.stop();
}

void DemoCapture::onNewFrame(std::function<void()> notify) {
  clock_.stop();
  if (!notify || released_) return;
  if (step_) {
    notify();
    return;
  }
  clock_.tell(std::move(notify));
}

bool DemoCapture::frameWaiting() const {
  if (released_) return false;
  return step_ || clock_.frameNow() != renderedFrame_;
}

Grab DemoCapture::grabToSlot(FrameSlot& slot) {
  if (released_) return Grab::Nothing;
  const std::int64_t frame = step_ ? nextStepFrame_++ : clock_.frameNow();
  const DemoScene::Scene scene = scene_ ? scene_() : DemoScene::Scene::Floor;
  const bool isNew = frame != renderedFrame_ || scene != renderedScene_;
  if (isNew) {
    rendered_ = DemoScene::render(frame, scene);
    renderedFrame_ = frame;
    renderedScene_ = scene;
  }
  // A step replay has no time of arrival.
  slot.put(rendered_, step_ ? FrameSlot::Arrival() : FrameSlot::Arrival(clock_.frameTime(frame)));
  return isNew ? Grab::New : Grab::Repeated;
}

int DemoCapture::videoWidth() const { return kFrameWidth; }
int DemoCapture::videoHeight() const { return kFrameHeight; }

QString DemoCapture::description() const {
  return step_ ? QStringLiteral("demo scene (step)") : QStringLiteral("demo scene");
}

}  // namespace vornix::capture
