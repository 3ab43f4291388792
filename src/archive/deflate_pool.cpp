#include "archive/deflate_pool.h"

#include <algorithm>

#include "archive/compress.h"
#include "archive/deflate_stream.h"
#include "platform/files.h"
#include "routines/exceptions.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

using platform::File;

// How far the workers may run ahead of the build, in files: the plan's bookkeeping stays small
// however many small files fit the memory budget.
constexpr size_t kMaxAhead = 256;
// What a job holds beyond its stream (the record of its progress points and so on).
constexpr int64_t kJobOverhead = 4096;

struct Stopped {};

}  // namespace

TDeflatedFile::~TDeflatedFile() {
  if (!spill.empty()) platform::DeleteFile(spill);
}

TDeflatePool::TDeflatePool(int workers, size_t memory_budget, size_t spill_above,
                           TDeflater deflater)
    : budget_(memory_budget), spill_above_(spill_above), deflater_(deflater) {
  for (int i = 0; i < std::max(workers, 1); ++i) threads_.emplace_back([this] { Work(); });
}

TDeflatePool::~TDeflatePool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    stopping_flag_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
}

int TDeflatePool::Served() {
  std::lock_guard lock(mutex_);
  return served_;
}

int TDeflatePool::Finished() {
  std::lock_guard lock(mutex_);
  return finished_;
}

int TDeflatePool::MachineJobs() {
  return std::max(1u, std::thread::hardware_concurrency());
}

void TDeflatePool::Schedule(const std::string& path, int level) {
  uint64_t size = 0;
  platform::GetFileSize(path, size);
  Job job;
  job.path = path;
  job.level = level;
  // A stream is at most a little larger than its source; one that will not fit waits on disk.
  job.reserve = kJobOverhead +
                static_cast<int64_t>(std::min<uint64_t>(size + size / 1000 + 64, spill_above_));
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  changed_.notify_all();
}

bool TDeflatePool::Claimable(size_t index) const {
  const Job& job = jobs_[index - first_];
  if (job.state != State::Pending || index >= taken_ + kMaxAhead) return false;
  // One job always runs, whatever its size: the build may be waiting for it.
  return held_ == 0 || held_ + job.reserve <= static_cast<int64_t>(budget_);
}

void TDeflatePool::Work() {
  std::unique_lock lock(mutex_);
  while (true) {
    size_t index = 0;
    changed_.wait(lock, [&] {
      if (stopping_) return true;
      for (index = std::max(first_, taken_); index < first_ + jobs_.size(); ++index) {
        if (jobs_[index - first_].state == State::Pending) return Claimable(index);
      }
      return false;
    });
    if (stopping_) return;
    Job& job = jobs_[index - first_];
    job.state = State::Running;
    held_ += job.reserve;
    const std::string path = job.path;
    const int level = job.level;
    const int64_t reserve = job.reserve;
    lock.unlock();

    std::unique_ptr<TDeflatedFile> result;
    try {
      result = Deflate(path, level, reserve);
    } catch (...) {
      // The build deflates the file itself and meets the failure there, with its events.
      result.reset();
    }

    lock.lock();
    ++finished_;
    Job& finished = jobs_[index - first_];  // running jobs stay in the plan
    if (finished.state == State::Abandoned) {
      held_ -= finished.reserve;
      finished.state = State::Dropped;
    } else {
      finished.result = std::move(result);
      const int64_t kept =
          finished.result ? kJobOverhead + static_cast<int64_t>(finished.result->data.capacity())
                          : 0;
      held_ += kept - finished.reserve;
      finished.reserve = kept;
      finished.state = State::Done;
    }
    changed_.notify_all();
  }
}

