// The welcome, completion, status, copy and change-disk dialogs, headless: what each shows,
// which buttons it offers, and how its component calls drive it.
#include <cmath>

#include "archive/compress.h"
#include "dialog_fixture.h"
#include "dialogs/copy_dialog.h"
#include "dialogs/form_building.h"
#include "dialogs/install_pages.h"
#include "dialogs/status_dialog.h"
#include "dialogs/theme_bitmap.h"
#include "model/install_file.h"
#include "model/parameters.h"
#include "routines/exceptions.h"

namespace vantorel::testing {
namespace {

class Pages : public DialogTest {
 protected:
  void TearDown() override {
    SharedArchiveEngine().SetAbort(false);
    DialogTest::TearDown();
  }
  template <class T>
  T* Dialog(const std::string& name, TDialogManager* manager) {
    T* dialog = Make<T>(name);
    dialog->SetContainer(install_);
    if (manager != nullptr) dialog->SetDialogManager(manager);
    return dialog;
  }
  std::vector<std::string> ButtonsOf(const headless::TTranscriptEntry& entry) const {
    std::vector<std::string> buttons;
    for (const auto* b : entry.Buttons()) buttons.push_back(b->text);
    return buttons;
  }
};

const char* const kWelcomeTexts[] = {
    "This program will install the software on your computer.",
    "It is strongly recommended that you exit all Windows programs before running this setup. "
    "If you need to close any programs, click Cancel to quit the setup and then close the "
    "programs.",
    "Click Next to continue with the installation."};

TEST_F(Pages, AWizardOfWelcomeAndCompletionShowsTheDesignedTextsAndButtons) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  TDialogManager* good = Manager("Good", dmAfterGoodInstall);
  Dialog<TWelcomeDlg>("Welcome1", before);
  Dialog<TGoodInstallationDlg>("Good1", good);
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  install_->BroadcastComponentCall(install_, ccAfterGoodInstall, nullptr);
  auto t = Transcript();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].caption, "Welcome");
  EXPECT_EQ(t[0].Texts(),
            (std::vector<std::string>(std::begin(kWelcomeTexts), std::end(kWelcomeTexts))));
  // The first page has nothing to go back to.
  EXPECT_EQ(ButtonsOf(t[0]), (std::vector<std::string>{"Next >", "Cancel"}));
  EXPECT_EQ(t[0].Pressed(), "Next >");
  EXPECT_EQ(t[0].result, mrOk);
  // The only page of its wizard: Finish, neither Back nor Next.
  EXPECT_EQ(t[1].caption, "Setup complete");
  EXPECT_EQ(t[1].Texts(),
            (std::vector<std::string>{"The software has been properly installed. You may start the "
                                      "software by clicking on the icon."}));
  EXPECT_EQ(ButtonsOf(t[1]), (std::vector<std::string>{"Finish"}));
  EXPECT_EQ(t[1].result, mrOk);
}

TEST_F(Pages, AWelcomePageAfterAnotherPageOffersBack) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  Page("First", before, 1);
  Dialog<TWelcomeDlg>("Welcome1", before)->SetDialogOrder(2);
  backend_->SetAnswers("Page First: Next >\nWelcome: < Previous\nPage First: Next >\n");
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  auto t = Transcript();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(ButtonsOf(t[1]), (std::vector<std::string>{"< Previous", "Next >", "Cancel"}));
  EXPECT_EQ(t[2].caption, "Page First");
  EXPECT_EQ(t[3].caption, "Welcome");
  EXPECT_EQ(t[3].result, mrOk);
}

TEST_F(Pages, AFailurePageBeforeAnotherOffersNextAndThenFinish) {
  TDialogManager* bad = Manager("Bad", dmAfterBadInstall);
  Dialog<TBadInstallationDlg>("Bad1", bad)->SetDialogOrder(1);
  Page("After", bad, 2);
  install_->BroadcastComponentCall(install_, ccAfterBadInstall, nullptr);
  auto t = Transcript();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].caption, "Setup incomplete");
  EXPECT_EQ(t[0].Texts(), (std::vector<std::string>{
                              "This software has not been properly installed and will not work "
                              "correctly if you try to use it."}));
  EXPECT_EQ(ButtonsOf(t[0]), (std::vector<std::string>{"Next >"}));
}

