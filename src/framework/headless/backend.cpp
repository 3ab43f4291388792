// The headless backend: the control tree is the window, the answer script is the user.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "framework/application.h"
#include "framework/format.h"
#include "framework/headless/headless.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vantorel {

std::unique_ptr<TUiBackend> CreateHeadlessBackend() {
  return std::make_unique<headless::THeadlessBackend>();
}

namespace headless {

namespace {

// A form that ignores every answer (a button that neither closes it nor changes anything)
// must not keep a test running forever.
constexpr int kMaxAnswersPerWindow = 1000;

void DefaultFailure(const std::string& message) {
  std::fprintf(stderr, "vantorel: answer script: %s\n", message.c_str());
  std::fflush(stderr);
  std::_Exit(kAnswerScriptFailure);
}

template <class F>
void ForEachShowing(TWinControl& parent, const F& f) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    if (!c->Visible()) continue;
    f(*c);
    if (auto* win = dynamic_cast<TWinControl*>(c)) ForEachShowing(*win, f);
  }
}

TButton* FindButton(TForm& form, const std::string& caption) {
  TButton* found = nullptr;
  ForEachShowing(form, [&](TControl& c) {
    auto* b = dynamic_cast<TButton*>(&c);
    if (found == nullptr && b != nullptr && SameButtonCaption(b->Caption(), caption)) found = b;
  });
  return found;
}

TButton* DefaultButton(TForm& form) {
  TButton* by_default = nullptr;
  TButton* by_cancel = nullptr;
  ForEachShowing(form, [&](TControl& c) {
    auto* b = dynamic_cast<TButton*>(&c);
    if (b == nullptr || !b->Enabled()) return;
    if (by_default == nullptr && b->Default()) by_default = b;
    if (by_cancel == nullptr && b->Cancel()) by_cancel = b;
  });
  return by_default != nullptr ? by_default : by_cancel;
}

std::string ReadFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

THeadlessBackend* Backend() {
  return dynamic_cast<THeadlessBackend*>(&Application().Ui());
}

THeadlessBackend::THeadlessBackend() : failure_(DefaultFailure) {
  if (const char* path = std::getenv("VANTOREL_TRANSCRIPT"); path != nullptr && *path != '\0')
    transcript_path_ = path;
  if (const char* path = std::getenv("VANTOREL_ANSWERS"); path != nullptr && *path != '\0') {
    bool ok = false;
    std::string text = ReadFile(path, ok);
    if (!ok) {
      Fail(Format("cannot read the answer script %s", path));
    } else {
      try {
        answers_ = ParseAnswers(text, path);
      } catch (const Exception& e) {
        Fail(e.Message());
      }
    }
  }
}

THeadlessBackend::~THeadlessBackend() = default;

void THeadlessBackend::SetAnswers(std::string_view script, const std::string& source) {
  answers_ = ParseAnswers(script, source);
  next_answer_ = 0;
}

int THeadlessBackend::UnusedAnswers() const {
  return static_cast<int>(answers_.size() - next_answer_);
}

void THeadlessBackend::SetTranscriptFile(const std::string& path) {
  transcript_path_ = path;
}

const TAnswer* THeadlessBackend::NextAnswerFor(const std::string& caption) {
  if (next_answer_ >= answers_.size()) return nullptr;
  const TAnswer& answer = answers_[next_answer_];
  return GlobMatch(answer.caption_glob, caption) ? &answer : nullptr;
}

void THeadlessBackend::Write(const std::string& block) {
  transcript_ += block;
  if (transcript_path_.empty()) return;
  std::ofstream out(transcript_path_, std::ios::binary | std::ios::app);
  out << block;
}

bool THeadlessBackend::WaitFor(const TAnswer& answer, std::string& block) {
  if (answer.wait_for.empty()) return true;
  Write(block + "  waiting " + QuoteTranscript(answer.wait_for) + "\n");
  block.clear();
  constexpr uint32_t kPollMs = 50;
  const int64_t polls = static_cast<int64_t>(answer.wait_seconds) * 1000 / kPollMs;
  for (int64_t i = 0; !platform::FileExists(answer.wait_for); ++i) {
    if (i >= polls) {
      // The block stays open in the file; close it so that the transcript still reads back.
      Write("end\n");
      Fail(Format("answer line %d: waited %d seconds for %s", answer.line, answer.wait_seconds,
                  answer.wait_for));
      return false;
    }
    platform::SleepMs(kPollMs);
  }
  return true;
}

void THeadlessBackend::Note(const std::string& text) {
  Write("note " + QuoteTranscript(text) + "\n");
}

