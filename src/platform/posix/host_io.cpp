#include "platform/posix/host_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/host_path.h"

namespace vantorel::platform::posix {
namespace {

// Closes on every path out.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

bool WriteAll(int fd, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool ReadHostFile(const std::string& host_path, std::string& content) {
  Fd file{::open(host_path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return FailWithErrno(host_path);
  content.clear();
  char buffer[65536];
  while (true) {
    ssize_t n = ::read(file.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FailWithErrno(host_path);
    if (n == 0) return true;
    content.append(buffer, static_cast<size_t>(n));
  }
}

bool ReplaceHostFile(const std::string& host_path, const std::string& content) {
  std::string temp = host_path + ".XXXXXX";
  Fd file{::mkostemp(temp.data(), O_CLOEXEC)};
  if (file.fd < 0) return FailWithErrno(temp);
  struct stat old;
  mode_t mode = 0644;
  if (::stat(host_path.c_str(), &old) == 0) mode = old.st_mode & 07777;
  bool ok = ::fchmod(file.fd, mode) == 0 && WriteAll(file.fd, content) && ::fsync(file.fd) == 0;
  if (ok) {
    ok = ::close(file.fd) == 0;
    file.fd = -1;
  }
  if (ok && ::rename(temp.c_str(), host_path.c_str()) == 0) return true;
  FailWithErrno(host_path);
  ::unlink(temp.c_str());
  return false;
}

std::optional<FileIdentity> IdentityOf(const std::string& host_path) {
  struct stat st;
  if (::stat(host_path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                      static_cast<uint64_t>(st.st_size),
                      static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace vantorel::platform::posix
