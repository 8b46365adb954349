#include "panel/zones.h"

#include <QStringList>

namespace vornix::panel {

namespace {

std::optional<int> wholeNumber(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<ZoneAction> fail(QString* reason, const QString& why) {
  if (reason) *reason = why;
  return std::nullopt;
}

}  // namespace

std::optional<ZoneAction> parseZoneAction(const QString& action, QString* reason) {
  const QString trimmed = action.trimmed();
  const qsizetype colon = trimmed.indexOf(u':');
  const QString kind = trimmed.left(colon).trimmed().toLower();
  const QString argument = colon < 0 ? QString() : trimmed.mid(colon + 1);
  if (colon < 0) return fail(reason, QStringLiteral("the action \"%1\" is not key:NAME, click:X,Y or send:TEXT").arg(action));
  if (kind == u"key") {
    const QString name = argument.trimmed();
    if (name.isEmpty()) return fail(reason, QStringLiteral("key: names no key"));
    return ZoneAction{ZoneAction::Kind::Key, name, {}};
  }
  if (kind == u"click") {
    const QStringList xy = argument.split(u',');
    const std::optional<int> x = xy.size() == 2 ? wholeNumber(xy[0]) : std::nullopt;
    const std::optional<int> y = xy.size() == 2 ? wholeNumber(xy[1]) : std::nullopt;
    if (!x || !y) return fail(reason, QStringLiteral("click:%1 is not click:X,Y in whole screen pixels").arg(argument));
    return ZoneAction{ZoneAction::Kind::Click, {}, QPoint(*x, *y)};
  }
  if (kind == u"send") return ZoneAction{ZoneAction::Kind::Send, argument, {}};
  return fail(reason, QStringLiteral("the action \"%1\" is unknown (key:, click: or send:)").arg(kind));
}

std::optional<Zone> parseZone(const QString& stored, QString* reason) {
  const QStringList parts = stored.split(u',');
  if (parts.size() < 5) {
    if (reason) *reason = QStringLiteral("\"%1\" is not x,y,w,h,ACTION").arg(stored);
    return std::nullopt;
  }
  int numbers[4];
  for (int i = 0; i < 4; ++i) {
    const std::optional<int> value = wholeNumber(parts[i]);
    if (!value) {
      if (reason) *reason = QStringLiteral("\"%1\" in \"%2\" is not a whole number").arg(parts[i], stored);
      return std::nullopt;
    }
    numbers[i] = *value;
  }
  if (numbers[2] < 1 || numbers[3] < 1) {
    if (reason) *reason = QStringLiteral("the zone \"%1\" has no area").arg(stored);
    return std::nullopt;
  }
  const QString action = parts.mid(4).join(u',').trimmed();
  if (!parseZoneAction(action, reason)) return std::nullopt;
  return Zone{QRect(numbers[0], numbers[1], numbers[2], numbers[3]), action};
}

QString zoneText(const Zone& zone) {
  return QStringLiteral("%1,%2,%3,%4,%5")
      .arg(zone.rect.x())
      .arg(zone.rect.y())
      .arg(zone.rect.width())
      .arg(zone.rect.height())
      .arg(zone.action);
}

void ZoneList::set(std::vector<Zone> zones) {
  if (zones == zones_) return;
  zones_ = std::move(zones);
  notify();
}

void ZoneList::add(const Zone& zone) {
  zones_.push_back(zone);
  notify();
}

void ZoneList::remove(int index) {
  if (index < 0 || index >= size()) return;
  zones_.erase(zones_.begin() + index);
  notify();
}

void ZoneList::setAction(int index, const QString& action) {
  if (index < 0 || index >= size() || zones_[std::size_t(index)].action == action) return;
  zones_[std::size_t(index)].action = action;
  notify();
}

void ZoneList::notify() {
  for (const auto& listener : listeners_) listener();
}

}  // namespace vornix::panel
