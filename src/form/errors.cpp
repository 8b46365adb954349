#include "form/errors.h"

#include "base/text_rules.h"
#include "base/trace.h"

namespace vornix::form {

std::int16_t int16Of(double value) {
  const auto converted = toInt16(value);
  if (!converted) throw OverflowError();
  return *converted;
}

std::int32_t int32Of(double value) {
  const auto converted = toInt32(value);
  if (!converted) throw OverflowError();
  return *converted;
}

double divide(double x, double y) {
  if (y == 0) throw DivisionByZeroError();
  return x / y;
}

void runEvent(const char* handlerName, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    trace("error", QString::fromUtf8(handlerName) + ": " + QString::fromUtf8(error.what()));
  }
}

}  // namespace vornix::form
