#pragma once
// The exception family of the install library. The class says which unit or condition failed;
// the engine's handler tells a user abort from an error by class alone.
#include <string>

#include "framework/exception.h"
#include "framework/format.h"

namespace vantorel {

// The message translation hook: identity until a translator installs itself.
using TranslateFunction = std::string (*)(const std::string&);
std::string TranslateString(const std::string& text);
void SetTranslateFunction(TranslateFunction function);

class ECustomVantorelAbnormal : public Exception {
 public:
  using Exception::Exception;
};

class EVantorelAbnormal : public ECustomVantorelAbnormal {
 public:
  using ECustomVantorelAbnormal::ECustomVantorelAbnormal;
};

class EAPIRoutines : public EVantorelAbnormal {
 public:
  using EVantorelAbnormal::EVantorelAbnormal;
};

class EVtrlCompress : public EVantorelAbnormal {
 public:
  using EVantorelAbnormal::EVantorelAbnormal;
};

class EvcDiskFull : public EVtrlCompress {
 public:
  using EVtrlCompress::EVtrlCompress;
};

class EvcAborted : public EVtrlCompress {
 public:
  using EVtrlCompress::EVtrlCompress;
};

class EAI : public Exception {
 public:
  using Exception::Exception;
};

// The user's cancel. Its message is fixed and never translated.
class EAIUserAbort : public EAI {
 public:
  EAIUserAbort() : EAI("Installation aborted by the user") {}
};

// Errors of the install components: the message (or format) is translated first, then formatted.
class IException : public ECustomVantorelAbnormal {
 public:
  explicit IException(const std::string& message)
      : ECustomVantorelAbnormal(TranslateString(message)) {}
  template <typename... Args>
  requires(sizeof...(Args) > 0) IException(const std::string& format, const Args&... args)
      : ECustomVantorelAbnormal(Format(TranslateString(format), args...)) {}
};

class EIRCannotWriteValue : public Exception {
 public:
  using Exception::Exception;
};

// Declares an install-library exception class `name` deriving from `base` with its constructors.
#define VANTOREL_DECLARE_EXCEPTION(name, base) \
  class name : public base {                   \
   public:                                     \
    using base::base;                          \
  }

}  // namespace vantorel
