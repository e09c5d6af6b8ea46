// The outcome of a packing step: success, or a failure with the message the user is shown.
#pragma once

#include <string>
#include <utility>

namespace brennix::pack {

class PackResult {
 public:
  static PackResult Ok() { return PackResult(); }
  static PackResult Fail(std::string message) { return PackResult(std::move(message)); }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& message() const { return message_; }

 private:
  PackResult() = default;
  explicit PackResult(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace brennix::pack
