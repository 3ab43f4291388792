#pragma once
// Error codes at the platform boundary are Windows error codes in both backends, so that code
// above the boundary tests one set of values. The posix backend maps errno onto these.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vantorel::platform {

enum : uint32_t {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorInvalidDrive = 15,
  kErrorNoMoreFiles = 18,
  kErrorWriteFault = 29,
  kErrorReadFault = 30,
  kErrorSharingViolation = 32,
  kErrorHandleEof = 38,
  kErrorNotSupported = 50,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInsufficientBuffer = 122,
  kErrorModNotFound = 126,
  kErrorProcNotFound = 127,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorMoreData = 234,
  kErrorWaitTimeout = 258,
  kErrorNoMoreItems = 259,
  kErrorCallNotImplemented = 120,
  kErrorBadFormat = 11,
  kErrorTooManyOpenFiles = 4,
  kErrorInvalidData = 13,
  kErrorNotSameDevice = 17,
  kErrorWriteProtect = 19,
  kErrorGenFailure = 31,
  kErrorNegativeSeek = 131,
  kErrorFilenameExcedRange = 206,
  kErrorDirectory = 267,
  kErrorKeyDeleted = 1018,
};

// The code of the last failed platform call on this thread (GetLastError in both backends).
uint32_t LastError();
void SetLastError(uint32_t code);
// The system's text for an error code, in one line without the final full stop ("The system
// cannot find the path specified"); "Unknown error" for a code it has no text for. The posix
// backend knows the codes it sets itself.
std::string ErrorText(uint32_t code);

// Raised only where a silent failure would lose data: a store the backend cannot read (a corrupt
// registry file) must stop the program with a message naming the file and line, not look empty.
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vantorel::platform
