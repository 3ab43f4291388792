#include "model/net_location.h"

#include "model/exceptions.h"

namespace vantorel {

void TCustomNetInstallLocation::Download(const std::string& remote_name, const std::string&) {
  throw IEFileRelated("Cannot download %s: no net install location in this build can fetch it",
                      remote_name);
}

TCustomNetInstallLocation*& DefaultNetLocation() {
  static TCustomNetInstallLocation* location = nullptr;
  return location;
}

}  // namespace vantorel
