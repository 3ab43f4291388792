// The install record of a setup file, its list of unfinished business, the RunOnce command and
// the clean-up of the temporary copy.
#include <cmath>
#include <cstring>

#include "install/install.h"
#include "model/exceptions.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/restart.h"
#include "routines/main_translator.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

constexpr char kInstallKey[] = "\\SOFTWARE\\Vantorel\\Install";
constexpr char kVantorelKey[] = "\\Software\\Vantorel";
constexpr char kUnfinished[] = "Unfinished";
// A record matches when its date is this close (about 9 ms) and the size is equal.
constexpr double kDateTolerance = 1e-7;

std::vector<uint8_t> DateBytes(TDateTime value) {
  std::vector<uint8_t> bytes(8);
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  return bytes;
}

bool BytesDate(const std::vector<uint8_t>& bytes, TDateTime& value) {
  if (bytes.size() != 8) return false;
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | bytes[i];
  std::memcpy(&value, &bits, 8);
  return std::isfinite(value);
}

bool SubKeyNames(platform::Root root, const std::string& path, std::vector<std::string>& names) {
  platform::RegKey key = platform::RegKey::Open(root, path, false, false);
  return key.IsOpen() && key.SubKeyNames(names);
}

}  // namespace

std::string TCustomInstall::FindInstallRecord(bool create) {
  const std::string program = SetupProgramPath();
  platform::File file = platform::File::Open(program, platform::Access::Read,
                                             platform::kShareRead | platform::kShareWrite,
                                             platform::Disposition::OpenExisting);
  uint32_t stamp = 0;
  int64_t size = file.IsOpen() ? file.Size() : -1;
  if (size < 0 || !file.GetDosDateTime(stamp)) return "";
  file.Close();
  const TDateTime date = DosDateTimeToDateTime(stamp);

  platform::RegKey install =
      platform::RegKey::Open(platform::Root::LocalMachine, kInstallKey, true, true);
  if (!install.IsOpen()) return "";
  std::vector<std::string> names;
  install.SubKeyNames(names);

  for (const std::string& name : names) {
    std::string path = std::string(kInstallKey) + "\\" + name;
    platform::RegKey record =
        platform::RegKey::Open(platform::Root::LocalMachine, path, false, true);
    if (!record.IsOpen()) continue;
    std::string recorded_path;
    std::vector<uint8_t> date_bytes;
    uint32_t recorded_size = 0;
    TDateTime recorded_date = 0;
    if (!record.ReadString("Path", recorded_path) ||
        !record.ReadBinary("CreationDate", date_bytes) || !BytesDate(date_bytes, recorded_date) ||
        !record.ReadDWord("Size", recorded_size))
      continue;
    if (std::fabs(recorded_date - date) < kDateTolerance &&
        static_cast<int64_t>(recorded_size) == size) {
      if (!record.WriteBinary("LastRunDate", DateBytes(RunStartTime())) ||
          !record.WriteString("Path", program))
        return "";
      return path;
    }
  }
  if (!create) return "";

  int n = 0;
  auto taken = [&](int candidate) {
    for (const std::string& name : names)
      if (SameText(name, "Install" + std::to_string(candidate))) return true;
    return false;
  };
  while (taken(n)) ++n;
  std::string path = std::string(kInstallKey) + "\\Install" + std::to_string(n);
  platform::RegKey record = platform::RegKey::Open(platform::Root::LocalMachine, path, true, true);
  if (!record.IsOpen()) return "";
  bool ok = record.WriteString("Path", program) &&
            record.WriteBinary("LastRunDate", DateBytes(RunStartTime())) &&
            record.WriteBinary("CreationDate", DateBytes(date)) &&
            record.WriteDWord("Size", static_cast<uint32_t>(size));
  if (ok && HasSwitch('e'))
    ok = record.WriteString("SelfExtract", AddBackslash(SwitchArgument('s')) + SwitchArgument('e'));
  if (!ok || !record.Flush()) return "";
  return path;
}

void TCustomInstall::RequireInstallRecord() const {
  if (InstallRecordKey().empty())
    throw IEInstall(
        "The TInstall could not either write or read unfinished business from the registry");
}

void TCustomInstall::ClearUnfinished() {
  RequireInstallRecord();
  DeleteRegKeyTree(kRootLocalMachine, AddBackslash(InstallRecordKey()) + kUnfinished);
}

