#pragma once
// The welcome page shown before installing and the pages that end an install, good or failed:
// wizard pages of their dialog manager, or dialogs of their own when the dialog has none.
#include "dialogs/base_dialog.h"
#include "dialogs/base_forms.h"

namespace vantorel {

// The layout the three pages share: the theme picture on the left, the texts in the middle,
// a line and the buttons at the bottom.
class TInstallPageForm : public TBaseInstallForm {
 public:
  TPanel* FullPanel() const { return full_panel_; }
  TPanel* ContentPanel() const { return content_panel_; }
  TPanel* ButtonPanel() const { return button_panel_; }
  TImage* ThemeImage() const { return theme_image_; }
  TBevel* Bevel1() const { return bevel_; }
  TButton* BackBtn() const { return back_btn_; }
  TButton* ProceedBtn() const { return proceed_btn_; }

  TPicture* ThemeBitmap() override;
  void Translate() override;
  void SetBounds(int left, int top, int width, int height) override;

  void BackBtnClick() { PreviousPage(); }
  void ProceedBtnClick() { NextPage(); }

 protected:
  TInstallPageForm(TComponent* owner, TManagerType manager, int order, int content_border,
                   int back_left, int proceed_left);
  // A word-wrapped text of the middle, stacked under the ones before it.
  TLabel* AddText(const std::string& name, const std::string& text, int glid);
  // An empty line between texts.
  void AddSpacer(const std::string& name, int height);
  TButton* AddButton(const std::string& name, const std::string& caption, int glid, int left,
                     int width);

 private:
  TPanel* full_panel_ = nullptr;
  TPanel* left_panel_ = nullptr;
  TPanel* button_panel_ = nullptr;
  TPanel* content_panel_ = nullptr;
  TImage* theme_image_ = nullptr;
  TBevel* bevel_ = nullptr;
  TButton* back_btn_ = nullptr;
  TButton* proceed_btn_ = nullptr;
};

class TWelcomeForm : public TInstallPageForm {
 public:
  explicit TWelcomeForm(TComponent* owner);
  TButton* CancelBtn() const { return cancel_btn_; }
  void UpdateButtons() override;
  void CancelBtnClick() { CancelInstall(); }

 private:
  TButton* cancel_btn_ = nullptr;
};

// The good and the failed ending: one text, and Finish where Next would lead nowhere.
class TInstallEndForm : public TInstallPageForm {
 public:
  TButton* FinishBtn() const { return finish_btn_; }
  void UpdateButtons() override;

 protected:
  TInstallEndForm(TComponent* owner, TManagerType manager);

 private:
  TButton* finish_btn_ = nullptr;
};

class TGoodInstallForm : public TInstallEndForm {
 public:
  explicit TGoodInstallForm(TComponent* owner);
};

class TBadInstallForm : public TInstallEndForm {
 public:
  explicit TBadInstallForm(TComponent* owner);
};

// A page dialog: registers its form class while it exists and shows itself on its own
// component call when it has no manager.
class TInstallPageDlg : public TBaseInstallDlg {
 public:
  ~TInstallPageDlg() override;
  const TClass* FormClass() const override { return form_class_; }
  void AssignDialogProperties() override;
  void HandleComponentCall(TInstallContainer* container, int component_call, TObject* po) override;

 protected:
  TInstallPageDlg(TComponent* owner, const TClass* form_class, TManagerType manager, int own_call);

 private:
  const TClass* form_class_;
  int own_call_;
};

class TWelcomeDlg : public TInstallPageDlg {
 public:
  explicit TWelcomeDlg(TComponent* owner);
};

class TGoodInstallationDlg : public TInstallPageDlg {
 public:
  explicit TGoodInstallationDlg(TComponent* owner);
};

class TBadInstallationDlg : public TInstallPageDlg {
 public:
  explicit TBadInstallationDlg(TComponent* owner);
};

}  // namespace vantorel
