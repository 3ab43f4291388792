#include "platform/files.h"

#include <algorithm>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/windows_api.h"

namespace vantorel::platform {
namespace {

HANDLE HandleOf(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// Stamps are local time, as Windows' own tools show and set them: through the local file time.
bool StampFromFileTime(const FILETIME& utc, uint32_t& stamp) {
  FILETIME local;
  WORD date, time;
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToDosDateTime(&local, &date, &time))
    return false;
  stamp = static_cast<uint32_t>(date) << 16 | time;
  return true;
}

bool FileTimeFromStamp(uint32_t stamp, FILETIME& utc) {
  FILETIME local;
  return ::DosDateTimeToFileTime(static_cast<WORD>(stamp >> 16), static_cast<WORD>(stamp),
                                 &local) &&
         ::LocalFileTimeToFileTime(&local, &utc);
}

bool Fail(uint32_t code) {
  ::SetLastError(code);
  return false;
}

// Calls `get(buffer, size)` of the "returns the length, or the size needed" kind until the
// buffer is big enough. Empty on failure.
template <typename Get>
std::string GrowingCall(Get get) {
  std::string buffer(MAX_PATH, '\0');
  while (true) {
    DWORD n = get(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(n + 1);
  }
}

bool IdentityOf(HANDLE h, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h, &info)) return false;
  identity = {info.dwVolumeSerialNumber,
              static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
  return true;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  char last = directory.back();
  return last == '\\' || last == '/' || last == ':' ? directory + name : directory + "\\" + name;
}

}  // namespace

File File::Open(const std::string& path, Access access, unsigned share, Disposition disposition,
                unsigned options) {
  DWORD desired = access == Access::Read    ? GENERIC_READ
                  : access == Access::Write ? GENERIC_WRITE
                                            : GENERIC_READ | GENERIC_WRITE;
  if (options & kOpenRenamable) desired |= DELETE;
  DWORD sharing = ((share & kShareRead) ? FILE_SHARE_READ : 0) |
                  ((share & kShareWrite) ? FILE_SHARE_WRITE : 0) |
                  ((share & kShareDelete) ? FILE_SHARE_DELETE : 0);
  DWORD creation = OPEN_EXISTING;
  switch (disposition) {
    case Disposition::CreateNew:
      creation = CREATE_NEW;
      break;
    case Disposition::CreateAlways:
      creation = CREATE_ALWAYS;
      break;
    case Disposition::OpenExisting:
      creation = OPEN_EXISTING;
      break;
    case Disposition::OpenAlways:
      creation = OPEN_ALWAYS;
      break;
    case Disposition::TruncateExisting:
      creation = TRUNCATE_EXISTING;
      break;
  }
  File file;
  // Windows requires write access for it; Wine would truncate through a read-only open.
  if (disposition == Disposition::TruncateExisting && access == Access::Read) {
    Fail(kErrorInvalidParameter);
    return file;
  }
  // A new file is made at its own name, never at the far end of a link that has the name.
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  if (disposition == Disposition::CreateNew) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE h = ::CreateFileA(path.c_str(), desired, sharing, nullptr, creation, flags, nullptr);
  if (h != INVALID_HANDLE_VALUE) file.handle_ = reinterpret_cast<intptr_t>(h);
  return file;
}

int64_t File::Read(void* buffer, size_t count) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  size_t done = 0;
  while (done < count) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30)), got = 0;
    if (!::ReadFile(HandleOf(handle_), static_cast<char*>(buffer) + done, chunk, &got, nullptr))
      return -1;
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

