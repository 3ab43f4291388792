#pragma once
// The process-wide lists through which dialog components and their form classes find each
// other: wizard pages (TBIFList), progress windows (TDCFList) and the change-disk form.
#include <vector>

#include "framework/object.h"

namespace vantorel {

class TCustomBaseInstallDlg;

struct TFormEntry {
  const TClass* form_class = nullptr;
  TCustomBaseInstallDlg* dialog = nullptr;
  int reserved = 0;
};
using TBIFEntry = TFormEntry;
using TDCFEntry = TFormEntry;

class TFormRegistry {
 public:
  // `name` is how error messages call the list ("BIFList").
  explicit TFormRegistry(const char* name) : name_(name) {}
  ~TFormRegistry();

  void Add(const TClass* form_class, TCustomBaseInstallDlg* dialog);
  // Withdraws the entries of this dialog (or, for nullptr, the entries of this form class that
  // have no dialog).
  void Remove(const TClass* form_class, TCustomBaseInstallDlg* dialog);
  int Count() const { return static_cast<int>(entries_.size()); }
  // Raises "%d is an invalid index in the ..." outside 0..Count-1 and "The %d 'th entry in the
  // ... is NIL" for an entry without a form class.
  const TFormEntry& Entry(int index) const;
  // Tests put an entry of their choosing, including a broken one.
  void AddEntry(const TFormEntry& entry) { entries_.push_back(entry); }
  void Clear() { entries_.clear(); }

 private:
  const char* name_;
  std::vector<TFormEntry> entries_;
};

// nullptr before start-up and after shut-down; PopulatePages reports that.
TFormRegistry* BIFList();
TFormRegistry* DCFList();
TFormRegistry* ChangeDiskForms();
// For tests of the missing-registry message.
void SetBIFListForTesting(TFormRegistry* list);

int InstallFormCount();
const TBIFEntry& InstallFormEntry(int index);

}  // namespace vantorel
