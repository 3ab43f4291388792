#include "apps/bench/engine_figures.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

#include "archive/compress.h"
#include "archive/deflate_stream.h"
#include "framework/classes.h"

namespace vantorel::bench {
namespace fs = std::filesystem;
namespace {

// The same buffer size as the engine reads and writes with.
constexpr size_t kBuffer = 65536;

class Timer {
 public:
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// A file descriptor closed on every path out.
class Fd {
 public:
  Fd(const fs::path& path, int flags) : fd_(open(path.c_str(), flags, 0644)) {
    if (fd_ < 0) throw std::runtime_error("cannot open " + path.string());
  }
  ~Fd() { close(fd_); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

void WriteAll(int fd, const uint8_t* data, size_t count) {
  while (count > 0) {
    const ssize_t n = write(fd, data, count);
    if (n <= 0) throw std::runtime_error("write failed");
    data += n;
    count -= static_cast<size_t>(n);
  }
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

int EngineZlibLevel() {
  // The zlib level the engine's default level maps to.
  return ZlibLevel(TVtrlCompress(nullptr).CompressionLevel());
}

double ZlibCompress(const Corpus& corpus, const fs::path& archive, int level,
                    std::vector<StreamSpan>& spans) {
  spans.clear();
  std::vector<uint8_t> in(kBuffer), out(kBuffer);
  Timer timer;
  Fd dest(archive, O_WRONLY | O_CREAT | O_TRUNC);
  uint64_t offset = 0;
  for (const CorpusFile& f : corpus.files) {
    Fd source(corpus.Path(f), O_RDONLY);
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) throw std::runtime_error("deflateInit failed");
    uint64_t length = 0;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
      const ssize_t n = read(source.get(), in.data(), in.size());
      if (n < 0) throw std::runtime_error("read failed");
      z.next_in = in.data();
      z.avail_in = static_cast<uInt>(n);
      const int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
      do {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        result = deflate(&z, flush);
        const size_t produced = out.size() - z.avail_out;
        WriteAll(dest.get(), out.data(), produced);
        length += produced;
      } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    spans.push_back({offset, length});
    offset += length;
  }
  return timer.Seconds();
}

double ZlibExtract(const Corpus& corpus, const fs::path& archive,
                   const std::vector<StreamSpan>& spans, const fs::path& folder) {
  std::vector<uint8_t> in(kBuffer), out(kBuffer);
  Timer timer;
  Fd source(archive, O_RDONLY);
  for (size_t i = 0; i < corpus.files.size(); ++i) {
    Fd dest(folder / corpus.files[i].name, O_WRONLY | O_CREAT | O_TRUNC);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::runtime_error("inflateInit failed");
    if (lseek(source.get(), static_cast<off_t>(spans[i].offset), SEEK_SET) < 0) {
      throw std::runtime_error("seek failed");
    }
    uint64_t left = spans[i].length;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
      if (z.avail_in == 0) {
        const ssize_t n = read(source.get(), in.data(), std::min<uint64_t>(in.size(), left));
        if (n <= 0) throw std::runtime_error("the zlib stream ends early");
        left -= static_cast<uint64_t>(n);
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(n);
      }
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      result = inflate(&z, Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END) throw std::runtime_error("inflate failed");
      WriteAll(dest.get(), out.data(), out.size() - z.avail_out);
    }
    inflateEnd(&z);
  }
  return timer.Seconds();
}

double EngineCompress(const std::vector<std::string>& files, const fs::path& archive) {
  TVtrlCompress engine(nullptr);
  TStrings list;
  for (const std::string& f : files) list.Add(f);
  engine.SetCompressedFile(archive.string());
  engine.SetFilesToProcess(list);
  Timer timer;
  engine.Compress(lzcOverwrite, 0);
  return timer.Seconds();
}

double EngineAddEach(const std::vector<std::string>& files, const fs::path& archive) {
  TVtrlCompress engine(nullptr);
  fs::remove(archive);
  Timer timer;
  for (size_t i = 0; i < files.size(); ++i) {
    TStrings list;
    list.Add(files[i]);
    engine.SetCompressedFile(archive.string());
    engine.SetFilesToProcess(list);
    engine.Compress(lzcOnlyAdd, static_cast<int>(i % kUniqueIDCount));
  }
  return timer.Seconds();
}

double EngineExtract(const std::vector<std::string>& stored_names, const fs::path& archive,
                     const fs::path& folder) {
  TVtrlCompress engine(nullptr);
  TStrings list;
  for (const std::string& f : stored_names) list.Add(f);
  Timer timer;
  engine.SetCompressedFile(archive.string());
  engine.SetExtractDirectory(folder.string());
  engine.SetFilesToProcess(list);
  engine.Extract();
  return timer.Seconds();
}

int Mismatches(const Corpus& corpus, const fs::path& folder) {
  int bad = 0;
  for (const CorpusFile& f : corpus.files) {
    if (Slurp(corpus.Path(f)) != Slurp(folder / f.name)) ++bad;
  }
  return bad;
}

}  // namespace vantorel::bench
