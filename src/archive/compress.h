#pragma once
// The archive engine: compresses files into an archive, extracts them under the overwrite
// rules, copies an archive onto numbered volumes and copies plain files. Each stored file is one
// zlib stream. Long operations let the application process its messages between blocks, so
// that a Cancel button can set Abort.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_types.h"
#include "archive/deflate_stream.h"
#include "archive/file_header.h"
#include "framework/classes.h"
#include "framework/component.h"
#include "platform/files.h"

namespace vantorel {

class TVtrlCompress;
class TDeflatePool;

using TlzhFileStatsEvent = std::function<void(TVtrlCompress* sender, const TlzhFileStats& stats)>;
using TlzhNewDiskEvent =
    std::function<void(TVtrlCompress* sender, int disk_number, std::string& path)>;

// Entries per UniqueID: install files number themselves from 0 to 1999.
inline constexpr int kUniqueIDCount = 2000;

class TVtrlCompress : public TComponent {
 public:
  explicit TVtrlCompress(TComponent* owner);
  ~TVtrlCompress() override;

  bool Abort() const { return abort_; }
  void SetAbort(bool value) { abort_ = value; }
  const std::string& CompressedFile() const { return compressed_file_; }
  // Naming another archive (other than another volume of the same set) drops the directory.
  void SetCompressedFile(const std::string& value);
  TCompressionLevel CompressionLevel() const { return compression_level_; }
  void SetCompressionLevel(TCompressionLevel value) { compression_level_ = value; }
  const std::string& ExtractDirectory() const { return extract_directory_; }
  void SetExtractDirectory(const std::string& value) { extract_directory_ = value; }
  TStrings* FilesToProcess() const { return files_to_process_.get(); }
  // Removes the blank lines from `value` itself, then copies it.
  void SetFilesToProcess(TStrings& value);
  int32_t Offset() const { return offset_; }
  void SetOffset(int32_t value) { offset_ = value; }
  TOverwriteType Overwrite() const { return overwrite_; }
  void SetOverwrite(TOverwriteType value) { overwrite_ = value; }
  // The name (without directory) of the next extracted file; empty: the entry's own name.
  // Cleared after every extracted file.
  const std::string& TargetName() const { return target_name_; }
  void SetTargetName(const std::string& value) { target_name_ = value; }
  // The caller has just seen that nothing is at `path` (or made it so): the next extracted file,
  // when it goes there, skips its own look. Under Wine a look for a missing name reads the whole
  // folder. A file that comes meanwhile is handled as one that comes during the extraction.
  // Cleared by every extracted file and at the end of every extraction.
  void SetVacantTarget(const std::string& path) { vacant_target_ = path; }

  TNotifyEvent OnAborted;
  TlzhFileStatsEvent OnAfterAdding;
  TlzhFileStatsEvent OnBeforeAdding;
  TlzhFileStatsEvent OnAfterExtracting;  // kept for forms that name it; never raised
  TlzhFileStatsEvent OnBeforeExtracting;
  TNotifyEvent OnFullDisk;
  TlzhFileStatsEvent OnListing;  // kept for forms that name it; never raised
  TlzhNewDiskEvent OnNewDisk;
  TlzhFileStatsEvent OnReplace;
  TlzhFileStatsEvent OnStatus;

  // The number of entries of the directory of CompressedFile.
  int FileCount();
  // The totals of the directory and the fields of entry `index`.
  void GetFileStats(int index, TlzhFileStats& stats);
  // The index of the entry carrying `unique_id` (the last one when several do); -1 when none does.
  int IndexOfUniqueID(int unique_id);

  // Adds every file of FilesToProcess to CompressedFile, each entry stamped with `unique_id`.
  void Compress(TlzhCommand command, int unique_id);
  // Extracts every file named in FilesToProcess into ExtractDirectory.
  void Extract();
  // Copies the single-file archive CompressedFile (at Offset) onto a volume set whose first
  // volume is `path` + `file_name` (a name with the extension ".1").
  void SpanToDisks(const std::string& path, const std::string& file_name);
  // Copies one file as it is, under the overwrite rule.
  void CopyFile(const std::string& source, const std::string& dest);
  // Called when a write comes short: OnFullDisk when assigned (the operation goes on), else
  // EvcDiskFull.
  virtual void FullDisk();

