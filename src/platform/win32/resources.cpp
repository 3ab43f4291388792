#include "platform/resources.h"

#include <windows.h>

namespace vantorel::platform {

bool LoadResourceData(ResourceType type, const std::string& name, std::vector<uint8_t>& data) {
  HRSRC info = FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(static_cast<uint16_t>(type)));
  if (info == nullptr) return false;
  // Resources live as long as the module; there is nothing to free.
  HGLOBAL handle = LoadResource(nullptr, info);
  DWORD size = SizeofResource(nullptr, info);
  const void* bytes = handle ? LockResource(handle) : nullptr;
  if (bytes == nullptr) return false;
  const auto* begin = static_cast<const uint8_t*>(bytes);
  data.assign(begin, begin + size);
  return true;
}

}  // namespace vantorel::platform
