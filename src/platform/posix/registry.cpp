// The registry as a REGEDIT4 file (reg_text.h). One process-wide copy is kept in memory; it is
// read again at every key open when the file changed on disk (another process wrote it), and
// written back atomically on flush and when a key that changed something is closed. Changes not
// yet written are kept as a list of operations and replayed on top of a newer file, so that
// programs taking turns on one file never lose each other's work. Two programs writing at the
// same moment are not guarded against: the later rename wins.
#include "platform/registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/errors.h"
#include "platform/posix/host_io.h"
#include "platform/posix/host_path.h"
#include "platform/reg_text.h"

namespace vantorel::platform {

using posix::Fail;

namespace {

struct Operation {
  enum Kind { kCreateKey, kSetValue, kDeleteValue, kDeleteKey } kind;
  Root root;
  std::vector<std::string> path;
  std::string name;
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;
};

std::string RegistryFile() {
  if (const char* file = std::getenv("VANTOREL_REGISTRY"); file && *file) return file;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    struct passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : "/";
  }
  return std::string(home) + "/.vantorel/registry.reg";
}

bool MakeFolders(const std::string& file) {
  for (size_t slash = file.find('/', 1); slash != std::string::npos;
       slash = file.find('/', slash + 1)) {
    std::string folder = file.substr(0, slash);
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return posix::FailWithErrno(folder);
  }
  return true;
}

class Store {
 public:
  ~Store() {
    try {
      Save();
    } catch (...) {
      // The file went bad under us at exit; nothing left to report to.
    }
  }

  std::mutex mutex;

  // Before every key open: (re)load the file when it is new to us or changed on disk.
  void Refresh() {
    std::string file = RegistryFile();
    if (loaded_ && file != file_) {
      Save();  // the location moved (tests do this); what is pending belongs to the old file
      loaded_ = false;
      pending_.clear();
    }
    auto identity = posix::IdentityOf(file);
    if (loaded_ && identity == identity_) return;
    Load(file, identity);
  }

  RegNode* Find(Root root, const std::vector<std::string>& path) { return tree_.Find(root, path); }

  // Applies a change to the tree and keeps it for the next save. False (with LastError) when it
  // cannot be applied; `changed` tells whether anything changed.
  bool Apply(const Operation& op, bool* changed = nullptr) {
    bool did = false;
    if (!ApplyTo(tree_, op, did)) return false;
    if (did) pending_.push_back(op);
    if (changed) *changed = did;
    return true;
  }

  bool Save() {
    if (!loaded_ || pending_.empty()) return true;
    auto identity = posix::IdentityOf(file_);
    if (identity != identity_) Load(file_, identity);  // someone else wrote in between
    if (!MakeFolders(file_) || !posix::ReplaceHostFile(file_, FormatRegedit4(tree_))) return false;
    identity_ = posix::IdentityOf(file_);
    pending_.clear();
    return true;
  }

 private:
  static bool ApplyTo(RegTree& tree, const Operation& op, bool& changed) {
    if (op.kind == Operation::kCreateKey) {
      tree.Create(op.root, op.path, &changed);
      return true;
    }
    RegNode* node = tree.Find(op.root, op.path);
    switch (op.kind) {
      case Operation::kSetValue:
        if (!node) return Fail(kErrorKeyDeleted);
        node->SetValue(op.name, op.type, op.data);
        changed = true;
        return true;
      case Operation::kDeleteValue:
        if (!node) return Fail(kErrorKeyDeleted);
        if (!node->EraseValue(op.name)) return Fail(kErrorFileNotFound);
        changed = true;
        return true;
      case Operation::kDeleteKey:
        if (!node) return Fail(kErrorFileNotFound);
        changed = tree.Erase(op.root, op.path);
        return changed || Fail(kErrorAccessDenied);
      case Operation::kCreateKey:
        break;
    }
    return false;
  }

  void Load(const std::string& file, const std::optional<posix::FileIdentity>& identity) {
    RegTree tree;
    if (identity) {
      std::string text;
      if (!posix::ReadHostFile(file, text))
        throw PlatformError("Cannot read registry file " + file + ": error " +
                            std::to_string(LastError()));
      ParseRegedit4(text, file, tree);
    }
    for (const Operation& op : pending_) {
      bool changed;
      ApplyTo(tree, op, changed);
    }
    tree_ = std::move(tree);
    file_ = file;
    identity_ = identity;
    loaded_ = true;
  }

