// Dialog managers, registries and dialogs shown by themselves.
#include <set>

#include "dialog_fixture.h"
#include "dialogs/theme_bitmap.h"
#include "framework/classes.h"
#include "model/install_file.h"
#include "model/parameters.h"
#include "routines/exceptions.h"

namespace vantorel::testing {
namespace {

using Managers = DialogTest;

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST_F(Managers, EachKindRunsItsWizardOnlyOnItsOwnCall) {
  const int calls[] = {ccBeforeInstallDialogs, ccAfterGoodInstall, ccAfterBadInstall, ccReboot,
                       ccWelcomeNoManager,     ccProcessStart,     ccPhaseEnd};
  struct Case {
    TManagerType type;
    int runs_on;  // 0: none of the calls above
  } cases[] = {
      {dmBeforeInstall, ccBeforeInstallDialogs},
      {dmAfterGoodInstall, ccAfterGoodInstall},
      {dmAfterBadInstall, ccAfterBadInstall},
      {dmReboot, ccReboot},
      {dmDuringCopyFiles, 0},
      {dmChangeDisk, 0},
  };
  for (const Case& c : cases) {
    TDialogManager* manager = Manager("M", c.type);
    TTestDlg* page = Page("P", manager, 0);
    for (int call : calls) {
      backend_->ClearTranscript();
      install_->BroadcastComponentCall(install_, call, nullptr);
      EXPECT_EQ(Captions().size(), call == c.runs_on ? 1u : 0u)
          << "manager type " << c.type << ", call " << call;
    }
    page->Free();
    manager->Free();
  }
}

TEST_F(Managers, ProgressWindowsOpenOnTheFirstReportAndCloseAtTheEndOfTheRun) {
  TDialogManager* copy = Manager("CopyManager", dmDuringCopyFiles);
  DCFList()->Add(TClassOf<TTestCopyForm>(), nullptr);
  TFileStatusParameter file;
  file.FileName = "A.DLL";
  TDownloadStatusParameter download;
  download.FileName = "files.1";

  install_->BroadcastComponentCall(install_, ccFileStatus, &file);
  install_->BroadcastComponentCall(install_, ccDownloadStatus, &download);
  ASSERT_EQ(copy->ProgressForms().size(), 1u);
  EXPECT_TRUE(copy->ProgressForms()[0]->Visible());
  install_->BroadcastComponentCall(install_, ccPhaseEnd, nullptr);
  EXPECT_TRUE(copy->ProgressForms().empty());
  install_->BroadcastComponentCall(install_, ccFileStatus, &file);
  install_->BroadcastComponentCall(install_, ccPhaseEnd, nullptr);
  EXPECT_EQ(TTestCopyForm::Log(),
            (std::vector<std::string>{"create", "file A.DLL", "download files.1", "free", "create",
                                      "file A.DLL", "free"}));
  // The window was shown modelessly, so the transcript has it.
  ASSERT_FALSE(Transcript().empty());
  EXPECT_EQ(Transcript()[0].caption, "Copying");
  EXPECT_EQ(Transcript()[0].mode, "shown");
}

TEST_F(Managers, AProgressFormForAnotherManagerIsNotKept) {
  TDialogManager* first = Manager("First", dmDuringCopyFiles);
  TDialogManager* second = Manager("Second", dmDuringCopyFiles);
  DCFList()->Add(TClassOf<TTestCopyForm>(), nullptr);
  TFileStatusParameter file;
  // The form's constructor binds it to the first manager of its kind.
  second->UpdateProgressForms(&file, nullptr);
  EXPECT_TRUE(second->ProgressForms().empty());
  EXPECT_EQ(TTestCopyForm::Log(), (std::vector<std::string>{"create", "free"}));
  first->UpdateProgressForms(&file, nullptr);
  EXPECT_EQ(first->ProgressForms().size(), 1u);
}

TEST_F(Managers, ProgressCallsCheckTheirParameter) {
  Manager("CopyManager", dmDuringCopyFiles);
  TFileStatusParameter file;
  TDownloadStatusParameter download;
  struct Case {
    int call;
    TObject* po;
    const char* message;
  } cases[] = {
      {ccFileStatus, nullptr, "CopyManager got a nil PO parameter"},
      {ccDownloadStatus, nullptr, "CopyManager got a nil PO parameter"},
      {ccFileStatus, &download,
       "The PO object passed to CopyManager is not a TFileStatusParameter object"},
      {ccDownloadStatus, &file,
       "The PO object passed to CopyManager is not a TDownloadStatusParameter object"},
  };
  for (const Case& c : cases) {
    std::string message;
    try {
      install_->BroadcastComponentCall(install_, c.call, c.po);
    } catch (const IException& e) {
      message = e.Message();
    }
    EXPECT_EQ(message, c.message) << c.call;
  }
}

TEST_F(Managers, ChangeDiskShowsNothingWithoutARegisteredForm) {
  TDialogManager* disk = Manager("DiskManager", dmChangeDisk);
  // Whatever the parameter: nothing registered, nothing checked, nothing shown.
  install_->BroadcastComponentCall(install_, ccNewDisk, nullptr);
  TFileStatusParameter wrong;
  disk->ChangeDisk(&wrong);
  EXPECT_TRUE(backend_->Transcript().empty());
}

// A change-disk form for the checks of the manager; it takes the disk parameter and confirms.
class TTestDiskForm : public TBaseInstallForm {
 public:
  explicit TTestDiskForm(TComponent* owner) : TBaseInstallForm(owner) {
    SetCaption("Insert disk");
    SetDM(FindDialogManager(dmChangeDisk));
    auto* ok = new TButton(this);
    ok->SetParent(this);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(this);
    cancel->SetParent(this);
    cancel->SetCaption("Cancel");
    cancel->SetModalResult(mrAbort);
  }
  void SetDiskParameter(TDiskParameter* disk) override { disk->Path = "D:\\DISK2"; }
};
VANTOREL_CLASS(TTestDiskForm, TBaseInstallForm) {}

TEST_F(Managers, ChangeDiskChecksTheListAndHandsTheDiskToTheForm) {
  TDialogManager* disk_manager = Manager("DiskManager", dmChangeDisk);
  ChangeDiskForms()->Add(TClassOf<TTestDiskForm>(), nullptr);
  TInstallFile* file = Make<TInstallFile>("File1");
  TDiskParameter disk;
  disk.NewDisk = 2;
  TList only_file;
  only_file.Add(file);
  TList swapped;
  swapped.Add(&disk);
  swapped.Add(file);
  TList file_and_file;
  file_and_file.Add(file);
  file_and_file.Add(file);
  TFileStatusParameter not_a_list;
  struct Case {
    TObject* po;
    const char* message;
  } cases[] = {
      {nullptr,
       "The ParameterObject is Nil in the TDialogManager. Cannot show the change disk form"},
      {&not_a_list, "TChangeDiskDlg--PO is not a TList object"},
      {&only_file, "TChangeDiskDlg--Not engouh parameters for status event"},
      {&swapped, "TChangeDiskDlg says bad first parameter"},
      {&file_and_file, "TChangeDiskDlg says bad second parameter"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MessageOf([&] { disk_manager->ChangeDisk(c.po); }), c.message);
  EXPECT_EQ(file->Tag(), 0);

  TList good;
  good.Add(file);
  good.Add(&disk);
  install_->BroadcastComponentCall(install_, ccNewDisk, &good);
  EXPECT_EQ(file->Tag(), 1);
  EXPECT_EQ(disk.Path, "D:\\DISK2");
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Insert disk"}));

  backend_->SetAnswers("Insert disk: Cancel\n");
  EXPECT_THROW(install_->BroadcastComponentCall(install_, ccNewDisk, &good), EAIUserAbort);
  EXPECT_EQ(CurrentDialogManager(), nullptr);
}

TEST_F(Managers, RegistryAndManagerMessages) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  EXPECT_EQ(MessageOf([&] { before->AddDialog(nullptr); }),
            "Cannot add a NIL Dialog to the Dialog Manager Before");
  EXPECT_EQ(MessageOf([&] {
              TBaseFormContainer host(nullptr);
              host.PopulatePages();
            }),
            "The current dialog manager is not defined");
  EXPECT_EQ(MessageOf([] { InstallFormEntry(0); }), "0 is an invalid index in the BIFList");
  EXPECT_EQ(MessageOf([] { InstallFormEntry(-1); }), "-1 is an invalid index in the BIFList");
  BIFList()->AddEntry({});
  EXPECT_EQ(MessageOf([&] { before->Run(); }), "The 0 'th entry in the BIFList is NIL");
  TFormRegistry* saved = BIFList();
  SetBIFListForTesting(nullptr);
  EXPECT_EQ(MessageOf([&] { before->Run(); }), "The BIFList is NIL");
  SetBIFListForTesting(saved);
  EXPECT_EQ(CurrentDialogManager(), nullptr);
}

TEST_F(Managers, DialogsJoinAndLeaveTheirManagerAndTheRegistry) {
  TDialogManager* first = Manager("First", dmBeforeInstall);
  TDialogManager* second = Manager("Second", dmBeforeInstall);
  TTestDlg* dialog = Page("Dialog", first, 0);
  EXPECT_EQ(BIFList()->Count(), 1);
  dialog->SetDialogManager(second);
  EXPECT_EQ(first->DialogCount(), 0);
  ASSERT_EQ(second->DialogCount(), 1);
  EXPECT_EQ(second->Dialogs(0), dialog);
  // A dying manager lets go of its dialogs, a dying dialog of its manager and registry entry.
  second->Free();
  EXPECT_EQ(dialog->DialogManager(), nullptr);
  dialog->SetDialogManager(first);
  dialog->Free();
  EXPECT_EQ(first->DialogCount(), 0);
  EXPECT_EQ(BIFList()->Count(), 0);
}

TEST_F(Managers, FindDialogManagerTakesTheFirstOfItsKindOnTheInstall) {
  auto* group = Make<TInstallFileGroup>("Group");
  auto* elsewhere = Make<TDialogManager>("Elsewhere");
  elsewhere->SetContainer(group);
  TDialogManager* reboot = Manager("Reboot", dmReboot);
  TDialogManager* first = Manager("First", dmBeforeInstall);
  Manager("Second", dmBeforeInstall);
  EXPECT_EQ(FindDialogManager(dmBeforeInstall), first);
  EXPECT_EQ(FindDialogManager(dmReboot), reboot);
  EXPECT_EQ(FindDialogManager(dmAfterGoodInstall), nullptr);
  delete install_;
  install_ = nullptr;
  EXPECT_EQ(FindDialogManager(dmBeforeInstall), nullptr);
}

TEST_F(Managers, PlacementOfTheNinePositions) {
  // Screen 800 x 600, window 201 x 100, offsets 10 and 20, caption 18.
  struct Case {
    TVantorelDialogPosition position;
    int left, top;
  } cases[] = {
      {vdpCenterLeft, 10, 270}, {vdpCenter, 310, 270},       {vdpCenterRight, 589, 270},
      {vdpBottomLeft, 10, 462}, {vdpBottomCenter, 310, 462}, {vdpBottomRight, 589, 462},
      {vdpTopLeft, 10, 20},     {vdpTopCenter, 310, 20},     {vdpTopRight, 589, 20},
  };
  for (const Case& c : cases) {
    TWindowPlace place = PlaceWindow(c.position, 201, 100, 10, 20, 800, 600, 18);
    EXPECT_EQ(place.left, c.left) << c.position;
    EXPECT_EQ(place.top, c.top) << c.position;
  }
  // Halves go to the even neighbour: 400 - 100.5 = 299.5 -> 300, 400 - 101.5 = 298.5 -> 298.
  EXPECT_EQ(PlaceWindow(vdpCenter, 201, 0, 0, 0, 800, 0, 0).left, 300);
  EXPECT_EQ(PlaceWindow(vdpCenter, 203, 0, 0, 0, 800, 0, 0).left, 298);
  // The bottom row keeps one caption height above the screen's edge.
  TWindowPlace bottom = PlaceWindow(vdpBottomLeft, 100, 50, 0, 0, 800, 600, 18);
  EXPECT_EQ(bottom.top + 50, 600 - 18);
}

using ShownAlone = DialogTest;

TEST_F(ShownAlone, ExecuteShowsTheFormAndFiresItsEvents) {
  TTestDlg* dialog = Page("Alone", nullptr, 0);
  std::vector<std::string> events;
  dialog->OnBeforeExecute = [&](TObject*) { events.push_back("before"); };
  dialog->OnAfterExecute = [&](TObject* sender) {
    events.push_back(sender == dialog && dialog->Form() == nullptr ? "after" : "after?");
  };
  EXPECT_TRUE(dialog->Execute());
  EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Page Alone"}));

  dialog->can_show = false;
  backend_->ClearTranscript();
  EXPECT_TRUE(dialog->Execute());
  EXPECT_TRUE(backend_->Transcript().empty());
}

TEST_F(ShownAlone, CancelRaisesUserAbortAndASilentAbortGivesFalse) {
  TTestDlg* dialog = Page("Alone", nullptr, 0);
  backend_->SetAnswers("Page Alone: Cancel\n");
  EXPECT_THROW(dialog->Execute(), EAIUserAbort);
  EXPECT_EQ(dialog->Form(), nullptr);
  dialog->OnBeforeExecute = [](TObject*) { throw EAbort(); };
  EXPECT_FALSE(dialog->Execute());
}

TEST_F(ShownAlone, AssignDialogPropertiesNeedsAFormAndCopiesTheSettings) {
  TTestDlg* dialog = Page("Alone", nullptr, 0);
  EXPECT_EQ(MessageOf([&] { dialog->AssignDialogProperties(); }),
            "Cannot AssignDialogProperties for Alone because the Dialog is Nil");
  TTestPage page(nullptr);
  dialog->SetAutoSetFont(false);
  dialog->SetOverrideMainTranslator(true);
  dialog->SetTranslateIntoLanguage(vlGerman);
  dialog->SetForm(&page);
  dialog->AssignDialogProperties();
  dialog->SetForm(nullptr);
  EXPECT_FALSE(page.AutoSetFont());
  EXPECT_TRUE(page.AutoTranslate());
  EXPECT_TRUE(page.OverrideMainTranslator());
  EXPECT_EQ(page.TranslateIntoLanguage(), vlGerman);
  EXPECT_EQ(page.Container(), install_);
  EXPECT_EQ(page.DC(), dialog);
  // Without a translator the language stays the designed one.
  EXPECT_EQ(page.CurrentLanguage(), vlEnglish);
}

TEST_F(ShownAlone, ThemeBitmapComesFromTheDialogElseFromTheInstall) {
  install_->theme.SetData(InstallThemeBitmap());
  TTestDlg* dialog = Page("Alone", nullptr, 0);
  TPicture picture;
  dialog->ApplyThemeBitmap(&picture);
  EXPECT_EQ(picture.Data(), InstallThemeBitmap());
  TPicture own;
  std::vector<uint8_t> small = InstallThemeBitmap();
  small[small.size() - 1] ^= 0xFF;
  own.SetData(small);
  dialog->SetThemeBitmap(own);
  dialog->ApplyThemeBitmap(&picture);
  EXPECT_EQ(picture.Data(), small);
  dialog->ApplyThemeBitmap(nullptr);
  // A page fills an empty picture with the install's when it is created.
  TTestPage page(nullptr);
  EXPECT_EQ(page.image->Picture()->Data(), InstallThemeBitmap());
}

TEST(ThemeBitmap, IsA117By290SixteenColourBitmap) {
  TPicture picture;
  picture.SetData(InstallThemeBitmap());
  EXPECT_EQ(picture.Width(), 117);
  EXPECT_EQ(picture.Height(), 290);
  const auto& d = picture.Data();
  ASSERT_GT(d.size(), 54u);
  EXPECT_EQ(d[0], 'B');
  EXPECT_EQ(d[1], 'M');
  EXPECT_EQ(d[28], 4);  // bits per pixel
  EXPECT_EQ(d.size(), 14u + 40 + 64 + 60 * 290);
  // Not one flat colour: more than two palette entries are used.
  std::set<int> colours;
  for (size_t i = 118; i < d.size(); ++i) {
    colours.insert(d[i] >> 4);
    colours.insert(d[i] & 15);
  }
  EXPECT_GT(colours.size(), 4u);
}

}  // namespace
}  // namespace vantorel::testing
