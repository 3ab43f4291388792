#include "platform/pe_version.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/byte_order.h"

namespace vantorel::platform {
namespace {

constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kVsVersionInfo = 1;
// Every read of a directory table is bounded; a real resource tree has a handful of entries.
constexpr uint32_t kMaxSections = 96;
constexpr uint32_t kMaxOptionalHeader = 4096;

struct Section {
  uint32_t virtual_address;
  uint32_t raw_size;
  uint32_t raw_pointer;
};

// A PE image seen through its file: every read is checked against the file's size.
class PeImage {
 public:
  explicit PeImage(File& file) : file_(file) {}

  bool Open() {
    int64_t size = file_.Size();
    if (size < 64) return false;
    size_ = static_cast<uint64_t>(size);

    uint8_t dos[64];
    if (!ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    uint64_t nt = Le32(dos + 0x3C);

    uint8_t coff[24];
    if (!ReadAt(nt, coff, sizeof coff)) return false;
    if (coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 || coff[3] != 0) return false;
    uint32_t sections = Le16(coff + 6);
    uint32_t optional_size = Le16(coff + 20);
    if (sections > kMaxSections || optional_size > kMaxOptionalHeader) return false;

    std::vector<uint8_t> optional(optional_size);
    if (!ReadAt(nt + 24, optional.data(), optional.size()) || optional_size < 2) return false;
    size_t count_at, dirs_at;
    switch (Le16(optional.data())) {
      case 0x10B:
        count_at = 92, dirs_at = 96;
        break;  // PE32
      case 0x20B:
        count_at = 108, dirs_at = 112;
        break;  // PE32+
      default:
        return false;
    }
    constexpr size_t kResourceDir = 2;
    size_t resource_at = dirs_at + kResourceDir * 8;
    if (optional_size >= resource_at + 8 && Le32(optional.data() + count_at) > kResourceDir) {
      resource_rva_ = Le32(optional.data() + resource_at);
    }
    characteristics_ = Le16(coff + 22);

    std::vector<uint8_t> table(sections * 40);
    if (!ReadAt(nt + 24 + optional_size, table.data(), table.size())) return false;
    for (uint32_t i = 0; i < sections; ++i) {
      const uint8_t* s = table.data() + i * 40;
      sections_.push_back({Le32(s + 12), Le32(s + 16), Le32(s + 20)});
    }
    return true;
  }

  // Reads `count` bytes at the virtual address `rva`; all of them must lie in the file data of
  // one section.
  bool ReadRva(uint64_t rva, void* buffer, uint64_t count) {
    for (const Section& s : sections_) {
      if (rva < s.virtual_address) continue;
      uint64_t delta = rva - s.virtual_address;
      if (delta >= s.raw_size || count > s.raw_size - delta) continue;
      return ReadAt(uint64_t{s.raw_pointer} + delta, buffer, count);
    }
    return false;
  }

  // 0 when the image has no resource directory.
  uint32_t resource_rva() const { return resource_rva_; }
  uint16_t characteristics() const { return characteristics_; }

 private:
  bool ReadAt(uint64_t offset, void* buffer, uint64_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    if (count == 0) return true;
    if (file_.Seek(static_cast<int64_t>(offset), SeekOrigin::Begin) < 0) return false;
    return file_.Read(buffer, count) == static_cast<int64_t>(count);
  }

  File& file_;
  uint64_t size_ = 0;
  uint32_t resource_rva_ = 0;
  uint16_t characteristics_ = 0;
  std::vector<Section> sections_;
};

struct ResourceEntry {
  bool named;
  uint16_t id;
  uint32_t name_offset;  // named: the length-prefixed UTF-16 name, from the resource directory
  bool subdirectory;
  uint32_t offset;  // from the start of the resource directory
};

// The entries of the resource directory table at `offset` from the resource root.
std::optional<std::vector<ResourceEntry>> ReadDirectory(PeImage& image, uint32_t offset) {
  uint8_t header[16];
  if (!image.ReadRva(uint64_t{image.resource_rva()} + offset, header, sizeof header)) {
    return std::nullopt;
  }
  uint32_t count = uint32_t{Le16(header + 12)} + Le16(header + 14);
  std::vector<uint8_t> raw(count * 8);
  if (!image.ReadRva(uint64_t{image.resource_rva()} + offset + 16, raw.data(), raw.size())) {
    return std::nullopt;
  }
  std::vector<ResourceEntry> entries;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t name = Le32(raw.data() + i * 8);
    uint32_t data = Le32(raw.data() + i * 8 + 4);
    entries.push_back({(name & 0x80000000u) != 0, static_cast<uint16_t>(name & 0xFFFF),
                       name & 0x7FFFFFFFu, (data & 0x80000000u) != 0, data & 0x7FFFFFFFu});
  }
  return entries;
}

const ResourceEntry* FindId(const std::vector<ResourceEntry>& entries, uint16_t id) {
  for (const ResourceEntry& e : entries) {
    if (!e.named && e.id == id) return &e;
  }
  return nullptr;
}

// The language the system's resource lookup settles on when no language is asked for: neutral,
// then the user's (US English, as the builder has no other), then English, then the first.
const ResourceEntry* PickLanguage(const std::vector<ResourceEntry>& entries) {
  for (uint16_t lang : {uint16_t{0x0000}, uint16_t{0x0409}, uint16_t{0x0009}}) {
    if (const ResourceEntry* e = FindId(entries, lang)) return e;
  }
  return entries.empty() ? nullptr : &entries.front();
}

// Windows-1252 at 0x80..0x9F; 0 where the code page has no character (those five bytes map onto
// the C1 control of the same value, as the system's table does).
constexpr std::array<uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint16_t AnsiToUnit(unsigned char c) {
  return (c >= 0x80 && c < 0xA0) ? kCp1252High[c - 0x80] : c;
}

char UnitToAnsi(uint16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  for (size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == u) return static_cast<char>(0x80 + i);
  }
  return '?';
}

uint16_t AsciiLower(uint16_t u) {
  return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}

// One node of a 32-bit version block: WORD wLength, WORD wValueLength, WORD wType, the key in
// UTF-16 up to its zero, padding to 4, the value, padding to 4, the children.
struct Node {
  size_t start = 0;
  size_t end = 0;  // bounded by the block and the parent
  size_t key = 0;
  size_t key_units = 0;
  size_t value = 0;
  size_t value_bytes = 0;
  bool text = false;
  size_t children = 0;
};

size_t Align4(size_t n) {
  return (n + 3) & ~size_t{3};
}

std::optional<Node> ReadNode(const std::vector<uint8_t>& block, size_t start, size_t limit) {
  if (start + 6 > limit) return std::nullopt;
  const uint8_t* p = block.data() + start;
  size_t length = Le16(p);
  if (length < 6) return std::nullopt;
  Node n;
  n.start = start;
  n.end = std::min(start + length, limit);
  n.key = start + 6;
  size_t at = n.key;
  while (true) {
    if (at + 2 > n.end) return std::nullopt;
    if (Le16(block.data() + at) == 0) break;
    at += 2;
  }
  n.key_units = (at - n.key) / 2;
  n.text = Le16(p + 4) != 0;
  n.value = std::min(start + Align4(at + 2 - start), n.end);
  n.value_bytes = size_t{Le16(p + 2)} * (n.text ? 2 : 1);
  n.children = std::min(n.value + Align4(n.value_bytes), n.end);
  // The value never reaches past the node.
  n.value_bytes = std::min(n.value_bytes, n.end - n.value);
  return n;
}

bool KeyMatches(const std::vector<uint8_t>& block, const Node& n, const std::string& key) {
  if (n.key_units != key.size()) return false;
  for (size_t i = 0; i < key.size(); ++i) {
    uint16_t unit = Le16(block.data() + n.key + 2 * i);
    if (AsciiLower(unit) != AsciiLower(AnsiToUnit(static_cast<unsigned char>(key[i])))) {
      return false;
    }
  }
  return true;
}

// The entry named `name` (ASCII case ignored, as the system's lookup does) among `entries`.
const ResourceEntry* FindName(PeImage& image, const std::vector<ResourceEntry>& entries,
                              std::string_view name) {
  for (const ResourceEntry& e : entries) {
    if (!e.named) continue;
    uint8_t length[2];
    uint64_t at = uint64_t{image.resource_rva()} + e.name_offset;
    if (!image.ReadRva(at, length, sizeof length) || Le16(length) != name.size()) continue;
    std::vector<uint8_t> units(name.size() * 2);
    if (!image.ReadRva(at + 2, units.data(), units.size())) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      same = AsciiLower(Le16(units.data() + 2 * i)) ==
             AsciiLower(AnsiToUnit(static_cast<unsigned char>(name[i])));
    }
    if (same) return &e;
  }
  return nullptr;
}

