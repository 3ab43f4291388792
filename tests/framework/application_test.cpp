#include "framework/application.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "framework/headless/headless.h"
#include "test_classes.h"

namespace vantorel::testing {
namespace {

using headless::ParseTranscript;
using headless::THeadlessBackend;
using headless::TTranscriptEntry;

struct AnswerFailure {
  std::string message;
};

class HeadlessApplication : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    auto backend = std::make_unique<THeadlessBackend>();
    backend->SetTranscriptFile("");
    backend->SetAnswers("");
    backend->SetFailureHandler([this](const std::string& m) { failures.push_back(m); });
    ui = backend.get();
    Application().SetUi(std::move(backend));
  }
  void TearDown() override { Application().Reinitialize(); }

  std::vector<TTranscriptEntry> Entries() { return ParseTranscript(ui->Transcript()); }

  // A dialog with a label, an OK (default) and a Cancel button.
  TForm* Dialog(const std::string& caption) {
    auto* form = Application().CreateForm<TForm>();
    form->SetCaption(caption);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption("Proceed?");
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetCaption("&OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(form);
    cancel->SetParent(form);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    return form;
  }

  THeadlessBackend* ui = nullptr;
  std::vector<std::string> failures;
};

TEST_F(HeadlessApplication, RunShowsTheMainFormAndFiresOnActivateOnce) {
  auto* main = Application().CreateForm<TForm1>();
  main->SetCaption("Setup");
  auto* label = new TLabel(main);
  label->SetParent(main);
  label->SetCaption("Working");
  EXPECT_EQ(Application().MainForm(), main);
  int activations = 0;
  main->OnActivate = [&](TObject* sender) {
    EXPECT_EQ(sender, main);
    ++activations;
  };
  Application().Run();
  EXPECT_EQ(activations, 1);
  EXPECT_TRUE(Application().Terminated());  // nobody else could close it: the user did
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].kind, "form");
  EXPECT_EQ(entries[0].caption, "Setup");
  EXPECT_EQ(entries[0].mode, "main");
  EXPECT_EQ(entries[0].Texts(), std::vector<std::string>{"Working"});
  EXPECT_TRUE(entries[1].Closed());
}

TEST_F(HeadlessApplication, TerminateLetsTheRestOfTheHandlerRun) {
  auto* main = Application().CreateForm<TForm1>();
  std::vector<std::string> steps;
  main->OnActivate = [&](TObject*) {
    steps.push_back("before");
    Application().Terminate();
    steps.push_back("after");
    // A modal form shown after Terminate ends at once with mrCancel.
    auto* late = Application().CreateForm<TForm>();
    steps.push_back("modal " + std::to_string(late->ShowModal()));
  };
  Application().Run();
  EXPECT_EQ(steps, (std::vector<std::string>{"before", "after", "modal 2"}));
  EXPECT_TRUE(Application().Terminated());
  // Terminated before Run: Run returns at once without showing anything.
  Application().Reinitialize();
  auto backend = std::make_unique<THeadlessBackend>();
  THeadlessBackend* fresh = backend.get();
  Application().SetUi(std::move(backend));
  Application().CreateForm<TForm1>();
  Application().Terminate();
  Application().Run();
  EXPECT_EQ(fresh->Transcript(), "");
}

TEST_F(HeadlessApplication, ExceptionsInHandlersGoToTheApplicationHandler) {
  auto* main = Application().CreateForm<TForm1>();
  std::vector<std::string> seen;
  Application().OnException = [&](TObject* sender, Exception& e) {
    seen.push_back((sender == main ? "main: " : "other: ") + e.Message());
  };
  int step = 0;
  main->OnActivate = [&](TObject*) {
    ++step;
    throw Exception("boom");
  };
  main->OnShow = [&](TObject*) { throw std::runtime_error("plain"); };
  Application().Run();
  EXPECT_EQ(step, 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"main: plain", "main: boom"}));

  // The silent abort reaches nobody.
  seen.clear();
  Application().Dispatch(main, [] { throw EAbort(); });
  EXPECT_TRUE(seen.empty());
  // A handler that fails itself gets its error shown instead of looping.
  Application().OnException = [](TObject*, Exception&) { throw Exception("handler broke"); };
  Application().Dispatch(main, [] { throw Exception("first"); });
  auto entries = Entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().kind, "message");
  EXPECT_EQ(entries.back().Texts(), std::vector<std::string>{"handler broke"});
}

