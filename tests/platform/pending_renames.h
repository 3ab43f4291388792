// The moves at the next start that tests register: puts PendingFileRenameOperations back as it
// was, so that no test's entry acts at a later start of the prefix, and tells what is pending.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/reg_data.h"
#include "platform/registry.h"

namespace vantorel::testing {

class PendingRenames {
 public:
  PendingRenames() {
    key_ = platform::RegKey::Open(platform::Root::LocalMachine, kSessionManager, true, true);
    existed_ = key_.ReadRaw(kValue, type_, data_);
  }
  ~PendingRenames() {
    if (existed_)
      EXPECT_TRUE(key_.WriteRaw(kValue, type_, data_));
    else
      key_.DeleteValue(kValue);
  }
  PendingRenames(const PendingRenames&) = delete;
  PendingRenames& operator=(const PendingRenames&) = delete;

  // The (from, to) pairs in the system's form: "\??\C:\..." names, an empty `to` for a delete,
  // and "!" before a `to` that is to be replaced.
  std::vector<std::pair<std::string, std::string>> Pairs() {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!key_.ReadRaw(kValue, type, data)) return pairs;
    EXPECT_EQ(type, platform::kRegMultiSz);
    std::vector<std::string> strings;
    for (size_t pos = 0; pos < data.size();) {
      size_t end = pos;
      while (end < data.size() && data[end] != 0) ++end;
      strings.emplace_back(data.begin() + pos, data.begin() + end);
      pos = end + 1;
    }
    for (size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2)
      pairs.emplace_back(strings[i], strings[i + 1]);
    return pairs;
  }

  bool Holds(const std::string& from, const std::string& to) {
    for (const auto& [f, t] : Pairs())
      if (platform::EqualNoCase(f, from) && platform::EqualNoCase(t, to)) return true;
    return false;
  }
  // Whether `from` is to replace the existing file `to` at the next start.
  bool MovesOver(const std::string& from, const std::string& to) {
    return Holds("\\??\\" + from, "!\\??\\" + to);
  }

 private:
  static constexpr char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  static constexpr char kValue[] = "PendingFileRenameOperations";
  platform::RegKey key_;
  bool existed_ = false;
  uint32_t type_ = 0;
  std::vector<uint8_t> data_;
};

}  // namespace vantorel::testing
