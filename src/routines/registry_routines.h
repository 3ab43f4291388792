#pragma once
// Registry routines by root code: 0 HKEY_CLASSES_ROOT, 1 HKEY_CURRENT_CONFIG,
// 2 HKEY_CURRENT_USER, 3 HKEY_DYN_DATA, 4 HKEY_LOCAL_MACHINE, 5 HKEY_USERS. Only the low 7 bits
// of a code count; any other value means HKEY_CURRENT_USER. Each call opens its own key.
#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace vantorel {

enum : uint8_t {
  kRootClassesRoot = 0,
  kRootCurrentConfig = 1,
  kRootCurrentUser = 2,
  kRootDynData = 3,
  kRootLocalMachine = 4,
  kRootUsers = 5,
};

platform::Root RootOfCode(uint8_t code);
uint8_t RootCodeOf(platform::Root root);

// Create `key` if needed and write; a failure raises EIRCannotWriteValue.
void WriteRegString(uint8_t root, const std::string& key, const std::string& name,
                    const std::string& value);
void WriteRegInteger(uint8_t root, const std::string& key, const std::string& name, int32_t value);
// The value, or `default_value` when the key or value is missing or cannot be read.
std::string ReadRegString(uint8_t root, const std::string& key, const std::string& name,
                          const std::string& default_value);
int32_t ReadRegInteger(uint8_t root, const std::string& key, const std::string& name,
                       int32_t default_value);
// Deletes `key` with all its sub-keys; every error is ignored.
void DeleteRegKeyTree(uint8_t root, const std::string& key);
// Writes `command` under the machine's RunOnce key, as `name` or, with `unique`, the first of
// name, name1, name2, ... not yet taken. False when the key cannot be opened or written.
bool AddRunOnce(const std::string& name, const std::string& command, bool unique);

inline constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

}  // namespace vantorel