void TCustomInstall::AddUnfinished(const std::string& subject, int code) {
  RequireInstallRecord();
  ++unfinished_count_;
  WriteRegString(kRootLocalMachine, AddBackslash(InstallRecordKey()) + kUnfinished, subject,
                 std::to_string(code));
}

void TCustomInstall::ReadUnfinished(TStrings& list) {
  list.Clear();
  RequireInstallRecord();
  platform::RegKey key = platform::RegKey::Open(
      platform::Root::LocalMachine, AddBackslash(InstallRecordKey()) + kUnfinished, false, false);
  if (!key.IsOpen()) return;
  std::vector<std::string> names;
  key.ValueNames(names);
  for (const std::string& name : names) {
    std::string value;
    key.ReadString(name, value);
    list.Add(name + ";" + value);
  }
}

std::string TCustomInstall::RunOnceCommand() const {
  const std::string program = SetupProgramPath();
  std::string command;
  if (HasSwitch('e')) {
    std::string self_extract = SwitchArgument('e');
    command = "\"" + program + "\" -r \"-e" + ExtractFileName(self_extract) + "\" \"-s" +
              RemoveBackslash(ExtractFileDir(self_extract)) + "\"";
  } else {
    std::string base = program;
    // Every parameter is a switch, so the second one names no file; joined to the -s path it
    // only misleads: after -d it is the -s path itself and would point the restart at a folder
    // that does not exist. The restart starts from the distribution's folder.
    if (use_loading_program_) base = AddBackslash(SwitchArgument('s'));
    command = "\"" + program + "\" -r \"-s" + RemoveBackslash(ExtractFileDir(base)) + "\"";
  }
  if (HasSwitch('c')) command += " -c";
  return command;
}

void TCustomInstall::RegisterRunOnce() {
  if (!AddRunOnce("VantorelUnfinished", RunOnceCommand(), true))
    throw IEInstall(
        "Cannot register the install to be run on reboot in the RunOnce key in the registry");
}

std::string CleanupBatchText(const std::string& program, const std::string& batch, bool nt) {
  // Every path is quoted (a folder with blanks would split it into other files' names) and its
  // '%' doubled (a batch file expands %NAME%).
  auto quoted = [](const std::string& path) {
    std::string text(1, '"');
    for (char c : path) {
      if (c == '%') text += '%';
      text += c;
    }
    return text += '"';
  };
  const std::string folder = RemoveBackslash(ExtractFileDir(program));
  const std::string batch_folder = RemoveBackslash(ExtractFileDir(batch));
  std::string text = "@ECHO OFF\r\n";
  // The folder to remove must not be the batch's current folder, which the program's may be.
  if (nt) text += "CD /D " + quoted(batch_folder) + "\r\n";
  // The batch starts while the program is still ending: it waits, a second a try and at most
  // about 30 s, until the program file can be erased. The counter is a string of dots, which the
  // 95 family's command interpreter can count too.
  text += "SET VTWAIT=\r\n:WAIT\r\n";
  text += "IF NOT EXIST " + quoted(program) + " GOTO GONE\r\n";
  text += std::string(nt ? "ERASE /F " : "ERASE ") + quoted(program) + "\r\n";
  text += "IF NOT EXIST " + quoted(program) + " GOTO GONE\r\n";
  text += "IF \"%VTWAIT%\"==\"" + std::string(30, '.') + "\" GOTO GONE\r\n";
  text += "SET VTWAIT=%VTWAIT%.\r\n";
  text += "PING -n 2 127.0.0.1 >NUL\r\n";
  text += "GOTO WAIT\r\n:GONE\r\nSET VTWAIT=\r\n";
  // A copy that lies directly in a drive's or share's root, or in the temporary folder itself,
  // has no folder of its own: that folder stays.
  const bool shared =
      folder.empty() || (folder.size() == 2 && folder[1] == ':') ||
      (folder.rfind("\\\\", 0) == 0 && folder.find('\\', 2) == folder.rfind('\\')) ||
      SameText(folder, batch_folder);
  if (!shared) text += std::string(nt ? "RMDIR /S /Q " : "DELTREE /Y ") + quoted(folder) + "\r\n";
  // The 95 family makes a PIF for a batch it starts; NT does not.
  if (!nt) text += "ERASE " + quoted(ChangeFileExt(batch, ".PIF")) + "\r\n";
  text += "ERASE " + quoted(batch) + "\r\n";
  return text;
}