TEST_F(Pages, WithoutAManagerAPageShowsItselfOnlyOnItsOwnCall) {
  TGoodInstallationDlg* good = Dialog<TGoodInstallationDlg>("Good1", nullptr);
  ASSERT_EQ(good->DialogManager(), nullptr);
  install_->BroadcastComponentCall(install_, ccAfterGoodInstall, nullptr);
  EXPECT_TRUE(Transcript().empty());
  int before = 0, after = 0;
  good->OnBeforeExecute = [&](TObject*) { ++before; };
  good->OnAfterExecute = [&](TObject*) { ++after; };
  install_->BroadcastComponentCall(install_, ccGoodInstallNoManager, nullptr);
  auto t = Transcript();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].caption, "Setup complete");
  EXPECT_EQ(t[0].mode, "modal");
  EXPECT_EQ(ButtonsOf(t[0]), (std::vector<std::string>{"Finish"}));
  EXPECT_EQ(t[0].result, mrOk);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(good->Form(), nullptr);
  // The failure page and the welcome page answer only their own calls.
  Dialog<TBadInstallationDlg>("Bad1", nullptr);
  Dialog<TWelcomeDlg>("Welcome1", nullptr);
  backend_->ClearTranscript();
  install_->BroadcastComponentCall(install_, ccBadInstallNoManager, nullptr);
  install_->BroadcastComponentCall(install_, ccWelcomeNoManager, nullptr);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Setup incomplete", "Welcome"}));
}

TEST_F(Pages, CancelOnAWelcomeOfItsOwnAsksFirstAndThenEndsTheInstall) {
  Dialog<TWelcomeDlg>("Welcome1", nullptr);
  install_->allow_abort = false;
  backend_->SetAnswers("Welcome: Cancel\n");
  install_->BroadcastComponentCall(install_, ccWelcomeNoManager, nullptr);
  EXPECT_EQ(install_->abort_questions, 1);
  EXPECT_EQ(Transcript().back().result, mrOk);  // refused: the default Next closed it
  install_->allow_abort = true;
  backend_->SetAnswers("Welcome: Cancel\n");
  EXPECT_THROW(install_->BroadcastComponentCall(install_, ccWelcomeNoManager, nullptr),
               EAIUserAbort);
  EXPECT_EQ(Transcript().back().result, mrAbort);
}

TEST_F(Pages, ThePagesHaveTheirDesignedLayout) {
  TWelcomeForm welcome(nullptr);
  EXPECT_EQ(welcome.BorderStyle(), bsDialog);
  EXPECT_EQ(welcome.BorderIcons(), TBorderIcons{biSystemMenu});
  EXPECT_EQ(welcome.ClientWidth(), 470);
  EXPECT_EQ(welcome.ClientHeight(), 368);
  EXPECT_EQ(welcome.Font()->Name(), "Arial");
  EXPECT_EQ(welcome.Font()->Size(), 8);
  EXPECT_EQ(welcome.Order(), 5);
  EXPECT_EQ(welcome.ButtonPanel()->Height(), 52);
  EXPECT_EQ(welcome.ButtonPanel()->Width(), 470);
  EXPECT_EQ(welcome.ButtonPanel()->Top(), 368 - 52);
  EXPECT_EQ(welcome.ThemeImage()->Parent()->Width(), 136);
  EXPECT_EQ(welcome.ContentPanel()->Left(), 136);
  EXPECT_EQ(welcome.ContentPanel()->Width(), 470 - 136);
  EXPECT_EQ(welcome.Bevel1()->Height(), 9);
  EXPECT_EQ(welcome.Bevel1()->Shape(), bsTopLine);
  struct Expected {
    TButton* button;
    int left, width, glid;
  };
  for (const Expected& e :
       {Expected{welcome.BackBtn(), 208, 75, 4}, Expected{welcome.ProceedBtn(), 288, 75, 5},
        Expected{welcome.CancelBtn(), 368, 89, 6}}) {
    EXPECT_EQ(e.button->Left(), e.left) << e.button->Name();
    EXPECT_EQ(e.button->Width(), e.width) << e.button->Name();
    EXPECT_EQ(e.button->Height(), 33) << e.button->Name();
    EXPECT_LE(e.button->Top() + e.button->Height(), 52) << e.button->Name();
    EXPECT_GE(e.button->Top(), 9) << "below the line: " << e.button->Name();
    // The program has no translator yet: the GLID is there once it does.
    if (FindClass("TTranslateBitBtn") != nullptr) {
      EXPECT_EQ(GlidOf(*e.button), e.glid);
    }
  }
  EXPECT_TRUE(welcome.ProceedBtn()->Default());
  EXPECT_TRUE(welcome.CancelBtn()->Cancel());
  auto* glyph_button = dynamic_cast<TBitBtn*>(welcome.CancelBtn());
  ASSERT_NE(glyph_button, nullptr);
  EXPECT_EQ(glyph_button->NumGlyphs(), 2);
  EXPECT_EQ(glyph_button->Glyph()->Width(), 32);
  // The texts are stacked from the top inside the content border and never overlap.
  TPanel* content = welcome.ContentPanel();
  int bottom = 8;
  for (int i = 0; i < content->ControlCount(); ++i) {
    TControl* c = content->Controls(i);
    EXPECT_EQ(c->Top(), bottom) << c->Name();
    EXPECT_EQ(c->Left(), 8) << c->Name();
    EXPECT_EQ(c->Width(), 470 - 136 - 16) << c->Name();
    bottom += c->Height();
  }
  // The long text wraps to several lines and the last text ends above the buttons.
  auto* long_text = static_cast<TLabel*>(content->Controls(2));
  EXPECT_GE(long_text->Height(), 3 * content->Controls(0)->Height());
  EXPECT_LT(bottom, content->Height());

  TGoodInstallForm good(nullptr);
  EXPECT_EQ(good.BackBtn()->Left(), 304);
  EXPECT_EQ(good.ProceedBtn()->Left(), 384);
  EXPECT_EQ(good.FinishBtn()->Left(), 384);
  EXPECT_EQ(good.Order(), 10);
  EXPECT_EQ(good.ContentPanel()->BorderWidth(), 5);
  // The install's picture fills an empty theme image.
  install_->theme.SetData(InstallThemeBitmap());
  TBadInstallForm bad(nullptr);
  EXPECT_EQ(bad.ThemeImage()->Picture()->Data(), install_->theme.Data());
  EXPECT_TRUE(bad.ThemeImage()->Center());
}

