#pragma once
// The benchmark's files, made from a fixed seed so that every run and every machine measures the
// same bytes: text-like files (words of a made-up language, Zipf-distributed), binary files
// (zeros, a small alphabet of "opcodes" and random operands, as in programs) and incompressible
// ones (random bytes).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantorel::bench {

struct CorpusFile {
  std::string name;  // inside the corpus folder
  uint64_t size = 0;
};

struct CorpusSpec {
  std::string folder_name;  // under the corpus root
  int files = 0;
  uint64_t total_bytes = 0;             // sizes are drawn, then scaled to this sum (0: not scaled)
  uint64_t min_size = 0, max_size = 0;  // of one file, before scaling
  uint64_t seed = 0;
};

struct Corpus {
  std::filesystem::path folder;
  std::vector<CorpusFile> files;
  uint64_t bytes = 0;
  bool reused = false;  // found complete from an earlier run
  std::filesystem::path Path(const CorpusFile& f) const { return folder / f.name; }
};

// Makes the corpus under `root`, or reuses it when its manifest and every file's size match.
Corpus MakeCorpus(const std::filesystem::path& root, const CorpusSpec& spec);

// One file of `size` bytes in blocks of 1 MB of the three kinds: for the memory figure.
// Reused when it is there with that size and its manifest.
std::filesystem::path MakeLargeFile(const std::filesystem::path& root, uint64_t size, bool& reused);

}  // namespace vantorel::bench
