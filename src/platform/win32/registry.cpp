#include "platform/registry.h"

#include "platform/errors.h"
#include "platform/reg_data.h"
#include "platform/win32/windows_api.h"

namespace vantorel::platform {
namespace {

HKEY RootKey(Root root) {
  switch (root) {
    case Root::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case Root::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case Root::CurrentUser:
      return HKEY_CURRENT_USER;
    case Root::DynData:
      return HKEY_DYN_DATA;
    case Root::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case Root::Users:
      return HKEY_USERS;
  }
  return HKEY_CURRENT_USER;
}

HKEY KeyOf(void* handle) {
  return static_cast<HKEY>(handle);
}

// The registry functions return their error instead of setting it.
bool Check(LONG rc) {
  ::SetLastError(static_cast<DWORD>(rc));
  return rc == ERROR_SUCCESS;
}

bool Query(void* handle, const std::string& name, DWORD& type, std::vector<uint8_t>& data) {
  if (!handle) return Check(ERROR_INVALID_HANDLE);
  // Most values fit a first guess: one call, not a size query and a read.
  data.resize(256);
  DWORD size = static_cast<DWORD>(data.size());
  LONG rc = ::RegQueryValueExA(KeyOf(handle), name.c_str(), nullptr, &type, data.data(), &size);
  while (rc == ERROR_MORE_DATA) {
    data.resize(size);
    rc = ::RegQueryValueExA(KeyOf(handle), name.c_str(), nullptr, &type, data.data(), &size);
  }
  if (rc == ERROR_SUCCESS) data.resize(size);
  return Check(rc);
}

bool Set(void* handle, const std::string& name, DWORD type, const std::vector<uint8_t>& data) {
  if (!handle) return Check(ERROR_INVALID_HANDLE);
  return Check(::RegSetValueExA(KeyOf(handle), name.c_str(), 0, type, data.data(),
                                static_cast<DWORD>(data.size())));
}

}  // namespace

RegKey RegKey::Open(Root root, const std::string& path, bool create, bool writable) {
  RegKey key;
  // The system takes no leading backslash; the callers' paths often have one.
  std::string sub = NormalizeKeyPath(path);
  REGSAM access = KEY_READ | (writable ? KEY_WRITE : 0);
  HKEY h = nullptr;
  LONG rc = create ? ::RegCreateKeyExA(RootKey(root), sub.c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, access, nullptr, &h, nullptr)
                   : ::RegOpenKeyExA(RootKey(root), sub.c_str(), 0, access, &h);
  if (Check(rc)) key.handle_ = h;
  return key;
}

bool RegKey::ValueExists(const std::string& name) {
  if (!handle_) return Check(ERROR_INVALID_HANDLE);
  return Check(
      ::RegQueryValueExA(KeyOf(handle_), name.c_str(), nullptr, nullptr, nullptr, nullptr));
}

ValueType RegKey::GetValueType(const std::string& name) {
  if (!handle_) return Check(ERROR_INVALID_HANDLE), ValueType::None;
  DWORD type = REG_NONE;
  LONG rc = ::RegQueryValueExA(KeyOf(handle_), name.c_str(), nullptr, &type, nullptr, nullptr);
  return Check(rc) ? ValueTypeOf(type) : ValueType::None;
}

bool RegKey::ReadString(const std::string& name, std::string& value) {
  DWORD type;
  std::vector<uint8_t> data;
  if (!Query(handle_, name, type, data)) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return Check(ERROR_INVALID_DATA);
  value = DecodeString(data);
  return true;
}

bool RegKey::ReadDWord(const std::string& name, uint32_t& value) {
  DWORD type;
  std::vector<uint8_t> data;
  if (!Query(handle_, name, type, data)) return false;
  if (type != REG_DWORD || !DecodeDWord(data, value)) return Check(ERROR_INVALID_DATA);
  return true;
}

bool RegKey::ReadBinary(const std::string& name, std::vector<uint8_t>& value) {
  DWORD type;
  return Query(handle_, name, type, value);
}

bool RegKey::ReadMultiString(const std::string& name, std::vector<std::string>& value) {
  DWORD type;
  std::vector<uint8_t> data;
  if (!Query(handle_, name, type, data)) return false;
  if (type != REG_MULTI_SZ) return Check(ERROR_INVALID_DATA);
  value = DecodeMultiString(data);
  return true;
}

bool RegKey::WriteString(const std::string& name, const std::string& value) {
  return Set(handle_, name, REG_SZ, EncodeString(value));
}

bool RegKey::WriteExpandString(const std::string& name, const std::string& value) {
  return Set(handle_, name, REG_EXPAND_SZ, EncodeString(value));
}

bool RegKey::WriteMultiString(const std::string& name, const std::vector<std::string>& value) {
  std::vector<uint8_t> data;
  if (!EncodeMultiString(value, data)) return Check(ERROR_INVALID_PARAMETER);
  return Set(handle_, name, REG_MULTI_SZ, data);
}

bool RegKey::WriteDWord(const std::string& name, uint32_t value) {
  return Set(handle_, name, REG_DWORD, EncodeDWord(value));
}

bool RegKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  return Set(handle_, name, REG_BINARY, value);
}

