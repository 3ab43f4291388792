// The wizard host: which pages a manager shows, in which order, and how the user leaves it.
#include "dialog_fixture.h"
#include "routines/exceptions.h"

namespace vantorel::testing {
namespace {

using Wizard = DialogTest;

TEST_F(Wizard, ShowsTheManagersPagesInExchangeSortOrder) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  TDialogManager* after = Manager("After", dmAfterGoodInstall);
  // Registered A, B, C, D, S: the exchange sort puts the equal fives as second then first.
  Page("A", before, 5);
  Page("B", before, 5);
  Page("C", before, 3);
  Page("D", before, 7);
  Page("S", before, 9, /*skip=*/true);
  Page("Other", after, 0);
  Page("Hidden", before, 1)->can_show = false;

  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);

  // Next on D, the last page that is not skipped, finishes the wizard although S follows.
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Page C", "Page B", "Page A", "Page D"}));
  auto transcript = Transcript();
  ASSERT_FALSE(transcript.empty());
  EXPECT_EQ(transcript.back().result, mrOk);
  EXPECT_EQ(transcript.front().Texts(), (std::vector<std::string>{"This is page C."}));
  EXPECT_EQ(transcript.front().Pressed(), "&Next >");
  EXPECT_EQ(CurrentDialogManager(), nullptr);
}

// The pages of the Win32 screenshot, as the transcript shows them.
TEST_F(Wizard, TheTranscriptShowsEachPageWithItsTextsAndButtons) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  Page("Welcome", before, 0);
  Page("Skipped", before, 1, /*skip=*/true);
  Page("Ready", before, 2);
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  auto transcript = Transcript();
  ASSERT_EQ(transcript.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const std::string name = i == 0 ? "Welcome" : "Ready";
    EXPECT_EQ(transcript[i].caption, "Page " + name);
    EXPECT_EQ(transcript[i].mode, "modal");
    EXPECT_EQ(transcript[i].Texts(), (std::vector<std::string>{"This is page " + name + "."}));
    std::vector<std::string> buttons;
    for (const auto* b : transcript[i].Buttons())
      buttons.push_back(b->text + (b->Has("default") ? " default" : "") +
                        (b->Has("cancel") ? " cancel" : ""));
    EXPECT_EQ(buttons, (std::vector<std::string>{"< &Back", "&Next > default", "Cancel cancel"}));
    EXPECT_EQ(transcript[i].Pressed(), "&Next >");
  }
  EXPECT_EQ(transcript[1].result, mrOk);
}

TEST_F(Wizard, BackAndNextWalkPastSkippedPages) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  Page("First", before, 0);
  Page("Skipped", before, 1, /*skip=*/true);
  Page("Last", before, 2);
  backend_->SetAnswers(
      "Page First: Next >\n"
      "Page Last: < Back\n"
      "Page First: < Back\n"  // nothing before the first page: it stays
      "Page First: Next >\n"
      "Page Last: Next >\n");
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Page First", "Page Last", "Page First",
                                                  "Page First", "Page Last"}));
  EXPECT_EQ(backend_->UnusedAnswers(), 0);
  EXPECT_EQ(Transcript().back().result, mrOk);
}

TEST_F(Wizard, PagesKnowWhetherTheyAreFirstOrLast) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  Page("Skipped", before, 0, /*skip=*/true);
  Page("First", before, 1);
  Page("Last", before, 2);
  std::vector<std::string> seen;
  TTestPage::OnActivated() = [&](TTestPage& page) {
    seen.push_back(page.Caption() + (page.IsFirstPage() ? " first" : "") +
                   (page.IsLastPage() ? " last" : "") + " tab " +
                   std::to_string(page.Host()->TabIndex()));
  };
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"Page First first tab 1", "Page Last last tab 2"}));
}

TEST_F(Wizard, CancelAsksOnUserAbortAndRaisesUserAbortWhenAllowed) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  Page("Welcome", before, 0);
  install_->allow_abort = false;
  backend_->SetAnswers("Page Welcome: Cancel\n");
  // Refused: the wizard stays and is finished with Next (the default button).
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  EXPECT_EQ(install_->abort_questions, 1);
  EXPECT_EQ(Transcript().back().result, mrOk);

  install_->allow_abort = true;
  backend_->ClearTranscript();
  backend_->SetAnswers("Page Welcome: Cancel\n");
  EXPECT_THROW(install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr),
               EAIUserAbort);
  EXPECT_EQ(install_->abort_questions, 2);
  EXPECT_EQ(Transcript().back().result, mrAbort);
  EXPECT_EQ(CurrentDialogManager(), nullptr);
  // The host and its pages are gone: only the project form and the install objects remain.
  for (int i = 0; i < Application().ComponentCount(); ++i)
    EXPECT_EQ(dynamic_cast<TBaseFormContainer*>(Application().Components(i)), nullptr);
}

TEST_F(Wizard, WithoutAnInstallComponentCancelIsAllowed) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  Page("Welcome", before, 0);
  backend_->SetAnswers("Page Welcome: Cancel\n");
  delete install_;
  install_ = nullptr;
  EXPECT_THROW(before->Run(), EAIUserAbort);
}

TEST_F(Wizard, AManagerWithNoPagesReturnsAtOnce) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  TDialogManager* after = Manager("After", dmAfterGoodInstall);
  Page("Elsewhere", after, 0);
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  EXPECT_TRUE(backend_->Transcript().empty());
  EXPECT_EQ(before->DialogCount(), 0);
  EXPECT_EQ(after->DialogCount(), 1);
}

TEST_F(Wizard, TheHostTakesTheManagersSizeAndPlaceAndThePageFillsIt) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  before->SetWidth(500);
  before->SetHeight(400);
  before->SetPosition(vdpTopLeft);
  before->SetRelativeLeftOffset(7);
  before->SetRelativeTopOffset(9);
  TTestDlg* dialog = Page("Only", before, 0);
  std::vector<int> host_bounds, page_bounds;
  bool dialog_knew_page = false;
  TTestPage::OnActivated() = [&](TTestPage& page) {
    TBaseFormContainer* host = page.Host();
    host_bounds = {host->Left(), host->Top(), host->Width(), host->Height()};
    page_bounds = {page.Width(), page.Height()};
    dialog_knew_page = dialog->Form() == &page && page.DC() == dialog;
    EXPECT_EQ(page.Container(), install_);
    EXPECT_TRUE(page.Showing());
  };
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  EXPECT_EQ(host_bounds, (std::vector<int>{7, 9, 500, 400}));
  TForm probe(nullptr);
  probe.SetBorderStyle(bsDialog);
  probe.SetBounds(0, 0, 500, 400);
  EXPECT_EQ(page_bounds, (std::vector<int>{probe.ClientWidth(), probe.ClientHeight()}));
  EXPECT_TRUE(dialog_knew_page);
  // The page went with its host.
  EXPECT_EQ(dialog->Form(), nullptr);
}

}  // namespace
}  // namespace vantorel::testing
