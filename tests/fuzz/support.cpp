#include "support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <vector>

#include "../archive/archive_test_util.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vantorel::fuzz {
namespace {

std::string MakeRoot() {
  std::string root;
  if (auto chosen = platform::GetEnv("VANTOREL_FUZZ_SCRATCH"); chosen && !chosen->empty()) {
    root = *chosen;
  } else {
    root =
        platform::GetTempPath() + "vantorel-fuzz-" + std::to_string(platform::CurrentProcessId());
  }
  // A run that was killed (a timeout, the memory limit) leaves its files behind.
  test::RemoveTree(root);
  test::MakeDirs(root);
  if (!platform::FileExists(root))
    throw std::runtime_error("cannot make the scratch folder " + root);
  return root;
}

const std::string& Root() {
  // Never destroyed: the handler that removes the folder at exit runs after the statics' ends.
  static const std::string& root = [] {
    const std::string& made = *new std::string(MakeRoot());
    std::atexit([] { test::RemoveTree(Root()); });
    return std::cref(made);
  }();
  return root;
}

}  // namespace

std::string Scratch(const std::string& name) {
  const std::string path = Root() + "\\" + name;
  test::MakeDirs(path);
  return path;
}

void Setup() {
  static const bool done = [] {
    const std::string env = Scratch("env");
    test::MakeDirs(env + "\\drive_c\\WINDOWS\\SYSTEM32");
    platform::SetEnv("VANTOREL_UI", "headless");
    platform::SetEnv("VANTOREL_REGISTRY", platform::NativePath(env + "\\registry.reg"));
    platform::SetEnv("VANTOREL_DRIVE_C", platform::NativePath(env + "\\drive_c"));
    platform::SetEnv("VANTOREL_TRANSCRIPT", std::nullopt);
    return true;
  }();
  (void)done;
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  test::WriteAll(path, std::vector<uint8_t>(data, data + size));
}

std::string Listing(const std::string& folder) {
  std::vector<platform::DirEntry> entries;
  platform::ListDirectory(folder, "*", entries);
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  std::string text;
  for (const auto& n : names) text += (text.empty() ? "" : " ") + n;
  return text;
}

void Finding(const std::string& what) {
  std::fprintf(stderr, "==fuzz== FINDING: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace vantorel::fuzz
