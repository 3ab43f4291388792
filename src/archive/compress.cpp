#include "archive/compress.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "archive/deflate_pool.h"
#include "archive/deflate_stream.h"
#include "archive/stored_name.h"
#include "archive/version_resource.h"
#include "framework/application.h"
#include "platform/byte_order.h"
#include "platform/errors.h"
#include "platform/system.h"
#include "routines/exceptions.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

using platform::Access;
using platform::Disposition;
using platform::File;
using platform::SeekOrigin;

constexpr unsigned kShareAll = platform::kShareRead | platform::kShareWrite;
constexpr size_t kInflateInput = 65536;
// Output is written a block at a time: a small block made a write and a report per 4 KB, more
// than the inflate itself cost.
constexpr size_t kInflateOutput = 65536;
constexpr size_t kChunk = 8192;
constexpr int kVolumeAttempts = 4;
constexpr int kMaxVolumes = 255;
constexpr uint32_t kPendingAttempts = 100;

// ".3" for volume 3. (Built by appending: GCC 12 warns falsely about "." + to_string.)
std::string VolumeExtension(int disk) {
  std::string extension = ".";
  extension += std::to_string(disk);
  return extension;
}

bool IsBlank(const std::string& text) {
  return Trim(text).empty();
}

// Makes the folder a file is about to be created in; a failure shows when the file cannot be.
void ForceDirectoryOf(const std::string& path) {
  const std::string directory = ExtractFileDir(path);
  if (!directory.empty()) ForceDirectories(directory);
}

// The platform's base exception carries zlib's failures, as the engine always reported them,
// with the entry and zlib's own account of what went wrong.
[[noreturn]] void ZlibError(const char* format, const std::string& file, const z_stream& z,
                            int result) {
  throw Exception(Format(format, file, z.msg != nullptr ? z.msg : zError(result)));
}

void PumpMessages() {
  Application().ProcessMessages();
}

