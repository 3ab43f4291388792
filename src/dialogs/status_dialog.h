#pragma once
// The borderless window that says what the engine is doing ("Reading file information..."),
// driven by the status-message component calls. Messages nest: an inner operation pushes its
// message and pops it when done, and the outer one comes back.
#include "dialogs/base_dialog.h"
#include "framework/forms.h"

namespace vantorel {

class TInstallStatusForm : public TForm {
 public:
  explicit TInstallStatusForm(TComponent* owner);
  TPanel* BackPanel() const { return pnl_back_; }
  TPanel* MessagePanel() const { return pnl_message_; }
  TImage* Image1() const { return image_; }
  TLabel* MessageLabel() const { return lbl_message_; }

 private:
  TPanel* pnl_back_ = nullptr;
  TImage* image_ = nullptr;
  TPanel* pnl_message_ = nullptr;
  TLabel* lbl_message_ = nullptr;
};

class TInstallStatusDlg : public TCustomBaseInstallDlg {
 public:
  explicit TInstallStatusDlg(TComponent* owner);
  ~TInstallStatusDlg() override;

  const TClass* FormClass() const override;
  void Translate() override;
  void HandleComponentCall(TInstallContainer* container, int component_call, TObject* po) override;

  const std::string& CurrentMessage() const { return current_; }
  const TStringList& MessageStack() const { return stack_; }
  TInstallStatusForm* StatusForm() const;

 private:
  void ShowMessage();

  std::string current_;
  TStringList stack_;
};

}  // namespace vantorel
