#include "shell/uninstaller.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "model/symbolic_paths.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/selfreg.h"
#include "platform/system.h"
#include "routines/strings.h"
#include "routines/system_routines.h"
#include "shell/uninstall_exe.h"

namespace vantorel {

namespace {

constexpr char kSharedDLLsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";
// A program server that does not end its "/UNREGSERVER" run by then is left to itself.
constexpr uint32_t kUnregisterTimeoutMs = 60000;

// The number after `prefix` in a record key's name ("Files" 0, "Files3" 3), or -1 when the name
// is not one of them.
int RecordKeyIndex(const std::string& name, const std::string& prefix) {
  if (name.size() < prefix.size() || !SameText(name.substr(0, prefix.size()), prefix)) return -1;
  std::string digits = name.substr(prefix.size());
  if (digits.empty()) return 0;
  if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; }))
    return -1;
  return std::stoi(digits);
}

// "C:\dir\file" or "\\server\share\file", without "." or ".." steps that would lead elsewhere.
bool IsPlainFullPath(const std::string& path) {
  bool drive = path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
               path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  bool unc = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
  if (!drive && !unc) return false;
  std::string normal = path;
  std::replace(normal.begin(), normal.end(), '/', '\\');
  for (const std::string& step : SplitFields(normal.substr(drive ? 3 : 2), '\\'))
    if (step == "." || step == ".." || step.empty()) return false;
  return true;
}

std::string FolderKey(const std::string& folder) {
  return UpperCase(RemoveBackslash(folder));
}

}  // namespace

TUninstaller::TUninstaller(std::string product_name)
    : product_name_(std::move(product_name)), key_(UninstallKeyOf(product_name_)) {
  // The system's folders stay even when the removal empties them; any of them may be unknown
  // (empty) on a given system.
  for (const std::string& folder :
       {platform::GetWindowsDirectory(), platform::GetSystemDirectory(), platform::GetTempPath(),
        ProgramFilesDirectory(), CommonFilesDirectory(), StartMenuFolder(), ProgramsFolder(),
        DesktopFolder(), StartupFolder()})
    if (!folder.empty()) protected_folders_.push_back(FolderKey(folder));
}

bool TUninstaller::Installed() const {
  // A key's name holds no "\\": such a name would reach into another key.
  return !Trim(product_name_).empty() && product_name_.find('\\') == std::string::npos &&
         platform::KeyExists(platform::Root::LocalMachine, key_);
}

std::string TUninstaller::DisplayName() const {
  platform::RegKey key = platform::RegKey::Open(platform::Root::LocalMachine, key_, false, false);
  std::string name;
  if (!key.IsOpen() || !key.ReadString("DisplayName", name) || Trim(name).empty())
    return product_name_;
  return name;
}

void TUninstaller::Skip(const std::string& text, TUninstallReport& report) {
  report.skipped.push_back(text);
  if (OnSkipped) OnSkipped(text);
}

std::vector<TUninstaller::Record> TUninstaller::ReadRecords(TUninstallReport& report) {
  platform::RegKey root = platform::RegKey::Open(platform::Root::LocalMachine, key_, false, false);
  std::vector<std::string> names;
  if (!root.IsOpen() || !root.SubKeyNames(names)) return {};
  // Servers first: they are unregistered while the libraries they load are still there.
  struct RecordKey {
    int group;  // 0 ActiveX, 1 Files
    int index;
    std::string name;
  };
  std::vector<RecordKey> keys;
  for (const std::string& name : names) {
    if (int i = RecordKeyIndex(name, "ActiveX"); i >= 0) keys.push_back({0, i, name});
    if (int i = RecordKeyIndex(name, "Files"); i >= 0) keys.push_back({1, i, name});
  }
  // The newest records are in the key written last: the highest number.
  std::sort(keys.begin(), keys.end(), [](const RecordKey& a, const RecordKey& b) {
    return a.group != b.group ? a.group < b.group : a.index > b.index;
  });

  std::vector<Record> records;
  for (const RecordKey& k : keys) {
    const std::string path = key_ + "\\" + k.name;
    platform::RegKey key = platform::RegKey::Open(platform::Root::LocalMachine, path, false, false);
    std::string entries;
    int count = 0;
    if (!key.IsOpen() || !key.ReadString("Entries", entries) || !TryStrToInt(entries, count) ||
        count < 0) {
      Skip(path + ": the record count \"" + entries + "\" is not a number; its records were " +
               "skipped",
           report);
      continue;
    }
    for (int n = count; n >= 1; --n) {
      Record r{path, "File" + std::to_string(n), "", Kind::File};
      std::string text;
      if (!key.ReadString(r.value, text)) continue;  // done by an earlier run
      r.path = text;
      if (k.group == 0) {
        size_t semicolon = text.rfind(';');
        std::string flag = semicolon == std::string::npos ? "" : text.substr(semicolon + 1);
        if (flag != "0" && flag != "1") {
          Skip(path + "\\" + r.value + ": \"" + text + "\" does not say how the server " +
                   "registered; skipped",
               report);
          continue;
        }
        r.path = text.substr(0, semicolon);
        r.kind = flag == "1" ? Kind::ServerProgram : Kind::ServerLibrary;
      }
      if (!IsPlainFullPath(r.path)) {
        Skip(path + "\\" + r.value + ": \"" + r.path + "\" is not a full path; skipped", report);
        continue;
      }
      records.push_back(std::move(r));
    }
  }
  return records;
}

