#pragma once
// The project form carried by an install program: an RCDATA resource TFORM1, or a form appended
// to the program file behind a small trailer:
//
//   [program bytes][form text][form length: 8 bytes, little-endian][magic "VTRLFORM"]
#include <cstdint>
#include <optional>
#include <string>

namespace vantorel {

inline constexpr char kFormTrailerMagic[] = "VTRLFORM";
inline constexpr size_t kFormTrailerSize = 16;
// A form larger than this is not a form but a damaged trailer.
inline constexpr uint64_t kMaxAttachedForm = 64u << 20;

// The form appended to `program`, if the file ends in a valid trailer. Raises Exception when the
// file cannot be read or the trailer lies about the length.
std::optional<std::string> ReadAppendedForm(const std::string& program);
// The form text of the running program: its TFORM1 resource, else its appended form.
std::optional<std::string> FindOwnForm();
// Writes `engine` followed by `form` and its trailer to `output` (an existing trailer of the
// engine is dropped first). Raises Exception on failure.
void AttachForm(const std::string& engine, const std::string& form, const std::string& output);

}  // namespace vantorel