bool RegKey::ReadRaw(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) {
  DWORD system_type;
  if (!Query(handle_, name, system_type, data)) return false;
  type = system_type;
  return true;
}

bool RegKey::WriteRaw(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
  return Set(handle_, name, type, data);
}

bool RegKey::DeleteValue(const std::string& name) {
  if (!handle_) return Check(ERROR_INVALID_HANDLE);
  return Check(::RegDeleteValueA(KeyOf(handle_), name.c_str()));
}

bool RegKey::SubKeyNames(std::vector<std::string>& names) {
  if (!handle_) return Check(ERROR_INVALID_HANDLE);
  names.clear();
  std::vector<char> buffer(256);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG rc = ::RegEnumKeyExA(KeyOf(handle_), index, buffer.data(), &length, nullptr, nullptr,
                              nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      buffer.resize(buffer.size() * 2);
      --index;
      continue;
    }
    if (rc == ERROR_NO_MORE_ITEMS) return Check(ERROR_SUCCESS);
    if (rc != ERROR_SUCCESS) return Check(rc);
    names.emplace_back(buffer.data(), length);
  }
}

bool RegKey::ValueNames(std::vector<std::string>& names) {
  if (!handle_) return Check(ERROR_INVALID_HANDLE);
  names.clear();
  std::vector<char> buffer(16384);  // the longest value name the system allows, and its NUL
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG rc = ::RegEnumValueA(KeyOf(handle_), index, buffer.data(), &length, nullptr, nullptr,
                              nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) return Check(ERROR_SUCCESS);
    if (rc != ERROR_SUCCESS) return Check(rc);
    names.emplace_back(buffer.data(), length);
  }
}

bool RegKey::Flush() {
  if (!handle_) return Check(ERROR_INVALID_HANDLE);
  return Check(::RegFlushKey(KeyOf(handle_)));
}

void RegKey::Close() {
  if (!handle_) return;
  ::RegCloseKey(KeyOf(handle_));
  handle_ = nullptr;
  dirty_ = false;
}

bool KeyExists(Root root, const std::string& path) {
  HKEY h;
  if (!Check(::RegOpenKeyExA(RootKey(root), NormalizeKeyPath(path).c_str(), 0, KEY_READ, &h)))
    return false;
  ::RegCloseKey(h);
  return true;
}

bool DeleteKey(Root root, const std::string& path) {
  std::string sub = NormalizeKeyPath(path);
  if (sub.empty()) return Check(ERROR_ACCESS_DENIED);  // never a whole root
  return Check(::RegDeleteKeyA(RootKey(root), sub.c_str()));
}

bool DeleteKeyTree(Root root, const std::string& path) {
  std::string sub = NormalizeKeyPath(path);
  if (sub.empty()) return Check(ERROR_ACCESS_DENIED);
  HKEY h;
  if (!Check(::RegOpenKeyExA(RootKey(root), sub.c_str(), 0, KEY_READ | KEY_WRITE | DELETE, &h)))
    return false;
  // Empties the key (sub-keys and values), then the key itself goes.
  LONG rc = ::RegDeleteTreeA(h, nullptr);
  ::RegCloseKey(h);
  return Check(rc) && Check(::RegDeleteKeyA(RootKey(root), sub.c_str()));
}

}  // namespace vantorel::platform