TEST_F(HeadlessApplication, UnhandledExceptionsAreShownTitledWithTheApplication) {
  Application().SetTitle("My Setup");
  auto* form = Dialog("Ask");
  form->FindComponent("");  // nothing
  auto* ok = dynamic_cast<TButton*>(form->Components(1));
  ok->OnClick = [](TObject*) { throw Exception("The disk is full."); };
  EXPECT_EQ(form->ShowModal(), mrOk);  // the click failed after setting the modal result
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].caption, "Ask");
  EXPECT_EQ(entries[0].Pressed(), "&OK");
  EXPECT_EQ(entries[0].result, mrOk);
  EXPECT_EQ(entries[1].kind, "message");
  EXPECT_EQ(entries[1].caption, "My Setup");
  EXPECT_EQ(entries[1].mode, "error");
  EXPECT_EQ(entries[1].Texts(), std::vector<std::string>{"The disk is full."});
  EXPECT_EQ(entries[1].result, IDOK);
}

TEST_F(HeadlessApplication, MessageBoxesAreAnsweredByTheScriptAndTranscribed) {
  ui->SetAnswers(
      "# a comment\n"
      "\n"
      "Question*: no\n"
      "Confirm: Cancel\n");
  EXPECT_EQ(Application().MessageBox("Continue?", "Question 1", MB_YESNO | MB_ICONQUESTION), IDNO);
  // The next answer is for another caption: this box takes its default button.
  EXPECT_EQ(Application().MessageBox("Sure?", "Other", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  EXPECT_EQ(Application().MessageBox("Really?", "Other", MB_YESNOCANCEL), IDYES);
  EXPECT_EQ(Application().MessageBox("x", "Confirm", MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(ui->UnusedAnswers(), 0);
  EXPECT_EQ(Application().MessageBox("done", "Info", MB_OK | MB_ICONINFORMATION), IDOK);
  EXPECT_EQ(Application().MessageBox("a", "Abort?", MB_ABORTRETRYIGNORE | MB_DEFBUTTON3), IDIGNORE);

  auto entries = Entries();
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].caption, "Question 1");
  EXPECT_EQ(entries[0].mode, "question");
  auto buttons = entries[0].Buttons();
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0]->text, "Yes");
  EXPECT_TRUE(buttons[0]->Has("default"));
  EXPECT_EQ(buttons[1]->text, "No");
  EXPECT_EQ(entries[0].Pressed(), "No");
  EXPECT_EQ(entries[0].result, IDNO);
  EXPECT_TRUE(entries[1].Buttons()[1]->Has("default"));
  EXPECT_EQ(entries[4].mode, "information");

  // A button the box does not have is a failure (here: the test's handler), then the default.
  ui->SetAnswers("Error: Retry\n");
  EXPECT_EQ(Application().MessageBox("bad", "Error", MB_OK), IDOK);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0], "answer line 1: the message box \"Error\" has no button \"Retry\"");
  EXPECT_EQ(Entries().back().kind, "message");
  bool failure_recorded = false;
  for (const auto& e : Entries()) failure_recorded |= e.kind == "failure";
  EXPECT_TRUE(failure_recorded);
}

TEST_F(HeadlessApplication, ModalFormsAreAnsweredByTheScript) {
  TForm* dialog = Dialog("Hello dialog");
  // Default: the default button.
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_FALSE(dialog->Visible());
  ui->SetAnswers("Hello*: cancel\nHello*: &OK\n");
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(dialog->ShowModal(), mrOk);

  // A disabled or missing button is a failure; then the default button.
  static_cast<TButton*>(dialog->Components(2))->SetEnabled(false);
  ui->SetAnswers("Hello dialog: Cancel\nHello dialog: Help\n");
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0],
            "answer line 1: the form \"Hello dialog\" has a disabled button \"Cancel\"");
  EXPECT_EQ(failures[1], "answer line 2: the form \"Hello dialog\" has no button \"Help\"");

  auto entries = Entries();
  const TTranscriptEntry& first = entries[0];
  EXPECT_EQ(first.mode, "modal");
  EXPECT_EQ(first.Texts(), std::vector<std::string>{"Proceed?"});
  auto buttons = first.Buttons();
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0]->text, "&OK");
  EXPECT_TRUE(buttons[0]->Has("default"));
  EXPECT_TRUE(buttons[1]->Has("cancel"));
  EXPECT_FALSE(buttons[1]->Has("disabled"));
  EXPECT_EQ(first.result, mrOk);
  EXPECT_TRUE(entries.back().Buttons()[1]->Has("disabled"));

  // Without any button to press the form is closed.
  auto* bare = Application().CreateForm<TForm>();
  bare->SetCaption("Bare");
  EXPECT_EQ(bare->ShowModal(), mrCancel);
  EXPECT_TRUE(Entries().back().Closed());
  // A form that is already visible cannot be shown modally.
  bare->Show();
  EXPECT_THROW(bare->ShowModal(), Exception);
}

