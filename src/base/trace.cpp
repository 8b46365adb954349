#include "base/trace.h"

#include <QDateTime>

#include <cstdio>

namespace vornix {

Trace& Trace::instance() {
  static Trace trace;
  return trace;
}

Trace::Trace() : startMs_(QDateTime::currentMSecsSinceEpoch()) {}

void Trace::addObserver(const void* owner, Observer observer) {
  observers_.emplace_back(owner, std::move(observer));
}

void Trace::removeObserver(const void* owner) {
  std::erase_if(observers_, [owner](const auto& entry) { return entry.first == owner; });
}

void Trace::event(const char* name, const QString& fields) {
  for (const auto& [owner, observer] : observers_) observer(name, fields);
  if (!enabled_ && !sink_) return;
  QString line = QString::number(QDateTime::currentMSecsSinceEpoch() - startMs_) + ' ' +
                 QString::fromUtf8(name);
  if (!fields.isEmpty()) line += ' ' + fields;
  if (sink_) {
    sink_(line);
    return;
  }
  const QByteArray bytes = line.toUtf8();
  std::fwrite(bytes.constData(), 1, bytes.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace vornix
