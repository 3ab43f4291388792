#pragma once
// Files and directories. Paths are Windows paths in 8-bit ANSI; both "\" and "/" separate.
// Every call that can fail returns false / -1 / an empty string and sets LastError().
//
// The posix backend maps paths as Wine does: a drive "X:" is the folder named by the environment
// variable VANTOREL_DRIVE_X (an unmapped drive is kErrorPathNotFound), "Z:" and paths starting
// with a separator are the host's "/", relative paths are relative. Unlike Windows, names compare
// case-sensitively there (listing patterns excepted). Emulated there: share modes among the
// openers that go through this interface, in this process and in others (other programs are not
// bound); the read-only attribute (a file without write permission, enforced even for root);
// the hidden attribute (names starting with "."); the archive attribute (every file has it).
// The system and other attributes are dropped. A dangling symbolic link is refused by the
// creating dispositions (kErrorAccessDenied) where Windows would create the file it names.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantorel::platform {

enum class Access { Read, Write, ReadWrite };

// Share modes, combinable: what other openers of the same file are still allowed to do.
enum Share : unsigned { kShareNone = 0, kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };

enum class Disposition {
  CreateNew,         // fails with kErrorFileExists when the file exists
  CreateAlways,      // creates or truncates
  OpenExisting,      // fails with kErrorFileNotFound when missing
  OpenAlways,        // opens or creates
  TruncateExisting,  // opens and truncates; fails when missing
};

enum class SeekOrigin { Begin, Current, End };

// A file itself rather than one of its names: every path that reaches it (another spelling, a
// symbolic link, a hard link) gives the same identity. The volume and the file's number on it.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// File attribute bits, the Windows values.
enum : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kInvalidAttributes = 0xFFFFFFFFu,
};

// Options of File::Open beyond the access and the sharing.
enum : unsigned {
  kOpenRenamable = 1,  // the open file may take another name through File::Rename
};

// An open file. Move-only; the handle is closed by the destructor.
class File {
 public:
  File() = default;
  ~File() { Close(); }
  File(File&& other) noexcept
      : handle_(std::exchange(other.handle_, kClosed)),
        identity_(std::exchange(other.identity_, std::nullopt)) {}
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, kClosed);
      identity_ = std::exchange(other.identity_, std::nullopt);
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Returns a closed File (IsOpen() false) on failure, with LastError() set.
  // After a successful CreateAlways or OpenAlways, LastError() is kErrorAlreadyExists when the
  // file existed and kErrorSuccess when it was made. Opening a folder fails (kErrorAccessDenied),
  // so does TruncateExisting without write access (kErrorInvalidParameter).
  static File Open(const std::string& path, Access access, unsigned share, Disposition disposition,
                   unsigned options = 0);
  // Opens an existing file only when it is an ordinary file on a disk, so that a reader of
  // untrusted paths never meets a device (endless or empty), a pipe or a FIFO (which would block
  // the open until a writer came). Anything else fails with kErrorAccessDenied, as a folder does.
  static File OpenRegular(const std::string& path, Access access, unsigned share);

  bool IsOpen() const { return handle_ != kClosed; }
  // Bytes read (0 at end of file), or -1 on error.
  int64_t Read(void* buffer, size_t count);
  // Bytes written, or -1 on error. A short count means the disk is full (kErrorDiskFull).
  int64_t Write(const void* buffer, size_t count);
  // The new position, or -1 on error.
  int64_t Seek(int64_t offset, SeekOrigin origin);
  int64_t Position();
  int64_t Size();
  // Cuts the file at the current position.
  bool Truncate();
  // The last-write time as a DOS date-time stamp (date in the high word, time in the low word).
  bool GetDosDateTime(uint32_t& stamp);
  bool SetDosDateTime(uint32_t stamp);
  bool Flush();
  // Gives the file another name, on the same volume, through this handle: no second open, as a
  // move by name needs. Only for a file opened with kOpenRenamable (Windows refuses others, Wine
  // does not). `replace` replaces a file that has the name (kErrorAlreadyExists without it).
  // Another volume: kErrorNotSameDevice.
  bool Rename(const std::string& to, bool replace);
  // Asked of the system once: an open file's identity cannot change, and under Wine each asking
  // is a round trip through the mount manager.
  bool GetIdentity(FileIdentity& identity);
  void Close();

 private:
  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;
  std::optional<FileIdentity> identity_;
};

