#include "capture/video_devices.h"

#include <algorithm>

namespace vornix::capture {

namespace {

QString sizeText(QSize size) { return QStringLiteral("%1x%2").arg(size.width()).arg(size.height()); }

QString rateText(double fps) { return QString::number(fps, 'g', 4); }

QString formatText(const PixelFormat& format, const std::vector<CameraMode>& modes) {
  QString text = fourccText(format.fourcc);
  if (format.sizeRange && format.sizes.size() == 2) {
    text += u' ' + sizeText(format.sizes[0]) + u'-' + sizeText(format.sizes[1]);
    for (const CameraMode& mode : modes)
      if (mode.fourcc == format.fourcc) text += QStringLiteral(" (%1@%2)").arg(sizeText(mode.size), rateText(mode.fps));
    return text;
  }
  for (const QSize size : format.sizes) {
    text += u' ' + sizeText(size);
    const auto mode = std::find_if(modes.begin(), modes.end(), [&](const CameraMode& mode) {
      return mode.fourcc == format.fourcc && mode.size == size;
    });
    if (mode != modes.end()) text += u'@' + rateText(mode->fps);
  }
  return text;
}

QString deviceLine(const VideoDevice& device) {
  if (!device.openError.isEmpty()) return device.path + QStringLiteral("  cannot be opened: ") + device.openError;
  QString line = device.path + QStringLiteral("  card \"") + device.card + QStringLiteral("\"  bus ") + device.bus;
  QStringList formats;
  for (const PixelFormat& format : device.formats) formats << formatText(format, device.modes);
  if (formats.isEmpty()) formats << QStringLiteral("none");
  line += QStringLiteral("  formats ") + formats.join(QStringLiteral(", "));
  if (!device.stablePaths.isEmpty()) line += QStringLiteral("  stable ") + device.stablePaths.join(u' ');
  return line;
}

}  // namespace

QString fourccText(std::uint32_t fourcc) {
  QString text;
  for (int shift = 0; shift < 32; shift += 8) {
    const char c = char((fourcc >> shift) & 0x7f);
    text += (c >= 0x20 && c < 0x7f) ? QChar::fromLatin1(c) : QChar(u'?');
  }
  text = text.trimmed();
  if (fourcc & (1u << 31)) text += QStringLiteral("-BE");
  return text;
}

QStringList sourceListing(const VideoDeviceEnumerator& enumerator) {
  QStringList lines;
  for (const VideoDevice& device : enumerator.captureDevices()) lines << deviceLine(device);
  if (lines.isEmpty()) lines << QStringLiteral("no video device was found");
  return lines;
}

}  // namespace vornix::capture
