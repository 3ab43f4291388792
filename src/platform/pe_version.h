#pragma once
// Our own reader of the resources of a PE file (its version resource above all), and the query
// over the version block it gives.
// Platform-neutral: it reads bytes through File only, so it builds in both trees. The posix
// backend's version functions are made of it; the win64 tests hold it against the system's.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace vantorel::platform {

// Reads the RT_VERSION resource (name 1; the neutral language first, then US English, then the
// first one there is) of the PE image open in `file` into `block`: the bytes GetFileVersionInfoA
// copies. False, with `block` empty, when the file is no PE image, has no version resource, or
// any header, directory or offset on the way points outside the file; nothing outside the file is
// ever read, and what is read is bounded by the file's size.
bool ReadPeVersionResource(File& file, std::vector<uint8_t>& block);

// Reads the resource of type `type` (RT_RCDATA is 10) named `name` (ASCII case ignored, as the
// system's lookup does; resource compilers store names upper-cased), in the language the version
// resource's is picked by, with the same bounds. False, with `data` empty, when there is none.
bool ReadPeResource(File& file, uint16_t type, std::string_view name, std::vector<uint8_t>& data);

// Whether `file` holds a PE image of a program: an executable image that is not a library.
bool IsPeProgram(File& file);

// VerQueryValueA over a 32-bit VS_VERSIONINFO block: walks the path's components (empty ones are
// skipped, keys compare without regard to ASCII case) and gives the value of the node reached;
// text values are converted from UTF-16 to the Windows-1252 code page. Every node is bounded by
// the block, so a block that lies about its lengths gives "absent", never an outside read.
bool QueryVersionBlock(const std::vector<uint8_t>& block, const std::string& sub_block,
                       std::vector<uint8_t>& value);

// UTF-16 code units to Windows-1252; what has no character there becomes "?".
std::string Utf16ToAnsi(const uint16_t* units, size_t count);

}  // namespace vantorel::platform