  bool loaded_ = false;
  std::string file_;
  std::optional<posix::FileIdentity> identity_;  // of the file as last read or written
  RegTree tree_;
  std::vector<Operation> pending_;
};

Store& TheStore() {
  static Store store;
  return store;
}

struct KeyHandle {
  Root root;
  std::vector<std::string> path;
  bool writable;
};

bool Storable(const std::vector<std::string>& path) {
  for (const std::string& part : path)
    if (!RegNameStorable(part)) return false;
  return true;
}

}  // namespace

RegKey RegKey::Open(Root root, const std::string& path, bool create, bool writable) {
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  store.Refresh();
  RegKey key;
  std::vector<std::string> parts = SplitKeyPath(path);
  bool created = false;
  if (create) {
    if (!Storable(parts)) {
      Fail(kErrorInvalidParameter);
      return key;
    }
    store.Apply({Operation::kCreateKey, root, parts, {}, kRegNone, {}}, &created);
  } else if (!store.Find(root, parts)) {
    Fail(kErrorFileNotFound);
    return key;
  }
  key.handle_ = new KeyHandle{root, std::move(parts), writable};
  key.dirty_ = created;
  SetLastError(kErrorSuccess);
  return key;
}

namespace {

// The value of an open key, or nullptr with LastError set.
const RegValue* FindValue(void* handle, const std::string& name) {
  if (!handle) return Fail(kErrorInvalidHandle), nullptr;
  auto* key = static_cast<KeyHandle*>(handle);
  RegNode* node = TheStore().Find(key->root, key->path);
  if (!node) return Fail(kErrorKeyDeleted), nullptr;
  const RegValue* value = node->FindValue(name);
  if (!value) return Fail(kErrorFileNotFound), nullptr;
  return value;
}

bool SetValue(void* handle, bool& dirty, const std::string& name, uint32_t type,
              std::vector<uint8_t> data) {
  if (!handle) return Fail(kErrorInvalidHandle);
  auto* key = static_cast<KeyHandle*>(handle);
  if (!key->writable) return Fail(kErrorAccessDenied);
  if (!RegNameStorable(name)) return Fail(kErrorInvalidParameter);
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  if (!store.Apply({Operation::kSetValue, key->root, key->path, name, type, std::move(data)}))
    return false;
  dirty = true;
  SetLastError(kErrorSuccess);
  return true;
}

}  // namespace

bool RegKey::ValueExists(const std::string& name) {
  std::lock_guard lock(TheStore().mutex);
  return FindValue(handle_, name) != nullptr;
}

ValueType RegKey::GetValueType(const std::string& name) {
  std::lock_guard lock(TheStore().mutex);
  const RegValue* value = FindValue(handle_, name);
  return value ? ValueTypeOf(value->type) : ValueType::None;
}

bool RegKey::ReadString(const std::string& name, std::string& text) {
  std::lock_guard lock(TheStore().mutex);
  const RegValue* value = FindValue(handle_, name);
  if (!value) return false;
  if (value->type != kRegSz && value->type != kRegExpandSz) return Fail(kErrorInvalidData);
  text = DecodeString(value->data);
  return true;
}

bool RegKey::ReadDWord(const std::string& name, uint32_t& number) {
  std::lock_guard lock(TheStore().mutex);
  const RegValue* value = FindValue(handle_, name);
  if (!value) return false;
  if (value->type != kRegDWord || !DecodeDWord(value->data, number)) return Fail(kErrorInvalidData);
  return true;
}

bool RegKey::ReadBinary(const std::string& name, std::vector<uint8_t>& data) {
  std::lock_guard lock(TheStore().mutex);
  const RegValue* value = FindValue(handle_, name);
  if (!value) return false;
  data = value->data;
  return true;
}

bool RegKey::ReadMultiString(const std::string& name, std::vector<std::string>& list) {
  std::lock_guard lock(TheStore().mutex);
  const RegValue* value = FindValue(handle_, name);
  if (!value) return false;
  if (value->type != kRegMultiSz) return Fail(kErrorInvalidData);
  list = DecodeMultiString(value->data);
  return true;
}

bool RegKey::WriteString(const std::string& name, const std::string& value) {
  return SetValue(handle_, dirty_, name, kRegSz, EncodeString(value));
}