// What an extraction or a copy writes: a temporary file beside the destination, moved onto it
// only once it is complete. Until then the file that was there stays as it was, and whatever
// stops the work removes the temporary. The move replaces a symbolic link at the destination
// rather than writing through it.
class PendingFile {
 public:
  // Made new under a name nothing has (never through a link that has it); closed when the
  // folder takes no file.
  explicit PendingFile(const std::string& dest) : dest_(dest) {
    const std::string folder = AddBackslash(ExtractFileDir(dest));
    const uint32_t start = static_cast<uint32_t>(platform::TickCount());
    for (uint32_t attempt = 0; attempt < kPendingAttempts; ++attempt) {
      char name[32];
      std::snprintf(name, sizeof name, "~vtx%04X.tmp", (start + attempt) & 0xFFFF);
      file_ = File::Open(folder + name, Access::ReadWrite, platform::kShareRead,
                         Disposition::CreateNew, platform::kOpenRenamable);
      if (file_.IsOpen()) {
        name_ = folder + name;
        return;
      }
      if (platform::LastError() != platform::kErrorFileExists &&
          platform::LastError() != platform::kErrorAlreadyExists) {
        return;
      }
    }
  }
  ~PendingFile() {
    file_.Close();
    if (!name_.empty()) platform::DeleteFile(name_);
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool IsOpen() const { return file_.IsOpen(); }
  File& file() { return file_; }
  // Into place through its own handle where the system can (a move by name opens it again),
  // else by name. Without `replace`, false when something is at the destination (the error
  // kErrorAlreadyExists then). False when the destination cannot be replaced (a folder,
  // read-only, held by another program without delete sharing); the temporary then goes with
  // this object.
  bool MoveIntoPlace(bool replace) {
    if (file_.IsOpen() && file_.Rename(dest_, replace)) {
      file_.Close();
      name_.clear();
      return true;
    }
    if (!replace && platform::LastError() == platform::kErrorAlreadyExists) return false;
    file_.Close();
    if (!(replace ? platform::MoveFileReplace(name_, dest_) : platform::MoveFile(name_, dest_)))
      return false;
    name_.clear();
    return true;
  }

 private:
  std::string dest_;
  std::string name_;
  File file_;
};

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

TVtrlCompress::TVtrlCompress(TComponent* owner)
    : TComponent(owner), files_to_process_(std::make_unique<TStrings>()) {
  unique_ids_.fill(-1);
}

TVtrlCompress::~TVtrlCompress() = default;

void TVtrlCompress::SetCompressedFile(const std::string& value) {
  if (SameText(value, compressed_file_)) return;
  ReleaseArchive();
  if (!SameText(ChangeFileExt(value, ".1"), ChangeFileExt(compressed_file_, ".1"))) {
    loaded_ = false;
    // The directory a compression left in memory belongs to the old archive: it must not answer
    // for the new one.
    if (mode_ == Mode::Compressing) mode_ = Mode::None;
  }
  compressed_file_ = value;
}

void TVtrlCompress::SetFilesToProcess(TStrings& value) {
  for (int i = value.Count() - 1; i >= 0; --i) {
    if (IsBlank(value[i])) value.Delete(i);
  }
  files_to_process_->Assign(value);
}

int64_t TVtrlCompress::WriteTo(WriteTarget, File& file, const void* data, size_t count) {
  return file.Write(data, count);
}

void TVtrlCompress::FullDisk() {
  if (OnFullDisk) {
    OnFullDisk(this);
    return;
  }
  throw EvcDiskFull(compress_message::kDiskFull);
}

void TVtrlCompress::CheckAbort() const {
  if (abort_) throw EvcAborted(compress_message::kAborted);
}

template <typename Body>
void TVtrlCompress::Guarded(bool absorb_silent_abort, Body body) {
  try {
    body();
  } catch (const EvcAborted&) {
    if (OnAborted) OnAborted(this);
  } catch (const EAbort&) {
    if (!absorb_silent_abort) {
      abort_ = true;
      throw;
    }
  } catch (...) {
    abort_ = true;
    throw;
  }
}

// --- the directory -----------------------------------------------------------------------------

void TVtrlCompress::LoadDirectory() {
  last_disk_ = 0;
  kept_.valid = false;
  ReleaseArchive();  // it may be another file than the one now read
  // A device or a FIFO is no archive: it would read as nothing, forever, or block.
  File file = File::OpenRegular(compressed_file_, Access::Read, kShareAll);
  if (!file.IsOpen()) {
    throw EVtrlCompress(Format(compress_message::kCannotOpenCompressed, compressed_file_));
  }
  try {
    unique_ids_.fill(-1);
    directory_.LoadFromStream(file, offset_);
    for (int i = 0; i < directory_.Count(); ++i) {
      int id = directory_.GetFileHeaders(i)->UniqueID();
      if (id >= 0 && id < kUniqueIDCount) unique_ids_[id] = i;
    }
  } catch (const std::exception&) {
    throw EVtrlCompress(archive_message::kReadHeaders);
  }
  loaded_ = true;
  totals_known_ = false;
}

int TVtrlCompress::FileCount() {
  if (NeedsLoading()) LoadDirectory();
  return directory_.Count();
}

// The totals are the same for every file of a directory: an install extracts its files one at a
// time and a listing asks for each, and summing them per call made both quadratic.
void TVtrlCompress::StartTotals() {
  if (!totals_known_) {
    directory_.Totals(totals_);
    totals_known_ = true;
  }
  stats_.TotalFileSize = totals_.TotalFileSize;
  stats_.TotalCompressedSize = totals_.TotalCompressedSize;
  stats_.TotalRatio = totals_.TotalRatio;
  stats_.TotalBytesDone = 0;
  stats_.TotalPercent = 0;
}

void TVtrlCompress::GetFileStats(int index, TlzhFileStats& stats) {
  if (NeedsLoading()) LoadDirectory();
  if (index < 0 || index >= directory_.Count()) {
    throw EVtrlCompress(Format(compress_message::kBadFileIndex, index));
  }
  StartTotals();
  FillStats(*directory_.GetFileHeaders(index));
  stats = stats_;
}

int TVtrlCompress::IndexOfUniqueID(int unique_id) {
  if (!loaded_) LoadDirectory();
  return unique_id >= 0 && unique_id < kUniqueIDCount ? unique_ids_[unique_id] : -1;
}

void TVtrlCompress::FillStats(const TFileHeader& entry) {
  stats_.FileName = entry.FileName();
  stats_.FileSize = entry.FileSize();
  stats_.CompressedSize = entry.CompressedSize();
  stats_.Ratio = Percent(entry.CompressedSize(), entry.FileSize());
  stats_.FileBytesDone = 0;
  stats_.FilePercent = 0;
  stats_.FileDone = false;
  stats_.Header = entry.Record();
}

// --- Compress ----------------------------------------------------------------------------------

void TVtrlCompress::Compress(TlzhCommand command, int unique_id) {
  abort_ = false;
  totals_known_ = false;
  mode_ = Mode::Compressing;
  directory_.SetSpanned(false);
  offset_ = 0;
  const bool may_resume = kept_.valid;
  kept_.valid = false;
  ReleaseArchive();
  File archive;
  Guarded(true, [&] {
    struct Finally {
      TVtrlCompress& self;
      File& archive;
      ~Finally() {
        self.loaded_ = false;
        self.totals_known_ = false;  // a handler may have asked while sizes were still coming
        archive.Close();
        self.files_to_process_->Clear();
      }
    } finally{*this, archive};

    ForceDirectoryOf(compressed_file_);
    const std::vector<std::string>& lines = files_to_process_->Lines();
    int32_t kept_size = 0, kept_compressed = 0;
    if (command == lzcOnlyAdd && platform::FileExists(compressed_file_)) {
      archive =
          File::Open(compressed_file_, Access::ReadWrite, kShareAll, Disposition::OpenExisting);
      if (!archive.IsOpen()) {
        throw EVtrlCompress(Format(compress_message::kCannotCreate, compressed_file_));
      }
      if (may_resume && ResumesKeptDirectory(archive)) {
        kept_size = kept_.total_size;
        kept_compressed = kept_.total_compressed;
      } else {
        directory_.LoadFromStream(archive, 0);
        for (int i = 0; i < directory_.Count(); ++i) {
          kept_size = SaturatingAdd(kept_size, directory_.GetFileHeaders(i)->FileSize());
          kept_compressed =
              SaturatingAdd(kept_compressed, directory_.GetFileHeaders(i)->CompressedSize());
        }
      }
    } else {
      archive =
          File::Open(compressed_file_, Access::ReadWrite, kShareAll, Disposition::CreateAlways);
      if (!archive.IsOpen()) {
        throw EVtrlCompress(Format(compress_message::kCannotCreate, compressed_file_));
      }
      directory_.Clear();
    }
    const int first_new = directory_.Count();
    directory_.AddFiles(lines, true);
    directory_.SaveToStream(archive);
    archive.Seek(0, SeekOrigin::End);
    // The totals of the whole directory, summed over the new entries only: summing every entry
    // for every file added made a build quadratic in its files.
    int32_t total_size = kept_size;
    for (int i = first_new; i < directory_.Count(); ++i) {
      total_size = SaturatingAdd(total_size, directory_.GetFileHeaders(i)->FileSize());
    }
    stats_.TotalFileSize = total_size;
    stats_.TotalCompressedSize = kept_compressed;
    stats_.TotalRatio = Percent(kept_compressed, total_size);
    stats_.TotalBytesDone = 0;
    stats_.TotalPercent = 0;
    stats_.FileDone = false;
    stats_.TotalCompressedSize = 0;
    for (int i = first_new; i < directory_.Count(); ++i) {
      TFileHeader& entry = *directory_.GetFileHeaders(i);
      CompressEntry(entry, archive, unique_id, i);
      kept_compressed = SaturatingAdd(kept_compressed, entry.CompressedSize());
    }
    KeepDirectory(archive, total_size, kept_compressed);
  });
}

bool TVtrlCompress::ResumesKeptDirectory(File& archive) {
  // The archive must still be the one this engine left: the same file, ending where it ended,
  // with the count and the last record it wrote. Anything else reads the directory afresh.
  platform::FileIdentity identity;
  if (!SameText(kept_.name, compressed_file_) || !archive.GetIdentity(identity) ||
      !(identity == kept_.identity) || archive.Size() != kept_.size || directory_.Spanned()) {
    return false;
  }
  uint8_t prefix[kArchivePrefixSize];
  if (archive.Seek(0, SeekOrigin::Begin) != 0 ||
      archive.Read(prefix, sizeof prefix) != static_cast<int64_t>(sizeof prefix) ||
      static_cast<int32_t>(platform::Le32(prefix)) != directory_.Count() || prefix[4] != 0) {
    return false;
  }
  if (directory_.Count() > 0) {
    THeaderRecord record;
    if (archive.Seek(kept_.last_header, SeekOrigin::Begin) != kept_.last_header ||
        archive.Read(record.data(), record.size()) != static_cast<int64_t>(record.size()) ||
        record != directory_.GetFileHeaders(directory_.Count() - 1)->Record()) {
      return false;
    }
  }
  return true;
}

void TVtrlCompress::KeepDirectory(File& archive, int32_t total_size, int32_t total_compressed) {
  kept_.name = compressed_file_;
  kept_.size = archive.Size();
  kept_.total_size = total_size;
  kept_.total_compressed = total_compressed;
  kept_.last_header = directory_.Count() > 0
                          ? directory_.GetFileHeaders(directory_.Count() - 1)->DataStart() -
                                static_cast<int64_t>(kFileHeaderSize)
                          : 0;
  kept_.valid = kept_.size >= 0 && archive.GetIdentity(kept_.identity);
}

void TVtrlCompress::CompressEntry(TFileHeader& entry, File& archive, int unique_id, int index) {
  const std::string& source_path =
      entry.SourcePath().empty() ? entry.FileName() : entry.SourcePath();
  const int level = ZlibLevel(compression_level_);
  std::unique_ptr<TDeflatedFile> ready;
  if (deflate_pool_ != nullptr && deflate_pool_->Deflater() == deflater_) {
    ready = deflate_pool_->Take(source_path, level);
    // Made from the file as it was when planned: a file changed since is deflated again.
    uint32_t stamp = 0;
    if (ready &&
        (ready->source_read != entry.FileSize() ||
         !DateTimeToDosDateTime(entry.FileDate(), stamp) || ready->source_stamp != stamp)) {
      ready.reset();
    }
  }
  File source;
  if (!ready) {
    source = File::Open(source_path, Access::Read, kShareAll, Disposition::OpenExisting);
    if (!source.IsOpen()) throw EVtrlCompress(Format(compress_message::kCannotOpen, source_path));
  }

  FillStats(entry);
  stats_.CompressedSize = 0;
  stats_.Ratio = 0;
  if (OnBeforeAdding) OnBeforeAdding(this, stats_);

  // The record goes in front of the data now and again, complete, once their length is known:
  // the stream is written straight behind it rather than through a temporary file.
  const int64_t header_at = archive.Position();
  const int64_t data_start = header_at + static_cast<int64_t>(kFileHeaderSize);
  // Every offset in the format is 32-bit; past 2 GB they would wrap and the archive would lie.
  if (header_at < 0 || data_start > INT32_MAX) {
    throw EVtrlCompress(Format(compress_message::kArchiveTooLarge, compressed_file_));
  }
  entry.WriteToStream(archive);
  entry.SetDataStart(static_cast<int32_t>(data_start));

  int64_t stored = 0;
  auto put = [&](const uint8_t* data, size_t count) {
    if (count == 0) return;
    if (data_start + stored + static_cast<int64_t>(count) > INT32_MAX) {
      throw EVtrlCompress(Format(compress_message::kArchiveTooLarge, compressed_file_));
    }
    const int64_t written = WriteTo(WriteTarget::Archive, archive, data, count);
    if (written > 0) stored += written;
    if (written != static_cast<int64_t>(count)) FullDisk();
  };
  deflating_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{deflating_};
  if (ready) {
    // Made ahead on another thread: the same bytes and the same progress points, in order.
    ReplayDeflated(*ready, put, [&](int64_t position) { AddStatus(position, stored); });
  } else {
    DeflateFile(
        source, level, entry.FileName(),
        [&](const DeflateBlock& block) {
          put(block.data, block.size);
          if (block.full) AddStatus(block.source_position, stored);
        },
        deflater_);
  }
  stats_.CompressedSize = ClampToInt32(stored);
  stats_.Ratio = Percent(stats_.CompressedSize, stats_.FileSize);
  stats_.FileDone = true;
  AddStatus(ready ? ready->source_read : source.Position(), stored);
  stats_.FileDone = false;
  source.Close();
  ready.reset();

  stats_.TotalCompressedSize = SaturatingAdd(stats_.TotalCompressedSize, stored);
  const int64_t end = data_start + stored;
  entry.SetLastByte(static_cast<int32_t>(end - 1));
  entry.SetNextHeader(static_cast<int32_t>(end));
  entry.SetCompressedSize(static_cast<int32_t>(stored));
  entry.SetUniqueID(unique_id);
  if (unique_id >= 0 && unique_id < kUniqueIDCount) unique_ids_[unique_id] = index;
  archive.Seek(header_at, SeekOrigin::Begin);
  entry.WriteToStream(archive);
  entry.MarkWritten();
  archive.Seek(end, SeekOrigin::Begin);
  stats_.Header = entry.Record();
  if (OnAfterAdding) OnAfterAdding(this, stats_);
}

void TVtrlCompress::AddStatus(int64_t source_position, int64_t stored) {
  CheckAbort();
  PumpMessages();
  if (!deflating_) throw EVtrlCompress(compress_message::kNilDestFile);
  stats_.TotalBytesDone =
      SaturatingAdd(stats_.TotalBytesDone, source_position - stats_.FileBytesDone - 1);
  stats_.FileBytesDone = ClampToInt32(source_position - 1);
  stats_.CompressedSize = ClampToInt32(stored);
  stats_.FilePercent = Percent(stats_.FileBytesDone, stats_.FileSize);
  stats_.TotalPercent = Percent(stats_.TotalBytesDone, stats_.TotalFileSize);
  if (OnStatus) OnStatus(this, stats_);
}

// --- Extract -----------------------------------------------------------------------------------

void TVtrlCompress::Extract() {
  abort_ = false;
  mode_ = Mode::Extracting;
  read_files_.clear();
  // The volume the extraction before left open is still being read.
  if (platform::FileIdentity identity; source_.IsOpen() && source_.GetIdentity(identity)) {
    read_files_.push_back(identity);
  }
  made_directory_.clear();
  last_disk_ = 0;
  report_gate_.Restart();
  Guarded(true, [&] {
    // A failed extraction leaves nothing open: the next one starts from the archive's name.
    struct EndOfExtraction {
      TVtrlCompress& self;
      int exceptions = std::uncaught_exceptions();
      ~EndOfExtraction() {
        self.vacant_target_.clear();
        if (std::uncaught_exceptions() > exceptions) self.ReleaseArchive();
      }
    } end_of_extraction{*this};
    if (!loaded_) LoadDirectory();
    disk_ = 0;
    StartTotals();
    stats_.FileDone = false;
    // A copy: a handler may assign a new list while this one runs.
    const std::vector<std::string> lines = files_to_process_->Lines();
    for (const std::string& line : lines) {
      const int index = directory_.IndexOfFile(line);
      if (index < 0) {
        throw EVtrlCompress(Format(compress_message::kNotInArchive, line, compressed_file_));
      }
      ExtractEntry(*directory_.GetFileHeaders(index), source_, source_disk_);
    }
    files_to_process_->Clear();
    target_name_.clear();
  });
}

void TVtrlCompress::ReleaseArchive() {
  source_.Close();
  source_disk_ = 0;
}

void TVtrlCompress::ExtractEntry(TFileHeader& entry, File& source, int& source_disk) {
  FillStats(entry);
  if (IsBlank(target_name_)) target_name_ = ExtractFileName(entry.FileName());
  if (OnBeforeExtracting) OnBeforeExtracting(this, stats_);
  target_name_ = ExtractFileName(target_name_);
  RefuseDeviceName(entry, target_name_);
  std::string dest = AddBackslash(extract_directory_) + target_name_;

  const bool known_vacant = !vacant_target_.empty() && SameText(dest, vacant_target_);
  vacant_target_.clear();
  const bool replacing = !known_vacant && platform::FileExists(dest);
  if (replacing) {
    const int decision =
        TVersionResource::IsFileNewer(entry.FileVersion(), dest, overwrite_, entry.FileDate());
    if (decision == kNewerFailed) throw EVtrlCompress(compress_message::kCompareFailed);
    if (decision == kNewerEqual || decision == kNewerKeepNewer) {
      stats_.FileDone = true;
      if (OnStatus) OnStatus(this, stats_);
      target_name_.clear();
      return;
    }
    if (OnReplace) OnReplace(this, stats_);
    RefuseDeviceName(entry, ExtractFileName(target_name_));
    dest = AddBackslash(extract_directory_) + ExtractFileName(target_name_);
  }

  const int first_disk = entry.FirstDisk() == 0 ? 1 : entry.FirstDisk();
  if (!source.IsOpen() || source_disk != first_disk) {
    source_disk = 0;
    source = OpenVolume(compressed_file_, first_disk, Access::Read);
    source_disk = first_disk;
  }
  disk_ = entry.FirstDisk();
  // Refused before any work when something is there already; the check before the move below
  // covers a file that appears meanwhile.
  if (replacing) RefuseArchiveAsTarget(entry, dest);
  if (const std::string folder = ExtractFileDir(dest); folder != made_directory_) {
    ForceDirectoryOf(dest);
    if (DirectoryExists(folder)) made_directory_ = folder;
  }
  PendingFile pending(dest);
  if (!pending.IsOpen()) throw EVtrlCompress(Format(compress_message::kCannotCreate, dest));
  File& out = pending.file();
  const int64_t start = int64_t{offset_} + entry.DataStart();
  if (start < 0 || source.Seek(start, SeekOrigin::Begin) != start) {
    throw EVtrlCompress(Format(compress_message::kCannotRead, compressed_file_));
  }

  source_disk = 0;  // until Inflate has ended on a volume known by number
  const InflateResult inflated = Inflate(entry, source, out);
  source_disk = disk_ == 0 ? 1 : disk_;

  // The file's last report always comes, and messages go through before it.
  PumpMessages();
  stats_.FileDone = true;
  if (OnStatus) OnStatus(this, stats_);
  // A file quick enough to be done before its first report can still be cancelled at its last:
  // it is not yet in place.
  CheckAbort();
  if (out.Size() != entry.FileSize()) {
    throw EVtrlCompress(Format(compress_message::kSizeMismatch, entry.FileName()));
  }
  if (!inflated.stream_complete) {
    throw EVtrlCompress(Format(compress_message::kStreamIncomplete, entry.FileName()));
  }
  if (inflated.trailing_data) {
    throw EVtrlCompress(Format(compress_message::kStreamTrailing, entry.FileName()));
  }
  uint32_t stamp = 0;
  if (!DateTimeToDosDateTime(entry.FileDate(), stamp) || !out.SetDosDateTime(stamp)) {
    throw EVtrlCompress(compress_message::kCannotSetDate);
  }
  // Nothing there, the usual case: a move that replaces nothing needs no look at the place.
  // Else what is there now, from the start or come meanwhile, must not be the archive (the
  // volumes read since the first check count too).
  if (!pending.MoveIntoPlace(false)) {
    RefuseArchiveAsTarget(entry, dest);
    if (!pending.MoveIntoPlace(true))
      throw EVtrlCompress(Format(compress_message::kCannotCreate, dest));
  }
  target_name_.clear();
}

bool TVtrlCompress::IsArchiveFile(const std::string& path) const {
  platform::FileIdentity target;
  if (!platform::GetFileIdentity(path, target)) return false;  // nothing there to destroy
  if (std::find(read_files_.begin(), read_files_.end(), target) != read_files_.end()) return true;
  if (!directory_.Spanned()) return false;
  // A volume this extraction has not read yet is the archive all the same.
  if (last_disk_ == 0) {
    last_disk_ = 1;
    for (int i = 0; i < directory_.Count(); ++i) {
      last_disk_ = std::max<int>(last_disk_, directory_.GetFileHeaders(i)->LastDisk());
    }
  }
  for (int disk = 1; disk <= last_disk_; ++disk) {
    platform::FileIdentity volume;
    if (platform::GetFileIdentity(ChangeFileExt(compressed_file_, VolumeExtension(disk)), volume) &&
        volume == target) {
      return true;
    }
  }
  return false;
}

// Same file, not same name: another spelling, a link or a hard link reach the archive too.
void TVtrlCompress::RefuseArchiveAsTarget(const TFileHeader& entry, const std::string& dest) const {
  if (IsArchiveFile(dest)) {
    throw EVtrlCompress(Format(compress_message::kTargetIsArchive, entry.FileName(), dest));
  }
}

void TVtrlCompress::RefuseDeviceName(const TFileHeader& entry, const std::string& name) const {
  // Windows opens the device whatever the folder: the data would go to a port or nowhere, and
  // the extraction would look done.
  if (IsDeviceName(name)) {
    throw EVtrlCompress(Format(compress_message::kDeviceTarget, entry.FileName(), name));
  }
}

TVtrlCompress::InflateResult TVtrlCompress::Inflate(const TFileHeader& entry, File& source,
                                                    File& dest) {
  z_stream z{};
  if (const int result = inflateInit(&z); result != Z_OK) {
    ZlibError(compress_message::kZlibInflate, entry.FileName(), z, result);
  }
  struct Cleanup {
    z_stream& z;
    ~Cleanup() { inflateEnd(&z); }
  } cleanup{z};

  // Kept by the engine: allocating them for each of many small files showed.
  inflate_in_.resize(kInflateInput);
  inflate_out_.resize(kInflateOutput);
  std::vector<uint8_t>& in = inflate_in_;
  std::vector<uint8_t>& out = inflate_out_;
  // In a single-file archive both disk numbers are 0: one pass over the one "volume".
  const int expected_changes = entry.LastDisk() - disk_ + 1;
  // Messages go through as a file starts, whatever its size: a Cancel pressed meanwhile stops
  // it before its first block.
  PumpMessages();
  int changes = 0;
  bool stream_end = false;
  while (true) {
    // Never more than one byte past the recorded size: data that inflate beyond it are not
    // this file, and are not written out.
    const size_t block = static_cast<size_t>(std::clamp<int64_t>(
        int64_t{entry.FileSize()} - stats_.FileBytesDone + 1, 1, int64_t{kInflateOutput}));
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(block);
    while (z.avail_out > 0 && !stream_end) {
      if (z.avail_in == 0) {
        const int64_t n = RefillInput(entry, source, in.data(), in.size());
        if (n == 0) break;
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(n);
      }
      const uInt in_before = z.avail_in, out_before = z.avail_out;
      const int result = inflate(&z, Z_NO_FLUSH);
      if (result == Z_STREAM_END) {
        stream_end = true;
      } else if (result != Z_OK || (z.avail_in == in_before && z.avail_out == out_before)) {
        // Negative results, a stream asking for a preset dictionary, and any call that moves
        // nothing: the loop must not spin on damaged data.
        ZlibError(compress_message::kZlibInflate, entry.FileName(), z,
                  result == Z_OK ? Z_DATA_ERROR : result);
      }
    }
    CheckAbort();

    const size_t produced = block - z.avail_out;
    if (produced > 0) {
      const int64_t written = WriteTo(WriteTarget::Extracted, dest, out.data(), produced);
      if (written != static_cast<int64_t>(produced)) FullDisk();
      const int64_t done = std::max<int64_t>(written, 0);
      stats_.FileBytesDone = SaturatingAdd(stats_.FileBytesDone, done);
      stats_.TotalBytesDone = SaturatingAdd(stats_.TotalBytesDone, done);
      stats_.FilePercent = Percent(stats_.FileBytesDone, stats_.FileSize);
      stats_.TotalPercent = Percent(stats_.TotalBytesDone, stats_.TotalFileSize);
      // The first block of a file is reported at once: a window that shows progress appears
      // with the file, however small.
      const bool first_block = stats_.FileBytesDone == done;
      if (first_block) report_gate_.Restart();
      if (first_block || report_gate_.Due(done)) {
        PumpMessages();
        if (OnStatus) OnStatus(this, stats_);
      }
      // Data that inflate to more than the recorded size are not this file; stop before they
      // fill the disk.
      if (stats_.FileBytesDone > entry.FileSize()) {
        throw EVtrlCompress(Format(compress_message::kSizeMismatch, entry.FileName()));
      }
      continue;
    }
    if (stream_end) break;
    // Nothing more came from this volume.
    if (disk_ < entry.LastDisk()) {
      ++disk_;
      source.Close();
      source = OpenVolume(compressed_file_, disk_, Access::Read);
      source.Seek(0, SeekOrigin::Begin);
    }
    if (++changes >= expected_changes) break;
  }

  InflateResult result;
  result.stream_complete = stream_end;
  if (stream_end) {
    uint8_t probe;
    result.trailing_data =
        z.avail_in > 0 || disk_ < entry.LastDisk() || RefillInput(entry, source, &probe, 1) > 0;
  }
  return result;
}

int64_t TVtrlCompress::RefillInput(const TFileHeader& entry, File& source, uint8_t* buffer,
                                   size_t capacity) {
  int64_t want = static_cast<int64_t>(capacity);
  if (disk_ == entry.LastDisk()) {
    const int64_t position = source.Position();
    const int64_t last = int64_t{offset_} + entry.LastByte();
    if (position < 0 || position > last) return 0;
    want = std::min(want, last - position + 1);
  }
  const int64_t n = source.Read(buffer, static_cast<size_t>(want));
  if (n < 0) throw EVtrlCompress(Format(compress_message::kCannotRead, compressed_file_));
  return n;
}

File TVtrlCompress::OpenVolume(std::string& name, int disk, Access access) {
  for (int attempt = 0; attempt < kVolumeAttempts; ++attempt) {
    if (directory_.Spanned()) name = ChangeFileExt(name, VolumeExtension(disk));
    if (!platform::FileExists(name)) {
      if (!OnNewDisk) throw EVtrlCompress(Format(compress_message::kWrongDisk, disk));
      std::string directory = ExtractFileDir(name);
      OnNewDisk(this, disk, directory);
      name = AddBackslash(directory) + ExtractFileName(name);
      if (!platform::FileExists(name)) continue;
    }
    // Read, it stays open between extractions: it must not keep anyone from removing it.
    File file = File::OpenRegular(
        name, access, access == Access::Read ? kShareAll | platform::kShareDelete : kShareAll);
    if (!file.IsOpen()) {
      throw EVtrlCompress(Format(compress_message::kCannotOpenCompressed, name));
    }
    platform::FileIdentity identity;
    if (file.GetIdentity(identity) &&
        std::find(read_files_.begin(), read_files_.end(), identity) == read_files_.end()) {
      read_files_.push_back(identity);
    }
    return file;
  }
  throw EVtrlCompress(Format(compress_message::kCannotOpenCompressed, name));
}

// --- SpanToDisks -------------------------------------------------------------------------------

void TVtrlCompress::SpanToDisks(const std::string& path, const std::string& file_name) {
  abort_ = false;
  kept_.valid = false;
  ReleaseArchive();
  Guarded(false, [&] {
    if (!loaded_) LoadDirectory();
    disk_ = 1;
    directory_.SetSpanned(true);
    directory_.Totals(stats_);
    // Only read: the archive may be the running setup program, which cannot be opened for
    // writing.
    File source = File::Open(compressed_file_, Access::Read, kShareAll, Disposition::OpenExisting);
    if (!source.IsOpen()) {
      throw EVtrlCompress(Format(compress_message::kCannotOpenCompressed, compressed_file_));
    }
    std::string volume_path = path;
    const std::string first_name = AddBackslash(path) + file_name;
    File volume =
        File::Open(first_name, Access::ReadWrite, platform::kShareRead, Disposition::CreateAlways);
    if (!volume.IsOpen()) throw EVtrlCompress(Format(compress_message::kCannotCreate, first_name));
    directory_.SaveToStream(volume);

    for (int i = 0; i < directory_.Count(); ++i) {
      TFileHeader& entry = *directory_.GetFileHeaders(i);
      FillStats(entry);
      const int64_t start = int64_t{offset_} + entry.DataStart();
      if (source.Seek(start, SeekOrigin::Begin) != start) {
        throw EVtrlCompress(Format(compress_message::kCannotRead, compressed_file_));
      }
      entry.SetDataStart(static_cast<int32_t>(volume.Position()));
      entry.SetFirstDisk(static_cast<uint8_t>(disk_));
      while (CopyChunk(source, volume, volume_path, file_name, entry) > 0) {
      }
      entry.SetLastByte(static_cast<int32_t>(volume.Position() - 1));
      entry.SetLastDisk(static_cast<uint8_t>(disk_));
    }
    volume.Close();

    std::string name = first_name;
    File first = OpenVolume(name, 1, Access::ReadWrite);
    directory_.SaveToStream(first);
  });
}

int64_t TVtrlCompress::CopyChunk(File& source, File& volume, std::string& path,
                                 const std::string& file_name, const TFileHeader& entry) {
  CheckAbort();
  const int64_t position = source.Position();
  const int64_t last = int64_t{offset_} + entry.LastByte();
  if (position > last) return 0;
  uint8_t buffer[kChunk];
  const int64_t n = source.Read(buffer, static_cast<size_t>(std::min<int64_t>(
                                            static_cast<int64_t>(kChunk), last - position + 1)));
  PumpMessages();
  // The directory promised these bytes; an archive that ends early cannot be spanned.
  if (n <= 0) throw EVtrlCompress(Format(compress_message::kCannotRead, compressed_file_));

  int64_t written = std::max<int64_t>(WriteTo(WriteTarget::Volume, volume, buffer, n), 0);
  if (written < n) {
    volume.Close();
    if (disk_ >= kMaxVolumes) throw EVtrlCompress(compress_message::kTooManyVolumes);
    ++disk_;
    if (!OnNewDisk) throw EVtrlCompress(compress_message::kNoNewDiskHandler);
    OnNewDisk(this, disk_, path);
    const std::string name = AddBackslash(path) + ChangeFileExt(file_name, VolumeExtension(disk_));
    volume = File::Open(name, Access::ReadWrite, platform::kShareRead, Disposition::CreateAlways);
    if (!volume.IsOpen()) throw EVtrlCompress(Format(compress_message::kCannotCreate, name));
    const int64_t rest = n - written;
    if (WriteTo(WriteTarget::Volume, volume, buffer + written, rest) != rest) {
      throw EVtrlCompress(compress_message::kTooLittleSpace);
    }
  }
  stats_.FileBytesDone = SaturatingAdd(stats_.FileBytesDone, n);
  stats_.TotalBytesDone = SaturatingAdd(stats_.TotalBytesDone, n);
  stats_.FilePercent = Percent(stats_.FileBytesDone, stats_.CompressedSize);
  stats_.TotalPercent = Percent(stats_.TotalBytesDone, stats_.TotalCompressedSize);
  if (OnStatus) OnStatus(this, stats_);
  return n;
}

// --- CopyFile ----------------------------------------------------------------------------------

void TVtrlCompress::CopyFile(const std::string& source, const std::string& dest) {
  abort_ = false;
  offset_ = 0;
  extract_directory_ = ExtractFileDir(dest);
  target_name_ = ExtractFileName(dest);

  TlzhFileStats stats;
  stats.FileName = source;
  uint64_t size = 0;
  platform::GetFileSize(source, size);
  stats.FileSize = stats.TotalFileSize = ClampToInt32(static_cast<int64_t>(size));

  std::string to = dest;
  if (platform::FileExists(dest)) {
    const int decision = TVersionResource::IsFileNewerByName(source, dest, overwrite_);
    if (decision == kNewerFailed) throw EVtrlCompress(compress_message::kCompareFailed);
    if (decision == kNewerEqual || decision == kNewerKeepNewer) return;
    if (OnReplace) OnReplace(this, stats);
    to = AddBackslash(extract_directory_) + ExtractFileName(target_name_);
  }

  File in = File::Open(source, Access::Read, kShareAll, Disposition::OpenExisting);
  uint32_t stamp = 0;
  if (!in.IsOpen() || !in.GetDosDateTime(stamp)) {
    throw EVtrlCompress(Format(compress_message::kCannotOpen, source));
  }
  // A copy stopped half-way must not leave half a file where a whole one was, nor one that a
  // later run would keep as if complete: the copy goes to a temporary file first.
  PendingFile pending(to);
  if (!pending.IsOpen()) throw EVtrlCompress(Format(compress_message::kCannotCreate, to));
  File& out = pending.file();

  std::vector<uint8_t> buffer(kChunk);
  bool complete = false;
  while (!abort_) {
    const int64_t n = in.Read(buffer.data(), buffer.size());
    if (n < 0) throw EVtrlCompress(Format(compress_message::kCannotRead, source));
    if (n > 0 && WriteTo(WriteTarget::Copy, out, buffer.data(), n) != n) FullDisk();
    stats.FileBytesDone = SaturatingAdd(stats.FileBytesDone, n);
    stats.TotalBytesDone = SaturatingAdd(stats.TotalBytesDone, n);
    stats.FilePercent = stats.TotalPercent = Percent(stats.FileBytesDone, stats.FileSize);
    if (OnStatus) OnStatus(this, stats);
    PumpMessages();
    if (n < static_cast<int64_t>(kChunk)) {
      if (!out.SetDosDateTime(stamp)) throw EVtrlCompress(compress_message::kCannotSetDate);
      complete = true;
      stats.FileDone = true;
      if (OnStatus) OnStatus(this, stats);
      break;
    }
  }
  // Closed first: Windows moves nothing onto a file this program still holds (a copy onto
  // itself).
  in.Close();
  if (complete && !pending.MoveIntoPlace(true)) {
    throw EVtrlCompress(Format(compress_message::kCannotCreate, to));
  }
}

}  // namespace vantorel

