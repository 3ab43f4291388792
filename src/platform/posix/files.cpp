// Files on the host file system under Windows rules: paths through the drive mapping, errors as
// Windows codes, share modes through share_lock.h, the read-only attribute as "no write bit".
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/dos_time.h"
#include "platform/errors.h"
#include "platform/posix/host_path.h"
#include "platform/posix/share_lock.h"
#include "platform/reg_data.h"
#include "platform/system.h"
#include "platform/wildcard.h"

namespace vantorel::platform {

using posix::Fail;
using posix::FailWithErrno;
using posix::ToHostPath;

namespace {

struct OpenFile {
  int fd = -1;
  Access access = Access::Read;
  std::string host;
  bool renamable = false;
};

OpenFile* FileOf(intptr_t handle) {
  return reinterpret_cast<OpenFile*>(handle);
}

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr int kOpenAttempts = 16;

// Windows keeps a read-only flag; here it is a file without any write permission. Root ignores
// permissions, so the backend enforces the flag itself wherever Windows would.
bool ReadOnly(const struct stat& st) {
  return S_ISREG(st.st_mode) && (st.st_mode & kWriteBits) == 0;
}

bool Reads(Access a) {
  return a != Access::Write;
}
bool Writes(Access a) {
  return a != Access::Read;
}

bool StampFromTime(time_t t, uint32_t& stamp) {
  struct tm tm;
  if (!::localtime_r(&t, &tm)) return Fail(kErrorInvalidParameter);
  DosFields f{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  return PackDosDateTime(f, stamp) || Fail(kErrorInvalidParameter);
}

bool TimeFromStamp(uint32_t stamp, struct timespec& ts) {
  DosFields f;
  if (!UnpackDosDateTime(stamp, f)) return Fail(kErrorInvalidParameter);
  struct tm tm {};
  tm.tm_year = f.year - 1900;
  tm.tm_mon = f.month - 1;
  tm.tm_mday = f.day;
  tm.tm_hour = f.hour;
  tm.tm_min = f.minute;
  tm.tm_sec = f.second;
  tm.tm_isdst = -1;
  time_t t = ::mktime(&tm);
  if (t == static_cast<time_t>(-1)) return Fail(kErrorInvalidParameter);
  ts.tv_sec = t;
  ts.tv_nsec = 0;
  return true;
}

uint32_t AttributesOf(const std::string& host, const struct stat& st) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (ReadOnly(st)) attributes |= kAttrReadOnly;
  size_t slash = host.find_last_of('/');
  std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= kAttrHidden;
  return attributes;
}

// Open with O_RDWR where the share locks need a readable descriptor; a file only the writer may
// touch falls back to O_WRONLY and goes without share checks.
int OpenHost(const std::string& host, bool read, bool write, int extra) {
  int base = O_CLOEXEC | O_NOCTTY | extra;
  if (!write) return ::open(host.c_str(), base | O_RDONLY, 0666);
  int fd = ::open(host.c_str(), base | O_RDWR, 0666);
  if (fd < 0 && errno == EACCES && !read) fd = ::open(host.c_str(), base | O_WRONLY, 0666);
  return fd;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || IsSeparator(directory.back()) || directory.back() == ':')
    return directory + name;
  return directory + "\\" + name;
}

// The rename itself, after the checks Windows makes of what is at the target.
bool RenameHost(const std::string& host_from, const std::string& host_to, bool replace) {
  struct stat dst;
  bool target_exists = ::lstat(host_to.c_str(), &dst) == 0;
  if (target_exists) {
    if (!replace) return Fail(kErrorAlreadyExists);
    if (S_ISDIR(dst.st_mode) || ReadOnly(dst)) return Fail(kErrorAccessDenied);
    // Windows reports a replaced file in use as access denied, not as a sharing violation.
    if (S_ISREG(dst.st_mode) && posix::DeleteDeniedForPath(host_to))
      return Fail(kErrorAccessDenied);
  }
  int rc = replace ? ::rename(host_from.c_str(), host_to.c_str())
                   : ::renameat2(AT_FDCWD, host_from.c_str(), AT_FDCWD, host_to.c_str(),
                                 RENAME_NOREPLACE);
  if (rc != 0 && !replace && errno == EINVAL) {
    // A file system without RENAME_NOREPLACE; the check above already saw no target.
    rc = ::rename(host_from.c_str(), host_to.c_str());
  }
  if (rc == 0) return true;
  if (errno == EEXIST) return Fail(kErrorAlreadyExists);
  return FailWithErrno(errno == ENOENT ? host_to : host_from);
}

}  // namespace