bool RegKey::WriteExpandString(const std::string& name, const std::string& value) {
  return SetValue(handle_, dirty_, name, kRegExpandSz, EncodeString(value));
}

bool RegKey::WriteMultiString(const std::string& name, const std::vector<std::string>& value) {
  std::vector<uint8_t> data;
  if (!EncodeMultiString(value, data)) return Fail(kErrorInvalidParameter);
  return SetValue(handle_, dirty_, name, kRegMultiSz, std::move(data));
}

bool RegKey::WriteDWord(const std::string& name, uint32_t value) {
  return SetValue(handle_, dirty_, name, kRegDWord, EncodeDWord(value));
}

bool RegKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  return SetValue(handle_, dirty_, name, kRegBinary, value);
}

bool RegKey::ReadRaw(const std::string& name, uint32_t& type, std::vector<uint8_t>& data) {
  std::lock_guard lock(TheStore().mutex);
  const RegValue* value = FindValue(handle_, name);
  if (!value) return false;
  type = value->type;
  data = value->data;
  return true;
}

bool RegKey::WriteRaw(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
  return SetValue(handle_, dirty_, name, type, data);
}

bool RegKey::DeleteValue(const std::string& name) {
  if (!handle_) return Fail(kErrorInvalidHandle);
  auto* key = static_cast<KeyHandle*>(handle_);
  if (!key->writable) return Fail(kErrorAccessDenied);
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  if (!store.Apply({Operation::kDeleteValue, key->root, key->path, name, kRegNone, {}}))
    return false;
  dirty_ = true;
  return true;
}

bool RegKey::SubKeyNames(std::vector<std::string>& names) {
  if (!handle_) return Fail(kErrorInvalidHandle);
  auto* key = static_cast<KeyHandle*>(handle_);
  std::lock_guard lock(TheStore().mutex);
  RegNode* node = TheStore().Find(key->root, key->path);
  if (!node) return Fail(kErrorKeyDeleted);
  names.clear();
  for (const auto& entry : node->subkeys) names.push_back(entry.first);
  return true;
}

bool RegKey::ValueNames(std::vector<std::string>& names) {
  if (!handle_) return Fail(kErrorInvalidHandle);
  auto* key = static_cast<KeyHandle*>(handle_);
  std::lock_guard lock(TheStore().mutex);
  RegNode* node = TheStore().Find(key->root, key->path);
  if (!node) return Fail(kErrorKeyDeleted);
  names.clear();
  for (const RegValue& value : node->values) names.push_back(value.name);
  return true;
}

bool RegKey::Flush() {
  if (!handle_) return Fail(kErrorInvalidHandle);
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  return store.Save();
}

void RegKey::Close() {
  if (!handle_) return;
  if (dirty_) {
    Store& store = TheStore();
    std::lock_guard lock(store.mutex);
    try {
      store.Save();  // on failure the changes stay pending for the next save
    } catch (const PlatformError&) {
      // The file turned corrupt behind us; the next open reports it.
    }
  }
  delete static_cast<KeyHandle*>(handle_);
  handle_ = nullptr;
  dirty_ = false;
}

bool KeyExists(Root root, const std::string& path) {
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  store.Refresh();
  return store.Find(root, SplitKeyPath(path)) != nullptr || Fail(kErrorFileNotFound);
}

namespace {

bool DeleteKeyImpl(Root root, const std::string& path, bool tree) {
  Store& store = TheStore();
  std::lock_guard lock(store.mutex);
  store.Refresh();
  std::vector<std::string> parts = SplitKeyPath(path);
  if (parts.empty()) return Fail(kErrorAccessDenied);  // a root cannot go
  RegNode* node = store.Find(root, parts);
  if (!node) return Fail(kErrorFileNotFound);
  if (!tree && !node->subkeys.empty()) return Fail(kErrorAccessDenied);
  if (!store.Apply({Operation::kDeleteKey, root, parts, {}, kRegNone, {}})) return false;
  if (!store.Save()) return false;
  SetLastError(kErrorSuccess);
  return true;
}

}  // namespace

bool DeleteKey(Root root, const std::string& path) {
  return DeleteKeyImpl(root, path, false);
}

bool DeleteKeyTree(Root root, const std::string& path) {
  return DeleteKeyImpl(root, path, true);
}

}  // namespace vantorel::platform