namespace vantorel {

VANTOREL_CLASS(TVtrlCompress, TComponent) {
  p.Bool("Abort", &TVtrlCompress::Abort, &TVtrlCompress::SetAbort).Default(false);
  p.String("CompressedFile", &TVtrlCompress::CompressedFile, &TVtrlCompress::SetCompressedFile);
  p.Enum("CompressionLevel", &TVtrlCompress::CompressionLevel, &TVtrlCompress::SetCompressionLevel)
      .Default(colMax);
  p.String("ExtractDirectory", &TVtrlCompress::ExtractDirectory,
           &TVtrlCompress::SetExtractDirectory);
  p.Strings("FilesToProcess", &TVtrlCompress::FilesToProcess,
            [](TVtrlCompress& c, const TStrings& lines) {
              TStrings copy;
              copy.Assign(lines);
              c.SetFilesToProcess(copy);
            });
  p.Int("Offset", &TVtrlCompress::Offset, &TVtrlCompress::SetOffset).Default(0);
  p.Enum("Overwrite", &TVtrlCompress::Overwrite, &TVtrlCompress::SetOverwrite).Default(owAlways);
  p.Event("OnAborted", &TVtrlCompress::OnAborted);
  p.Event("OnAfterAdding", &TVtrlCompress::OnAfterAdding);
  p.Event("OnBeforeAdding", &TVtrlCompress::OnBeforeAdding);
  p.Event("OnAfterExtracting", &TVtrlCompress::OnAfterExtracting);
  p.Event("OnBeforeExtracting", &TVtrlCompress::OnBeforeExtracting);
  p.Event("OnFullDisk", &TVtrlCompress::OnFullDisk);
  p.Event("OnListing", &TVtrlCompress::OnListing);
  p.Event("OnNewDisk", &TVtrlCompress::OnNewDisk);
  p.Event("OnReplace", &TVtrlCompress::OnReplace);
  p.Event("OnStatus", &TVtrlCompress::OnStatus);
}

}  // namespace vantorel
