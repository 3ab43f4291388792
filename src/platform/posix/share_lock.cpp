#include "platform/posix/share_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <limits>

namespace vantorel::platform::posix {
namespace {

enum Flag { kReads, kWrites, kDeniesRead, kDeniesWrite, kDeniesDelete };

constexpr off_t kFlagBase = std::numeric_limits<off_t>::max() - 64;

struct flock Range(Flag flag, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kFlagBase + flag;
  lock.l_len = 1;
  return lock;
}

// True when another open file description holds the flag.
bool Held(int fd, Flag flag) {
  struct flock lock = Range(flag, F_WRLCK);
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

bool Hold(int fd, Flag flag) {
  struct flock lock = Range(flag, F_RDLCK);
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool Reads(Access a) {
  return a != Access::Write;
}
bool Writes(Access a) {
  return a != Access::Read;
}

}  // namespace

bool ShareCompatible(int fd, Access access, unsigned share) {
  if (Reads(access) && Held(fd, kDeniesRead)) return false;
  if (Writes(access) && Held(fd, kDeniesWrite)) return false;
  if (!(share & kShareRead) && Held(fd, kReads)) return false;
  if (!(share & kShareWrite) && Held(fd, kWrites)) return false;
  return true;
}

bool HoldShareLocks(int fd, Access access, unsigned share) {
  bool ok = true;
  if (Reads(access)) ok = ok && Hold(fd, kReads);
  if (Writes(access)) ok = ok && Hold(fd, kWrites);
  if (!(share & kShareRead)) ok = ok && Hold(fd, kDeniesRead);
  if (!(share & kShareWrite)) ok = ok && Hold(fd, kDeniesWrite);
  if (!(share & kShareDelete)) ok = ok && Hold(fd, kDeniesDelete);
  return ok;
}

bool DeleteDenied(int fd) {
  return Held(fd, kDeniesDelete);
}

bool DeleteDeniedForPath(const std::string& host_path) {
  int fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  bool denied = DeleteDenied(fd);
  ::close(fd);
  return denied;
}

}  // namespace vantorel::platform::posix