TEST_F(HeadlessApplication, APressThatKeepsTheFormOpenIsFollowedByTheNextAnswer) {
  auto* wizard = Application().CreateForm<TForm>();
  wizard->SetCaption("Wizard");
  auto* page = new TLabel(wizard);
  page->SetParent(wizard);
  page->SetCaption("Page 1");
  auto* next = new TButton(wizard);
  next->SetParent(wizard);
  next->SetCaption("&Next >");
  int page_number = 1;
  next->OnClick = [&](TObject*) {
    page->SetCaption("Page " + std::to_string(++page_number));
    if (page_number == 3) {
      // A message box from inside the press comes after the form's block.
      Application().MessageBox("Last page", "Note", MB_OK);
      next->SetCaption("Finish");
      next->SetModalResult(mrOk);
      next->SetDefault(true);
    }
  };
  ui->SetAnswers("Wizard: Next >\nWizard: next >\n");
  EXPECT_EQ(wizard->ShowModal(), mrOk);
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].Texts(), std::vector<std::string>{"Page 1"});
  EXPECT_EQ(entries[0].result, 0);
  EXPECT_EQ(entries[1].Texts(), std::vector<std::string>{"Page 2"});
  EXPECT_EQ(entries[2].kind, "message");
  EXPECT_EQ(entries[3].Texts(), std::vector<std::string>{"Page 3"});
  EXPECT_EQ(entries[3].Pressed(), "Finish");
  EXPECT_EQ(entries[3].result, mrOk);

  // A form that never closes ends with a failure instead of looping forever.
  next->OnClick = nullptr;
  next->SetModalResult(mrNone);
  EXPECT_EQ(wizard->ShowModal(), mrCancel);
  EXPECT_FALSE(failures.empty());
}

TEST_F(HeadlessApplication, AModelessWindowTakesItsAnswerWhenMessagesAreProcessed) {
  Application().CreateForm<TForm1>();  // the main form
  TForm* progress = Dialog("Copying files");
  bool cancelled = false;
  static_cast<TButton*>(progress->Components(2))->OnClick = [&](TObject*) { cancelled = true; };
  progress->Show();
  ui->SetAnswers("Other: OK\n");
  Application().ProcessMessages();  // the next answer is not for this window
  EXPECT_FALSE(cancelled);
  ui->SetAnswers("Copying*: Cancel\n");
  int blocks = 0;
  while (!cancelled && blocks < 10) {
    ++blocks;  // a long operation processes messages between blocks
    Application().ProcessMessages();
  }
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(blocks, 1);
  EXPECT_EQ(Entries().back().Pressed(), "Cancel");
  EXPECT_EQ(Entries().back().mode, "shown");
}

TEST_F(HeadlessApplication, OnCloseMayKeepAModalFormOpen) {
  TForm* dialog = Dialog("Closing");
  int refusals = 0;
  dialog->OnClose = [&](TObject*, TCloseAction& action) {
    if (refusals++ == 0) action = caNone;
  };
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(refusals, 2);  // the first OK was refused; the second one closed it
}

TEST_F(HeadlessApplication, TheMainFormIsActivatedAgainWhenAModalFormCloses) {
  auto* main = Application().CreateForm<TForm1>();
  TForm* dialog = Dialog("Inner");
  std::vector<std::string> steps;
  main->OnActivate = [&](TObject*) {
    steps.push_back("activate");
    if (steps.size() == 1) {
      steps.push_back("modal " + std::to_string(dialog->ShowModal()));
      Application().Terminate();
    }
  };
  dialog->OnActivate = [&](TObject*) { steps.push_back("dialog"); };
  Application().Run();
  EXPECT_EQ(steps, (std::vector<std::string>{"activate", "dialog", "activate", "modal 1"}));
}

TEST_F(HeadlessApplication, TheMainFormTakesAnswersWhenNothingElseHappens) {
  auto* main = Dialog("Main window");
  EXPECT_EQ(Application().MainForm(), main);
  auto* cancel = static_cast<TButton*>(main->Components(2));
  int clicks = 0;
  cancel->OnClick = [&](TObject*) {
    if (++clicks == 2) Application().Terminate();
  };
  ui->SetAnswers("Main*: Cancel\nMain*: Cancel\n");
  Application().Run();
  EXPECT_EQ(clicks, 2);
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].Pressed(), "Cancel");
  EXPECT_EQ(entries[2].Pressed(), "Cancel");
}