// ---- status ------------------------------------------------------------------------------------

class Status : public Pages {
 protected:
  void Push(const std::string& text) {
    TMessageParameter message;
    message.MessageText = text;
    install_->BroadcastComponentCall(install_, ccPushStatus, &message);
  }
  void Pop() { install_->BroadcastComponentCall(install_, ccPopStatus, nullptr); }
};

TEST_F(Status, NestedMessagesComeBackAndExtraPopsOnlyHide) {
  TInstallStatusDlg* status = Dialog<TInstallStatusDlg>("Status1", nullptr);
  Push("Reading file information...");
  Push("Checking the disk...");
  Push("Counting shared files...");
  TInstallStatusForm* form = status->StatusForm();
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(form->MessageLabel()->Caption(), "Counting shared files...");
  Pop();
  EXPECT_EQ(status->CurrentMessage(), "Checking the disk...");
  EXPECT_EQ(form->MessageLabel()->Caption(), "Checking the disk...");
  EXPECT_TRUE(form->Visible());
  Pop();
  EXPECT_EQ(form->MessageLabel()->Caption(), "Reading file information...");
  Pop();
  EXPECT_FALSE(form->Visible());
  Pop();  // one more than pushed
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(status->MessageStack().Count(), 0);
  EXPECT_EQ(status->Form(), form);  // kept for the next message
  // The transcript shows each message as it was shown.
  std::vector<std::string> shown;
  for (const auto& entry : Transcript())
    if (entry.kind == "form") shown.push_back(entry.Texts().at(0));
  EXPECT_EQ(shown, (std::vector<std::string>{"Reading file information...", "Checking the disk...",
                                             "Counting shared files...", "Checking the disk...",
                                             "Reading file information..."}));
}

TEST_F(Status, TheWindowTakesTheTextsWidthAndStaysCentredHorizontally) {
  TInstallStatusDlg* status = Dialog<TInstallStatusDlg>("Status1", nullptr);
  Push("Short");
  TInstallStatusForm* form = status->StatusForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->BorderStyle(), bsNone);
  EXPECT_EQ(form->ClientHeight(), 58);
  const int top = form->Top();
  const std::string long_text(120, 'x');
  Push(long_text);
  const int text_width = MeasureText(*form->MessageLabel(), long_text).width;
  // The designed layout puts the text 55 pixels in and leaves 25 after it.
  EXPECT_EQ(form->MessagePanel()->Left() + form->MessageLabel()->Left(), 55);
  EXPECT_EQ(form->Width(), text_width + 80);
  EXPECT_EQ(form->Left(),
            static_cast<int>(std::nearbyint(Screen().Width() / 2.0 - form->Width() / 2.0)));
  EXPECT_EQ(form->Top(), top);
  EXPECT_EQ(form->MessageLabel()->Width(), text_width);
  EXPECT_EQ(form->MessageLabel()->Top(),
            static_cast<int>(std::nearbyint(58 / 2.0 - form->MessageLabel()->Height() / 2.0)));
}

