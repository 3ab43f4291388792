#include "platform/selfreg.h"

#include "platform/errors.h"

namespace vantorel::platform {

// No Windows library loads here; the caller reports the file as not registrable.
SelfRegOutcome RegisterServerDll(const std::string&, bool) {
  SetLastError(kErrorModNotFound);
  return {SelfRegResult::LoadFailed, 0};
}

}  // namespace vantorel::platform
