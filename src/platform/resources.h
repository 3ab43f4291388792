#pragma once
// Resources compiled into the running program.
#include <cstdint>
#include <string>
#include <vector>

namespace vantorel::platform {

// The bytes of the RCDATA resource `name` of the running program; false when there is none
// (always in the posix backend, whose programs carry no resources).
bool LoadRcData(const std::string& name, std::vector<uint8_t>& data);

}  // namespace vantorel::platform
