#include "platform/posix/share_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <limits>

namespace vantorel::platform::posix {
namespace {

enum Flag { kReads, kWrites, kDeniesRead, kDeniesWrite, kDeniesDelete, kDeletes };
constexpr int kLastFlag = kDeletes;

constexpr off_t kFlagBase = std::numeric_limits<off_t>::max() - 64;

using FlagSet = unsigned;
constexpr FlagSet Bit(Flag flag) {
  return 1u << flag;
}

// Calls `each(first, count)` for every run of adjacent flags in `flags`: one lock call covers a
// run, so opening a file costs a few fcntl calls instead of one per flag.
template <typename Each>
bool ForEachRun(FlagSet flags, Each each) {
  for (int first = 0; first <= kLastFlag;) {
    if (!(flags & Bit(static_cast<Flag>(first)))) {
      ++first;
      continue;
    }
    int last = first;
    while (last < kLastFlag && (flags & Bit(static_cast<Flag>(last + 1)))) ++last;
    if (!each(first, last - first + 1)) return false;
    first = last + 1;
  }
  return true;
}

struct flock Range(int first, int count, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kFlagBase + first;
  lock.l_len = count;
  return lock;
}

// True when another open file description holds any of the flags.
bool AnyHeld(int fd, FlagSet flags) {
  return !ForEachRun(flags, [fd](int first, int count) {
    struct flock lock = Range(first, count, F_WRLCK);
    return ::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK;
  });
}

bool Hold(int fd, FlagSet flags) {
  return ForEachRun(flags, [fd](int first, int count) {
    struct flock lock = Range(first, count, F_RDLCK);
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
  });
}

bool Reads(Access a) {
  return a != Access::Write;
}
bool Writes(Access a) {
  return a != Access::Read;
}

}  // namespace

bool ShareCompatible(int fd, Access access, unsigned share, bool deletes) {
  FlagSet conflicting = 0;
  if (Reads(access)) conflicting |= Bit(kDeniesRead);
  if (Writes(access)) conflicting |= Bit(kDeniesWrite);
  if (deletes) conflicting |= Bit(kDeniesDelete);
  if (!(share & kShareRead)) conflicting |= Bit(kReads);
  if (!(share & kShareWrite)) conflicting |= Bit(kWrites);
  if (!(share & kShareDelete)) conflicting |= Bit(kDeletes);
  return !AnyHeld(fd, conflicting);
}

bool HoldShareLocks(int fd, Access access, unsigned share, bool deletes) {
  FlagSet held = 0;
  if (Reads(access)) held |= Bit(kReads);
  if (Writes(access)) held |= Bit(kWrites);
  if (deletes) held |= Bit(kDeletes);
  if (!(share & kShareRead)) held |= Bit(kDeniesRead);
  if (!(share & kShareWrite)) held |= Bit(kDeniesWrite);
  if (!(share & kShareDelete)) held |= Bit(kDeniesDelete);
  return Hold(fd, held);
}

bool DeleteDenied(int fd) {
  return AnyHeld(fd, Bit(kDeniesDelete));
}

bool DeleteDeniedForPath(const std::string& host_path) {
  int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  bool denied = DeleteDenied(fd);
  ::close(fd);
  return denied;
}

}  // namespace vantorel::platform::posix