  // An extraction reports progress (OnStatus) and lets messages through at most once per this
  // many milliseconds and once per 64 KB, whichever comes later (default 50); 0: after every
  // 64 KB block. The reports of a file's first block and of its end always come; messages
  // also go through as each file starts and before its last report.
  void SetProgressInterval(int milliseconds) {
    report_gate_.SetInterval(std::chrono::milliseconds(std::max(milliseconds, 0)));
  }

  // Extraction keeps the archive open from one Extract to the next (an install extracts its
  // files one at a time); this closes it. Naming another archive, compressing, spanning or
  // reading the directory again close it too.
  void ReleaseArchive();

  // What deflates (default zlib, the bytes of the install program's own builds).
  TDeflater Deflater() const { return deflater_; }
  void SetDeflater(TDeflater value) { deflater_ = value; }

  // Files that `pool` has deflated ahead are added from there (same bytes, same events); the
  // others are deflated here. Null: everything here. The pool must outlive its use.
  void SetDeflatePool(TDeflatePool* pool) { deflate_pool_ = pool; }

 protected:
  // What a write goes to; a test engine may make one kind of target fill up.
  enum class WriteTarget { Archive, Temporary, Extracted, Volume, Copy };
  // Every write of file data passes here; the result is the count written (-1 on error).
  virtual int64_t WriteTo(WriteTarget target, platform::File& file, const void* data, size_t count);

 private:
  enum class Mode { None, Compressing, Extracting };

  // An extraction reports its progress, and lets messages through, once both 64 KB and 50 ms
  // have passed since it last did: a report per block cost more than the inflate.
  class ReportGate {
   public:
    void Restart() {
      pending_ = 0;
      last_ = Clock::now();
    }
    void SetInterval(std::chrono::milliseconds interval) { interval_ = interval; }
    bool Elapsed() const { return Clock::now() - last_ >= interval_; }
    // Counts `bytes` more; true (and restarted) when a report is due.
    bool Due(int64_t bytes) {
      pending_ += bytes;
      if (pending_ < kBytes || !Elapsed()) return false;
      Restart();
      return true;
    }

   private:
    using Clock = std::chrono::steady_clock;
    static constexpr int64_t kBytes = 65536;
    std::chrono::milliseconds interval_{50};
    int64_t pending_ = 0;
    Clock::time_point last_ = Clock::now();
  };

  void LoadDirectory();
  bool NeedsLoading() const { return !loaded_ && mode_ != Mode::Compressing; }
  void FillStats(const TFileHeader& entry);
  // The directory's totals into the stats, the bytes done back to none.
  void StartTotals();
  template <typename Body>
  void Guarded(bool absorb_silent_abort, Body body);
  void CheckAbort() const;

  void CompressEntry(TFileHeader& entry, platform::File& archive, int unique_id, int index);
  void AddStatus(int64_t source_position, int64_t stored);
  // True when `archive` is still as the last compression left it, so that the directory in
  // memory stands for it without being read again.
  bool ResumesKeptDirectory(platform::File& archive);
  void KeepDirectory(platform::File& archive, int32_t total_size, int32_t total_compressed);
  // `source` is the volume still open from the entry before (`source_disk` its number), kept
  // across the entries of one extraction: opening the archive anew for each of many small files
  // cost more than inflating them.
  void ExtractEntry(TFileHeader& entry, platform::File& source, int& source_disk);
  // Raises EVtrlCompress when `name`, the file name an entry is about to be written to, is a
  // device.
  void RefuseDeviceName(const TFileHeader& entry, const std::string& name) const;
  struct InflateResult {
    bool stream_complete = false;
    bool trailing_data = false;
  };
  InflateResult Inflate(const TFileHeader& entry, platform::File& source, platform::File& dest);
  // Whether `path` is the archive being read: a volume read so far, or any of a volume set.
  bool IsArchiveFile(const std::string& path) const;
  void RefuseArchiveAsTarget(const TFileHeader& entry, const std::string& dest) const;
  int64_t RefillInput(const TFileHeader& entry, platform::File& source, uint8_t* buffer,
                      size_t capacity);
  // Opens volume `disk` of `name` (renaming it in place), asking OnNewDisk up to four times.
  platform::File OpenVolume(std::string& name, int disk, platform::Access access);
  int64_t CopyChunk(platform::File& source, platform::File& volume, std::string& path,
                    const std::string& file_name, const TFileHeader& entry);