int64_t File::Write(const void* buffer, size_t count) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  size_t done = 0;
  while (done < count) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30)), put = 0;
    BOOL ok = ::WriteFile(HandleOf(handle_), static_cast<const char*>(buffer) + done, chunk, &put,
                          nullptr);
    done += put;
    if (!ok) {
      DWORD error = ::GetLastError();
      if (error != ERROR_DISK_FULL && error != ERROR_HANDLE_DISK_FULL) return -1;
      Fail(kErrorDiskFull);
      break;
    }
    if (put == 0) break;
  }
  return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, SeekOrigin origin) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  DWORD method = origin == SeekOrigin::Begin     ? FILE_BEGIN
                 : origin == SeekOrigin::Current ? FILE_CURRENT
                                                 : FILE_END;
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  if (!::SetFilePointerEx(HandleOf(handle_), distance, &position, method)) return -1;
  return position.QuadPart;
}

int64_t File::Position() {
  return Seek(0, SeekOrigin::Current);
}

int64_t File::Size() {
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(HandleOf(handle_), &size)) return -1;
  return size.QuadPart;
}

bool File::Truncate() {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  return ::SetEndOfFile(HandleOf(handle_)) != 0;
}

bool File::GetDosDateTime(uint32_t& stamp) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  FILETIME written;
  return ::GetFileTime(HandleOf(handle_), nullptr, nullptr, &written) &&
         StampFromFileTime(written, stamp);
}

bool File::SetDosDateTime(uint32_t stamp) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  FILETIME written;
  return FileTimeFromStamp(stamp, written) &&
         ::SetFileTime(HandleOf(handle_), nullptr, nullptr, &written);
}

bool File::Flush() {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  return ::FlushFileBuffers(HandleOf(handle_)) != 0;
}

bool File::GetIdentity(FileIdentity& identity) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  if (!identity_) {
    FileIdentity asked;
    if (!IdentityOf(HandleOf(handle_), asked)) return false;
    identity_ = asked;
  }
  identity = *identity_;
  return true;
}

bool File::Rename(const std::string& to, bool replace) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  // The system takes a full path in its own form (\??\C:\..., \??\UNC\server\...), which
  // every version reads.
  std::string full = GrowingCall(
      [&](char* buffer, DWORD size) { return ::GetFullPathNameA(to.c_str(), size, buffer, nullptr); });
  if (full.empty()) return false;
  if (full.rfind("\\\\?\\", 0) == 0)
    full = "\\??\\" + full.substr(4);
  else if (full.rfind("\\\\", 0) == 0)
    full = "\\??\\UNC\\" + full.substr(2);
  else
    full = "\\??\\" + full;
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(full.size()), nullptr, 0);
  if (length <= 0) return false;
  const size_t bytes = sizeof(FILE_RENAME_INFO) + static_cast<size_t>(length) * sizeof(wchar_t);
  std::vector<unsigned char> buffer(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(length * sizeof(wchar_t));
  ::MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(full.size()), info->FileName,
                        length);
  if (::SetFileInformationByHandle(HandleOf(handle_), FileRenameInfo, info,
                                   static_cast<DWORD>(bytes)))
    return true;
  // The code a move by name gives when the name is taken.
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
    return Fail(kErrorAlreadyExists);
  return false;
}

File File::OpenRegular(const std::string& path, Access access, unsigned share) {
  File file = Open(path, access, share, Disposition::OpenExisting);
  // Devices (NUL, CON, COM1 in any folder), pipes and consoles open like files.
  if (file.IsOpen() && ::GetFileType(HandleOf(file.handle_)) != FILE_TYPE_DISK) {
    file.Close();
    Fail(kErrorAccessDenied);
  }
  return file;
}

void File::Close() {
  if (!IsOpen()) return;
  ::CloseHandle(HandleOf(handle_));
  handle_ = kClosed;
  identity_.reset();
}

bool FileExists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DeleteFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != 0;
}

bool CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) {
  return ::CopyFileA(from.c_str(), to.c_str(), fail_if_exists) != 0;
}

