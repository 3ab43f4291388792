#pragma once
// Test helpers: a fresh folder per test, small file helpers and environment changes that are
// undone, all through the platform interface itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "payloads.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/reg_data.h"
#include "platform/system.h"

namespace vantorel::platform::testing {

inline void RemoveTree(const std::string& path) {
  std::vector<DirEntry> entries;
  if (ListDirectory(path, "*", entries)) {
    for (const DirEntry& e : entries) {
      std::string child = path + "\\" + e.name;
      if (e.attributes & kAttrDirectory) {
        RemoveTree(child);
      } else {
        SetFileAttributes(child, kAttrNormal);
        DeleteFile(child);
      }
    }
  }
  RemoveDirectory(path);
}

inline bool WriteText(const std::string& path, const std::string& text) {
  File f = File::Open(path, Access::Write, kShareRead, Disposition::CreateAlways);
  return f.IsOpen() && f.Write(text.data(), text.size()) == static_cast<int64_t>(text.size());
}

inline std::string ReadText(const std::string& path) {
  File f = File::Open(path, Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting);
  std::string text;
  char buffer[4096];
  int64_t n;
  while (f.IsOpen() && (n = f.Read(buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(n));
  return text;
}

inline std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), NoCaseLess());
  return names;
}

// A new empty folder under the temporary folder, removed with its content at the end.
class Scratch {
 public:
  Scratch() {
    static int counter = 0;
    path_ = GetTempPath() + "vtplat" + std::to_string(CurrentProcessId()) + "_" +
            std::to_string(++counter);
    RemoveTree(path_);
    EXPECT_TRUE(CreateDirectory(path_)) << path_ << " error " << LastError();
  }
  ~Scratch() { RemoveTree(path_); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Sets environment variables for the length of a test.
class EnvGuard {
 public:
  ~EnvGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) SetEnv(it->first, it->second);
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    saved_.emplace_back(name, GetEnv(name));
    SetEnv(name, value);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// A program or library of tests/data/payloads, which the win64 tree builds and names in
// VANTOREL_PAYLOADS, such as vtver15\vtver.dll. Empty where there are none (the host).
inline std::string Payload(const std::string& name) {
  std::optional<std::string> folder = GetEnv(VT_PAYLOADS_ENV);
  return folder ? *folder + "\\" + name : std::string();
}

// A path as one argument of a command line.
inline std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// Polls `done` for up to 20 seconds (Wine starts programs slowly under load).
template <typename Done>
bool WaitUntil(Done done) {
  for (uint64_t start = TickCount(); TickCount() - start < 20000; SleepMs(10))
    if (done()) return true;
  return done();
}

}  // namespace vantorel::platform::testing
