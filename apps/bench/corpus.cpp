#include "apps/bench/corpus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vantorel::bench {
namespace fs = std::filesystem;
namespace {

// Bumped whenever the generator changes: an older corpus is then made anew.
constexpr int kGeneratorVersion = 1;
constexpr const char* kManifest = "MANIFEST.vtbench";

// splitmix64: the standard library's distributions may differ between library versions, so the
// bytes would too; this is exact everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t Below(uint64_t n) { return Next() % n; }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t state_;
};

enum class Kind { Text, Binary, Random };

// A made-up language: the same words for every file, used with Zipf-like frequencies.
class Vocabulary {
 public:
  explicit Vocabulary(uint64_t seed) {
    Random r(seed);
    words_.reserve(kWords);
    for (int i = 0; i < kWords; ++i) {
      std::string w;
      const int length = 2 + static_cast<int>(r.Below(9));
      for (int j = 0; j < length; ++j) w += static_cast<char>('a' + r.Below(26));
      words_.push_back(std::move(w));
    }
  }
  // Rank drawn with density 1/x: the first words dominate, as in real text.
  const std::string& Pick(Random& r) const {
    const auto rank = static_cast<size_t>(std::pow(double{kWords}, r.Unit())) - 1;
    return words_[std::min<size_t>(rank, words_.size() - 1)];
  }

 private:
  static constexpr int kWords = 4096;
  std::vector<std::string> words_;
};

const Vocabulary& Words() {
  static const Vocabulary vocabulary(0x5EED0F1A);
  return vocabulary;
}

