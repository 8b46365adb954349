#pragma once
// The zones of the interactive-zone mode 5: rectangles in camera pixels, each with the action it
// fires when someone steps in. Stored as "x,y,w,h,ACTION", ACTION being
//   key:NAME   a key press and release (NAME an X keysym name: F5, space, a, Return)
//   click:X,Y  a left click at that screen point
//   send:TEXT  TEXT broadcast to the multi-touch clients

#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace vornix::panel {

struct ZoneAction {
  enum class Kind { Key, Click, Send };
  Kind kind = Kind::Key;
  QString text;  // the key name, or the text to send
  QPoint point;  // where to click
};

// The action of a text; nothing, with the reason in *reason, when it names none.
std::optional<ZoneAction> parseZoneAction(const QString& action, QString* reason);

struct Zone {
  QRect rect;
  QString action;
  bool operator==(const Zone&) const = default;
};

// "x,y,w,h,ACTION" as stored; nothing, with the reason in *reason, when it is malformed.
std::optional<Zone> parseZone(const QString& stored, QString* reason);
QString zoneText(const Zone& zone);

// The zones of the panel, in their numbering order (zone N is at N - 1). Every change tells
// the listeners (the previews that draw them, the pass that watches them).
class ZoneList {
public:
  const std::vector<Zone>& all() const { return zones_; }
  int size() const { return int(zones_.size()); }
  void set(std::vector<Zone> zones);
  void add(const Zone& zone);
  void remove(int index);
  void setAction(int index, const QString& action);
  void subscribe(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }

private:
  void notify();
  std::vector<Zone> zones_;
  std::vector<std::function<void()>> listeners_;
};

}  // namespace vornix::panel
