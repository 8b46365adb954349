#pragma once
// What crosses a layer when something fails: the kind, for the code that reacts to it, and the
// text, for the operator.

#include <QString>

#include <utility>
#include <variant>

namespace vornix {

template <typename Kind>
struct Failure {
  Kind kind;
  QString text;
};

// A value, or the failure that kept it from being made.
template <typename T, typename Kind>
class Result {
public:
  Result(T value) : state_(std::move(value)) {}
  Result(Failure<Kind> failure) : state_(std::move(failure)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  const T& operator*() const { return std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }
  const Failure<Kind>& failure() const { return std::get<1>(state_); }

private:
  std::variant<T, Failure<Kind>> state_;
};

}  // namespace vornix
