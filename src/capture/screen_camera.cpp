#include "capture/screen_camera.h"

#include "base/frame.h"

#include <opencv2/imgproc.hpp>

#include <QStringList>

#include <cmath>

namespace vornix::capture {

namespace {

const QPointF kLensCentre(160, 120);
constexpr double kLensRadius = 200;

SourceFailure malformed(const QString& text) { return {SourceError::Malformed, text}; }

std::optional<double> number(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Walked top-left, top-right, bottom-right, bottom-left, every turn goes the same way.
bool isConvex(const std::array<QPointF, 4>& corners) {
  const std::array<QPointF, 4> ring{corners[0], corners[2], corners[3], corners[1]};
  int sign = 0;
  for (int i = 0; i < 4; ++i) {
    const QPointF a = ring[std::size_t(i)], b = ring[std::size_t((i + 1) % 4)], c = ring[std::size_t((i + 2) % 4)];
    const double cross = (b.x() - a.x()) * (c.y() - b.y()) - (b.y() - a.y()) * (c.x() - b.x());
    const int turn = cross > 0 ? 1 : cross < 0 ? -1 : 0;
    if (turn == 0 || (sign != 0 && turn != sign)) return false;
    sign = turn;
  }
  return true;
}

std::array<QPointF, 4> pictureCorners(const CameraPlacement& placement) {
  if (placement.corners) return *placement.corners;
  return {QPointF(0, 0), QPointF(0, kFrameHeight - 1), QPointF(kFrameWidth - 1, 0),
          QPointF(kFrameWidth - 1, kFrameHeight - 1)};
}

// The perspective taking the screen's corner pixels to where the camera sees them.
cv::Matx33d screenToPicture(const CameraPlacement& placement, QSize screen) {
  const std::array<QPointF, 4> seen = pictureCorners(placement);
  const double right = screen.width() - 1, bottom = screen.height() - 1;
  const cv::Point2f from[4] = {{0, 0}, {0, float(bottom)}, {float(right), 0}, {float(right), float(bottom)}};
  cv::Point2f to[4];
  for (int i = 0; i < 4; ++i) to[i] = cv::Point2f(float(seen[std::size_t(i)].x()), float(seen[std::size_t(i)].y()));
  return cv::Matx33d(cv::getPerspectiveTransform(from, to));
}

// The lens stretches a distance s from the centre to s (1 + k1 s^2 / R^2).
double bent(double s, double k1) { return s * (1 + k1 * s * s / (kLensRadius * kLensRadius)); }

// The distance the lens stretches to rho; nothing where no point of the perspective lands (a
// negative k1 folds the picture back beyond the radius where the stretch stops growing).
std::optional<double> unbent(double rho, double k1) {
  if (k1 == 0) return rho;
  double low = 0, high = rho;
  if (k1 < 0) {
    high = kLensRadius / std::sqrt(-3 * k1);  // where the stretch stops growing
    if (rho > bent(high, k1)) return std::nullopt;
  }
  for (int i = 0; i < 60; ++i) {
    const double mid = (low + high) / 2;
    (bent(mid, k1) < rho ? low : high) = mid;
  }
  return (low + high) / 2;
}

}  // namespace

bool isScreenSource(const QString& sourceText) {
  return sourceText == QLatin1String("screen") || sourceText.startsWith(QLatin1String("screen:"));
}

Result<CameraPlacement, SourceError> parseScreenSource(const QString& sourceText) {
  CameraPlacement placement;
  if (sourceText == QLatin1String("screen")) return placement;
  const QStringList parts = sourceText.mid(int(qstrlen("screen:"))).split(u':');
  if (parts.size() > 2)
    return malformed(QStringLiteral("expected screen[:x0,y0,x1,y1,x2,y2,x3,y3[:K1]], got '%1'").arg(sourceText));
  if (!parts[0].trimmed().isEmpty()) {
    const QStringList fields = parts[0].split(u',');
    std::array<QPointF, 4> corners;
    for (int i = 0; i < 8 && fields.size() == 8; ++i) {
      const std::optional<double> value = number(fields[i]);
      if (!value)
        return malformed(QStringLiteral("the corner coordinate '%1' is not a number").arg(fields[i]));
      QPointF& corner = corners[std::size_t(i / 2)];
      (i % 2 ? corner.ry() : corner.rx()) = *value;
    }
    if (fields.size() != 8)
      return malformed(QStringLiteral("the corners need eight numbers x0,y0,x1,y1,x2,y2,x3,y3 (top-left, "
                                      "bottom-left, top-right, bottom-right), got %1").arg(fields.size()));
    if (!isConvex(corners))
      return malformed(QStringLiteral("the corners (top-left, bottom-left, top-right, bottom-right) do not "
                                      "enclose a convex quadrilateral"));
    placement.corners = corners;
  }
  if (parts.size() == 2) {
    const std::optional<double> k1 = number(parts[1]);
    if (!k1 || std::abs(*k1) > 1)
      return malformed(QStringLiteral("the lens factor K1 must be a number from -1 to 1, got '%1'").arg(parts[1]));
    placement.k1 = *k1;
  }
  return placement;
}

struct ScreenCamera::Map {
  QSize screen;
  cv::Mat xy, fraction;  // cv::remap's fixed-point map
};

ScreenCamera::ScreenCamera(const CameraPlacement& placement) : placement_(placement) {}
ScreenCamera::~ScreenCamera() = default;

QPointF ScreenCamera::cameraPoint(QSize screen, QPointF point) const {
  const cv::Vec3d seen = screenToPicture(placement_, screen) * cv::Vec3d(point.x(), point.y(), 1);
  const QPointF u(seen[0] / seen[2], seen[1] / seen[2]);
  const QPointF offset = u - kLensCentre;
  const double s = std::hypot(offset.x(), offset.y());
  return s == 0 ? u : kLensCentre + offset * (bent(s, placement_.k1) / s);
}

QImage ScreenCamera::picture(const QImage& screenImage, std::uint64_t noiseSeed) {
  const QImage screen = toFrameFormat(screenImage);
  if (!map_ || map_->screen != screen.size()) {
    // For every picture pixel, the screen point it shows: the lens undone, then the perspective.
    // A pixel that no screen point lands on (folded away by the lens, or beyond the horizon of
    // the screen's plane, where the perspective's w changes sign) shows the dark room.
    const cv::Matx33d toPicture = screenToPicture(placement_, screen.size());
    const cv::Matx33d toScreen = toPicture.inv();
    const auto homogeneous = [&toScreen](QPointF u) { return toScreen * cv::Vec3d(u.x(), u.y(), 1); };
    const cv::Vec3d centre = toPicture * cv::Vec3d(screen.width() / 2.0, screen.height() / 2.0, 1);
    const double facing = homogeneous(QPointF(centre[0] / centre[2], centre[1] / centre[2]))[2];
    cv::Mat mapX(kFrameHeight, kFrameWidth, CV_32FC1), mapY(kFrameHeight, kFrameWidth, CV_32FC1);
    for (int y = 0; y < kFrameHeight; ++y)
      for (int x = 0; x < kFrameWidth; ++x) {
        const QPointF offset = QPointF(x, y) - kLensCentre;
        const double rho = std::hypot(offset.x(), offset.y());
        const std::optional<double> s = rho == 0 ? 0.0 : unbent(rho, placement_.k1);
        const cv::Vec3d point = homogeneous(rho == 0 ? kLensCentre : kLensCentre + offset * (s.value_or(0) / rho));
        const bool seen = s && point[2] * facing > 0;
        mapX.at<float>(y, x) = seen ? float(point[0] / point[2]) : -1e4f;
        mapY.at<float>(y, x) = seen ? float(point[1] / point[2]) : -1e4f;
      }
    map_ = std::make_unique<Map>();
    map_->screen = screen.size();
    cv::convertMaps(mapX, mapY, map_->xy, map_->fraction, CV_16SC2);
  }
  const cv::Mat source(screen.height(), screen.width(), CV_8UC4, const_cast<uchar*>(screen.constBits()),
                       std::size_t(screen.bytesPerLine()));
  cv::Mat sampled;
  cv::remap(source, sampled, map_->xy, map_->fraction, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0, 0, 0, 255));

