#include "panel/configuration.h"

#include "base/ini_file.h"
#include "base/text_rules.h"
#include "base/trace.h"
#include "form/errors.h"

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>

namespace vornix::panel {

namespace {

constexpr const char* kCamera = "射像机";
constexpr const char* kScreenArea = "鼠标活动范围";
constexpr const char* kThreshold = "阀值";
constexpr const char* kSystem = "系统";
constexpr const char* kSerial = "多图合成";
constexpr const char* kMultiTouch = "多点触摸";
constexpr const char* kPageFlip = "翻书模式鼠标点击";
constexpr const char* kTuio = "TUIO";
constexpr const char* kZones = "多区域互动";
constexpr const char* kZoneCount = "区域数";
// The grid of 非线性校正: "列数" by "行数" points, "点1" onwards row by row, each "camX,camY".
constexpr const char* kGrid = "非线性校正";

// Frame pacing (1: a pass per new frame); absent means 0, the 50 ms tick.
constexpr const char* kFramePacing = "帧率同步";
// The mapping (0 矩形校正, 1 梯形校正, 2 非线性校正); absent means 0.
constexpr const char* kMapping = "映射算法";
// The recognition reference (0 动态, 1 静态); absent means 0.
constexpr const char* kReference = "识别参考";
constexpr const char* kCornerX[4] = {"x0", "x1", "x2", "x3"};
constexpr const char* kCornerY[4] = {"Y0", "Y1", "Y2", "Y3"};
constexpr const char* kScreenAreaKeys[4] = {"左坐标", "顶坐标", "宽度", "高度"};
constexpr const char* kPageFlipKeys[4] = {"左翻页X", "左翻页Y", "右翻页X", "右翻页Y"};

// A stored text that is no number where a number is needed ("", "abc", "1abc").
class TypeMismatchError : public form::HandlerError {
public:
  TypeMismatchError() : HandlerError("type mismatch") {}
};

// A stored text read as a number: after surrounding blanks the whole text must be one number
// (sign, digits with at most one point, an exponent), so "2 ;地投" or "1abc" hold none.
double numberOf(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral("^[ \\t\\r\\n]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eEdD][+-]?[0-9]+)?[ \\t\\r\\n]*$"));
  if (!number.match(text).hasMatch()) throw TypeMismatchError();
  return numericValue(text);
}

// A whole number, rounded half to even; raises on a text without a number or out of range.
int wholeNumberOf(const QString& text) { return form::int16Of(numberOf(text)); }

// A configuration problem the operator must hear of, also in a journal: stderr and the trace.
void tellOperator(const QString& text) {
  std::fprintf(stderr, "vornix: %s\n", qPrintable(text));
  trace("error", text);
}

// The key of zone n (from 1).
QString zoneKey(int n) { return QStringLiteral("区域%1").arg(n); }

}  // namespace

QString configurationPath(const QString& configured) {
  if (!configured.isEmpty()) return configured;
  return defaultConfigurationPath(QCoreApplication::applicationDirPath());
}

QString defaultConfigurationPath(const QString& programFolder) {
  const QString fileName = QString::fromUtf8(kConfigFileName);
  const QString beside = QDir(programFolder).filePath(fileName);
  const QFileInfo folder(programFolder);
  const bool systemFolder = folder.canonicalFilePath().startsWith(QLatin1String("/usr/"));
  if (QFileInfo::exists(beside) || (folder.isWritable() && !systemFolder)) return beside;
  const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QDir(configHome).filePath(QStringLiteral("vornix/") + fileName);
}

QSize storedScreenSize(const QString& configured) {
  const QString path = configurationPath(configured);
  double range[4];
  for (int i = 0; i < 4; ++i) {
    const QString stored = ReadIniValue(path, QString::fromUtf8(kScreenArea),
                                        QString::fromUtf8(kScreenAreaKeys[i]));
    range[i] = numericValue(stored);
  }
  const int width = int(range[0] + range[2]);
  const int height = int(range[1] + range[3]);
  return width > 0 && height > 0 ? QSize(width, height) : QSize(1024, 768);
}

