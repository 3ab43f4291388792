#pragma once
// The forms every install dialog is built on: the common base, a wizard page, a progress window
// and the wizard host that shows the pages of one dialog manager as one modal window.
#include <vector>

#include "dialogs/dialog_types.h"
#include "framework/forms.h"

namespace vantorel {

class TInstallContainer;
class TCustomBaseInstallDlg;
class TDialogManager;
class TFileStatusParameter;
class TDownloadStatusParameter;
class TPicture;
class TDiskParameter;

class TBaseVantorelForm : public TForm {
 public:
  explicit TBaseVantorelForm(TComponent* owner);

  bool AutoSetFont() const { return auto_set_font_; }
  void SetAutoSetFont(bool v) { auto_set_font_ = v; }
  bool AutoTranslate() const { return auto_translate_; }
  void SetAutoTranslate(bool v) { auto_translate_ = v; }
  TInstallContainer* Container() const { return container_; }
  void SetContainer(TInstallContainer* v);
  TVtrlLanguage CurrentLanguage() const { return current_language_; }
  void SetCurrentLanguage(TVtrlLanguage v) { current_language_ = v; }
  bool OverrideMainTranslator() const { return override_main_translator_; }
  void SetOverrideMainTranslator(bool v) { override_main_translator_ = v; }
  TVtrlLanguage TranslateIntoLanguage() const { return translate_into_language_; }
  void SetTranslateIntoLanguage(TVtrlLanguage v) { translate_into_language_ = v; }

  virtual void Retranslate() { Translate(); }
  virtual void UpdateButtons() {}
  // Texts and font in the target language; without a translator nothing changes.
  virtual void Translate();

  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool auto_set_font_ = true;
  bool auto_translate_ = true;
  TInstallContainer* container_ = nullptr;
  TVtrlLanguage current_language_ = vlEnglish;
  bool override_main_translator_ = false;
  TVtrlLanguage translate_into_language_ = vlUser;
};

class TBaseFormContainer;

// A wizard page. Owned by a wizard host it is a borderless child window of the host; owned by
// anything else it is a dialog of its own.
class TBaseInstallForm : public TBaseVantorelForm {
 public:
  explicit TBaseInstallForm(TComponent* owner);
  ~TBaseInstallForm() override;

  TCustomBaseInstallDlg* DC() const { return dc_; }
  void SetDC(TCustomBaseInstallDlg* v);
  TDialogManager* DM() const { return dm_; }
  void SetDM(TDialogManager* v);
  int Order() const { return order_; }
  void SetOrder(int v) { order_ = v; }

  // The host when the page is shown inside one, else nullptr.
  TBaseFormContainer* Host() const;

  virtual bool IsFirstPage() const;
  virtual bool IsLastPage() const;
  virtual void PageLeaving() {}
  virtual void AbortPage();
  virtual void NextPage();
  virtual void PreviousPage();
  virtual void PageActivated();
  virtual bool SkipPage() { return false; }
  // Asks the install component whether the user may cancel; when allowed, aborts the page.
  virtual void CancelInstall();

  // A page shows the install component's theme picture when it has none of its own; pages with
  // a picture control return it.
  virtual TPicture* ThemeBitmap() { return nullptr; }
  // The change-disk form's slot for the disk asked for; it may write the Path back.
  virtual void SetDiskParameter(TDiskParameter* disk) { (void)disk; }

  // A page inside a host is shown and hidden as a child control, never as a window of its own.
  void SetVisible(bool v) override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  // Called by the constructors of concrete pages after their controls exist.
  void FillThemeBitmap();

 private:
  TCustomBaseInstallDlg* dc_ = nullptr;
  TDialogManager* dm_ = nullptr;
  int order_ = 0;
};

// A modeless progress window kept open by a dmDuringCopyFiles manager.
class TBaseDuringCopyForm : public TBaseVantorelForm {
 public:
  explicit TBaseDuringCopyForm(TComponent* owner);

  TDialogManager* DM() const { return dm_; }
  void SetDM(TDialogManager* v);

  // The user's cancel of the copy; the base does nothing.
  virtual void CancelCopy() {}
  virtual void UpdateStatus(TFileStatusParameter* file_status,
                            TDownloadStatusParameter* download_status) {
    (void)file_status;
    (void)download_status;
  }

  void Notification(TComponent* component, TOperation operation) override;

 private:
  TDialogManager* dm_ = nullptr;
};

// The modal wizard host: the pages of the running dialog manager, one at a time, in Order.
class TBaseFormContainer : public TForm {
 public:
  explicit TBaseFormContainer(TComponent* owner);
  ~TBaseFormContainer() override;

  TPanel* DisplayPanel() const { return display_panel_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TBaseInstallForm* Pages(int index) const { return pages_.at(index); }
  // The current page's index (the hidden tab strip's index).
  int TabIndex() const { return tab_index_; }
  TBaseInstallForm* CurrentPage() const;

  // Creates the pages of the current dialog manager from the page registry; returns their count.
  int PopulatePages();
  // Activates the page at `index`, passing over skipped pages in the direction of travel.
  bool GoToPage(int index, bool forward);
  void NextPage();
  void PreviousPage();
  void SetMayClose(bool v) { may_close_ = v; }

  void SetBounds(int left, int top, int width, int height) override;

 private:
  void FormShow();
  void FormClose(TCloseAction& action);
  void LayOutPages();
  void ChangeTab(int index);

  TPanel* display_panel_ = nullptr;
  std::vector<TBaseInstallForm*> pages_;
  int tab_index_ = 0;
  bool resizing_ = false;
  bool may_close_ = false;
};

}  // namespace vantorel
