#pragma once
// An in-memory registry and its REGEDIT4 text form, the store of the posix registry backend.
// The format is the one regedit imports and exports: a "REGEDIT4" header line, then sections
// "[HKEY_...\Path]" each followed by its values ("Name"="text", @="default", dword:0000000a,
// hex:01,02 and hex(N): for the other types, long hex data continued on the next line after a
// trailing "\"). Lines are written with "\n" ends; "\r\n" is accepted when read.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reg_data.h"
#include "platform/registry.h"

namespace vantorel::platform {

struct RegValue {
  std::string name;  // "" is the key's default value
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
};

struct RegNode {
  // Values keep the order they were first written in; sub-keys list in name order, as the
  // system enumerates them. Names keep the letter case they were created with.
  std::vector<RegValue> values;
  std::map<std::string, std::unique_ptr<RegNode>, NoCaseLess> subkeys;

  RegValue* FindValue(std::string_view name);
  void SetValue(std::string_view name, uint32_t type, std::vector<uint8_t> data);
  bool EraseValue(std::string_view name);
};

struct RegTree {
  std::array<RegNode, 6> roots;  // indexed by Root

  RegNode& RootNode(Root root) { return roots[static_cast<size_t>(root)]; }
  // nullptr when a key on the way is missing.
  RegNode* Find(Root root, const std::vector<std::string>& path);
  // Makes the missing keys on the way; `created` tells whether any was made.
  RegNode& Create(Root root, const std::vector<std::string>& path, bool* created = nullptr);
  // Removes the key with everything below it; false when it does not exist. The root itself
  // (an empty path) cannot be removed.
  bool Erase(Root root, const std::vector<std::string>& path);
  void Clear();
};

// Loads REGEDIT4 text into `tree` (which is cleared first). Deletion entries ("[-KEY]" and
// "Name"=-) are applied as regedit applies them. A text that is not valid REGEDIT4 raises
// PlatformError with `file_name`, the line number and what is wrong.
void ParseRegedit4(std::string_view text, const std::string& file_name, RegTree& tree);
// The REGEDIT4 text of the whole tree: every key, depth first, sub-keys in name order; a root
// appears only when it holds values itself.
std::string FormatRegedit4(const RegTree& tree);

// Names the text form cannot carry (line breaks); the backend refuses them on write.
bool RegNameStorable(std::string_view name);

}  // namespace vantorel::platform