bool MoveFile(const std::string& from, const std::string& to) {
  return ::MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool MoveFileReplace(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

// Without the replace flag the move itself would fail at the restart wherever `to` still
// exists, which is the very case this is for.
bool MoveFileAtReboot(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.empty() ? nullptr : to.c_str(),
                       MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

uint32_t GetFileAttributes(const std::string& path) {
  return ::GetFileAttributesA(path.c_str());
}

bool SetFileAttributes(const std::string& path, uint32_t attributes) {
  return ::SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool GetFileDosDateTime(const std::string& path, uint32_t& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
         StampFromFileTime(data.ftLastWriteTime, stamp);
}

bool SetFileDosDateTime(const std::string& path, uint32_t stamp) {
  FILETIME written;
  if (!FileTimeFromStamp(stamp, written)) return false;
  // Attribute access only: it works on files others hold open, and on folders.
  HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = ::SetFileTime(h, nullptr, nullptr, &written) != 0;
  DWORD error = ::GetLastError();
  ::CloseHandle(h);
  return ok || Fail(error);
}

bool GetFileSize(const std::string& path, uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
             ? 0
             : static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  return true;
}

bool GetFileIdentity(const std::string& path, FileIdentity& identity) {
  // No access asked: it opens files others hold without sharing, and folders.
  HANDLE h = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = IdentityOf(h, identity);
  DWORD error = ::GetLastError();
  ::CloseHandle(h);
  return ok || Fail(error);
}

bool CreateDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RemoveDirectory(const std::string& path) {
  return ::RemoveDirectoryA(path.c_str()) != 0;
}

bool ListDirectory(const std::string& directory, const std::string& pattern,
                   std::vector<DirEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA(JoinPath(directory, pattern.empty() ? "*" : pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) {
    // "Nothing matches" in a folder that exists is an empty list, not a failure.
    DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) return false;
    ::SetLastError(ERROR_SUCCESS);
    return true;
  }
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    DirEntry entry;
    entry.name = name;
    entry.attributes = found.dwFileAttributes;
    entry.size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    if (!StampFromFileTime(found.ftLastWriteTime, entry.dos_date_time)) entry.dos_date_time = 0;
    entries.push_back(std::move(entry));
  } while (::FindNextFileA(h, &found));
  DWORD error = ::GetLastError();
  ::FindClose(h);
  if (error != ERROR_NO_MORE_FILES) return Fail(error);
  ::SetLastError(ERROR_SUCCESS);
  return true;
}

bool GetDiskFreeSpace(const std::string& path, uint64_t& free_bytes, uint64_t& total_bytes) {
  ULARGE_INTEGER available, total, free;
  if (!::GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free)) return false;
  free_bytes = available.QuadPart;
  total_bytes = total.QuadPart;
  return true;
}

std::string GetTempPath() {
  return GrowingCall([](char* buffer, DWORD size) { return ::GetTempPathA(size, buffer); });
}

std::string GetTempFileName(const std::string& directory, const std::string& prefix) {
  char buffer[MAX_PATH + 1] = {};
  if (!::GetTempFileNameA(directory.c_str(), prefix.c_str(), 0, buffer)) return "";
  return buffer;
}

std::string GetShortPathName(const std::string& path) {
  return GrowingCall(
      [&](char* buffer, DWORD size) { return ::GetShortPathNameA(path.c_str(), buffer, size); });
}

std::string GetCurrentDirectory() {
  return GrowingCall([](char* buffer, DWORD size) { return ::GetCurrentDirectoryA(size, buffer); });
}

bool SetCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryA(path.c_str()) != 0;
}

std::string GetWindowsDirectory() {
  return GrowingCall([](char* buffer, DWORD size) { return ::GetWindowsDirectoryA(buffer, size); });
}

std::string GetSystemDirectory() {
  return GrowingCall([](char* buffer, DWORD size) { return ::GetSystemDirectoryA(buffer, size); });
}

std::string GetModuleFileName() {
  std::string buffer(MAX_PATH, '\0');
  while (true) {
    DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return "";
    if (n < buffer.size()) {  // n == size means cut short
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string NativePath(const std::string& path) {
  return path;
}

}  // namespace vantorel::platform
