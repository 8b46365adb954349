#include "base/gbk.h"

#include <QList>

#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

namespace vornix {

namespace {

// iconv state is not shareable between threads, and opening a descriptor looks the codec up
// on disk: each thread opens its two descriptors once and resets them before every use.
class Converter {
public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  static Converter& toGbk() {
    thread_local Converter converter("GBK", "UTF-32LE");
    return converter.reset();
  }
  static Converter& fromGbk() {
    thread_local Converter converter("UTF-32LE", "GBK");
    return converter.reset();
  }

  Converter& reset() {
    if (valid()) iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return *this;
  }

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of [in, in + size) into out; on a sequence the target cannot hold or the
  // source does not form, `onError` appends its substitute and returns how many input bytes
  // to skip.
  template <typename OnError>
  void run(const char* in, std::size_t size, std::vector<char>& out, OnError onError) {
    char* inPtr = const_cast<char*>(in);
    std::size_t inLeft = size;
    char chunk[1024];
    while (inLeft > 0) {
      char* outPtr = chunk;
      std::size_t outLeft = sizeof chunk;
      const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      out.insert(out.end(), chunk, outPtr);
      if (rc != static_cast<std::size_t>(-1)) continue;
      if (error == E2BIG) continue;
      std::size_t skip = onError(out);
      if (skip > inLeft) skip = inLeft;
      inPtr += skip;
      inLeft -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
  }

private:
  iconv_t cd_;
};

}  // namespace

QByteArray toGbk(QStringView text) {
  const QList<uint> ucs4 = text.toUcs4();
  std::vector<char> out;
  out.reserve(static_cast<std::size_t>(text.size()) * 2);
  Converter& converter = Converter::toGbk();
  if (!converter.valid()) return text.toLatin1();
  std::vector<char> in(ucs4.size() * 4);
  for (qsizetype i = 0; i < ucs4.size(); ++i) {
    const uint c = ucs4[i];
    for (int b = 0; b < 4; ++b) in[static_cast<std::size_t>(i) * 4 + b] = static_cast<char>((c >> (8 * b)) & 0xFF);
  }
  converter.run(in.data(), in.size(), out, [](std::vector<char>& o) {
    o.push_back('?');
    return std::size_t{4};
  });
  return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

QString fromGbk(QByteArrayView bytes) {
  std::vector<char> out;
  out.reserve(static_cast<std::size_t>(bytes.size()) * 4);
  Converter& converter = Converter::fromGbk();
  if (!converter.valid()) return QString::fromLatin1(bytes);
  converter.run(bytes.data(), static_cast<std::size_t>(bytes.size()), out, [](std::vector<char>& o) {
    const char replacement[4] = {char(0xFD), char(0xFF), 0, 0};
    o.insert(o.end(), replacement, replacement + 4);
    return std::size_t{1};
  });
  std::u32string text(out.size() / 4, U'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto* b = reinterpret_cast<const unsigned char*>(out.data()) + i * 4;
    text[i] = char32_t(b[0]) | char32_t(b[1]) << 8 | char32_t(b[2]) << 16 | char32_t(b[3]) << 24;
  }
  return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

qsizetype gbkPrefixLength(QByteArrayView bytes, qsizetype maxBytes) {
  qsizetype i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    qsizetype width = 1;
    if (lead >= 0x81 && lead <= 0xFE && i + 1 < bytes.size()) {
      const auto trail = static_cast<unsigned char>(bytes[i + 1]);
      if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) width = 2;
    }
    if (i + width > maxBytes) break;
    i += width;
  }
  return i;
}

}  // namespace vornix
