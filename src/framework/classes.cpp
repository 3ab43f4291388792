#include "framework/classes.h"

#include <cstring>

#include "framework/format.h"
#include "framework/properties.h"
#include "platform/byte_order.h"

namespace vantorel {

VANTOREL_CLASS(TPersistent, TObject) {}
VANTOREL_CLASS(TStringList, TPersistent) {}
VANTOREL_CLASS(TPicture, TPersistent) {}

namespace {

[[noreturn]] void IndexError(int index) {
  throw EListError(Format("List index out of bounds (%d)", index));
}

}  // namespace

void TPersistent::Assign(const TPersistent& source) {
  throw Exception(Format("Cannot assign a %s to a %s", source.ClassName(), ClassName()));
}

// ---- TList ----------------------------------------------------------------------------------

TObject* TList::Items(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return items_[static_cast<size_t>(index)];
}

void TList::SetItems(int index, TObject* item) {
  if (index < 0 || index >= Count()) IndexError(index);
  items_[static_cast<size_t>(index)] = item;
}

int TList::Add(TObject* item) {
  items_.push_back(item);
  return Count() - 1;
}

void TList::Insert(int index, TObject* item) {
  if (index < 0 || index > Count()) IndexError(index);
  items_.insert(items_.begin() + index, item);
}

void TList::Delete(int index) {
  if (index < 0 || index >= Count()) IndexError(index);
  items_.erase(items_.begin() + index);
}

int TList::Remove(TObject* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

int TList::IndexOf(const TObject* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == item) return static_cast<int>(i);
  return -1;
}

void TList::Exchange(int a, int b) {
  if (a < 0 || a >= Count()) IndexError(a);
  if (b < 0 || b >= Count()) IndexError(b);
  std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
}

// ---- TStringList ----------------------------------------------------------------------------

const std::string& TStringList::Strings(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return lines_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& text) {
  if (index < 0 || index >= Count()) IndexError(index);
  lines_[static_cast<size_t>(index)] = text;
  Changed();
}

int TStringList::Add(const std::string& text) {
  lines_.push_back(text);
  Changed();
  return Count() - 1;
}

void TStringList::Insert(int index, const std::string& text) {
  if (index < 0 || index > Count()) IndexError(index);
  lines_.insert(lines_.begin() + index, text);
  Changed();
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) IndexError(index);
  lines_.erase(lines_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

int TStringList::IndexOf(std::string_view text) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (detail::SameText(lines_[i], text)) return static_cast<int>(i);
  return -1;
}

std::string TStringList::Text() const {
  std::string out;
  for (const auto& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  lines_ = std::move(lines);
  Changed();
}

void TStringList::AddStrings(const TStringList& other) {
  if (other.lines_.empty()) return;
  std::vector<std::string> copy = other.lines_;  // other may be this list
  lines_.insert(lines_.end(), copy.begin(), copy.end());
  Changed();
}

void TStringList::Assign(const TPersistent& source) {
  if (auto* list = dynamic_cast<const TStringList*>(&source)) {
    if (list != this) lines_ = list->lines_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TStringList::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0 && changed_while_updating_) {
    changed_while_updating_ = false;
    if (OnChange) OnChange(this);
  }
}

void TStringList::Changed() {
  if (update_count_ > 0) {
    changed_while_updating_ = true;
    return;
  }
  if (OnChange) OnChange(this);
}

// ---- TPicture -------------------------------------------------------------------------------

namespace {

using platform::Le16;
using platform::Le32;

// Finds the bitmap header: at 0 (a bare DIB), after a BITMAPFILEHEADER ("BM"), or after the
// graphic class name (length byte + name) and a 4-byte size that form writers put first.
int64_t FindInfoHeader(const std::vector<uint8_t>& d) {
  auto header_at = [&](size_t at) -> bool {
    if (at + 4 > d.size()) return false;
    uint32_t size = Le32(&d[at]);
    if (size == 12) return at + 12 <= d.size();
    return (size == 40 || size == 52 || size == 56 || size == 108 || size == 124) &&
           at + 16 <= d.size();
  };
  auto file_at = [&](size_t at) -> int64_t {
    if (at + 14 <= d.size() && d[at] == 'B' && d[at + 1] == 'M' && header_at(at + 14))
      return static_cast<int64_t>(at + 14);
    return -1;
  };
  if (int64_t at = file_at(0); at >= 0) return at;
  if (!d.empty() && d[0] > 0 && size_t{d[0]} + 1 <= d.size()) {
    size_t after_name = size_t{d[0]} + 1;
    if (int64_t at = file_at(after_name + 4); at >= 0) return at;
    if (int64_t at = file_at(after_name); at >= 0) return at;
  }
  if (header_at(0)) return 0;
  return -1;
}

}  // namespace

void TPicture::SetData(std::vector<uint8_t> data) {
  data_ = std::move(data);
  width_ = height_ = 0;
  info_offset_ = FindInfoHeader(data_);
  if (info_offset_ >= 0) {
    const uint8_t* h = &data_[static_cast<size_t>(info_offset_)];
    if (Le32(h) == 12) {
      width_ = Le16(h + 4);
      height_ = Le16(h + 6);
    } else {
      int32_t w = static_cast<int32_t>(Le32(h + 4));
      int32_t ht = static_cast<int32_t>(Le32(h + 8));
      // A negative height marks a top-down bitmap; the picture is as tall either way.
      width_ = w < 0 ? 0 : w;
      height_ = ht == INT32_MIN ? 0 : (ht < 0 ? -ht : ht);
    }
  }
  if (OnChange) OnChange(this);
}

void TPicture::Assign(const TPersistent& source) {
  if (auto* picture = dynamic_cast<const TPicture*>(&source)) {
    if (picture != this) SetData(picture->data_);
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace vantorel
