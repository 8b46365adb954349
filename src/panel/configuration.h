#pragma once
// The configuration file: "保存参数" writes the panel's stored controls, "读取参数" (and the
// start-up) reads them back. Every value is read from or written to the file on its own, and
// the path is built afresh for each of them.

#include "base/ini_file.h"
#include "form/dialogs.h"
#include "panel/mainfrm.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace vornix::panel {

// The file name the program uses beside its executable.
inline constexpr const char* kConfigFileName = "Vornix配置文件.ini";

// The configuration file: the configured path when there is one, else the default for the
// program's folder.
QString configurationPath(const QString& configured);

// The default configuration file of a program in programFolder: kConfigFileName there when it
// exists or the folder is writable (a copied build folder), else
// $XDG_CONFIG_HOME/vornix/kConfigFileName (~/.config when unset), which the first save creates.
// A folder under /usr belongs to the package manager and is never written, even by root.
QString defaultConfigurationPath(const QString& programFolder);

// The screen the stored mouse activity range reaches (left + width by top + height), or
// 1024 x 768 when the file stores none; read before the configuration is applied.
QSize storedScreenSize(const QString& configured);

// The status server's [HOST:]PORT stored under "系统"/"状态端口" by an installer ("" when
// absent). The program reads it and never writes it; a save keeps it as it stands.
QString storedStatusAddress(const QString& configured);

class Configuration {
public:
  // configFile: the file given on the command line, empty for the default; read at every use.
  Configuration(MAINFRM& f, form::Dialogs& dialogs, const QString& configFile)
      : f_(f), dialogs_(dialogs), configFile_(configFile) {}

  // Save: the 28 entries, section by section in the order a first save lays them out, the
  // mapping under "射像机"/"映射算法" unless it is 0 in a file that does not store it, and the
  // grid of 非线性校正 in a section of its own while one is stored. A save
  // that fails says why in a message box and on stderr.
  void Command4_Click();
  // Before the start-up's load: a file that does not exist yet is written with the panel's
  // design-time values, as a first save lays it out, so that a first start finds every box
  // filled in and a valid serial port number. A path that names a folder or a file that cannot
  // be read is said once on stderr; the load then goes on with empty values.
  void prepareForStart();
  // Load: eight steps, each on its own, and after the corners the grid (Option2(2) enabled while
  // one is stored) and the mapping (absent, or one not available: 矩形校正, said in the trace); a step whose text cannot be converted, or whose value
  // the control refuses, leaves that control as it was.
  void Command5_Click();

  // Handed the TUIO target stored under "TUIO"/"目标" ("" when absent) at the end of every load.
  // An installer writes that key by hand; the save leaves it as it stands.
  std::function<void(const QString& target)> tuioTargetLoaded;
  // Told of every save that did not reach the disk.
  std::function<void()> saveFailed;
  // Runs at the end of every load, for the settings that live in the file only (read them with
  // storedText); the save leaves them as they stand.
  std::function<void()> loaded;
  QString storedText(const char* section, const char* key) const { return read(section, key); }

  // Frame pacing given on the command line: every load sets 帧率同步 to it, whatever the file says.
  std::optional<bool> framePacingOverride;

private:
  QString path() const;
  QString read(const char* section, const char* key) const;
  IniWriteResult write(const char* section, const char* key, const QString& value) const;
  // The grid of section "非线性校正"; none when it is absent or any of its values is missing or
  // no number (said in the trace).
  CalibrationGrid readGrid() const;
  // Writes every entry; the first failure's reason, empty when all of them reached the disk.
  QString writeAll() const;
  // The zones of "多区域互动"; a malformed entry is said on stderr and passed over.
  void loadZones();

  // More points than any calibration stores: a file that claims more is taken as damaged.
  static constexpr int kMaxGridPoints = 4096;

  MAINFRM& f_;
  form::Dialogs& dialogs_;
  const QString& configFile_;
};

}  // namespace vornix::panel
