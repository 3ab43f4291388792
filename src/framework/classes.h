#pragma once
// The general-purpose classes of the component platform: persistent objects, object lists,
// string lists and pictures.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/exception.h"
#include "framework/object.h"
#include "framework/set.h"

namespace vantorel {

// Raised for an index outside a list; the message names the index.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

// An object whose state can be copied from another (sub-objects such as Information are
// copied on assignment, never shared).
class TPersistent : public TObject {
 public:
  // Copies `source` into this object. The base raises Exception "Cannot assign a <source class>
  // to a <own class>"; classes that can copy override it.
  virtual void Assign(const TPersistent& source);
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// A list of objects that owns none of them.
class TList : public TObject {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TObject* Items(int index) const;  // raises EListError outside 0..Count-1
  TObject* operator[](int index) const { return Items(index); }
  void SetItems(int index, TObject* item);
  int Add(TObject* item);
  void Insert(int index, TObject* item);  // index may be Count
  void Delete(int index);
  int Remove(TObject* item);  // the index it had, or -1
  int IndexOf(const TObject* item) const;
  TObject* First() const { return Items(0); }
  TObject* Last() const { return Items(Count() - 1); }
  void Exchange(int a, int b);
  void Clear() { items_.clear(); }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TObject*> items_;
};

// A list of strings. Lines of Text are separated by CR LF when written and by CR, LF or CR LF
// when read. IndexOf ignores case. OnChange fires after every change (once per EndUpdate
// while updates are held).
class TStringList : public TPersistent {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> lines) : lines_(lines) {}

  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& Strings(int index) const;  // raises EListError outside 0..Count-1
  const std::string& operator[](int index) const { return Strings(index); }
  void Put(int index, const std::string& text);
  int Add(const std::string& text);
  void Insert(int index, const std::string& text);  // index may be Count
  void Delete(int index);
  void Clear();
  int IndexOf(std::string_view text) const;  // -1 when missing
  std::string Text() const;
  void SetText(std::string_view text);
  void AddStrings(const TStringList& other);
  void Assign(const TPersistent& source) override;
  bool Equals(const TStringList& other) const { return lines_ == other.lines_; }
  const std::vector<std::string>& Lines() const { return lines_; }

  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  TNotifyEvent OnChange;

  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

 private:
  void Changed();
  std::vector<std::string> lines_;
  int update_count_ = 0;
  bool changed_while_updating_ = false;
};
using TStrings = TStringList;

// A picture held as the bytes a form stores for it: a device-independent bitmap, optionally
// preceded by a BITMAPFILEHEADER, or the graphic class name and size prefix that form writers
// put in front of it. Width and Height come from the BITMAPINFOHEADER (or BITMAPCOREHEADER)
// when one is found, else 0.
class TPicture : public TPersistent {
 public:
  const std::vector<uint8_t>& Data() const { return data_; }
  void SetData(std::vector<uint8_t> data);
  bool Empty() const { return data_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The offset of the BITMAPINFOHEADER in Data(), or -1.
  int64_t InfoHeaderOffset() const { return info_offset_; }
  void Clear() { SetData({}); }
  void Assign(const TPersistent& source) override;
  TNotifyEvent OnChange;

 private:
  std::vector<uint8_t> data_;
  int width_ = 0;
  int height_ = 0;
  int64_t info_offset_ = -1;
};

}  // namespace vantorel