void FillText(Random& r, std::string& out, size_t size) {
  const Vocabulary& words = Words();
  while (out.size() < size) {
    const int count = 4 + static_cast<int>(r.Below(11));
    for (int i = 0; i < count; ++i) {
      std::string w = words.Pick(r);
      if (i == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
      out += w;
      out += i + 1 == count ? (r.Below(4) == 0 ? ",\r\n" : ".\r\n") : " ";
    }
  }
  out.resize(size);
}

void FillBinary(Random& r, std::string& out, size_t size) {
  static constexpr uint8_t kOpcodes[] = {0x48, 0x89, 0x8B, 0xE8, 0xC3, 0x55, 0x5D, 0x83,
                                         0xFF, 0x0F, 0x85, 0x84, 0x74, 0x75, 0xEB, 0x31,
                                         0x33, 0x41, 0x4C, 0x8D, 0xB8, 0xC7, 0x90, 0xCC};
  while (out.size() < size) {
    const uint64_t what = r.Below(10);
    if (what < 3) {
      out.append(64, '\0');
    } else if (what < 8) {
      for (int i = 0; i < 24; ++i) {
        out += static_cast<char>(kOpcodes[r.Below(sizeof kOpcodes)]);
        const uint64_t operand = r.Next();
        out += static_cast<char>(operand & 0x0F);
        if (operand & 0x100) out += static_cast<char>(operand >> 16);
      }
    } else {
      for (int i = 0; i < 8; ++i) {
        const uint64_t v = r.Next();
        out.append(reinterpret_cast<const char*>(&v), 8);
      }
    }
  }
  out.resize(size);
}

void FillRandom(Random& r, std::string& out, size_t size) {
  out.resize((size + 7) / 8 * 8);
  for (size_t i = 0; i < out.size(); i += 8) {
    const uint64_t v = r.Next();
    std::copy_n(reinterpret_cast<const char*>(&v), 8, out.data() + i);
  }
  out.resize(size);
}

void Fill(Kind kind, Random& r, std::string& out, size_t size) {
  out.clear();
  out.reserve(size + 256);
  switch (kind) {
    case Kind::Text:
      return FillText(r, out, size);
    case Kind::Binary:
      return FillBinary(r, out, size);
    case Kind::Random:
      return FillRandom(r, out, size);
  }
}

// Half the files text, three in ten binary, two in ten incompressible.
Kind KindOf(Random& r) {
  const uint64_t k = r.Below(10);
  return k < 5 ? Kind::Text : k < 8 ? Kind::Binary : Kind::Random;
}

const char* Extension(Kind kind) {
  switch (kind) {
    case Kind::Text:
      return ".txt";
    case Kind::Binary:
      return ".dll";
    case Kind::Random:
      return ".dat";
  }
  return "";
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ManifestHead(const CorpusSpec& spec) {
  std::ostringstream head;
  head << "vtbench-corpus " << kGeneratorVersion << ' ' << spec.seed << ' ' << spec.files << ' '
       << spec.total_bytes << ' ' << spec.min_size << ' ' << spec.max_size;
  return head.str();
}

bool LoadValid(const fs::path& folder, const CorpusSpec& spec, Corpus& corpus) {
  std::ifstream in(folder / kManifest);
  std::string head;
  if (!std::getline(in, head) || head != ManifestHead(spec)) return false;
  CorpusFile f;
  while (in >> f.name >> f.size) {
    std::error_code ec;
    if (fs::file_size(folder / f.name, ec) != f.size || ec) return false;
    corpus.files.push_back(f);
    corpus.bytes += f.size;
  }
  return static_cast<int>(corpus.files.size()) == spec.files;
}

}  // namespace

Corpus MakeCorpus(const fs::path& root, const CorpusSpec& spec) {
  Corpus corpus;
  corpus.folder = root / spec.folder_name;
  if (LoadValid(corpus.folder, spec, corpus)) {
    corpus.reused = true;
    return corpus;
  }
  corpus = Corpus{};
  corpus.folder = root / spec.folder_name;
  fs::remove_all(corpus.folder);
  fs::create_directories(corpus.folder);

  Random r(spec.seed);
  // Sizes spread evenly over the orders of magnitude, then scaled to the total.
  std::vector<double> drawn(spec.files);
  const double low = std::log(static_cast<double>(spec.min_size));
  const double high = std::log(static_cast<double>(spec.max_size));
  double sum = 0;
  for (double& d : drawn) sum += d = std::exp(low + (high - low) * r.Unit());
  const double scale = spec.total_bytes == 0 ? 1.0 : static_cast<double>(spec.total_bytes) / sum;

  std::string bytes;
  std::ofstream manifest(corpus.folder / kManifest);
  manifest << ManifestHead(spec) << '\n';
  for (int i = 0; i < spec.files; ++i) {
    const Kind kind = KindOf(r);
    char name[32];
    std::snprintf(name, sizeof name, "f%05d%s", i, Extension(kind));
    const auto size = std::max<uint64_t>(1, static_cast<uint64_t>(drawn[i] * scale));
    Fill(kind, r, bytes, size);
    WriteFile(corpus.folder / name, bytes);
    corpus.files.push_back({name, size});
    corpus.bytes += size;
    manifest << name << ' ' << size << '\n';
  }
  if (!manifest.flush()) throw std::runtime_error("cannot write the corpus manifest");
  return corpus;
}

fs::path MakeLargeFile(const fs::path& root, uint64_t size, bool& reused) {
  const fs::path path = root / ("large-" + std::to_string(size >> 20) + "MB.bin");
  const fs::path manifest = fs::path(path).concat(".manifest");
  std::ostringstream expected;
  expected << "vtbench-large " << kGeneratorVersion << ' ' << size;
  {
    std::ifstream in(manifest);
    std::string head;
    std::error_code ec;
    if (std::getline(in, head) && head == expected.str() && fs::file_size(path, ec) == size &&
        !ec) {
      reused = true;
      return path;
    }
  }
  reused = false;
  fs::create_directories(root);
  fs::remove(manifest);
  Random r(0x1A46E);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string block;
  constexpr uint64_t kBlock = 1 << 20;
  for (uint64_t done = 0; done < size; done += kBlock) {
    Fill(KindOf(r), r, block, static_cast<size_t>(std::min(kBlock, size - done)));
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
  std::ofstream(manifest) << expected.str() << '\n';
  return path;
}

}  // namespace vantorel::bench
