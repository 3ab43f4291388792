#pragma once
// Windows paths on a Linux file system, as Wine maps them: "\" and "/" both separate; a drive
// "X:" is the folder named by $VANTOREL_DRIVE_X (the variable may also be spelled with the
// lower-case letter); "Z:" and paths starting with a separator are the host's "/". Relative paths
// stay relative to the current directory. Names are the host's: they compare case-sensitively.
#include <cstdint>
#include <optional>
#include <string>

namespace vantorel::platform::posix {

// The host folder of a drive letter, if it is mapped ("Z" is always "/").
std::optional<std::string> DriveFolder(char letter);

// False with kErrorPathNotFound when the path names an unmapped drive.
bool ToHostPath(const std::string& path, std::string& host);

// The Windows form of an absolute host path: under the mapped drive whose folder holds it (the
// deepest one), otherwise under Z:. A relative path only has its separators turned.
std::string FromHostPath(const std::string& host);

// The Windows error code of an errno value from a call on `host_path`. A missing name is
// kErrorFileNotFound when its folder exists and kErrorPathNotFound when it does not.
uint32_t ErrorFromErrno(int err, const std::string& host_path);
// SetLastError(ErrorFromErrno(errno, host_path)); returns false for the callers' convenience.
bool FailWithErrno(const std::string& host_path);
bool Fail(uint32_t code);

}  // namespace vantorel::platform::posix
