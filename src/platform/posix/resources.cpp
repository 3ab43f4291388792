#include "platform/resources.h"

#include "platform/errors.h"

namespace vantorel::platform {

bool LoadResourceData(ResourceType, const std::string&, std::vector<uint8_t>&) {
  SetLastError(1813);  // ERROR_RESOURCE_TYPE_NOT_FOUND
  return false;
}

}  // namespace vantorel::platform
