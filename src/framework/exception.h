#pragma once
// The root of every error the engine raises, and the silent abort.
#include <exception>
#include <string>

namespace vantorel {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message, int help_context = 0)
      : message_(std::move(message)), help_context_(help_context) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  int HelpContext() const { return help_context_; }

 private:
  std::string message_;
  int help_context_;
};

// The silent abort: unwinds without an error display.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  using Exception::Exception;
};

}  // namespace vantorel