void THeadlessBackend::Fail(const std::string& message) {
  Write("failure " + QuoteTranscript(message) + "\n");
  if (failure_) failure_(message);
}

std::string THeadlessBackend::DescribeForm(TForm& form, const std::string& mode) {
  std::string out = "form " + QuoteTranscript(form.Caption()) + " " + mode + "\n";
  ForEachShowing(form, [&](TControl& c) {
    TControlDescription d = c.Describe();
    if (d.keyword.empty()) return;
    out += "  " + d.keyword + " " + QuoteTranscript(d.text);
    for (const auto& flag : d.flags) out += " " + flag;
    out += "\n";
  });
  return out;
}

void THeadlessBackend::Activate(TForm* form) {
  if (form == active_) return;
  TForm* previous = active_;
  active_ = form;
  if (previous != nullptr) Application().Dispatch(previous, [&] { previous->SetActive(false); });
  if (form != nullptr) Application().Dispatch(form, [&] { form->SetActive(true); });
}

void THeadlessBackend::ShowForm(TForm& form) {
  if (std::find(shown_.begin(), shown_.end(), &form) == shown_.end()) {
    shown_.push_back(&form);
    std::string block = DescribeForm(form, &form == Application().MainForm() ? "main" : "shown");
    std::erase_if(written_, [&](const auto& w) { return w.first == &form; });
    written_.emplace_back(&form, block);
    Write(block + "end\n");
  }
  Activate(&form);
}

void THeadlessBackend::Repaint(TControl& control) {
  TForm* form = control.ParentForm();
  if (form == nullptr || form->Modal() || form == Application().MainForm()) return;
  if (std::find(shown_.begin(), shown_.end(), form) == shown_.end()) return;
  std::string block = DescribeForm(*form, "shown");
  auto it = std::find_if(written_.begin(), written_.end(),
                         [&](const auto& w) { return w.first == form; });
  if (it != written_.end() && it->second == block) return;
  if (it == written_.end())
    written_.emplace_back(form, block);
  else
    it->second = block;
  Write(block + "end\n");
}

void THeadlessBackend::MeasureText(const TFont& font, const std::string& text, int& width,
                                   int& height) {
  const int pixels = font.Height() < 0 ? -font.Height() : font.Height() * 3 / 4;
  width = static_cast<int>(text.size()) * pixels * 5 / 12;
  height = pixels + 2;
}

void THeadlessBackend::HideForm(TForm& form) {
  std::erase_if(written_, [&](const auto& w) { return w.first == &form; });
  auto it = std::find(shown_.begin(), shown_.end(), &form);
  if (it == shown_.end()) return;
  shown_.erase(it);
  if (active_ != &form) return;
  // The window below becomes active again, as it would on the screen.
  TForm* next = shown_.empty() || Application().Terminated() ? nullptr : shown_.back();
  Activate(next);
}

void THeadlessBackend::ControlDestroying(TControl& control) {
  std::erase_if(written_, [&](const auto& w) { return w.first == &control; });
  auto it = std::find(shown_.begin(), shown_.end(), &control);
  if (it != shown_.end()) shown_.erase(it);
  if (active_ == &control) active_ = nullptr;
}

void THeadlessBackend::Answer(TForm& form, const std::string& mode) {
  std::string block = DescribeForm(form, mode);
  TButton* button = nullptr;
  if (const TAnswer* answer = NextAnswerFor(form.Caption())) {
    ++next_answer_;
    button = FindButton(form, answer->button);
    std::string problem;
    if (button == nullptr)
      problem = "has no button";
    else if (!button->Enabled())
      problem = "has a disabled button";
    if (!problem.empty()) {
      Write(block + "end\n");
      Fail(Format("answer line %d: the form \"%s\" %s \"%s\"", answer->line, form.Caption(),
                  problem, answer->button));
      button = DefaultButton(form);
      block = DescribeForm(form, mode);
    } else if (!WaitFor(*answer, block)) {
      button = DefaultButton(form);
      block = DescribeForm(form, mode);
    }
  } else {
    button = DefaultButton(form);
  }
  if (button == nullptr) {
    Write(block + "  closed\nend\n");
    form.Close();
    return;
  }
  Write(block + "  pressed " + QuoteTranscript(button->Caption()) + "\nend\n");
  Application().Dispatch(button, [&] { button->Click(); });
}