TUninstaller::Count TUninstaller::ReleaseSharedCount(const std::string& path,
                                                     TUninstallReport& report) {
  platform::RegKey key =
      platform::RegKey::Open(platform::Root::LocalMachine, kSharedDLLsKey, false, true);
  if (!key.IsOpen()) return Count::Remove;
  // The install counts under the short name when a value of that name exists, else the full.
  std::string name = path;
  std::string short_name = platform::GetShortPathName(path);
  if (!short_name.empty() && !SameText(short_name, path) && key.ValueExists(short_name))
    name = short_name;
  if (!key.ValueExists(name)) return Count::Remove;
  uint32_t count = 0;
  if (!key.ReadDWord(name, count)) {
    Skip(path + ": its shared-library count is damaged; the file was kept", report);
    report.kept.push_back(path);
    return Count::Keep;
  }
  if (count > 1) {
    if (!key.WriteDWord(name, count - 1)) {
      report.failures.push_back(path + ": its shared-library count could not be lowered");
      return Count::Unchanged;
    }
    report.kept.push_back(path);
    return Count::Keep;
  }
  if (!key.DeleteValue(name)) {
    report.failures.push_back(path + ": its shared-library count could not be removed");
    return Count::Unchanged;
  }
  return Count::Remove;
}

bool TUninstaller::Unregister(const Record& record, TUninstallReport& report) {
  if (!platform::FileExists(record.path)) return true;
  TCurrentDirectoryScope directory(ExtractFileDir(record.path));
  if (record.kind == Kind::ServerProgram) {
    uint32_t exit_code = 0;
    if (platform::StartProgramAndWait("\"" + record.path + "\" /UNREGSERVER", false,
                                      kUnregisterTimeoutMs, exit_code) &&
        exit_code == 0)
      return true;
    report.failures.push_back(record.path + ": its \"/UNREGSERVER\" run failed");
    return false;
  }
  platform::SelfRegOutcome outcome = platform::RegisterServerDll(record.path, true);
  if (outcome.result == platform::SelfRegResult::Ok) return true;
  report.failures.push_back(record.path + ": DllUnregisterServer failed");
  return false;
}

void TUninstaller::RemoveHelpEntry(const std::string& path) {
  platform::RegKey key =
      platform::RegKey::Open(platform::Root::LocalMachine, kHelpKey, false, true);
  const std::string name = UpperCase(ExtractFileName(path));
  std::string folder;
  // Another product's help file of the same name keeps its entry.
  if (key.IsOpen() && key.ReadString(name, folder) &&
      FolderKey(folder) == FolderKey(ExtractFileDir(path)))
    key.DeleteValue(name);
}

bool TUninstaller::Protected(const std::string& folder) const {
  std::string key = FolderKey(folder);
  // A drive's root or a share's.
  if (key.size() <= 2 || FieldCount(key, '\\') <= (key.starts_with("\\\\") ? 4 : 1)) return true;
  return std::find(protected_folders_.begin(), protected_folders_.end(), key) !=
         protected_folders_.end();
}

void TUninstaller::RemoveEmptyFolders(const std::string& folder) {
  // RemoveDirectory takes only an empty folder: a user's own file keeps its folder, and the
  // folders above it.
  for (std::string dir = RemoveBackslash(folder); !dir.empty() && !Protected(dir);
       dir = ExtractFileDir(dir)) {
    if (!platform::RemoveDirectory(dir)) return;
  }
}

bool TUninstaller::RemoveFile(const std::string& path, TUninstallReport& report) {
  uint32_t attributes = platform::GetFileAttributes(path);
  if (attributes == platform::kInvalidAttributes) {
    RemoveEmptyFolders(ExtractFileDir(path));  // gone already: an earlier run, or the user
    return true;
  }
  if (attributes & platform::kAttrDirectory) {
    report.failures.push_back(path + ": is a folder, not the file that was installed");
    return false;
  }
  if (attributes & platform::kAttrReadOnly)
    platform::SetFileAttributes(path, attributes & ~platform::kAttrReadOnly);
  if (platform::DeleteFile(path)) {
    report.removed.push_back(path);
    RemoveEmptyFolders(ExtractFileDir(path));
    return true;
  }
  uint32_t error = platform::LastError();
  if ((error == platform::kErrorSharingViolation || error == platform::kErrorAccessDenied) &&
      platform::MoveFileAtReboot(path, "")) {
    // In use: the system deletes it as it starts again; its folder stays until then.
    report.restart_needed = true;
    report.removed.push_back(path);
    return true;
  }
  report.failures.push_back(path + ": could not be deleted (error " + std::to_string(error) + ")");
  return false;
}

TUninstallReport TUninstaller::Run() {
  TUninstallReport report;
  for (const Record& record : ReadRecords(report)) {
    // Only a file still there keeps its record, for another run; its count is already settled
    // (counted down, or gone with its last user), so no run counts it twice.
    Count count = ReleaseSharedCount(record.path, report);
    bool done = count != Count::Unchanged;
    if (count == Count::Remove) {
      if (record.kind != Kind::File) Unregister(record, report);
      RemoveHelpEntry(record.path);
      done = RemoveFile(record.path, report);
    }
    if (done) {
      platform::RegKey key =
          platform::RegKey::Open(platform::Root::LocalMachine, record.key, false, true);
      if (key.IsOpen()) key.DeleteValue(record.value);
    }
  }
  if (report.failures.empty() && !platform::DeleteKeyTree(platform::Root::LocalMachine, key_) &&
      platform::KeyExists(platform::Root::LocalMachine, key_))
    report.failures.push_back("HKEY_LOCAL_MACHINE" + key_ + ": could not be deleted");
  return report;
}

}  // namespace vantorel