  bool abort_ = false;
  std::string compressed_file_;
  TCompressionLevel compression_level_ = colMax;
  std::string extract_directory_;
  std::unique_ptr<TStrings> files_to_process_;
  int32_t offset_ = 0;
  TOverwriteType overwrite_ = owAlways;
  std::string target_name_;
  std::string vacant_target_;

  TFileHeaders directory_;
  bool loaded_ = false;
  Mode mode_ = Mode::None;
  TlzhFileStats stats_;
  TlzhFileStats totals_;       // the directory's totals, while totals_known_
  bool totals_known_ = false;  // reset whenever the directory is read or written
  int disk_ = 0;
  bool deflating_ = false;
  ReportGate report_gate_;
  TDeflatePool* deflate_pool_ = nullptr;
  TDeflater deflater_ = TDeflater::Zlib;
  // What the last compression left, for the next addition to the same archive.
  struct KeptDirectory {
    bool valid = false;
    std::string name;
    platform::FileIdentity identity;
    int64_t size = 0;
    int64_t last_header = 0;
    int32_t total_size = 0;
    int32_t total_compressed = 0;
  } kept_;
  std::array<int, kUniqueIDCount> unique_ids_{};
  std::vector<platform::FileIdentity> read_files_;  // the volumes opened by this extraction
  platform::File source_;  // the volume extraction reads, kept open between extractions
  int source_disk_ = 0;    // its number; 0 while unknown
  std::vector<uint8_t> inflate_in_, inflate_out_;
  std::string made_directory_;  // the folder this extraction has already made or found
  mutable int last_disk_ = 0;   // of the loaded directory, once an extraction has needed it
};

// The messages of the engine.
namespace compress_message {
inline constexpr const char* kCannotOpenCompressed = "Cannot open the compressed file %s";
inline constexpr const char* kCannotCreate = "Cannot create the file %s";
inline constexpr const char* kCannotOpen = "Cannot open the file %s";
inline constexpr const char* kNotInArchive = "The file <%s> was not found in the archive <%s>";
inline constexpr const char* kCompareFailed = "Error comparing file versions in TVtrlCompress";
inline constexpr const char* kSizeMismatch =
    "The decompressed file's size does not match with the actual size of the file.  The file "
    "is %s";
inline constexpr const char* kCannotSetDate = "Cannot set the date of the file just extracted.";
inline constexpr const char* kWrongDisk = "Could not open the correct disk file %d";
inline constexpr const char* kNoNewDiskHandler =
    "There was no event handler for the OnNewDisk event, therefore no new disk could be inserted";
inline constexpr const char* kTooLittleSpace = "There is too little space on this disk to operate";
inline constexpr const char* kDiskFull = "The disk is full";
inline constexpr const char* kAborted = "Operation aborted by user";
inline constexpr const char* kBadFileIndex =
    "Tried to access the %dth file. This file is not defined";
inline constexpr const char* kNilDestFile = "AddStatus has Nil DestFile";
inline constexpr const char* kZlib = "error";
inline constexpr const char* kZlibInflate = "error in the compressed data of the file %s: %s";
inline constexpr const char* kZlibDeflate = "error while compressing the file %s: %s";
inline constexpr const char* kDeviceTarget =
    "The file %s cannot be extracted: %s is a name Windows reserves for a device";
// Situations the engine meets on damaged input or full media beyond the ones above.
inline constexpr const char* kStreamIncomplete =
    "The compressed data of the file %s end before the file does. The Archive file could "
    "possible be corrupt";
inline constexpr const char* kStreamTrailing =
    "The compressed data of the file %s are followed by bytes that do not belong to it. The "
    "Archive file could possible be corrupt";
inline constexpr const char* kCannotRead = "Cannot read the file %s";
inline constexpr const char* kArchiveTooLarge = "The archive %s cannot grow to 2 GB or more";
inline constexpr const char* kTooManyVolumes = "A volume set cannot have more than 255 volumes";
inline constexpr const char* kTargetIsArchive =
    "The file %s cannot be extracted onto %s, the archive it is read from";
}  // namespace compress_message

}  // namespace vantorel