// The data of a resource of `type` whose name `pick` chooses, in the language PickLanguage
// settles on.
template <class Pick>
bool ReadResource(PeImage& image, uint16_t type_id, Pick pick, std::vector<uint8_t>& out) {
  if (image.resource_rva() == 0) return false;
  auto types = ReadDirectory(image, 0);
  if (!types) return false;
  const ResourceEntry* type = FindId(*types, type_id);
  if (!type || !type->subdirectory) return false;

  auto names = ReadDirectory(image, type->offset);
  if (!names) return false;
  const ResourceEntry* name = pick(image, *names);
  if (!name || !name->subdirectory) return false;

  auto languages = ReadDirectory(image, name->offset);
  if (!languages) return false;
  const ResourceEntry* language = PickLanguage(*languages);
  if (!language || language->subdirectory) return false;

  uint8_t data_entry[16];
  if (!image.ReadRva(uint64_t{image.resource_rva()} + language->offset, data_entry,
                     sizeof data_entry)) {
    return false;
  }
  uint32_t data_rva = Le32(data_entry);
  uint32_t data_size = Le32(data_entry + 4);
  if (data_size == 0) return false;
  // ReadRva only succeeds when all of it lies in the file, so the size is bounded by the file's.
  std::vector<uint8_t> data;
  uint8_t probe;
  if (!image.ReadRva(uint64_t{data_rva} + data_size - 1, &probe, 1)) return false;
  data.resize(data_size);
  if (!image.ReadRva(data_rva, data.data(), data.size())) return false;
  out = std::move(data);
  return true;
}

}  // namespace

