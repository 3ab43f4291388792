#pragma once
// Resources compiled into the running program.
#include <cstdint>
#include <string>
#include <vector>

namespace vantorel::platform {

// The resource types the programs carry, by their Windows numbers.
enum class ResourceType : uint16_t { Bitmap = 2, RcData = 10 };

// The bytes of the resource `name` of type `type` of the running program, as the resource
// compiler stored them (a bitmap without its file header); false when there is none (always in
// the posix backend, whose programs carry no resources).
bool LoadResourceData(ResourceType type, const std::string& name, std::vector<uint8_t>& data);

inline bool LoadRcData(const std::string& name, std::vector<uint8_t>& data) {
  return LoadResourceData(ResourceType::RcData, name, data);
}

}  // namespace vantorel::platform
