// Outcome of a platform call: success, or a typed failure with a sentence for the operator.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace qw77 {

enum class ErrorCode {
  kNone = 0,
  kInvalidArgument,  // a malformed setting or parameter
  kNotFound,         // the device or file does not exist
  kBusy,             // another program holds the device
  kPermission,       // the operating system refused access
  kIo,               // a read or write failed part way
  kTimedOut,         // no progress within a limit
  kNotOpen,          // the operation needs an open port
  kFormat,           // data that is not in the expected layout
  kUnreachable,      // a network address that cannot be reached, refuses, or is not known
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(ErrorCode code, std::string message) : code_(code), message_(std::move(message)) {}
  static Status Ok() { return {}; }

  bool ok() const { return code_ == ErrorCode::kNone; }
  explicit operator bool() const { return ok(); }
  ErrorCode code() const { return code_; }
  const std::string& message() const { return message_; }

 private:
  ErrorCode code_ = ErrorCode::kNone;
  std::string message_;
};

// A value or the reason there is none (a small stand-in for C++23's std::expected).
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}            // NOLINT: implicit by design
  Result(Status failure) : status_(std::move(failure)) {}  // NOLINT: implicit by design

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }
  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace qw77