TEST_F(Status, APushChecksItsParameterAndAManagedDialogIgnoresTheCalls) {
  TInstallStatusDlg* status = Dialog<TInstallStatusDlg>("Status1", nullptr);
  try {
    install_->BroadcastComponentCall(install_, ccPushStatus, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const IException& e) {
    EXPECT_EQ(e.Message(), "Status1 got a nil PO parameter");
  }
  TDiskParameter wrong;
  try {
    install_->BroadcastComponentCall(install_, ccPushStatus, &wrong);
    ADD_FAILURE() << "no error";
  } catch (const IException& e) {
    EXPECT_EQ(e.Message(), "The PO object passed to Status1 is not a TMessageParameter object");
  }
  status->SetDialogManager(Manager("Before", dmBeforeInstall));
  Push("Ignored");
  EXPECT_EQ(status->Form(), nullptr);
}

// ---- copy progress -----------------------------------------------------------------------------

class Copy : public Pages {
 protected:
  void SetUp() override {
    Pages::SetUp();
    manager_ = Manager("During", dmDuringCopyFiles);
    dialog_ = Dialog<TCopyFileDlg>("CopyDlg", nullptr);
  }
  void File(const std::string& name, int file_percent, int total_percent) {
    TFileStatusParameter status;
    status.FileName = name;
    status.FilePercentDone = file_percent;
    status.TotalPercentDone = total_percent;
    install_->BroadcastComponentCall(install_, ccFileStatus, &status);
  }
  void Download(const std::string& name, int percent) {
    TDownloadStatusParameter status;
    status.FileName = name;
    status.PercentDone = percent;
    install_->BroadcastComponentCall(install_, ccDownloadStatus, &status);
  }
  TCopyFileForm* Form() const {
    return manager_->ProgressForms().empty()
               ? nullptr
               : dynamic_cast<TCopyFileForm*>(manager_->ProgressForms()[0]);
  }
  TDialogManager* manager_ = nullptr;
  TCopyFileDlg* dialog_ = nullptr;
};

TEST_F(Copy, TheDialogTakesItsManagerAndDesignedPlace) {
  EXPECT_EQ(dialog_->DialogManager(), manager_);
  EXPECT_EQ(dialog_->Width(), 474);
  EXPECT_EQ(dialog_->Height(), 146);
  EXPECT_EQ(dialog_->Position(), vdpBottomCenter);
  EXPECT_EQ(dialog_->RelativeTopOffset(), 30);
  File("setup.dll", 10, 5);
  TCopyFileForm* form = Form();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Width(), 474);
  EXPECT_EQ(form->Height(), 146);
  EXPECT_EQ(form->Left(), static_cast<int>(std::nearbyint(Screen().Width() / 2.0 - 474 / 2.0)));
  EXPECT_EQ(form->Top(), Screen().Height() - Screen().CaptionHeight() - 146 - 30);
  EXPECT_EQ(form->Caption(), "Copying installation files");
  EXPECT_EQ(dialog_->Form(), form);
  // Both bars have the designed size, side by side with their captions.
  EXPECT_EQ(form->FileProgress()->Width(), 176);
  EXPECT_EQ(form->FileProgress()->Height(), 22);
  EXPECT_EQ(form->TotalProgress()->Width(), 176);
  EXPECT_GT(form->TotalProgress()->Parent()->Top(), form->FileProgress()->Parent()->Top());
}

TEST_F(Copy, ReportsMoveTheBarsAndADownloadShowsTheTransferPicture) {
  File("a.dll", 40, 10);
  TCopyFileForm* form = Form();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->CopyingFileLabel()->Caption(), "a.dll");
  EXPECT_EQ(form->FileProgress()->Position(), 40);
  EXPECT_EQ(form->TotalProgress()->Position(), 10);
  EXPECT_FALSE(form->TransferBitmap()->Visible());
  Download("files.2", 75);
  EXPECT_TRUE(form->TransferBitmap()->Visible());
  EXPECT_EQ(form->CopyingFileLabel()->Caption(), "files.2");
  EXPECT_EQ(form->FileProgress()->Position(), 75);
  EXPECT_EQ(form->TotalProgress()->Position(), 10);  // only file reports move the total
  File("b.dll", 100, 60);
  EXPECT_FALSE(form->TransferBitmap()->Visible());
  EXPECT_EQ(form->TotalProgress()->Position(), 60);
  // A bar stays within its range whatever a report says.
  File("c.dll", 250, -3);
  EXPECT_EQ(form->FileProgress()->Position(), 100);
  EXPECT_EQ(form->TotalProgress()->Position(), 0);
  install_->BroadcastComponentCall(install_, ccPhaseEnd, nullptr);
  EXPECT_EQ(Form(), nullptr);
  EXPECT_EQ(dialog_->Form(), nullptr);
  // The transcript shows the window as it opened, then once per file with that file's name.
  std::vector<std::string> names;
  for (const auto& entry : Transcript())
    if (entry.caption == "Copying installation files") names.push_back(entry.Texts().at(1));
  EXPECT_EQ(names, (std::vector<std::string>{"---", "a.dll", "files.2", "b.dll", "c.dll"}));
}

