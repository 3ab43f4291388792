#include "archive/file_header.h"

#include <algorithm>
#include <cstring>

#include "archive/stored_name.h"
#include "archive/version_resource.h"
#include "platform/byte_order.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

using platform::File;
using platform::Le32;
using platform::PutLe32;

std::string BeforeSemicolon(const std::string& text) {
  return text.substr(0, text.find(';'));
}

}  // namespace

// --- TFileHeader -------------------------------------------------------------------------------

int32_t TFileHeader::GetI32(size_t at) const {
  return static_cast<int32_t>(Le32(record_.data() + at));
}

void TFileHeader::SetI32(size_t at, int32_t value) {
  PutLe32(record_.data() + at, static_cast<uint32_t>(value));
}

std::string TFileHeader::GetShortString(size_t at, size_t capacity) const {
  // A length byte beyond the field's capacity comes from a damaged record; the field still ends
  // where it ends.
  size_t length = std::min<size_t>(record_[at], capacity);
  return std::string(reinterpret_cast<const char*>(record_.data() + at + 1), length);
}

void TFileHeader::SetShortString(size_t at, size_t capacity, const std::string& value) {
  size_t length = std::min(value.size(), capacity);
  record_[at] = static_cast<uint8_t>(length);
  std::fill_n(record_.data() + at + 1, capacity, uint8_t{0});
  std::memcpy(record_.data() + at + 1, value.data(), length);
}

int32_t TFileHeader::ListIndex() const {
  return GetI32(header_field::kListIndex);
}
void TFileHeader::SetListIndex(int32_t value) {
  SetI32(header_field::kListIndex, value);
}

TDateTime TFileHeader::FileDate() const {
  double value;
  std::memcpy(&value, record_.data() + header_field::kFileDate, sizeof value);
  return value;  // both targets are little-endian IEEE 754
}
void TFileHeader::SetFileDate(TDateTime value) {
  std::memcpy(record_.data() + header_field::kFileDate, &value, sizeof value);
}

uint8_t TFileHeader::LastDisk() const {
  return record_[header_field::kLastDisk];
}
void TFileHeader::SetLastDisk(uint8_t value) {
  record_[header_field::kLastDisk] = value;
}
int32_t TFileHeader::LastByte() const {
  return GetI32(header_field::kLastByte);
}
void TFileHeader::SetLastByte(int32_t value) {
  SetI32(header_field::kLastByte, value);
}

std::string TFileHeader::FileName() const {
  return GetShortString(header_field::kFileName, kMaxStoredFileName);
}
void TFileHeader::SetFileName(const std::string& value) {
  SetShortString(header_field::kFileName, kMaxStoredFileName, value);
}

int32_t TFileHeader::NextHeader() const {
  return GetI32(header_field::kNextHeader);
}
void TFileHeader::SetNextHeader(int32_t value) {
  SetI32(header_field::kNextHeader, value);
}
int32_t TFileHeader::FileSize() const {
  return GetI32(header_field::kFileSize);
}
void TFileHeader::SetFileSize(int32_t value) {
  SetI32(header_field::kFileSize, value);
}
int32_t TFileHeader::DataStart() const {
  return GetI32(header_field::kDataStart);
}
void TFileHeader::SetDataStart(int32_t value) {
  SetI32(header_field::kDataStart, value);
}
int32_t TFileHeader::CompressedSize() const {
  return GetI32(header_field::kCompressedSize);
}
void TFileHeader::SetCompressedSize(int32_t value) {
  SetI32(header_field::kCompressedSize, value);
}
uint8_t TFileHeader::FirstDisk() const {
  return record_[header_field::kFirstDisk];
}
void TFileHeader::SetFirstDisk(uint8_t value) {
  record_[header_field::kFirstDisk] = value;
}
int32_t TFileHeader::UniqueID() const {
  return GetI32(header_field::kUniqueID);
}
void TFileHeader::SetUniqueID(int32_t value) {
  SetI32(header_field::kUniqueID, value);
}

std::string TFileHeader::FileVersion() const {
  return GetShortString(header_field::kFileVersion, kMaxStoredFileVersion);
}
void TFileHeader::SetFileVersion(const std::string& value) {
  SetShortString(header_field::kFileVersion, kMaxStoredFileVersion, value);
}

