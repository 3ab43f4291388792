#pragma once
// The progress window of a copy, extract or download run (kept open by a dmDuringCopyFiles
// manager) and the form that asks for the next disk of a volume set (shown by a dmChangeDisk
// manager).
#include "dialogs/base_dialog.h"
#include "dialogs/base_forms.h"

namespace vantorel {

class TCopyFileForm : public TBaseDuringCopyForm {
 public:
  explicit TCopyFileForm(TComponent* owner);

  TImage* UnZipImage() const { return unzip_image_; }
  TImage* TransferBitmap() const { return transfer_bitmap_; }
  TButton* CancelBtn() const { return cancel_btn_; }
  TLabel* CopyingFileLabel() const { return lbl_copying_file_; }
  TProgressBar* FileProgress() const { return progress_bar1_; }
  TProgressBar* TotalProgress() const { return progress_bar2_; }

  // The user's cancel: when the install lets it happen, the running copy stops at its next
  // check and the run ends as a cancelled install.
  void CancelCopy() override;
  void UpdateStatus(TFileStatusParameter* file_status,
                    TDownloadStatusParameter* download_status) override;

 private:
  TImage* unzip_image_ = nullptr;
  TImage* transfer_bitmap_ = nullptr;
  TButton* cancel_btn_ = nullptr;
  TLabel* lbl_copying_file_ = nullptr;
  TProgressBar* progress_bar1_ = nullptr;
  TProgressBar* progress_bar2_ = nullptr;
};

class TCopyFileDlg : public TCustomBaseInstallDlg {
 public:
  explicit TCopyFileDlg(TComponent* owner);
  ~TCopyFileDlg() override;
  const TClass* FormClass() const override;
};

// Asks for disk NewDisk and where its archive part is; OK goes on with that folder, Cancel
// ends the install.
class TChangeDiskForm : public TBaseInstallForm {
 public:
  explicit TChangeDiskForm(TComponent* owner);

  void SetDiskParameter(TDiskParameter* disk) override;
  void UpdateButtons() override;
  TLabel* PromptLabel() const { return lbl_prompt_; }
  TEdit* PathEdit() const { return edt_path_; }
  TButton* OkBtn() const { return ok_btn_; }
  TButton* CancelBtn() const { return cancel_btn_; }

 private:
  TDiskParameter* disk_ = nullptr;
  TLabel* lbl_prompt_ = nullptr;
  TEdit* edt_path_ = nullptr;
  TButton* ok_btn_ = nullptr;
  TButton* cancel_btn_ = nullptr;
};

class TChangeDiskDlg : public TBaseInstallDlg {
 public:
  explicit TChangeDiskDlg(TComponent* owner);
  ~TChangeDiskDlg() override;
  const TClass* FormClass() const override;
};

}  // namespace vantorel