QString storedStatusAddress(const QString& configured) {
  return ReadIniValue(configurationPath(configured), QString::fromUtf8(kSystem), QStringLiteral("状态端口"));
}

QString Configuration::path() const { return configurationPath(configFile_); }

QString Configuration::read(const char* section, const char* key) const {
  return ReadIniValue(path(), QString::fromUtf8(section), QString::fromUtf8(key));
}

// The folder is made first: the first save into ~/.config/vornix finds no folder there.
IniWriteResult Configuration::write(const char* section, const char* key, const QString& value) const {
  const QString file = path();
  QDir().mkpath(QFileInfo(file).absolutePath());
  return WriteIniValue(file, QString::fromUtf8(section), QString::fromUtf8(key), value);
}

QString Configuration::writeAll() const {
  QString failure;
  const auto put = [&](const char* section, const char* key, const QString& value) {
    const IniWriteResult written = write(section, key, value);
    if (failure.isEmpty()) failure = written.failure;
  };
  for (std::size_t i = 0; i < 4; ++i) {
    put(kCamera, kCornerX[i], f_.Text1[i].text());
    put(kCamera, kCornerY[i], f_.Text2[i].text());
  }
  // Written once it is not 0 (and from then on), so a file of the rectangular mapping stays
  // as it was.
  const int mapping = f_.Option2[1].selected() ? 1 : f_.Option2[2].selected() ? 2 : 0;
  if (mapping != 0 || !read(kCamera, kMapping).isEmpty()) put(kCamera, kMapping, decimalText(mapping));
  for (std::size_t i = 0; i < 4; ++i) put(kScreenArea, kScreenAreaKeys[i], f_.Text3[i].text());
  put(kThreshold, "阀值", f_.Text4.text());
  put(kThreshold, "速度系数", f_.Text6.text());
  put(kThreshold, "自动调解阀值", decimalText(f_.Check3.value()));
  put(kSystem, "程序运行直接隐藏", decimalText(f_.Check2.value()));
  put(kSystem, "鼠标移动", decimalText(f_.Check1.value()));
  put(kSystem, "鼠标点击", decimalText(f_.Check4.value()));
  put(kSystem, "投影方式", f_.Label9.caption());
  // Like the mapping, written once it is not 0, so a file of the dynamic reference stays as it was.
  const bool staticReference = f_.Option3[3].selected();
  if (staticReference || !read(kSystem, kReference).isEmpty())
    put(kSystem, kReference, staticReference ? QStringLiteral("1") : QStringLiteral("0"));
  put(kSerial, "启用多图合成", decimalText(f_.Check6.value()));
  put(kSerial, "通信端口", f_.Text7.text());
  put(kSerial, "本机状态", f_.Option5[1].selected() ? QStringLiteral("1") : QStringLiteral("0"));
  put(kSystem, "控制鼠标拖动点击", decimalText(f_.Check7.value()));
  // Written, as the mapping is, once it is not 0.
  if (f_.Check10.value() != 0 || !read(kSystem, kFramePacing).isEmpty())
    put(kSystem, kFramePacing, decimalText(f_.Check10.value()));
  put(kMultiTouch, "启用多点触摸", decimalText(f_.Check8.value()));
  for (std::size_t i = 0; i < 4; ++i) put(kPageFlip, kPageFlipKeys[i], f_.Text22[i].text());
  // Written once there are zones (and from then on), so a file without them stays as it was.
  const std::vector<Zone>& zones = f_.zones.all();
  if (!zones.empty() || !read(kZones, kZoneCount).isEmpty()) {
    put(kZones, kZoneCount, decimalText(double(zones.size())));
    for (std::size_t i = 0; i < zones.size(); ++i)
      put(kZones, zoneKey(int(i) + 1).toUtf8().constData(), zoneText(zones[i]));
  }
  const CalibrationGrid& grid = f_.calibrationGrid;
  if (grid.stored()) {
    put(kGrid, "列数", decimalText(grid.columns));
    put(kGrid, "行数", decimalText(grid.rows));
    for (std::size_t i = 0; i < grid.camera.size(); ++i) {
      const QPointF& p = grid.camera[i];
      const QString key = QStringLiteral("点%1").arg(i + 1);
      put(kGrid, key.toUtf8().constData(), decimalText(std::round(p.x() * 100) / 100) + ',' + decimalText(std::round(p.y() * 100) / 100));
    }
  }
  return failure;
}

