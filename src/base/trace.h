#pragma once
// The installer's trace: one line per event on stdout, "<ms since start> <event> <fields>",
// flushed at once. Off unless the program runs with --trace.

#include <QString>

#include <functional>
#include <utility>
#include <vector>

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

  // Sees every event, printed or not, until removed (the status counters); owner names it.
  using Observer = std::function<void(const char* name, const QString& fields)>;
  void addObserver(const void* owner, Observer observer);
  void removeObserver(const void* owner);

private:
  Trace();
  bool enabled_ = false;
  Sink sink_;
  std::vector<std::pair<const void*, Observer>> observers_;
  qint64 startMs_;
};

inline void trace(const char* name, const QString& fields = {}) { Trace::instance().event(name, fields); }

}  // namespace vornix