void TCustomInstall::WriteCleanupBatch() {
  if (!use_loading_program_ || !HasSwitch('c') || HasSwitch('d') || InDesignMode(this)) return;
  bool continue_ = true;
  if (OnBeforeCleanup) OnBeforeCleanup(this, continue_);
  if (!continue_) return;
  const std::string program = SetupProgramPath();
  const std::string program_dir = RemoveBackslash(ExtractFileDir(program));
  for (const std::string& line : *PresetupFiles())
    platform::DeleteFile(AddBackslash(program_dir) + ExtractFileName(line));
  bool nt = true;
  try {
    nt = GetWindowsVersion() != 1;
  } catch (const EAPIRoutines&) {
  }
  std::string batch = ChangeFileExt(GetTempFile(false), ".bat");
  std::string text = CleanupBatchText(program, batch, nt);
  platform::File file = platform::File::Open(batch, platform::Access::Write, platform::kShareNone,
                                             platform::Disposition::CreateAlways);
  if (!file.IsOpen() || file.Write(text.data(), text.size()) != static_cast<int64_t>(text.size()))
    throw EAPIRoutines("Cannot create a temporary file");
  cleanup_batch_ = batch;
  batch_pending_ = true;
}

void TCustomInstall::RemoveInstallRecord() {
  const std::string record = InstallRecordKey();
  if (record.empty()) return;
  std::vector<std::string> names;
  SubKeyNames(platform::Root::LocalMachine, record, names);
  for (const std::string& name : names) {
    std::string sub = AddBackslash(record) + name;
    std::string local = ReadRegString(kRootLocalMachine, sub, "LocalFile", "");
    if (!Trim(local).empty()) platform::DeleteFile(local);
    DeleteRegKeyTree(kRootLocalMachine, sub);
  }
  DeleteRegKeyTree(kRootLocalMachine, record);
  names.clear();
  if (SubKeyNames(platform::Root::LocalMachine, kInstallKey, names) && names.empty())
    platform::DeleteKey(platform::Root::LocalMachine, kInstallKey);
  names.clear();
  if (SubKeyNames(platform::Root::LocalMachine, kVantorelKey, names) && names.empty())
    platform::DeleteKey(platform::Root::LocalMachine, kVantorelKey);
  InstallRecordKey().clear();
}

void TCustomInstall::RebootWindows() {
  uint8_t version = 0;
  bool restarted = false;
  try {
    version = GetWindowsVersion();
  } catch (const EAPIRoutines&) {
    version = 4;
  }
  if (version == 1) restarted = platform::RestartWindows(false);
  if (version == 2) restarted = platform::RestartWindows(true);
  if (restarted) return;
  if (OnFailedReboot)
    OnFailedReboot(this);
  else
    Application().MessageBox(
        TranslateString("Could not reboot windows. Please manually reboot windows."),
        Application().Title(), MB_OK | MB_ICONERROR);
}

void TCustomInstall::SaveLanguage() {
  if (MainTranslator() != nullptr && !InstallRecordKey().empty())
    WriteRegInteger(kRootLocalMachine, InstallRecordKey(), "Language",
                    MainTranslator()->TranslateIntoLanguage());
}

int TCustomInstall::RestoreLanguage() {
  const int current =
      MainTranslator() != nullptr ? MainTranslator()->TranslateIntoLanguage() : kUserLanguage;
  if (InstallRecordKey().empty()) return current;
  try {
    return ReadRegInteger(kRootLocalMachine, InstallRecordKey(), "Language", current);
  } catch (const Exception&) {
    return current;
  }
}

void TCustomInstall::ResumeAfterReboot() {
  running_ = true;
  InstallRecordKey() = FindInstallRecord(false);
  if (MainTranslator() != nullptr) MainTranslator()->SetTranslateIntoLanguage(RestoreLanguage());
  TStringList list;
  ReadUnfinished(list);
  ClearUnfinished();
  for (const std::string& entry : list) {
    // Split at the last ';': the code is a number, while a file path may hold ';' itself.
    const size_t at = entry.rfind(';');
    const std::string subject = at == std::string::npos ? entry : entry.substr(0, at);
    int code = 0;
    if (at == std::string::npos || !TryStrToInt(entry.substr(at + 1), code))
      throw IEInstall("There is an invalid entry for the unfinished install list %s", entry);
    if (code == 1) {
      platform::DeleteFile(subject);
    } else if (code == 0) {
      const std::vector<TInstallContainer*> containers(ContainerList().begin(),
                                                       ContainerList().end());
      for (TInstallContainer* container : containers)
        if (SameText(container->Name(), subject)) container->ResumeAfterReboot();
    }
  }
  EndGoodRun();
}

}  // namespace vantorel