File File::Open(const std::string& path, Access access, unsigned share, Disposition disposition,
                unsigned options) {
  File file;
  std::string host;
  if (!ToHostPath(path, host)) return file;
  bool truncates =
      disposition == Disposition::CreateAlways || disposition == Disposition::TruncateExisting;
  bool creates = disposition == Disposition::CreateNew ||
                 disposition == Disposition::CreateAlways || disposition == Disposition::OpenAlways;
  // Truncating needs the right to write, as on Windows.
  if (disposition == Disposition::TruncateExisting && !Writes(access)) {
    Fail(kErrorInvalidParameter);
    return file;
  }
  bool read = Reads(access), write = Writes(access) || truncates;
  const bool renamable = (options & kOpenRenamable) != 0;

  int fd = -1;
  bool existed = false;
  if (disposition == Disposition::CreateNew) {
    fd = OpenHost(host, read, write, O_CREAT | O_EXCL);
  } else {
    // Tells "opened" from "created" without a window for another creator. A name that comes
    // and goes under a racing creator is tried again, a bounded number of times.
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
      fd = OpenHost(host, read, write, 0);
      if (fd >= 0) {
        existed = true;
        break;
      }
      if (errno != ENOENT || !creates) break;
      fd = OpenHost(host, read, write, O_CREAT | O_EXCL);
      if (fd >= 0 || errno != EEXIST) break;
      // A dangling link is missing to the one call and there to the other, for ever. Creating
      // the file it names, as Windows would, is how a link planted in an output folder makes a
      // program write outside it: refuse.
      struct stat st;
      if (::lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        Fail(kErrorAccessDenied);
        return file;
      }
    }
  }
  if (fd < 0) {
    FailWithErrno(host);
    return file;
  }

  struct stat st;
  uint32_t error = kErrorSuccess;
  if (::fstat(fd, &st) != 0) {
    error = posix::ErrorFromErrno(errno, host);
  } else if (S_ISDIR(st.st_mode)) {
    error = kErrorAccessDenied;
  } else if (existed && write && ReadOnly(st)) {
    error = kErrorAccessDenied;
  } else if (!posix::ShareCompatible(fd, access, share, renamable)) {
    error = kErrorSharingViolation;
  } else {
    posix::HoldShareLocks(fd, access, share, renamable);
    if (existed && truncates && ::ftruncate(fd, 0) != 0) error = posix::ErrorFromErrno(errno, host);
  }
  if (error != kErrorSuccess) {
    ::close(fd);
    Fail(error);
    return file;
  }
  file.handle_ = reinterpret_cast<intptr_t>(
      new OpenFile{fd, access, host, renamable});
  bool reports_existing =
      disposition == Disposition::CreateAlways || disposition == Disposition::OpenAlways;
  SetLastError(existed && reports_existing ? kErrorAlreadyExists : kErrorSuccess);
  return file;
}

