#pragma once
// Errors of the handler chain. A failed conversion raises an error that travels up through the
// nested handlers to the nearest step guard; an error that no guard catches ends only the event
// handler it happened in (see runEvent).

#include <QString>

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace vornix::form {

class HandlerError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A number outside the range of the integer it is converted to ("溢出").
class OverflowError : public HandlerError {
public:
  OverflowError() : HandlerError("overflow") {}
};

// A value a control does not accept, such as a check-box state outside 0..2 ("无效属性值").
class InvalidValueError : public HandlerError {
public:
  InvalidValueError() : HandlerError("invalid property value") {}
};

// Division by zero in a guarded computation.
class DivisionByZeroError : public HandlerError {
public:
  DivisionByZeroError() : HandlerError("division by zero") {}
};

// Conversions that raise OverflowError instead of returning an empty result.
std::int16_t int16Of(double value);
std::int32_t int32Of(double value);
// x / y that raises DivisionByZeroError when y is 0.
double divide(double x, double y);

// One step of a step-guarded operation: an error inside skips the rest of this step only.
template <class Step>
void step(Step&& body) {
  try {
    body();
  } catch (const std::exception&) {
  }
}

// Runs a top-level event handler (a timer tick, an operator's click). An error that reached this
// far ends only this handler; it is printed in the trace as "error <handler>: <what>".
void runEvent(const char* handlerName, const std::function<void()>& handler);

}  // namespace vornix::form