void Configuration::Command4_Click() {
  const QString file = path();
  trace("config", "save " + file);
  const QString failure = writeAll();
  if (failure.isEmpty()) return;
  if (saveFailed) saveFailed();
  std::fprintf(stderr, "vornix: the configuration could not be saved to %s: %s\n", qPrintable(file),
               qPrintable(failure));
  dialogs_.message(QStringLiteral("参数保存失败：") + failure);
}

void Configuration::prepareForStart() {
  const QString file = path();
  const QFileInfo info(file);
  if (info.isDir()) {
    tellOperator(QStringLiteral("the configuration file %1 is a folder; the panel starts with empty values").arg(file));
    return;
  }
  if (info.exists()) {
    QFile readable(file);
    if (!readable.open(QIODevice::ReadOnly))
      tellOperator(QStringLiteral("the configuration file %1 cannot be read (%2); the panel starts with empty values")
                       .arg(file, readable.errorString()));
    return;
  }
  // A dangling link counts as a file that exists: the target may be on a disk not yet mounted.
  if (info.isSymLink()) return;
  const QString failure = writeAll();
  if (!failure.isEmpty()) {
    tellOperator(QStringLiteral("the configuration file %1 could not be created (%2)").arg(file, failure));
    return;
  }
  trace("config", "created " + file);
  std::fprintf(stderr, "vornix: created the configuration file %s with the panel's default values\n",
               qPrintable(file));
}

void Configuration::loadZones() {
  const QString stored = read(kZones, kZoneCount);
  int count = 0;
  if (!stored.isEmpty()) {
    try {
      count = wholeNumberOf(stored);
    } catch (const form::HandlerError&) {
      tellOperator(QStringLiteral("%1/%2 = \"%3\" is not a number of zones; no zones").arg(kZones, kZoneCount, stored));
    }
  }
  std::vector<Zone> zones;
  for (int n = 1; n <= count; ++n) {
    const QString key = zoneKey(n);
    QString reason;
    if (const std::optional<Zone> zone = parseZone(read(kZones, key.toUtf8().constData()), &reason))
      zones.push_back(*zone);
    else
      tellOperator(QStringLiteral("zone %1/%2 skipped: %3").arg(kZones, key, reason));
  }
  f_.zones.set(std::move(zones));
}

CalibrationGrid Configuration::readGrid() const {
  if (read(kGrid, "列数").isEmpty()) return {};
  CalibrationGrid grid;
  try {
    grid.columns = wholeNumberOf(read(kGrid, "列数"));
    grid.rows = wholeNumberOf(read(kGrid, "行数"));
    if (grid.columns < CalibrationGrid::kMinimumSide || grid.rows < CalibrationGrid::kMinimumSide ||
        grid.columns * grid.rows > kMaxGridPoints)
      throw TypeMismatchError();
    for (int i = 1; i <= grid.columns * grid.rows; ++i) {
      const QStringList xy = read(kGrid, QStringLiteral("点%1").arg(i).toUtf8().constData()).split(u',');
      if (xy.size() != 2) throw TypeMismatchError();
      grid.camera.emplace_back(numberOf(xy[0]), numberOf(xy[1]));
    }
  } catch (const form::HandlerError&) {
    trace("error", QStringLiteral("the grid of section %1 is incomplete; it is not used").arg(QString::fromUtf8(kGrid)));
    return {};
  }
  return grid;
}