int64_t File::Read(void* buffer, size_t count) {
  OpenFile* f = FileOf(handle_);
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  if (!Reads(f->access)) return Fail(kErrorAccessDenied), -1;
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FailWithErrno(f->host), -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t File::Write(const void* buffer, size_t count) {
  OpenFile* f = FileOf(handle_);
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  if (!Writes(f->access)) return Fail(kErrorAccessDenied), -1;
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(f->fd, static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0 || errno == ENOSPC || errno == EDQUOT || errno == EFBIG) {
        Fail(kErrorDiskFull);
        break;
      }
      return FailWithErrno(f->host), -1;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, SeekOrigin origin) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  int whence = origin == SeekOrigin::Begin     ? SEEK_SET
               : origin == SeekOrigin::Current ? SEEK_CUR
                                               : SEEK_END;
  off_t pos = ::lseek(FileOf(handle_)->fd, offset, whence);
  if (pos < 0) return Fail(errno == EINVAL ? kErrorNegativeSeek : kErrorInvalidParameter), -1;
  return pos;
}

int64_t File::Position() {
  return Seek(0, SeekOrigin::Current);
}

int64_t File::Size() {
  if (!IsOpen()) return Fail(kErrorInvalidHandle), -1;
  struct stat st;
  if (::fstat(FileOf(handle_)->fd, &st) != 0) return FailWithErrno(FileOf(handle_)->host), -1;
  return st.st_size;
}

bool File::Truncate() {
  OpenFile* f = FileOf(handle_);
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  if (!Writes(f->access)) return Fail(kErrorAccessDenied);
  off_t pos = ::lseek(f->fd, 0, SEEK_CUR);
  if (pos < 0 || ::ftruncate(f->fd, pos) != 0) return FailWithErrno(f->host);
  return true;
}

bool File::GetDosDateTime(uint32_t& stamp) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  struct stat st;
  if (::fstat(FileOf(handle_)->fd, &st) != 0) return FailWithErrno(FileOf(handle_)->host);
  return StampFromTime(st.st_mtime, stamp);
}

bool File::SetDosDateTime(uint32_t stamp) {
  OpenFile* f = FileOf(handle_);
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  if (!Writes(f->access)) return Fail(kErrorAccessDenied);
  struct timespec times[2] = {{0, UTIME_OMIT}, {}};
  if (!TimeFromStamp(stamp, times[1])) return false;
  return ::futimens(f->fd, times) == 0 || FailWithErrno(f->host);
}

bool File::Flush() {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  return ::fsync(FileOf(handle_)->fd) == 0 || FailWithErrno(FileOf(handle_)->host);
}

bool File::GetIdentity(FileIdentity& identity) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  if (!identity_) {
    struct stat st;
    if (::fstat(FileOf(handle_)->fd, &st) != 0) return FailWithErrno(FileOf(handle_)->host);
    identity_ = FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  }
  identity = *identity_;
  return true;
}

bool File::Rename(const std::string& to, bool replace) {
  if (!IsOpen()) return Fail(kErrorInvalidHandle);
  OpenFile* f = FileOf(handle_);
  if (!f->renamable) return Fail(kErrorAccessDenied);
  // This handle has the right; another that denies delete sharing keeps the name.
  if (posix::DeleteDenied(f->fd)) return Fail(kErrorSharingViolation);
  std::string host_to;
  if (!ToHostPath(to, host_to) || !RenameHost(f->host, host_to, replace)) return false;
  f->host = host_to;
  return true;
}

File File::OpenRegular(const std::string& path, Access access, unsigned share) {
  std::string host;
  if (!ToHostPath(path, host)) return File();
  // A FIFO would hold the open below until a writer came: a non-blocking look comes first. (A
  // file swapped for a FIFO in between still blocks there; the check after the open catches
  // every other swap.)
  const int probe = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (probe < 0) {
    FailWithErrno(host);
    return File();
  }
  struct stat before;
  const bool regular = ::fstat(probe, &before) == 0 && S_ISREG(before.st_mode);
  ::close(probe);
  if (!regular) {
    Fail(kErrorAccessDenied);
    return File();
  }
  File file = Open(path, access, share, Disposition::OpenExisting);
  struct stat after;
  if (file.IsOpen() && (::fstat(FileOf(file.handle_)->fd, &after) != 0 ||
                        !S_ISREG(after.st_mode) || after.st_ino != before.st_ino ||
                        after.st_dev != before.st_dev)) {
    file.Close();
    Fail(kErrorAccessDenied);
  }
  return file;
}