int THeadlessBackend::ShowModal(TForm& form) {
  shown_.push_back(&form);
  TForm* previous = active_;
  Activate(&form);
  int answers = 0;
  while (true) {
    if (Application().Terminated()) {
      form.SetModalResult(mrCancel);
      break;
    }
    if (form.ModalResult() != mrNone) {
      if (form.CloseModal()) break;
      continue;
    }
    if (++answers > kMaxAnswersPerWindow) {
      Fail(Format("the form \"%s\" did not close after %d answers", form.Caption(),
                  kMaxAnswersPerWindow));
      form.SetModalResult(mrCancel);
      break;
    }
    Answer(form, "modal");
  }
  Write("result " + QuoteTranscript(form.Caption()) + " " + std::to_string(form.ModalResult()) +
        "\n");
  (void)previous;
  return form.ModalResult();
}

int THeadlessBackend::MessageBox(const std::string& text, const std::string& caption,
                                 unsigned flags) {
  struct Choice {
    const char* name;
    int id;
  };
  std::vector<Choice> buttons;
  switch (flags & 0xF) {
    case MB_OKCANCEL:
      buttons = {{"OK", IDOK}, {"Cancel", IDCANCEL}};
      break;
    case MB_ABORTRETRYIGNORE:
      buttons = {{"Abort", IDABORT}, {"Retry", IDRETRY}, {"Ignore", IDIGNORE}};
      break;
    case MB_YESNOCANCEL:
      buttons = {{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}};
      break;
    case MB_YESNO:
      buttons = {{"Yes", IDYES}, {"No", IDNO}};
      break;
    case MB_RETRYCANCEL:
      buttons = {{"Retry", IDRETRY}, {"Cancel", IDCANCEL}};
      break;
    default:
      buttons = {{"OK", IDOK}};
  }
  size_t default_index = std::min<size_t>((flags >> 8) & 0xF, buttons.size() - 1);
  const char* icon = "none";
  switch (flags & 0xF0) {
    case MB_ICONERROR:
      icon = "error";
      break;
    case MB_ICONQUESTION:
      icon = "question";
      break;
    case MB_ICONWARNING:
      icon = "warning";
      break;
    case MB_ICONINFORMATION:
      icon = "information";
      break;
  }
  std::string head = "message " + QuoteTranscript(caption) + " " + icon + "\n";
  head += "  text " + QuoteTranscript(text) + "\n";
  for (size_t i = 0; i < buttons.size(); ++i)
    head +=
        "  button " + QuoteTranscript(buttons[i].name) + (i == default_index ? " default\n" : "\n");
  std::string block = head;

  size_t chosen = default_index;
  if (const TAnswer* answer = NextAnswerFor(caption)) {
    ++next_answer_;
    auto it = std::find_if(buttons.begin(), buttons.end(), [&](const Choice& c) {
      return SameButtonCaption(c.name, answer->button);
    });
    if (it == buttons.end()) {
      Write(block + "end\n");
      Fail(Format("answer line %d: the message box \"%s\" has no button \"%s\"", answer->line,
                  caption, answer->button));
    } else if (WaitFor(*answer, block)) {
      chosen = static_cast<size_t>(it - buttons.begin());
    } else {
      block = head;
    }
  }
  block += "  pressed " + QuoteTranscript(buttons[chosen].name) + "\n";
  block += "  result " + std::to_string(buttons[chosen].id) + "\nend\n";
  Write(block);
  return buttons[chosen].id;
}

void THeadlessBackend::ProcessMessages(TApplication& app) {
  // Only modeless windows: modal ones are answered by their own loop, the main form when idle.
  for (auto it = shown_.rbegin(); it != shown_.rend(); ++it) {
    TForm* form = *it;
    if (form == app.MainForm() || form->Modal()) continue;
    if (NextAnswerFor(form->Caption()) != nullptr) {
      Answer(*form, "shown");
      return;
    }
  }
}

void THeadlessBackend::Run(TApplication& app) {
  if (TForm* main = app.MainForm(); main != nullptr && !main->Visible() && !app.Terminated())
    main->Show();
  int answers = 0;
  while (!app.Terminated()) {
    TForm* main = app.MainForm();
    if (main == nullptr || !main->Visible()) break;
    // Nothing else happens without a user: the script may press a button of the main form;
    // otherwise the user closes it.
    if (++answers > kMaxAnswersPerWindow) {
      Fail(Format("the main form \"%s\" did not close after %d answers", main->Caption(),
                  kMaxAnswersPerWindow));
      app.Terminate();
      break;
    }
    if (NextAnswerFor(main->Caption()) != nullptr) {
      Answer(*main, "main");
    } else {
      Write(DescribeForm(*main, "main") + "  closed\nend\n");
      main->Close();
    }
  }
}

}  // namespace headless
}  // namespace vantorel
