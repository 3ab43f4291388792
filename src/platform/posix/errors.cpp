#include "platform/errors.h"

#include <utility>

namespace vantorel::platform {
namespace {
thread_local uint32_t g_last_error = kErrorSuccess;
}

uint32_t LastError() {
  return g_last_error;
}
void SetLastError(uint32_t code) {
  g_last_error = code;
}

std::string ErrorText(uint32_t code) {
  // Windows' own English texts for the codes this backend sets, so that a message reads the same
  // whichever build shows it.
  static const std::pair<uint32_t, const char*> kTexts[] = {
      {kErrorSuccess, "The operation completed successfully"},
      {kErrorFileNotFound, "The system cannot find the file specified"},
      {kErrorPathNotFound, "The system cannot find the path specified"},
      {kErrorTooManyOpenFiles, "The system cannot open the file"},
      {kErrorAccessDenied, "Access is denied"},
      {kErrorInvalidHandle, "The handle is invalid"},
      {kErrorNotEnoughMemory, "Not enough memory resources are available to process this command"},
      {kErrorBadFormat, "An attempt was made to load a program with an incorrect format"},
      {kErrorInvalidData, "The data is invalid"},
      {kErrorInvalidDrive, "The system cannot find the drive specified"},
      {kErrorNotSameDevice, "The system cannot move the file to a different disk drive"},
      {kErrorNoMoreFiles, "There are no more files"},
      {kErrorWriteProtect, "The media is write protected"},
      {kErrorWriteFault, "The system cannot write to the specified device"},
      {kErrorReadFault, "The system cannot read from the specified device"},
      {kErrorGenFailure, "A device attached to the system is not functioning"},
      {kErrorSharingViolation,
       "The process cannot access the file because it is being used by another process"},
      {kErrorHandleEof, "Reached the end of the file"},
      {kErrorNotSupported, "The request is not supported"},
      {kErrorFileExists, "The file exists"},
      {kErrorInvalidParameter, "The parameter is incorrect"},
      {kErrorDiskFull, "There is not enough space on the disk"},
      {kErrorCallNotImplemented, "This function is not supported on this system"},
      {kErrorInsufficientBuffer, "The data area passed to a system call is too small"},
      {kErrorModNotFound, "The specified module could not be found"},
      {kErrorProcNotFound, "The specified procedure could not be found"},
      {kErrorNegativeSeek,
       "An attempt was made to move the file pointer before the beginning of the file"},
      {kErrorDirNotEmpty, "The directory is not empty"},
      {kErrorAlreadyExists, "Cannot create a file when that file already exists"},
      {kErrorFilenameExcedRange, "The filename or extension is too long"},
      {kErrorMoreData, "More data is available"},
      {kErrorWaitTimeout, "The wait operation timed out"},
      {kErrorNoMoreItems, "No more data is available"},
      {kErrorDirectory, "The directory name is invalid"},
      {kErrorKeyDeleted,
       "Illegal operation attempted on a registry key that has been marked for deletion"},
  };
  for (const auto& [known, text] : kTexts) {
    if (known == code) return text;
  }
  return "Unknown error";
}

}  // namespace vantorel::platform