std::unique_ptr<TDeflatedFile> TDeflatePool::Deflate(const std::string& path, int level,
                                                     int64_t reserve) const {
  File source =
      File::Open(path, platform::Access::Read, platform::kShareRead | platform::kShareWrite,
                 platform::Disposition::OpenExisting);
  uint32_t stamp = 0;
  if (!source.IsOpen() || !source.GetDosDateTime(stamp)) return nullptr;
  auto result = std::make_unique<TDeflatedFile>();
  result->source_stamp = stamp;
  result->data.reserve(static_cast<size_t>(std::max<int64_t>(reserve - kJobOverhead, 0)));
  File spill;
  auto write_spill = [&](const uint8_t* data, size_t count) {
    if (spill.Write(data, count) != static_cast<int64_t>(count)) throw Stopped{};
  };
  DeflateFile(
      source, level, path,
      [&](const DeflateBlock& block) {
        if (stopping_flag_.load(std::memory_order_relaxed)) throw Stopped{};
        if (!spill.IsOpen() && result->data.size() + block.size > spill_above_) {
          result->spill = GetTempFile(true);
          spill = File::Open(result->spill, platform::Access::ReadWrite, platform::kShareRead,
                             platform::Disposition::CreateAlways);
          if (!spill.IsOpen()) throw Stopped{};
          write_spill(result->data.data(), result->data.size());
          std::vector<uint8_t>().swap(result->data);
        }
        if (spill.IsOpen()) {
          write_spill(block.data, block.size);
        } else {
          result->data.insert(result->data.end(), block.data, block.data + block.size);
        }
        result->size += static_cast<int64_t>(block.size);
        if (block.full) result->marks.push_back({block.source_position, result->size});
      },
      deflater_);
  result->source_read = source.Position();
  return result;
}

void TDeflatePool::Release(Job& job) {
  if (job.state == State::Running || job.state == State::Abandoned) {
    job.state = State::Abandoned;
    return;
  }
  if (job.state == State::Done) held_ -= job.reserve;
  job.result.reset();
  job.state = State::Dropped;
}

std::unique_ptr<TDeflatedFile> TDeflatePool::Take(const std::string& path, int level) {
  std::unique_lock lock(mutex_);
  const size_t end = first_ + jobs_.size();
  size_t index = std::max(first_, taken_);
  while (index < end &&
         !(jobs_[index - first_].level == level && jobs_[index - first_].path == path))
    ++index;
  if (index == end) return nullptr;
  for (size_t i = std::max(first_, taken_); i < index; ++i) Release(jobs_[i - first_]);
  taken_ = index + 1;

  std::unique_ptr<TDeflatedFile> result;
  Job& job = jobs_[index - first_];
  if (job.state == State::Running) {
    changed_.wait(lock, [&] { return job.state != State::Running; });
  }
  if (job.state == State::Done) result = std::move(job.result);
  if (result) ++served_;
  Release(job);
  // Finished with: gone from the plan, except a job a worker still runs (it comes back to it)
  // and those behind it.
  while (!jobs_.empty() && first_ < taken_ && jobs_.front().state == State::Dropped) {
    jobs_.pop_front();
    ++first_;
  }
  lock.unlock();
  changed_.notify_all();
  return result;
}

void ReplayDeflated(const TDeflatedFile& file,
                    const std::function<void(const uint8_t*, size_t)>& put,
                    const std::function<void(int64_t)>& mark) {
  File spill;
  std::vector<uint8_t> buffer;
  if (!file.spill.empty()) {
    spill = File::Open(file.spill, platform::Access::Read, platform::kShareRead,
                       platform::Disposition::OpenExisting);
    if (!spill.IsOpen()) throw EVtrlCompress(Format(compress_message::kCannotRead, file.spill));
  }
  int64_t done = 0;
  auto piece = [&](int64_t until) {
    const size_t count = static_cast<size_t>(until - done);
    if (!spill.IsOpen()) {
      put(file.data.data() + done, count);
    } else {
      buffer.resize(count);
      if (spill.Read(buffer.data(), count) != static_cast<int64_t>(count))
        throw EVtrlCompress(Format(compress_message::kCannotRead, file.spill));
      put(buffer.data(), count);
    }
    done = until;
  };
  for (const TDeflatedFile::Mark& m : file.marks) {
    piece(m.stream_size);
    mark(m.source_position);
  }
  piece(file.size);
}

}  // namespace vantorel