void Configuration::Command5_Click() {
  using form::step;
  trace("config", "load " + path());

  for (std::size_t i = 0; i < 4; ++i) {
    step([&] { f_.Text1[i].setText(read(kCamera, kCornerX[i])); });
    step([&] { f_.Text2[i].setText(read(kCamera, kCornerY[i])); });
  }
  step([&] {
    f_.calibrationGrid = readGrid();
    f_.Option2[2].setEnabled(f_.calibrationGrid.stored());
  });
  step([&] {
    int mapping = 0;  // absent or not a whole number: 矩形校正
    step([&] { mapping = wholeNumberOf(read(kCamera, kMapping)); });
    if (mapping == 2 && !f_.calibrationGrid.stored())
      trace("error", QStringLiteral("mapping 2 has no calibration grid; mapping 0 is used"));
    else if (mapping < 0 || mapping > 2) trace("error", QStringLiteral("mapping %1 is unknown; mapping 0 is used").arg(mapping));
    if (mapping < 0 || mapping > 2 || (mapping == 2 && !f_.calibrationGrid.stored())) mapping = 0;
    f_.Option2[static_cast<std::size_t>(mapping)].setSelected(true);
  });
  for (std::size_t i = 0; i < 4; ++i) step([&] { f_.Text3[i].setText(read(kScreenArea, kScreenAreaKeys[i])); });
  step([&] { f_.Text4.setText(read(kThreshold, "阀值")); });
  step([&] { f_.Text6.setText(read(kThreshold, "速度系数")); });

  const std::pair<CheckBox*, std::pair<const char*, const char*>> boxes[] = {
      {&f_.Check1, {kSystem, "鼠标移动"}},       {&f_.Check2, {kSystem, "程序运行直接隐藏"}},
      {&f_.Check3, {kThreshold, "自动调解阀值"}}, {&f_.Check4, {kSystem, "鼠标点击"}},
      {&f_.Check6, {kSerial, "启用多图合成"}},    {&f_.Check7, {kSystem, "控制鼠标拖动点击"}},
      {&f_.Check8, {kMultiTouch, "启用多点触摸"}}};
  for (const auto& box : boxes)
    step([&] { box.first->setValue(wholeNumberOf(read(box.second.first, box.second.second))); });

  step([&] {
    int pacing = 0;  // absent: the tick
    const QString stored = read(kSystem, kFramePacing);
    if (!stored.isEmpty()) pacing = wholeNumberOf(stored);
    if (framePacingOverride) pacing = *framePacingOverride ? 1 : 0;
    f_.Check10.setValue(pacing);
  });

  step([&] { f_.Text7.setText(read(kSerial, "通信端口")); });

  step([&] {
    bool receive = false;
    step([&] { receive = numberOf(read(kSerial, "本机状态")) != 0; });
    f_.Option5[receive ? 1 : 0].setSelected(true);
  });

  step([&] {
    int mode = 0;  // absent or not a whole number: mode 0
    step([&] { mode = wholeNumberOf(read(kSystem, "投影方式")); });
    if (mode > static_cast<int>(f_.Option4.size()) - 1) mode = 0;
    if (mode < 0) return;  // names no button: the selection stays
    f_.Option4[static_cast<std::size_t>(mode)].setSelected(true);
  });

  step([&] {
    const QString reference = read(kSystem, kReference);
    if (!reference.isEmpty()) f_.Option3[numberOf(reference) != 0 ? 3 : 2].setSelected(true);
  });

  for (std::size_t i = 0; i < 4; ++i) step([&] { f_.Text22[i].setText(read(kPageFlip, kPageFlipKeys[i])); });

  step([&] { loadZones(); });

  step([&] {
    if (tuioTargetLoaded) tuioTargetLoaded(read(kTuio, "目标"));
  });
  step([&] {
    if (loaded) loaded();
  });
}

}  // namespace vornix::panel
