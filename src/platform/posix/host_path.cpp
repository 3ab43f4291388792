#include "platform/posix/host_path.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/errors.h"

namespace vantorel::platform::posix {
namespace {

std::string WithoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool HasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

}  // namespace

std::optional<std::string> DriveFolder(char letter) {
  char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (upper == 'Z') return std::string("/");
  for (char spelled : {upper, static_cast<char>(std::tolower(static_cast<unsigned char>(upper)))}) {
    std::string name = std::string("VANTOREL_DRIVE_") + spelled;
    const char* value = std::getenv(name.c_str());
    if (value && *value) return WithoutTrailingSlashes(value);
  }
  return std::nullopt;
}

bool ToHostPath(const std::string& path, std::string& host) {
  std::string rest = path;
  std::string root;
  if (HasDrive(path)) {
    auto folder = DriveFolder(path[0]);
    if (!folder) return Fail(kErrorPathNotFound);
    root = *folder == "/" ? "" : *folder;
    rest = path.substr(2);
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) rest = "/" + rest;
  }
  for (char& c : rest)
    if (c == '\\') c = '/';
  host = root + rest;
  return true;
}

std::string FromHostPath(const std::string& host) {
  std::string windows;
  if (!host.empty() && host[0] == '/') {
    char best_letter = 'Z';
    size_t best_length = 0;
    for (char letter = 'A'; letter < 'Z'; ++letter) {
      auto folder = DriveFolder(letter);
      if (!folder || *folder == "/") continue;
      bool holds = host.compare(0, folder->size(), *folder) == 0 &&
                   (host.size() == folder->size() || host[folder->size()] == '/');
      if (holds && folder->size() > best_length) {
        best_letter = letter;
        best_length = folder->size();
      }
    }
    windows = std::string(1, best_letter) + ":" + host.substr(best_length);
    if (windows.size() == 2) windows += '\\';
  } else {
    windows = host;
  }
  for (char& c : windows)
    if (c == '/') c = '\\';
  return windows;
}

uint32_t ErrorFromErrno(int err, const std::string& host_path) {
  switch (err) {
    case 0:
      return kErrorSuccess;
    case ENOENT: {
      std::string parent = host_path;
      while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
      size_t slash = parent.rfind('/');
      parent = slash == std::string::npos ? "." : slash == 0 ? "/" : parent.substr(0, slash);
      struct stat st;
      return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? kErrorFileNotFound
                                                                     : kErrorPathNotFound;
    }
    case ENOTDIR:
    case ELOOP:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kErrorAccessDenied;
    case EROFS:
      return kErrorWriteProtect;
    case EEXIST:
      return kErrorFileExists;
    case ENOTEMPTY:
      return kErrorDirNotEmpty;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kErrorDiskFull;
    case EBUSY:
    case ETXTBSY:
      return kErrorSharingViolation;
    case EXDEV:
      return kErrorNotSameDevice;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case EBADF:
      return kErrorInvalidHandle;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EINVAL:
      return kErrorInvalidParameter;
    case ENOSYS:
    case EOPNOTSUPP:
      return kErrorNotSupported;
    default:
      return kErrorGenFailure;
  }
}

bool FailWithErrno(const std::string& host_path) {
  int err = errno;
  SetLastError(ErrorFromErrno(err, host_path));
  return false;
}

bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}

}  // namespace vantorel::platform::posix