void File::Close() {
  if (!IsOpen()) return;
  OpenFile* f = FileOf(handle_);
  ::close(f->fd);
  delete f;
  handle_ = kClosed;
  identity_.reset();
}

bool FileExists(const std::string& path) {
  std::string host;
  struct stat st;
  if (!ToHostPath(path, host)) return false;
  return ::stat(host.c_str(), &st) == 0 || FailWithErrno(host);
}

bool DeleteFile(const std::string& path) {
  std::string host;
  struct stat st;
  if (!ToHostPath(path, host)) return false;
  if (::lstat(host.c_str(), &st) != 0) return FailWithErrno(host);
  if (S_ISDIR(st.st_mode) || ReadOnly(st)) return Fail(kErrorAccessDenied);
  if (S_ISREG(st.st_mode) && posix::DeleteDeniedForPath(host)) return Fail(kErrorSharingViolation);
  return ::unlink(host.c_str()) == 0 || FailWithErrno(host);
}

bool CopyFile(const std::string& from, const std::string& to, bool fail_if_exists) {
  std::string host_from, host_to;
  if (!ToHostPath(from, host_from) || !ToHostPath(to, host_to)) return false;
  File source =
      File::Open(from, Access::Read, kShareRead | kShareDelete, Disposition::OpenExisting);
  if (!source.IsOpen()) return false;
  struct stat src;
  if (::stat(host_from.c_str(), &src) != 0) return FailWithErrno(host_from);
  // The target's own checks (exists, read-only, a folder, in use) are those of opening it.
  File target = File::Open(to, Access::Write, kShareRead,
                           fail_if_exists ? Disposition::CreateNew : Disposition::CreateAlways);
  if (!target.IsOpen()) return false;

  char buffer[65536];
  bool ok = true;
  while (ok) {
    int64_t n = source.Read(buffer, sizeof buffer);
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    ok = target.Write(buffer, static_cast<size_t>(n)) == n;
  }
  target.Close();
  // Windows copies the last-write time and the attributes with the data.
  struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
  if (ok)
    ok = (::utimensat(AT_FDCWD, host_to.c_str(), times, 0) == 0 &&
          ::chmod(host_to.c_str(), src.st_mode & 07777) == 0) ||
         FailWithErrno(host_to);
  if (ok) return true;
  uint32_t error = LastError();
  ::unlink(host_to.c_str());
  return Fail(error);
}

namespace {

// A move between file systems is a copy and a delete, as MoveFileEx does with COPY_ALLOWED.
bool MoveAcrossDevices(const std::string& from, const std::string& to, bool replace) {
  if (!CopyFile(from, to, !replace)) return false;
  if (DeleteFile(from)) return true;
  uint32_t error = LastError();
  std::string host;
  if (ToHostPath(to, host)) ::chmod(host.c_str(), 0644), ::unlink(host.c_str());
  return Fail(error);
}

bool Move(const std::string& from, const std::string& to, bool replace) {
  std::string host_from, host_to;
  if (!ToHostPath(from, host_from) || !ToHostPath(to, host_to)) return false;
  struct stat src;
  if (::lstat(host_from.c_str(), &src) != 0) return FailWithErrno(host_from);
  if (S_ISREG(src.st_mode) && posix::DeleteDeniedForPath(host_from))
    return Fail(kErrorSharingViolation);
  if (RenameHost(host_from, host_to, replace)) return true;
  if (LastError() == kErrorNotSameDevice && S_ISREG(src.st_mode))
    return MoveAcrossDevices(from, to, replace);
  return false;
}

}  // namespace

bool MoveFile(const std::string& from, const std::string& to) {
  return Move(from, to, false);
}

