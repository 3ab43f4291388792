#include "routines/registry_routines.h"

#include "routines/exceptions.h"

namespace vantorel {

platform::Root RootOfCode(uint8_t code) {
  switch (code & 0x7F) {
    case kRootClassesRoot:
      return platform::Root::ClassesRoot;
    case kRootCurrentConfig:
      return platform::Root::CurrentConfig;
    case kRootCurrentUser:
      return platform::Root::CurrentUser;
    case kRootDynData:
      return platform::Root::DynData;
    case kRootLocalMachine:
      return platform::Root::LocalMachine;
    case kRootUsers:
      return platform::Root::Users;
    default:
      return platform::Root::CurrentUser;
  }
}

uint8_t RootCodeOf(platform::Root root) {
  return static_cast<uint8_t>(root);
}

void WriteRegString(uint8_t root, const std::string& key, const std::string& name,
                    const std::string& value) {
  platform::RegKey reg = platform::RegKey::Open(RootOfCode(root), key, true, true);
  if (!reg.IsOpen() || !reg.WriteString(name, value))
    throw EIRCannotWriteValue(
        Format("Cannot install into registry. Key: %s Ident: %s Value %s", key, name, value));
}

void WriteRegInteger(uint8_t root, const std::string& key, const std::string& name, int32_t value) {
  platform::RegKey reg = platform::RegKey::Open(RootOfCode(root), key, true, true);
  if (!reg.IsOpen() || !reg.WriteDWord(name, static_cast<uint32_t>(value)))
    throw EIRCannotWriteValue(key);
}

std::string ReadRegString(uint8_t root, const std::string& key, const std::string& name,
                          const std::string& default_value) {
  platform::RegKey reg = platform::RegKey::Open(RootOfCode(root), key, false, false);
  std::string value;
  if (!reg.IsOpen() || !reg.ReadString(name, value)) return default_value;
  return value;
}

int32_t ReadRegInteger(uint8_t root, const std::string& key, const std::string& name,
                       int32_t default_value) {
  platform::RegKey reg = platform::RegKey::Open(RootOfCode(root), key, false, false);
  uint32_t value = 0;
  if (!reg.IsOpen() || !reg.ReadDWord(name, value)) return default_value;
  return static_cast<int32_t>(value);
}

void DeleteRegKeyTree(uint8_t root, const std::string& key) {
  platform::DeleteKeyTree(RootOfCode(root), key);
}

bool AddRunOnce(const std::string& name, const std::string& command, bool unique) {
  platform::RegKey reg =
      platform::RegKey::Open(platform::Root::LocalMachine, kRunOnceKey, true, true);
  if (!reg.IsOpen()) return false;
  std::string value_name = name;
  if (unique) {
    for (int n = 1; reg.ValueExists(value_name); ++n) value_name = name + std::to_string(n);
  }
  // A write the registry refused must not pass as registered: the restart would lose the work.
  if (!reg.WriteString(value_name, command)) return false;
  return reg.Flush();
}

}  // namespace vantorel
