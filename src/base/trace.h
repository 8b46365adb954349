#pragma once
// The installer's trace: one line per event on stdout, "<ms since start> <event> <fields>",
// flushed at once. Off unless the program runs with --trace.

#include <QString>

#include <functional>

namespace vornix {

class Trace {
public:
  static Trace& instance();

  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool enabled() const { return enabled_; }

  // Prints one event line when enabled; fields may be empty.
  void event(const char* name, const QString& fields = {});

  // Tests capture lines instead of printing them (a null sink prints again).
  using Sink = std::function<void(const QString& line)>;
  void setSink(Sink sink) { sink_ = std::move(sink); }

private:
  Trace();
  bool enabled_ = false;
  Sink sink_;
  qint64 startMs_;
};

inline void trace(const char* name, const QString& fields = {}) { Trace::instance().event(name, fields); }

}  // namespace vornix