void TFileHeader::InitFromFile(const std::string& line) {
  const std::string path = BeforeSemicolon(line);
  // A ";" starts fields the engine ignores; when the whole line names a file, it was part of the
  // name instead, and the file before it (or none) would be stored in its place.
  if (path.size() != line.size() && platform::FileExists(line)) {
    throw EVtrlCompress(Format(archive_message::kSeparatorInSource, line));
  }
  // A name Windows takes for a device installs nowhere (a Linux build machine has such files).
  if (IsDeviceName(ExtractFileName(path))) {
    throw EVtrlCompress(Format(archive_message::kDeviceSource, path, ExtractFileName(path)));
  }
  SetFileName(path);
  source_path_ = path;
  File file = File::Open(path, platform::Access::Read, platform::kShareRead | platform::kShareWrite,
                         platform::Disposition::OpenExisting);
  if (!file.IsOpen()) throw EVtrlCompress(Format(archive_message::kCannotOpenFile, path));
  uint32_t stamp = 0;
  int64_t size = file.Size();
  if (size < 0 || !file.GetDosDateTime(stamp)) {
    throw EVtrlCompress(Format(archive_message::kCannotOpenFile, path));
  }
  // Every size in the format is 32-bit: a larger file would be recorded with a wrapped size.
  if (size > INT32_MAX) throw EVtrlCompress(Format(archive_message::kFileTooLarge, path));
  file.Close();
  SetFileDate(DosDateTimeToDateTime(stamp));
  SetFileSize(static_cast<int32_t>(size));
  SetFileVersion(TVersionResource::FileVersionOf(path));
}

bool TFileHeader::ReadFromStream(File& stream) {
  if (stream.Read(record_.data(), record_.size()) != static_cast<int64_t>(record_.size())) {
    return false;
  }
  loaded_ = true;
  return true;
}

void TFileHeader::WriteToStream(File& stream) const {
  if (stream.Write(record_.data(), record_.size()) != static_cast<int64_t>(record_.size())) {
    throw EVtrlCompress(archive_message::kWriteHeaders);
  }
}

bool TFileHeader::Valid() const {
  return !Trim(FileName()).empty();
}

// --- TFileHeaders ------------------------------------------------------------------------------

TFileHeader* TFileHeaders::GetFileHeaders(int index) const {
  if (index < 0 || index >= Count()) throw EVtrlCompress(Format(archive_message::kBadIndex, index));
  return entries_[index].get();
}

void TFileHeaders::Add(std::unique_ptr<TFileHeader> entry) {
  if (!entry || !entry->Valid()) throw EVtrlCompress(archive_message::kInvalidHeader);
  by_name_.emplace(LowerCase(entry->FileName()), Count());  // a later twin keeps the first
  entries_.push_back(std::move(entry));
}

void TFileHeaders::Clear() {
  by_name_.clear();
  while (!entries_.empty()) entries_.pop_back();
}

void TFileHeaders::AddFiles(const std::vector<std::string>& lines, bool keep) {
  if (!keep) Clear();
  int32_t index = 0;
  for (const std::string& line : lines) {
    auto entry = std::make_unique<TFileHeader>();
    entry->InitFromFile(line);
    entry->SetListIndex(++index);
    Add(std::move(entry));
  }
}

int TFileHeaders::IndexOfFile(const std::string& name) const {
  const auto found = by_name_.find(LowerCase(BeforeSemicolon(name)));
  return found == by_name_.end() ? -1 : found->second;
}

void TFileHeaders::Totals(TlzhFileStats& stats) const {
  int32_t size = 0, compressed = 0;
  for (const auto& entry : entries_) {
    size = SaturatingAdd(size, entry->FileSize());
    compressed = SaturatingAdd(compressed, entry->CompressedSize());
  }
  stats.TotalFileSize = size;
  stats.TotalCompressedSize = compressed;
  stats.TotalRatio = Percent(compressed, size);
  stats.TotalBytesDone = 0;
  stats.TotalPercent = 0;
  stats.FileDone = false;
}

