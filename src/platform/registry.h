#pragma once
// The Windows registry. The win32 backend is the real registry; the posix backend keeps a
// REGEDIT4 text file at $VANTOREL_REGISTRY (default ~/.vantorel/registry.reg), written
// atomically. Key paths use "\" and may start with one; names compare without regard to case
// and keep the case they were created with.
//
// Errors are the system's: a missing key or value kErrorFileNotFound, a write through a key
// opened read-only kErrorAccessDenied, a read of the wrong type kErrorInvalidData, any use of a
// key deleted meanwhile kErrorKeyDeleted. In the posix backend the file is read again when
// another process changed it, at every Open, KeyExists and DeleteKey*; a file that is not valid
// REGEDIT4 makes these raise PlatformError naming the file and line.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantorel::platform {

// In alphabetical order, which is also the order of the routines' root codes.
enum class Root { ClassesRoot, CurrentConfig, CurrentUser, DynData, LocalMachine, Users };

// "HKEY_LOCAL_MACHINE" and so on.
const char* RootName(Root root);

enum class ValueType { None, String, ExpandString, Binary, DWord, MultiString, Other };

// An open key. Move-only; closed by the destructor (which in the posix backend writes the file
// when this key changed something).
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Close(); }
  RegKey(RegKey&& other) noexcept
      : handle_(std::exchange(other.handle_, nullptr)),
        dirty_(std::exchange(other.dirty_, false)) {}
  RegKey& operator=(RegKey&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, nullptr);
      dirty_ = std::exchange(other.dirty_, false);
    }
    return *this;
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens `path` under `root`; with `create` the key and its missing parents are made.
  // Returns a closed key on failure, with LastError() set.
  static RegKey Open(Root root, const std::string& path, bool create, bool writable);

  bool IsOpen() const { return handle_ != nullptr; }
  // "" names the key's default value.
  bool ValueExists(const std::string& name);
  ValueType GetValueType(const std::string& name);
  bool ReadString(const std::string& name, std::string& value);  // String or ExpandString
  bool ReadDWord(const std::string& name, uint32_t& value);
  // The raw bytes of a value of any type.
  bool ReadBinary(const std::string& name, std::vector<uint8_t>& value);
  bool WriteString(const std::string& name, const std::string& value);
  bool WriteExpandString(const std::string& name, const std::string& value);
  // An empty string cannot be part of the list (it would end it): kErrorInvalidParameter.
  bool WriteMultiString(const std::string& name, const std::vector<std::string>& value);
  bool ReadMultiString(const std::string& name, std::vector<std::string>& value);
  bool WriteDWord(const std::string& name, uint32_t value);
  bool WriteBinary(const std::string& name, const std::vector<uint8_t>& value);
  // A value as the system stores it: its type number (kRegSz ... of reg_data.h, or any other)
  // and its bytes, untouched. For copying or restoring values whose exact form matters, such as
  // a list with empty entries.
  bool ReadRaw(const std::string& name, uint32_t& type, std::vector<uint8_t>& data);
  bool WriteRaw(const std::string& name, uint32_t type, const std::vector<uint8_t>& data);
  bool DeleteValue(const std::string& name);
  // Sub-keys come in name order; values in an order of the system's choosing.
  bool SubKeyNames(std::vector<std::string>& names);
  bool ValueNames(std::vector<std::string>& names);
  // Writes the store to disk now.
  bool Flush();
  void Close();

 private:
  void* handle_ = nullptr;
  bool dirty_ = false;
};

bool KeyExists(Root root, const std::string& path);
// Deletes a key that has no sub-keys (kErrorAccessDenied when it has some). A root cannot be
// deleted.
bool DeleteKey(Root root, const std::string& path);
// Deletes a key with all its sub-keys.
bool DeleteKeyTree(Root root, const std::string& path);

}  // namespace vantorel::platform
