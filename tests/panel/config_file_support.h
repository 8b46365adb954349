#pragma once
// Helpers of the configuration tests: a system whose configuration file sits in a fresh folder,
// and GBK bytes made independently of the program's own converter.

#include "support/test_system.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <iconv.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace vornix::testing {

// GBK bytes of a UTF-8 text, through the C library's iconv.
inline QByteArray gbkOf(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no GBK converter");
  std::string in = utf8;
  std::string out(in.size() * 2 + 16, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  size_t inLeft = in.size();
  size_t outLeft = out.size();
  const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) throw std::runtime_error("not convertible to GBK");
  return QByteArray(out.data(), static_cast<qsizetype>(out.size() - outLeft));
}

struct ConfiguredSystem {
  QTemporaryDir dir;
  std::unique_ptr<TestSystem> t;
  panel::MAINFRM& f;

  // sockets and multiTouchPort: as for TestSystem.
  explicit ConfiguredSystem(server::TcpElementFactory* sockets = nullptr, quint16 multiTouchPort = 5500)
      : t(std::make_unique<TestSystem>(sockets, multiTouchPort)), f(t->f) {
    t->system.ports.configFile = path();
  }
  QString path() const { return dir.filePath(QStringLiteral("Vornix配置文件.ini")); }

  // Writes the file from a UTF-8 text with "\n" line ends, stored as GBK with CRLF.
  void store(const std::string& utf8) const {
    std::string crlf;
    for (char c : utf8) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    storeBytes(gbkOf(crlf));
  }
  void storeBytes(const QByteArray& bytes) const {
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
      throw std::runtime_error("cannot write the test file");
  }
  QByteArray bytes() const {
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
  }
  void load() { f.Command5.click(); }
  void save() { f.Command4.click(); }
};

}  // namespace vornix::testing
