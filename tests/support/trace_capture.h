#pragma once
// Captures trace lines without their time stamp while it lives.

#include "base/trace.h"

#include <QStringList>

namespace vornix::testing {

class TraceCapture {
public:
  TraceCapture() {
    Trace::instance().setSink([this](const QString& line) { lines_ << line.section(' ', 1); });
  }
  ~TraceCapture() { Trace::instance().setSink(nullptr); }
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  const QStringList& lines() const { return lines_; }

private:
  QStringList lines_;
};

}  // namespace vornix::testing
