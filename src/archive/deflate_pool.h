#pragma once
// The deflate of a build's files, run ahead of it on worker threads. The build still adds its
// files one by one in its own order; each addition takes the stream made for it and reports the
// progress points recorded while it was made, so the archive and the events are those of a
// one-thread build. Memory stays bounded: few finished streams wait, and a large one waits in a
// temporary file.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "archive/deflate_stream.h"

namespace vantorel {

// A file's zlib stream made ahead.
struct TDeflatedFile {
  TDeflatedFile() = default;
  ~TDeflatedFile();
  TDeflatedFile(const TDeflatedFile&) = delete;
  TDeflatedFile& operator=(const TDeflatedFile&) = delete;

  // The source bytes read and the stream's length at every full output buffer, in order.
  struct Mark {
    int64_t source_position;
    int64_t stream_size;
  };
  std::vector<Mark> marks;
  std::vector<uint8_t> data;  // the stream, unless it is in `spill`
  std::string spill;          // a temporary file holding the stream; deleted with this object
  int64_t size = 0;           // the stream's length
  int64_t source_read = 0;    // bytes of the source deflated
  uint32_t source_stamp = 0;  // its DOS date-time stamp when it was read
};

class TDeflatePool {
 public:
  // `workers` threads (at least one). Finished streams held in memory stay below about
  // `memory_budget` bytes; a stream larger than `spill_above` goes to a temporary file.
  explicit TDeflatePool(int workers, size_t memory_budget = 24u << 20,
                        size_t spill_above = 4u << 20, TDeflater deflater = TDeflater::Zlib);
  ~TDeflatePool();
  TDeflatePool(const TDeflatePool&) = delete;
  TDeflatePool& operator=(const TDeflatePool&) = delete;

  // Appends `path` at zlib `level` to the plan.
  void Schedule(const std::string& path, int level);
  // The stream of `path` at `level`, waiting while a worker makes it. Null when the plan does
  // not hold it (from where the last Take left off), when no worker has started it yet (the
  // caller deflates it itself, sooner than waiting) or when making it failed (the caller's own
  // attempt then reports the failure as it always would). Planned files passed over are dropped.
  std::unique_ptr<TDeflatedFile> Take(const std::string& path, int level);

  TDeflater Deflater() const { return deflater_; }

  // Streams handed out by Take, and streams the workers have finished so far.
  int Served();
  int Finished();

  // Deflating threads for a machine: its cores, at least one.
  static int MachineJobs();

 private:
  // Abandoned: dropped while a worker runs it; it stays in the plan until the worker is back.
  enum class State { Pending, Running, Abandoned, Done, Dropped };
  struct Job {
    std::string path;
    int level = 0;
    int64_t reserve = 0;  // memory held for it while it runs or waits
    State state = State::Pending;
    std::unique_ptr<TDeflatedFile> result;
  };

  void Work();
  bool Claimable(size_t index) const;
  std::unique_ptr<TDeflatedFile> Deflate(const std::string& path, int level, int64_t reserve) const;
  void Release(Job& job);

  const size_t budget_;
  const size_t spill_above_;
  const TDeflater deflater_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;
  size_t first_ = 0;  // index in the plan of jobs_.front()
  size_t taken_ = 0;  // plan index of the next job the build may ask for
  int64_t held_ = 0;  // memory reserved by running and finished jobs
  int served_ = 0;
  int finished_ = 0;
  bool stopping_ = false;
  std::atomic<bool> stopping_flag_{false};  // read by running deflates, without the lock
  std::vector<std::thread> threads_;
};

// Hands the stream of `file` on in the pieces it was made in, calling `mark` after each piece
// that ended at a progress point.
void ReplayDeflated(const TDeflatedFile& file,
                    const std::function<void(const uint8_t*, size_t)>& put,
                    const std::function<void(int64_t source_position)>& mark);

}  // namespace vantorel
