#include "dialogs/form_registry.h"

#include <algorithm>

#include "routines/exceptions.h"

namespace vantorel {

namespace {

TFormRegistry g_bif_list("BIFList");
TFormRegistry g_dcf_list("DCFList");
TFormRegistry g_change_disk_forms("ChangeDiskForms");
TFormRegistry* g_bif = &g_bif_list;
// Dialog components destroyed after the lists (at process exit) find them gone.
bool g_lists_alive = true;

}  // namespace

TFormRegistry::~TFormRegistry() {
  g_lists_alive = false;
}

void TFormRegistry::Add(const TClass* form_class, TCustomBaseInstallDlg* dialog) {
  entries_.push_back({form_class, dialog, 0});
}

void TFormRegistry::Remove(const TClass* form_class, TCustomBaseInstallDlg* dialog) {
  std::erase_if(entries_, [&](const TFormEntry& e) {
    return dialog != nullptr ? e.dialog == dialog
                             : e.dialog == nullptr && e.form_class == form_class;
  });
}

const TFormEntry& TFormRegistry::Entry(int index) const {
  if (index < 0 || index >= Count())
    throw Exception(
        Format(TranslateString("%d is an invalid index in the " + std::string(name_)), index));
  const TFormEntry& entry = entries_[static_cast<size_t>(index)];
  if (entry.form_class == nullptr)
    throw Exception(Format(
        TranslateString("The %d 'th entry in the " + std::string(name_) + " is NIL"), index));
  return entry;
}

TFormRegistry* BIFList() {
  return g_lists_alive ? g_bif : nullptr;
}

TFormRegistry* DCFList() {
  return g_lists_alive ? &g_dcf_list : nullptr;
}

TFormRegistry* ChangeDiskForms() {
  return g_lists_alive ? &g_change_disk_forms : nullptr;
}

void SetBIFListForTesting(TFormRegistry* list) {
  g_bif = list;
}

int InstallFormCount() {
  TFormRegistry* list = BIFList();
  if (list == nullptr) throw Exception(TranslateString("The BIFList is NIL"));
  return list->Count();
}

const TBIFEntry& InstallFormEntry(int index) {
  TFormRegistry* list = BIFList();
  if (list == nullptr) throw Exception(TranslateString("The BIFList is NIL"));
  return list->Entry(index);
}

}  // namespace vantorel