bool MoveFileReplace(const std::string& from, const std::string& to) {
  return Move(from, to, true);
}

// The host never restarts into a pending move; callers take their fallback.
bool MoveFileAtReboot(const std::string&, const std::string&) {
  return Fail(kErrorCallNotImplemented);
}

uint32_t GetFileAttributes(const std::string& path) {
  std::string host;
  struct stat st;
  if (!ToHostPath(path, host)) return kInvalidAttributes;
  if (::stat(host.c_str(), &st) != 0) return FailWithErrno(host), kInvalidAttributes;
  return AttributesOf(host, st);
}

// Only the read-only flag has a host equivalent; the other flags are accepted and dropped.
bool SetFileAttributes(const std::string& path, uint32_t attributes) {
  std::string host;
  struct stat st;
  if (!ToHostPath(path, host)) return false;
  if (::stat(host.c_str(), &st) != 0) return FailWithErrno(host);
  if (!S_ISREG(st.st_mode)) return true;
  mode_t mode = st.st_mode & 07777;
  if (attributes & kAttrReadOnly) {
    mode &= ~kWriteBits;
  } else if (ReadOnly(st)) {
    mode |= S_IWUSR;
  }
  return mode == (st.st_mode & 07777) || ::chmod(host.c_str(), mode) == 0 || FailWithErrno(host);
}

bool GetFileDosDateTime(const std::string& path, uint32_t& stamp) {
  std::string host;
  struct stat st;
  if (!ToHostPath(path, host)) return false;
  if (::stat(host.c_str(), &st) != 0) return FailWithErrno(host);
  return StampFromTime(st.st_mtime, stamp);
}

bool SetFileDosDateTime(const std::string& path, uint32_t stamp) {
  std::string host;
  if (!ToHostPath(path, host)) return false;
  struct timespec times[2] = {{0, UTIME_OMIT}, {}};
  if (!TimeFromStamp(stamp, times[1])) return false;
  return ::utimensat(AT_FDCWD, host.c_str(), times, 0) == 0 || FailWithErrno(host);
}

bool GetFileSize(const std::string& path, uint64_t& size) {
  std::string host;
  struct stat st;
  if (!ToHostPath(path, host)) return false;
  if (::stat(host.c_str(), &st) != 0) return FailWithErrno(host);
  size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  return true;
}