void TFileHeaders::LoadFromStream(File& stream, int64_t base) {
  Clear();
  uint8_t prefix[kArchivePrefixSize];
  if (base < 0 || stream.Seek(base, platform::SeekOrigin::Begin) != base ||
      stream.Read(prefix, sizeof prefix) != static_cast<int64_t>(sizeof prefix)) {
    throw EVtrlCompress(archive_message::kReadCount);
  }
  const int32_t count = static_cast<int32_t>(Le32(prefix));
  spanned_ = prefix[4] != 0;
  if (count <= 0) return;

  // The records of a well-formed archive lie one after another, each wholly inside the file, so
  // the file's size bounds both the count and every step of the chain. Without these checks a
  // chain pointing back at itself would be followed `count` times, allocating all the way.
  const int64_t end = stream.Size();
  int64_t position = base + static_cast<int64_t>(kArchivePrefixSize);
  if (end < position || (end - position) / static_cast<int64_t>(kFileHeaderSize) < count) {
    throw EVtrlCompress(archive_message::kReadHeaders);
  }
  for (int32_t i = 0; i < count; ++i) {
    auto entry = std::make_unique<TFileHeader>();
    if (stream.Seek(position, platform::SeekOrigin::Begin) != position ||
        !entry->ReadFromStream(stream)) {
      throw EVtrlCompress(archive_message::kReadHeaders);
    }
    const int64_t next = base + entry->NextHeader();
    bool sound = next >= position + static_cast<int64_t>(kFileHeaderSize) && next <= end &&
                 entry->FileSize() >= 0 && entry->CompressedSize() >= 0 &&
                 entry->DataStart() >= 0 && entry->LastByte() >= 0;
    if (spanned_) {
      sound = sound && entry->FirstDisk() >= 1 && entry->LastDisk() >= entry->FirstDisk();
    } else {
      sound = sound && entry->FirstDisk() == 0 && entry->LastDisk() == 0 &&
              entry->LastByte() >= entry->DataStart() - 1 && base + entry->LastByte() < end;
    }
    if (!sound) throw EVtrlCompress(archive_message::kReadHeaders);
    position = next;
    Add(std::move(entry));
  }
  CheckDataRanges(base, end);
}

namespace {

// A place in a volume set: volume number, then offset. A single-file archive is volume 0.
using Place = std::pair<int, int64_t>;
struct Range {
  Place first, last;  // inclusive; empty when last < first
};

// True when no two of the non-empty ranges share a byte.
bool Disjoint(std::vector<Range>& ranges) {
  std::erase_if(ranges, [](const Range& r) { return r.last < r.first; });
  std::sort(ranges.begin(), ranges.end(),
            [](const Range& a, const Range& b) { return a.first < b.first; });
  for (size_t i = 1; i < ranges.size(); ++i) {
    if (!(ranges[i - 1].last < ranges[i].first)) return false;
  }
  return true;
}

}  // namespace

void TFileHeaders::CheckDataRanges(int64_t base, int64_t end) const {
  // Every entry must own its bytes: headers that share one stream make a few kilobytes of
  // archive unpack to any size, and data over a header make the directory its own payload.
  std::vector<Range> ranges;
  ranges.reserve(entries_.size() * 2);
  if (spanned_) {
    // Only volume 1 is at hand: its headers lie in one block, the data behind them, and data
    // that end on it end inside it. Across volumes the ranges still follow each other.
    const int64_t headers_end =
        static_cast<int64_t>(kArchivePrefixSize) + int64_t{Count()} * kFileHeaderSize;
    ranges.push_back({{1, 0}, {1, headers_end - 1}});
    for (const auto& e : entries_) {
      const Place first{e->FirstDisk(), e->DataStart()}, last{e->LastDisk(), e->LastByte()};
      if (last < first && !(last.first == first.first && last.second == first.second - 1)) {
        throw EVtrlCompress(archive_message::kReadHeaders);
      }
      if (e->LastDisk() == 1 && base + e->LastByte() >= end) {
        throw EVtrlCompress(archive_message::kReadHeaders);
      }
      ranges.push_back({first, last});
    }
  } else {
    int64_t header = static_cast<int64_t>(kArchivePrefixSize);
    for (const auto& e : entries_) {
      if (e->DataStart() < header + static_cast<int64_t>(kFileHeaderSize)) {
        throw EVtrlCompress(archive_message::kReadHeaders);
      }
      ranges.push_back({{0, header}, {0, header + static_cast<int64_t>(kFileHeaderSize) - 1}});
      ranges.push_back({{0, e->DataStart()}, {0, e->LastByte()}});
      header = e->NextHeader();
    }
  }
  if (!Disjoint(ranges)) throw EVtrlCompress(archive_message::kReadHeaders);
}

void TFileHeaders::SaveToStream(File& stream) {
  uint8_t prefix[kArchivePrefixSize];
  PutLe32(prefix, static_cast<uint32_t>(Count()));
  prefix[4] = spanned_ ? 1 : 0;
  if (stream.Seek(0, platform::SeekOrigin::Begin) != 0 ||
      stream.Write(prefix, sizeof prefix) != static_cast<int64_t>(sizeof prefix)) {
    throw EVtrlCompress(archive_message::kWriteHeaders);
  }
  if (!spanned_) return;
  for (const auto& entry : entries_) {
    entry->SetNextHeader(static_cast<int32_t>(stream.Position() + kFileHeaderSize));
    entry->WriteToStream(stream);
  }
}

}  // namespace vantorel