struct DirEntry {
  std::string name;  // file name only
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint32_t dos_date_time = 0;
};

bool FileExists(const std::string& path);  // a file or a directory
bool DeleteFile(const std::string& path);
bool CopyFile(const std::string& from, const std::string& to, bool fail_if_exists);
// Renames or moves; fails when `to` exists.
bool MoveFile(const std::string& from, const std::string& to);
// Renames or moves, replacing an existing `to`.
bool MoveFileReplace(const std::string& from, const std::string& to);
// Asks the system to move `from` onto `to` at its next start, replacing `to` when it exists
// then; an empty `to` deletes `from` at the next start. Nothing happens now: the entry lands in
// the registry (HKLM "SYSTEM\CurrentControlSet\Control\Session Manager", value
// PendingFileRenameOperations), so it needs the rights to write there. The 95 family has no
// such entry; its way is the [Rename] section of WININIT.INI, an INI write. The posix backend
// has no restart and fails with kErrorCallNotImplemented.
bool MoveFileAtReboot(const std::string& from, const std::string& to);
uint32_t GetFileAttributes(const std::string& path);  // kInvalidAttributes on failure
bool SetFileAttributes(const std::string& path, uint32_t attributes);
bool GetFileDosDateTime(const std::string& path, uint32_t& stamp);
bool SetFileDosDateTime(const std::string& path, uint32_t stamp);
bool GetFileSize(const std::string& path, uint64_t& size);
// The identity of the file or folder at `path`, through links; fails when there is none.
bool GetFileIdentity(const std::string& path, FileIdentity& identity);
bool CreateDirectory(const std::string& path);  // the parent must exist
bool RemoveDirectory(const std::string& path);  // must be empty
// Entries of `directory` matching `pattern` ("*", "*.txt", "a?c"), without "." and "..".
// Patterns compare without regard to case. No match is an empty list, not a failure; a missing
// directory fails with kErrorPathNotFound. The posix backend lists in name order.
bool ListDirectory(const std::string& directory, const std::string& pattern,
                   std::vector<DirEntry>& entries);
// Free and total bytes of the disk holding `path` (a root such as "C:\" or any directory).
bool GetDiskFreeSpace(const std::string& path, uint64_t& free_bytes, uint64_t& total_bytes);

// The temporary directory, with a trailing backslash; empty on failure. The posix backend
// gives $TMPDIR or /tmp in the Windows form (under a mapped drive that holds it, else Z:).
std::string GetTempPath();
// Creates a new empty file named with up to three characters of `prefix`, a unique hexadecimal
// number and ".tmp" in `directory` and returns its path; empty on failure.
std::string GetTempFileName(const std::string& directory, const std::string& prefix);
// The short (8.3) form of an existing path; the path itself where the system has none.
std::string GetShortPathName(const std::string& path);
std::string GetCurrentDirectory();
bool SetCurrentDirectory(const std::string& path);
// Empty on failure. The posix backend names "C:\WINDOWS" and "C:\WINDOWS\SYSTEM32" while the
// C: drive is mapped and fails with kErrorPathNotFound otherwise; the folders need not exist.
std::string GetWindowsDirectory();
std::string GetSystemDirectory();
// The full path of the running program.
std::string GetModuleFileName();
// The path as the operating system itself names it: unchanged on Windows, the mapped host path
// in the posix backend (for command lines of host programs). Empty for an unmapped drive.
std::string NativePath(const std::string& path);

}  // namespace vantorel::platform
