#pragma once
// A program that must delete its own file (an uninstaller) cannot while it runs from it. It runs
// instead from a copy in the temporary folder that the system deletes by itself once the copy
// has ended (opened with delete-on-close and handed to the copy, which holds it to its end), and
// the original, once it has passed on the copy's status and ended, is an ordinary file.
//
//   original:  RunTemporaryCopy(args, status) -> return status
//   the copy:  started as  <copy> <hand-over> args ; does the work, then
//              ReleaseOriginal(hand-over, status) -> the original ends with status;
//              the copy deletes the original's file and ends; the system deletes the copy.
#include <cstdint>
#include <string>

namespace vantorel::platform {

// Whether `argument` is the hand-over argument that RunTemporaryCopy puts first.
bool IsHandOverArgument(const std::string& argument);

// In the original: copies the running program to the temporary folder, starts the copy there
// (its current folder the temporary one) with the hand-over argument and `arguments`, and
// waits until the copy reports its status or ends (then its exit code is the status). False
// when the copy cannot be made or started (nothing is left behind then). The posix backend has
// no such copy and fails with kErrorCallNotImplemented.
bool RunTemporaryCopy(const std::string& arguments, uint32_t& status);

// In the copy: hands `status` to the original, which ends with it, and waits until the original
// process has ended (at most `timeout_ms`), so that its file can be deleted. False when the
// hand-over argument is not valid or the original did not end in time.
bool ReleaseOriginal(const std::string& hand_over, uint32_t status, uint32_t timeout_ms);

}  // namespace vantorel::platform
