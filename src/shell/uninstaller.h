#pragma once
// What uninstall.exe does with a product's uninstall key: it takes away, newest record first,
// what the install files recorded there (Files, Files1, ... and the self-registered servers of
// ActiveX, ActiveX1, ...), then the key itself.
//
// For each recorded file: its shared-library count (SharedDLLs) goes down by one, and while
// another product still counts it the file stays, registered; otherwise a server is
// unregistered (DllUnregisterServer, or "/UNREGSERVER" for a program, waited for), its help
// entry goes when it names the file's folder, the file is deleted (a file in use at the next
// restart), and the folders its removal left empty go too, up to the system's own folders. A
// record done is taken out of its key, so a run that could not finish leaves the key with only
// what remains, and a second run neither counts a library down twice nor misses the rest.
#include <functional>
#include <string>
#include <vector>

namespace vantorel {

struct TUninstallReport {
  bool restart_needed = false;        // files in use go at the next restart
  std::vector<std::string> removed;   // files deleted now or at the restart
  std::vector<std::string> kept;      // files another product still counts
  std::vector<std::string> skipped;   // damaged records, each with what was wrong
  std::vector<std::string> failures;  // what could not be removed, and why
};

class TUninstaller {
 public:
  explicit TUninstaller(std::string product_name);

  const std::string& ProductName() const { return product_name_; }
  // Under HKEY_LOCAL_MACHINE.
  const std::string& Key() const { return key_; }
  bool Installed() const;
  // The values of the key that the list of installed programs shows.
  std::string DisplayName() const;

  // Removes what the records name, then the key (kept, with what remains, after a failure).
  TUninstallReport Run();

  // Deletes one file (at the next restart when it is in use) and the folders it leaves empty;
  // for the uninstaller's own program file, which has no record. False when it is still there.
  bool RemoveFile(const std::string& path, TUninstallReport& report);

  // Called with each damaged record skipped, as it is met.
  std::function<void(const std::string& text)> OnSkipped;

 private:
  enum class Kind { File, ServerLibrary, ServerProgram };
  struct Record {
    std::string key;    // the record key, under Key()
    std::string value;  // "File<n>"
    std::string path;
    Kind kind = Kind::File;
  };

  std::vector<Record> ReadRecords(TUninstallReport& report);
  void Skip(const std::string& text, TUninstallReport& report);
  enum class Count {
    Remove,     // no other product counts the file (any more)
    Keep,       // another still does, or its count is damaged: the file stays
    Unchanged,  // the count could not be written: the record stays for another run
  };
  Count ReleaseSharedCount(const std::string& path, TUninstallReport& report);
  bool Unregister(const Record& record, TUninstallReport& report);
  void RemoveHelpEntry(const std::string& path);
  void RemoveEmptyFolders(const std::string& folder);
  bool Protected(const std::string& folder) const;

  std::string product_name_;
  std::string key_;
  std::vector<std::string> protected_folders_;
};

}  // namespace vantorel
