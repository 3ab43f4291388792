#pragma once
// The archive directory: one 172-byte record per stored file, and the list of them.
//
// An archive starts with a 5-byte prefix (a 32-bit header count and a "spanned" byte). In a
// single-file archive each record is followed by its file's zlib stream; in a volume set all
// records follow the prefix and the data follow them, running on over numbered volume files.
// All numbers are little-endian; offsets count from the archive's own first byte (or the
// volume's), so an archive reads the same when it is appended to another file.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/archive_types.h"
#include "archive/date_time.h"
#include "framework/object.h"
#include "platform/files.h"

namespace vantorel {

// Field offsets within the record.
namespace header_field {
inline constexpr size_t kListIndex = 0;
inline constexpr size_t kFileDate = 4;
inline constexpr size_t kLastDisk = 12;
inline constexpr size_t kLastByte = 16;
inline constexpr size_t kFileName = 20;  // length byte + 100
inline constexpr size_t kNextHeader = 124;
inline constexpr size_t kFileSize = 128;
inline constexpr size_t kDataStart = 132;
inline constexpr size_t kCompressedSize = 136;
inline constexpr size_t kFirstDisk = 140;
inline constexpr size_t kUniqueID = 144;
inline constexpr size_t kFileVersion = 148;  // length byte + 20
}  // namespace header_field

inline constexpr size_t kArchivePrefixSize = 5;
inline constexpr size_t kMaxStoredFileName = 100;
inline constexpr size_t kMaxStoredFileVersion = 20;

// One directory entry. The record is kept as the stored block, so that pad bytes and anything
// this version does not interpret survive a rewrite unchanged.
class TFileHeader : public TObject {
 public:
  TFileHeader() { record_.fill(0); }
  // An entry holding `record` (as a progress report carries it); not marked loaded.
  explicit TFileHeader(const THeaderRecord& record) : record_(record) {}

  // True when the entry was read from an archive.
  bool Loaded() const { return loaded_; }
  // The entry is in the archive now: a later addition to the same directory leaves it alone.
  void MarkWritten() { loaded_ = true; }

  int32_t ListIndex() const;
  void SetListIndex(int32_t value);
  TDateTime FileDate() const;
  void SetFileDate(TDateTime value);
  uint8_t LastDisk() const;
  void SetLastDisk(uint8_t value);
  int32_t LastByte() const;
  void SetLastByte(int32_t value);
  std::string FileName() const;
  void SetFileName(const std::string& value);  // truncated to 100 characters
  int32_t NextHeader() const;
  void SetNextHeader(int32_t value);
  int32_t FileSize() const;
  void SetFileSize(int32_t value);
  int32_t DataStart() const;
  void SetDataStart(int32_t value);
  int32_t CompressedSize() const;
  void SetCompressedSize(int32_t value);
  uint8_t FirstDisk() const;
  void SetFirstDisk(uint8_t value);
  int32_t UniqueID() const;
  void SetUniqueID(int32_t value);
  std::string FileVersion() const;
  void SetFileVersion(const std::string& value);  // truncated to 20 characters

  const THeaderRecord& Record() const { return record_; }
  // The path the entry was initialised from, whole: FileName keeps only 100 characters of it,
  // and the file must still be found to be compressed. Empty for a loaded entry.
  const std::string& SourcePath() const { return source_path_; }

  // Takes the source path (the text before the first ";") and records the file's name, date,
  // size and version. Raises EVtrlCompress when the file cannot be opened.
  void InitFromFile(const std::string& line);
  // Reads the 172 bytes at the file's position and marks the entry loaded. False on a short read.
  bool ReadFromStream(platform::File& stream);
  // Writes the 172 bytes at the file's position; raises EVtrlCompress on a short write.
  void WriteToStream(platform::File& stream) const;
  // An entry is valid when its name is not blank.
  bool Valid() const;

 private:
  int32_t GetI32(size_t at) const;
  void SetI32(size_t at, int32_t value);
  std::string GetShortString(size_t at, size_t capacity) const;
  void SetShortString(size_t at, size_t capacity, const std::string& value);

  bool loaded_ = false;
  THeaderRecord record_;
  std::string source_path_;
};

// The directory of one archive, in directory order. Owns its entries.
class TFileHeaders : public TObject {
 public:
  int Count() const { return static_cast<int>(entries_.size()); }
  // Raises EVtrlCompress for an index outside 0..Count-1.
  TFileHeader* GetFileHeaders(int index) const;
  // Appends a valid entry; an invalid one raises EVtrlCompress.
  void Add(std::unique_ptr<TFileHeader> entry);
  void Clear();
  // Adds one entry per line, each initialised from its source file and numbered from 1
  // by its place in `lines`. Without `keep` the directory is cleared first.
  void AddFiles(const std::vector<std::string>& lines, bool keep);
  // The first entry whose name equals the text of `name` before its first ";", compared without
  // regard to ASCII case; -1 when there is none. An entry's name is fixed once it is added.
  int IndexOfFile(const std::string& name) const;
  // Sums sizes into the totals of `stats` and clears its running totals.
  void Totals(TlzhFileStats& stats) const;

  // Reads the directory of the archive that begins at `base` in `stream`. Raises EVtrlCompress;
  // input that the file cannot hold (more records than bytes, a chain that runs backwards or out
  // of the file, negative sizes, data that lie outside the file, before their own header or over
  // a header or the data of another entry) is reported as a corrupt archive.
  void LoadFromStream(platform::File& stream, int64_t base);
  // Writes the prefix, and in a volume set all records, from the stream's first byte.
  void SaveToStream(platform::File& stream);

  bool Spanned() const { return spanned_; }
  void SetSpanned(bool value) { spanned_ = value; }

 private:
  // Raises EVtrlCompress unless every entry's data lie in a place of their own.
  void CheckDataRanges(int64_t base, int64_t end) const;

  std::vector<std::unique_ptr<TFileHeader>> entries_;
  // Lower-case name to the first entry of that name: lookups by name stay constant-time in a
  // directory of many thousands of entries.
  std::unordered_map<std::string, int> by_name_;
  bool spanned_ = false;
};

// The messages of directory errors, shared with the engine.
namespace archive_message {
inline constexpr const char* kReadCount =
    "Could not read the file header count for the compressed file";
inline constexpr const char* kReadHeaders =
    "Could not read the file headers for the compressed file. The Archive file could possible "
    "be corrupt";
inline constexpr const char* kWriteHeaders =
    "Could not write the file headers for the compressed file";
inline constexpr const char* kInvalidHeader = "Tried to add an invalid file header";
inline constexpr const char* kBadIndex =
    "%d is an invalid TFileHeader index in TFileHeaders.GetFileHeaders";
inline constexpr const char* kCannotOpenFile = "Cannot open the file %s";
inline constexpr const char* kFileTooLarge =
    "The file %s is too large to be stored in an archive (2 GB or more)";
inline constexpr const char* kDeviceSource =
    "The file %s cannot be stored: Windows takes %s for a device, so the file could never be "
    "installed. Rename it";
inline constexpr const char* kSeparatorInSource =
    "The file %s cannot be stored: a \";\" ends the path of a file to compress (the text after it "
    "is ignored), so a file whose name holds one cannot be named. Rename it";
}  // namespace archive_message

}  // namespace vantorel
