#pragma once
// Windows share modes between openers of one file, emulated with open-file-description locks
// (F_OFD_SETLK) on single bytes far beyond any real file size. Each open file description holds
// a shared lock on the bytes that describe it: "reads", "writes", "denies reading", "denies
// writing", "denies deleting", "deletes" (may rename); a new opener tests the opposite bytes first. The locks are
// advisory: they bind this program's openers, in this process and in others, not other
// programs. They go away with the descriptor.
#include "platform/files.h"

namespace vantorel::platform::posix {

// True when `fd` may be opened with `access` and `share` (and the right to delete or rename
// when `deletes`) next to the file's current openers. The descriptor must be open for reading
// for HoldShareLocks to work.
bool ShareCompatible(int fd, Access access, unsigned share, bool deletes);
// Records this opener's access and share mode on `fd`. False when the file system has no such
// locks; the open then goes on without share checks.
bool HoldShareLocks(int fd, Access access, unsigned share, bool deletes);
// True when an opener of the file behind `fd` does not allow deleting or renaming it.
bool DeleteDenied(int fd);
// The same for a path; false for a path that cannot be opened.
bool DeleteDeniedForPath(const std::string& host_path);

}  // namespace vantorel::platform::posix