  cv::Mat noise(kFrameHeight, kFrameWidth, CV_16SC4);
  cv::RNG(noiseSeed | 1).fill(noise, cv::RNG::UNIFORM, cv::Scalar(-kNoise, -kNoise, -kNoise, 0),
                              cv::Scalar(kNoise + 1, kNoise + 1, kNoise + 1, 1));
  QImage picture(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  cv::Mat out(kFrameHeight, kFrameWidth, CV_8UC4, picture.bits(), std::size_t(picture.bytesPerLine()));
  cv::add(sampled, noise, out, cv::noArray(), CV_8U);
  // Format_RGB32 wants its fourth byte at 255, whatever the screen's padding held.
  cv::bitwise_or(out, cv::Scalar(0, 0, 0, 255), out);
  return picture;
}

ScreenCapture::ScreenCapture(const CameraPlacement& placement, const ScreenGrabberFactory& openScreen, bool step)
    : camera_(placement), step_(step) {
  QString error;
  grabber_ = openScreen ? openScreen(&error) : nullptr;
  if (!grabber_)
    failure_ = SourceFailure{SourceError::NoDisplay,
                             QStringLiteral("the screen camera has no screen to watch: %1")
                                 .arg(error.isEmpty() ? QStringLiteral("no display") : error)};
}

void ScreenCapture::release() {
  released_ = true;
  clock_.stop();
}

void ScreenCapture::onNewFrame(std::function<void()> notify) {
  clock_.stop();
  if (!notify || released_ || !grabber_) return;
  if (step_) {
    notify();
    return;
  }
  clock_.tell(std::move(notify));
}

bool ScreenCapture::frameWaiting() const {
  if (released_ || !grabber_) return false;
  return step_ || shown_.isNull() || clock_.frameNow() != shownFrame_;
}

Grab ScreenCapture::grabToSlot(FrameSlot& slot) {
  if (released_ || !grabber_) return Grab::Nothing;
  const std::int64_t frame = step_ ? nextStepFrame_++ : clock_.frameNow();
  if (frame != shownFrame_ || shown_.isNull()) {
    const FrameTicker::Clock::time_point taken = FrameTicker::Clock::now();
    const QImage screen = grabber_->grab();
    if (screen.isNull()) return Grab::Nothing;
    shown_ = camera_.picture(screen, std::uint64_t(frame) * 0x9E3779B97F4A7C15ull);
    shownFrame_ = frame;
    shownArrival_ = step_ ? FrameSlot::Arrival() : FrameSlot::Arrival(taken);
    slot.put(shown_, shownArrival_);
    return Grab::New;
  }
  slot.put(shown_, shownArrival_);
  return Grab::Repeated;
}

int ScreenCapture::videoWidth() const { return kFrameWidth; }
int ScreenCapture::videoHeight() const { return kFrameHeight; }

QString ScreenCapture::description() const {
  return step_ ? QStringLiteral("simulated room watching the screen (step)")
               : QStringLiteral("simulated room watching the screen");
}

}  // namespace vornix::capture