bool ReadPeVersionResource(File& file, std::vector<uint8_t>& block) {
  block.clear();
  PeImage image(file);
  if (!image.Open()) return false;
  return ReadResource(
      image, kRtVersion,
      [](PeImage&, const std::vector<ResourceEntry>& names) {
        return FindId(names, kVsVersionInfo);
      },
      block);
}

bool ReadPeResource(File& file, uint16_t type, std::string_view name, std::vector<uint8_t>& data) {
  data.clear();
  PeImage image(file);
  if (!image.Open()) return false;
  return ReadResource(
      image, type,
      [name](PeImage& img, const std::vector<ResourceEntry>& names) {
        return FindName(img, names, name);
      },
      data);
}

bool IsPeProgram(File& file) {
  constexpr uint16_t kExecutableImage = 0x0002, kDll = 0x2000;
  PeImage image(file);
  return image.Open() && (image.characteristics() & kExecutableImage) != 0 &&
         (image.characteristics() & kDll) == 0;
}

bool QueryVersionBlock(const std::vector<uint8_t>& block, const std::string& sub_block,
                       std::vector<uint8_t>& value) {
  value.clear();
  // A 16-bit block has its key, in ANSI, straight after two words; PE files never carry one.
  if (block.size() < 6 || block[4] >= ' ') return false;
  auto node = ReadNode(block, 0, block.size());
  if (!node) return false;

  size_t pos = 0;
  while (pos < sub_block.size()) {
    size_t slash = sub_block.find('\\', pos);
    if (slash == std::string::npos) slash = sub_block.size();
    if (slash == pos) {
      ++pos;
      continue;
    }
    std::string key = sub_block.substr(pos, slash - pos);
    std::optional<Node> found;
    size_t child = node->children;
    while (child < node->end) {
      auto c = ReadNode(block, child, node->end);
      if (!c) break;
      if (KeyMatches(block, *c, key)) {
        found = c;
        break;
      }
      child = c->start + Align4(c->end - c->start);
    }
    if (!found) return false;
    node = found;
    pos = slash;
  }

  const uint8_t* v = block.data() + node->value;
  if (node->text) {
    size_t units = node->value_bytes / 2;
    std::vector<uint16_t> wide(units);
    for (size_t i = 0; i < units; ++i) wide[i] = Le16(v + 2 * i);
    std::string ansi = Utf16ToAnsi(wide.data(), wide.size());
    value.assign(ansi.begin(), ansi.end());
  } else {
    value.assign(v, v + node->value_bytes);
  }
  return true;
}

std::string Utf16ToAnsi(const uint16_t* units, size_t count) {
  std::string out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    uint16_t u = units[i];
    // A surrogate pair is one character, and Windows-1252 has none of them.
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      ++i;
    }
    out += UnitToAnsi(u);
  }
  return out;
}

}  // namespace vantorel::platform