TEST_F(HeadlessApplication, FormsCreatedFromTextFireOnCreateAndBecomeTheMainForm) {
  THandlerRegistry handlers;
  int created = 0;
  handlers.Register<void(TObject*)>("Form1Create", [&](TObject*) { ++created; });
  TComponent* root = Application().CreateFormFromText(
      "object Form1: TForm1\n  Caption = 'From text'\n  OnCreate = Form1Create\nend\n",
      {.source_name = "TFORM1", .handlers = &handlers});
  EXPECT_EQ(created, 1);
  EXPECT_EQ(root->Owner(), &Application());
  EXPECT_EQ(Application().MainForm(), root);
  // A second form does not replace the main form; destroying the main form clears it.
  auto* second = Application().CreateForm(FindClass("TForm"));
  EXPECT_EQ(Application().MainForm(), root);
  root->Free();
  EXPECT_EQ(Application().MainForm(), nullptr);
  second->Free();
  EXPECT_THROW(Application().CreateForm(FindClass("TRecorder")), Exception);
}

TEST_F(HeadlessApplication, CursorsAreSetAndPutBack) {
  auto* main = Application().CreateForm<TForm1>();
  main->Show();
  {
    TCursorScope busy(crHourGlass);
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    EXPECT_EQ(ui->CurrentCursor(), crHourGlass);
  }
  EXPECT_EQ(Screen().Cursor(), crDefault);
  EXPECT_EQ(ui->CurrentCursor(), crDefault);
  {
    TCursorScope busy(crHourGlass, main);
    EXPECT_EQ(main->Cursor(), crHourGlass);
    EXPECT_EQ(ui->CurrentCursor(), crHourGlass);
  }
  EXPECT_EQ(main->Cursor(), crDefault);
  EXPECT_EQ(ui->CurrentCursor(), crDefault);
}

TEST_F(HeadlessApplication, TheTranscriptFileHoldsWhatWasShown) {
  std::string path = ::testing::TempDir() + "vantorel_transcript_test.txt";
  std::remove(path.c_str());
  ui->SetTranscriptFile(path);
  Application().MessageBox("line one\nline \"two\"\\", "File", MB_OK);
  Dialog("Saved")->ShowModal();
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), ui->Transcript());
  auto entries = ParseTranscript(text.str());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Texts(), std::vector<std::string>{"line one\nline \"two\"\\"});
  EXPECT_EQ(entries[1].result, mrOk);
  std::remove(path.c_str());
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST_F(HeadlessApplication, AWaitHoldsTheAnswerUntilItsFileExists) {
  const std::string dir = ::testing::TempDir();
  const std::string transcript = dir + "vantorel_wait_transcript.txt";
  const std::string go = dir + "vantorel_wait_go";
  std::remove(transcript.c_str());
  std::remove(go.c_str());
  ui->SetTranscriptFile(transcript);
  ui->SetAnswers("@wait 30 " + go + "\nDisk: Cancel\n");
  // The other side reads the prompt from the transcript file while the box is still up, and
  // only then lets it be answered: what a test swapping disks does.
  std::string seen;
  std::thread user([&] {
    for (int i = 0; i < 600 && seen.find("waiting") == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      seen = ReadAll(transcript);
    }
    std::ofstream(go) << "";
  });
  int result = Application().MessageBox("Please insert disk 2", "Disk", MB_OKCANCEL);
  user.join();
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_NE(seen.find("text \"Please insert disk 2\""), std::string::npos) << seen;
  EXPECT_EQ(seen.find("pressed"), std::string::npos) << seen;
  auto entries = ParseTranscript(ReadAll(transcript));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Pressed(), "Cancel");
  EXPECT_EQ(entries[0].Texts(), std::vector<std::string>{"Please insert disk 2"});
  EXPECT_TRUE(failures.empty());

  // A form waits the same way; the file is there already, so the answer comes at once.
  ui->SetAnswers("@wait " + go + "\nHello: Cancel\n");
  EXPECT_EQ(Dialog("Hello")->ShowModal(), mrCancel);
  EXPECT_EQ(Entries().back().Pressed(), "Cancel");

  // A wait that runs out is a failure; the window then takes its default button.
  std::remove(go.c_str());
  ui->SetAnswers("@wait 0 " + go + "\nDisk: Cancel\n");
  EXPECT_EQ(Application().MessageBox("Please insert disk 3", "Disk", MB_OKCANCEL), IDOK);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0], "answer line 2: waited 0 seconds for " + go);
  ui->SetAnswers("@wait 0 " + go + "\nHello: Cancel\n");
  EXPECT_EQ(Dialog("Hello")->ShowModal(), mrOk);
  EXPECT_EQ(failures.size(), 2u);
  auto all = ParseTranscript(ReadAll(transcript));  // still reads back
  EXPECT_EQ(all.back().Pressed(), "&OK");
  std::remove(transcript.c_str());
}