bool GetFileIdentity(const std::string& path, FileIdentity& identity) {
  std::string host;
  struct stat st;
  if (!ToHostPath(path, host)) return false;
  if (::stat(host.c_str(), &st) != 0) return FailWithErrno(host);
  identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

bool CreateDirectory(const std::string& path) {
  std::string host;
  if (!ToHostPath(path, host)) return false;
  if (::mkdir(host.c_str(), 0777) == 0) return true;
  return errno == EEXIST ? Fail(kErrorAlreadyExists) : FailWithErrno(host);
}

bool RemoveDirectory(const std::string& path) {
  std::string host;
  if (!ToHostPath(path, host)) return false;
  if (::rmdir(host.c_str()) == 0) return true;
  int err = errno;
  struct stat st;
  if (err == EEXIST || err == ENOTEMPTY) return Fail(kErrorDirNotEmpty);
  if (err == ENOTDIR && ::stat(host.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
    return Fail(kErrorDirectory);
  errno = err;
  return FailWithErrno(host);
}

// Entries come sorted by name without regard to case, the order NTFS lists them in, so that
// results do not depend on the host file system's order.
bool ListDirectory(const std::string& directory, const std::string& pattern,
                   std::vector<DirEntry>& entries) {
  entries.clear();
  std::string host;
  if (!ToHostPath(directory, host)) return false;
  // Appended: GCC 12 at -O3 warns falsely (-Wrestrict) about assigning the literal.
  if (host.empty()) host.push_back('.');
  DIR* dir = ::opendir(host.c_str());
  if (!dir) {
    if (errno == ENOENT || errno == ENOTDIR) return Fail(kErrorPathNotFound);
    return FailWithErrno(host);
  }
  while (struct dirent* d = ::readdir(dir)) {
    std::string name = d->d_name;
    if (name == "." || name == ".." || !MatchWildcard(pattern, name)) continue;
    struct stat st;
    if (::fstatat(::dirfd(dir), d->d_name, &st, 0) != 0 &&
        ::fstatat(::dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
      continue;  // vanished meanwhile
    DirEntry entry;
    entry.name = name;
    entry.attributes = AttributesOf(name, st);
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    if (!StampFromTime(st.st_mtime, entry.dos_date_time)) entry.dos_date_time = 0;
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return NoCaseLess()(a.name, b.name); });
  SetLastError(kErrorSuccess);
  return true;
}

bool GetDiskFreeSpace(const std::string& path, uint64_t& free_bytes, uint64_t& total_bytes) {
  std::string host;
  struct statvfs vfs;
  if (!ToHostPath(path, host)) return false;
  if (::statvfs(host.c_str(), &vfs) != 0) return FailWithErrno(host);
  free_bytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  total_bytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  return true;
}

// $TMPDIR or /tmp, through the drive mapping backwards so that the name maps back to it.
std::string GetTempPath() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string path = posix::FromHostPath(tmpdir && *tmpdir ? tmpdir : "/tmp");
  if (path.back() != '\\') path += '\\';
  return path;
}

// As Windows does it: up to three letters of the prefix, a hexadecimal number from the clock,
// ".tmp"; the file is created exclusively, the next number is tried while the name is taken.
std::string GetTempFileName(const std::string& directory, const std::string& prefix) {
  std::string host_directory;
  if (!ToHostPath(directory, host_directory)) return "";
  uint32_t start = static_cast<uint32_t>(TickCount() ^ static_cast<uint64_t>(::getpid()));
  for (uint32_t i = 0; i < 0x10000; ++i) {
    uint32_t number = (start + i) & 0xFFFF;
    if (number == 0) continue;
    char name[16];
    std::snprintf(name, sizeof name, "%X.tmp", static_cast<unsigned>(number));
    std::string file = prefix.substr(0, 3) + name;
    std::string host = host_directory + (host_directory.empty() ? "" : "/") + file;
    int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      SetLastError(kErrorSuccess);
      return JoinPath(directory, file);
    }
    if (errno != EEXIST) {
      FailWithErrno(host);
      return "";
    }
  }
  Fail(kErrorFileExists);
  return "";
}

// Linux file systems have no short names: an existing path is its own short form.
std::string GetShortPathName(const std::string& path) {
  if (!FileExists(path)) return "";
  return path;
}

std::string GetCurrentDirectory() {
  char* cwd = ::getcwd(nullptr, 0);
  if (!cwd) return FailWithErrno("."), "";
  std::string path = posix::FromHostPath(cwd);
  std::free(cwd);
  return path;
}

bool SetCurrentDirectory(const std::string& path) {
  std::string host;
  if (!ToHostPath(path, host)) return false;
  return ::chdir(host.c_str()) == 0 || FailWithErrno(host);
}

// The system folders exist only as names, on a mapped C: drive.
std::string GetWindowsDirectory() {
  if (!posix::DriveFolder('C')) return Fail(kErrorPathNotFound), "";
  return "C:\\WINDOWS";
}

std::string GetSystemDirectory() {
  if (!posix::DriveFolder('C')) return Fail(kErrorPathNotFound), "";
  return "C:\\WINDOWS\\SYSTEM32";
}

std::string GetModuleFileName() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n < 0) return FailWithErrno("/proc/self/exe"), "";
  return posix::FromHostPath(std::string(buffer, static_cast<size_t>(n)));
}

std::string NativePath(const std::string& path) {
  std::string host;
  return ToHostPath(path, host) ? host : "";
}

}  // namespace vantorel::platform
