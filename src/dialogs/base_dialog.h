#pragma once
// Dialog components: non-visual install objects on the project form that carry the settings of
// one dialog. Bound to a manager they are pages of its wizard; without one they show themselves
// on their own component call.
#include "dialogs/dialog_types.h"
#include "framework/classes.h"
#include "model/container.h"

namespace vantorel {

class TDialogManager;
class TForm;

class TCustomBaseInstallDlg : public TInstallObject {
 public:
  explicit TCustomBaseInstallDlg(TComponent* owner);
  ~TCustomBaseInstallDlg() override;

  int RegisteredType() const override { return kRegDialog; }

  bool AutoSetFont() const { return auto_set_font_; }
  void SetAutoSetFont(bool v) { auto_set_font_ = v; }
  bool AutoTranslate() const { return auto_translate_; }
  void SetAutoTranslate(bool v) { auto_translate_ = v; }
  TVtrlLanguage CurrentLanguage() const { return current_language_; }
  void SetCurrentLanguage(TVtrlLanguage v) { current_language_ = v; }
  // The live form while it exists.
  TForm* Form() const { return form_; }
  void SetForm(TForm* v) { form_ = v; }
  TDialogManager* DialogManager() const { return dialog_manager_; }
  virtual void SetDialogManager(TDialogManager* v);
  int Height() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  // The page order inside the wizard (the container position is the inherited Order).
  int DialogOrder() const { return dialog_order_; }
  void SetDialogOrder(int v) { dialog_order_ = v; }
  bool OverrideMainTranslator() const { return override_main_translator_; }
  void SetOverrideMainTranslator(bool v) { override_main_translator_ = v; }
  TVantorelDialogPosition Position() const { return position_; }
  void SetPosition(TVantorelDialogPosition v) { position_ = v; }
  int RelativeLeftOffset() const { return relative_left_offset_; }
  void SetRelativeLeftOffset(int v) { relative_left_offset_ = v; }
  int RelativeTopOffset() const { return relative_top_offset_; }
  void SetRelativeTopOffset(int v) { relative_top_offset_ = v; }
  TVtrlLanguage TranslateIntoLanguage() const { return translate_into_language_; }
  void SetTranslateIntoLanguage(TVtrlLanguage v) { translate_into_language_ = v; }
  TPicture* ThemeBitmap() { return &theme_bitmap_; }
  virtual void SetThemeBitmap(const TPicture& v) { theme_bitmap_.Assign(v); }
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v; }

  TNotifyEvent OnAfterExecute;
  TNotifyEvent OnBeforeExecute;

  virtual void Translate();
  virtual void AssignDialogProperties();
  // Shows the dialog by itself; false when it ended in a silent abort.
  virtual bool Execute();
  virtual bool ShowModalForm();
  virtual const TClass* FormClass() const = 0;
  virtual bool CanShow() { return true; }
  // Fills a form's picture with the dialog's own, else with the install component's.
  void ApplyThemeBitmap(TPicture* picture);

  void ContainerDestroying(TInstallContainer* dying) override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  // For constructors: the manager found for the dialog's kind, without AddDialog.
  void StoreDialogManager(TDialogManager* v) { dialog_manager_ = v; }

 private:
  bool auto_set_font_ = true;
  bool auto_translate_ = true;
  TVtrlLanguage current_language_ = vlEnglish;
  TForm* form_ = nullptr;
  TDialogManager* dialog_manager_ = nullptr;
  int height_ = 0;
  int dialog_order_ = 0;
  bool override_main_translator_ = false;
  TVantorelDialogPosition position_ = vdpCenter;
  int relative_left_offset_ = 0;
  int relative_top_offset_ = 0;
  TVtrlLanguage translate_into_language_ = vlUser;
  TPicture theme_bitmap_;
  int width_ = 0;
};

// The published dialog base of the wizard pages.
class TBaseInstallDlg : public TCustomBaseInstallDlg {
 public:
  using TCustomBaseInstallDlg::TCustomBaseInstallDlg;
};

}  // namespace vantorel
