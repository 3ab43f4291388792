// fuzz_seeds OUT: writes the seeds of every harness to OUT/<harness>/, each folder made afresh,
// and the form harness's dictionary to OUT/form.dict.
#include <cstdio>

#include "../archive/archive_test_util.h"
#include "framework/exception.h"
#include "seeds.h"

int main(int argc, char** argv) {
  using namespace vantorel;
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUT_FOLDER\n");
    return 2;
  }
  const std::string out = argv[1];
  try {
    test::TempDir scratch;
    const auto seeds =
        fuzz::MakeSeeds({scratch.path(), VANTOREL_FUZZ_DLLS, VANTOREL_FUZZ_EXAMPLES});
    size_t count = 0;
    for (const auto& [harness, list] : seeds) {
      const std::string folder = out + "\\" + harness;
      test::RemoveTree(folder);
      test::MakeDirs(folder);
      for (const auto& seed : list) test::WriteAll(folder + "\\" + seed.name, seed.bytes);
      count += list.size();
    }
    const std::string dictionary = fuzz::DictionaryText(fuzz::FormDictionary());
    test::WriteAll(out + "\\form.dict", {dictionary.begin(), dictionary.end()});
    std::printf("fuzz_seeds: %zu seeds for %zu harnesses in %s\n", count, seeds.size(),
                out.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