TEST(HeadlessScript, WaitsAreReadWithTheAnswerAfterThem) {
  auto answers = headless::ParseAnswers(
      "@wait C:\\t\\disk 2.go\nSetup: OK\nSetup: OK\n@wait 5 /t/x\nSetup: Cancel\n", "a");
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0].wait_for, "C:\\t\\disk 2.go");  // the colon is not a caption's
  EXPECT_EQ(answers[0].wait_seconds, headless::kDefaultWaitSeconds);
  EXPECT_EQ(answers[0].line, 2);
  EXPECT_EQ(answers[1].wait_for, "");
  EXPECT_EQ(answers[2].wait_for, "/t/x");
  EXPECT_EQ(answers[2].wait_seconds, 5);
  struct Bad {
    const char* script;
    const char* message;
  } bad[] = {
      {"@wait\n", "a:1: expected '@wait [<seconds>] <path>'"},
      {"@wait 5 \nX: OK\n", "a:1: expected '@wait [<seconds>] <path>'"},
      {"X: OK\n@wait f\n", "a:2: a wait needs an answer after it"},
      {"@wait f\n@wait g\nX: OK\n", "a:1: a wait needs an answer after it"},
  };
  for (const auto& b : bad) {
    try {
      headless::ParseAnswers(b.script, "a");
      ADD_FAILURE() << b.script;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), b.message) << b.script;
    }
  }
}

TEST(HeadlessScript, AnswersGlobsAndButtonCaptions) {
  auto answers = headless::ParseAnswers("# c\n  Welcome*: Next > \nError: dir: OK\n", "a.txt");
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].caption_glob, "Welcome*");
  EXPECT_EQ(answers[0].button, "Next >");
  EXPECT_EQ(answers[0].line, 2);
  EXPECT_EQ(answers[1].caption_glob, "Error: dir");  // the last colon separates
  try {
    headless::ParseAnswers("ok: fine\nno colon here\n", "a.txt");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message().rfind("a.txt:2: ", 0), 0u) << e.Message();
  }
  EXPECT_THROW(headless::ParseAnswers("Caption:\n", "a"), Exception);

  struct Case {
    const char* glob;
    const char* text;
    bool match;
  } globs[] = {
      {"*", "", true},
      {"*", "anything", true},
      {"Welcome*", "welcome to", true},
      {"Wel?ome", "Welcome", true},
      {"Welcome", "Welcome!", false},
      {"*dir*", "Choose Dir", true},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "aXbY", false},
      {"", "", true},
      {"?", "", false},
  };
  for (const auto& g : globs) EXPECT_EQ(headless::GlobMatch(g.glob, g.text), g.match) << g.glob;
  EXPECT_TRUE(headless::SameButtonCaption("&Next >", "next >"));
  EXPECT_TRUE(headless::SameButtonCaption("Save && Exit", "save & exit"));
  EXPECT_TRUE(headless::SameButtonCaption("&OK", "&ok"));
  EXPECT_FALSE(headless::SameButtonCaption("OK", "Cancel"));

  EXPECT_THROW(ParseTranscript("form \"x\" modal\n  label \"a\"\n"), Exception);
  EXPECT_THROW(ParseTranscript("label \"a\"\n"), Exception);
  EXPECT_THROW(ParseTranscript("form \"unterminated\n"), Exception);
}

TEST(HeadlessScriptDeathTest, AFailedAnswerEndsTheProgramByDefault) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        headless::THeadlessBackend backend;
        backend.SetTranscriptFile("");
        backend.SetAnswers("Box: Maybe\n");
        backend.MessageBox("?", "Box", MB_YESNO);
      },
      ::testing::ExitedWithCode(headless::kAnswerScriptFailure), "has no button \"Maybe\"");
}

}  // namespace
}  // namespace vantorel::testing