TEST_F(Copy, CancelStopsTheEngineOnlyWhenTheInstallAgrees) {
  File("a.dll", 10, 10);
  ASSERT_NE(Form(), nullptr);
  install_->allow_abort = false;
  Form()->CancelBtn()->Click();
  EXPECT_FALSE(SharedArchiveEngine().Abort());
  EXPECT_EQ(Form()->ModalResult(), mrAbort);
  install_->allow_abort = true;
  // The user presses Cancel while the copy processes its messages.
  backend_->SetAnswers("Copying installation files: Cancel\n");
  Application().ProcessMessages();
  EXPECT_TRUE(SharedArchiveEngine().Abort());
  EXPECT_EQ(install_->abort_questions, 2);
  EXPECT_EQ(backend_->UnusedAnswers(), 0);
}

TEST_F(Copy, TheWindowClosesWhenTheRunEndsWithoutTheEndOfItsCopy) {
  File("a.dll", 10, 10);
  ASSERT_NE(Form(), nullptr);
  install_->BroadcastComponentCall(install_, ccBadInstallNoManager, nullptr);
  EXPECT_EQ(Form(), nullptr);
  File("b.dll", 10, 10);
  install_->BroadcastComponentCall(install_, ccGoodInstallNoManager, nullptr);
  EXPECT_EQ(Form(), nullptr);
}

TEST_F(Copy, WithoutACopyDialogReportsPassQuietly) {
  delete dialog_;
  File("a.dll", 10, 10);
  EXPECT_EQ(Form(), nullptr);
  EXPECT_TRUE(Transcript().empty());
}

// ---- change disk -------------------------------------------------------------------------------

class ChangeDisk : public Pages {
 protected:
  void SetUp() override {
    Pages::SetUp();
    manager_ = Manager("Disks", dmChangeDisk);
    dialog_ = Dialog<TChangeDiskDlg>("DiskDlg", nullptr);
    file_ = Make<TInstallFile>("File1");
  }
  TDialogManager* manager_ = nullptr;
  TChangeDiskDlg* dialog_ = nullptr;
  TInstallFile* file_ = nullptr;
};

TEST_F(ChangeDisk, TheFormAsksForTheDiskAndOkGoesOn) {
  EXPECT_EQ(dialog_->DialogManager(), manager_);
  TDiskParameter disk;
  disk.NewDisk = 2;
  disk.Path = "A:\\";
  TParameterList list;
  list.Add(file_);
  list.Add(&disk);
  install_->BroadcastComponentCall(install_, ccNewDisk, &list);
  EXPECT_EQ(file_->Tag(), 1);
  auto t = Transcript();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].caption, "Insert disk");
  EXPECT_EQ(t[0].Texts(),
            (std::vector<std::string>{"Please insert disk #2", "Look for the files in:", "A:\\"}));
  EXPECT_EQ(t[0].Pressed(), "OK");
  EXPECT_EQ(t[0].result, mrOk);
  EXPECT_EQ(disk.Path, "A:\\");
}

TEST_F(ChangeDisk, CancelEndsTheInstallAndAShortListIsRefused) {
  TDiskParameter disk;
  disk.NewDisk = 3;
  TParameterList list;
  list.Add(file_);
  list.Add(&disk);
  backend_->SetAnswers("Insert disk: Cancel\n");
  EXPECT_THROW(install_->BroadcastComponentCall(install_, ccNewDisk, &list), EAIUserAbort);
  EXPECT_EQ(Transcript().back().result, mrAbort);
  TParameterList short_list;
  short_list.Add(file_);
  try {
    install_->BroadcastComponentCall(install_, ccNewDisk, &short_list);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "TChangeDiskDlg--Not engouh parameters for status event");
  }
  // Without the dialog nothing is registered and nothing is shown.
  delete dialog_;
  backend_->ClearTranscript();
  install_->BroadcastComponentCall(install_, ccNewDisk, &short_list);
  EXPECT_TRUE(Transcript().empty());
}

}  // namespace
}  // namespace vantorel::testing
