#pragma once
// The headless user interface: forms live only as the in-memory control tree; modal forms and
// message boxes are answered from an answer script and everything shown is written to a
// transcript. Used by tests, by the posix build, and by unattended runs (VANTOREL_UI=headless).
//
// Answer script (VANTOREL_ANSWERS names the file), one answer per line, used in order:
//
//   # comment; blank lines are ignored
//   Welcome*: Next          press "Next" on the next form or message box captioned "Welcome..."
//   Error: OK
//   @wait 60 Z:\tmp\disk2.ready
//   Setup: OK               pressed only once that file exists
//
// `<caption glob>: <button caption>`: the glob matches the caption of the window without regard
// to case (`*` any text, `?` one character); the last ": " separates it from the button. The
// button caption is compared without regard to case and without the "&" of accelerator keys.
// Each modal form and message box takes the next unused answer when its glob matches;
// otherwise (or when the script is used up) its default button is pressed: a form's enabled
// Default button, else its enabled Cancel button, else the form is closed (mrCancel); a message
// box's default button (MB_DEFBUTTON1..3). The main form, when the loop has nothing left to do
// and the application was not terminated, takes a matching answer too, else it is closed. A
// form shown modelessly (a progress window) takes the next answer when it matches at a
// ProcessMessages call: that is how a script presses Cancel during a long operation.
// An answer naming a button that the window does not have (or that is hidden or disabled) is a
// deterministic failure: it is written to the transcript and to stderr and the program ends
// with exit code kAnswerScriptFailure (tests may install their own failure handler).
//
// `@wait [<seconds>] <path>` holds the next answer back until the file exists (the path as
// this program sees it; <seconds> bounds the wait, 300 when left out; a path that starts with a
// number needs the bound written). The window is written to the transcript at once, with a
// `waiting "<path>"` line, so that a script watching the transcript can act on what is shown
// (swap a disk) and then create the file. A wait that runs out is an answer-script failure.
// The wait belongs to the answer after it, whichever window takes that answer.
//
// Transcript (VANTOREL_TRANSCRIPT names the file; appended): one block per window shown or
// answered, in the order it happened, e.g.
//
//   form "Welcome" modal
//     label "Welcome to the installation."
//     edit "C:\\Program Files\\My"
//     button "&Next >" default
//     button "Cancel" cancel disabled
//     pressed "&Next >"
//   end
//   message "Setup" error
//     text "The disk is full."
//     button "OK" default
//     pressed "OK"
//     result 1
//   end
//   result "Welcome" 1
//
// A block starts with `form "<caption>" <mode>` (mode: main, shown, modal) or
// `message "<caption>" <icon>` (icon: none, error, question, warning, information) and ends
// with `end`. Inside, one line per visible control in the order of the control tree (`label`,
// `panel`, `edit`, `button` with the flags default, cancel, disabled), then what happened:
// `waiting "<path>"` (an answer held back, see above), then
// `pressed "<button>"` or `closed` (closed without a button). A modal form's block is written
// before its button is pressed (what the press shows comes after it); when the form ends,
// `result "<caption>" <modal result>` follows on a line of its own. A message box's block holds
// its own `result <id>`. `failure "<message>"` records an answer-script failure, and
// `note "<text>"` something the program did without showing it (Note).
// Strings are in double quotes with \" \\ \r \n \t and \xHH escapes. ParseTranscript
// reads it back and gives each form entry the result that ended it.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/ui_backend.h"

namespace vantorel::headless {

inline constexpr int kAnswerScriptFailure = 97;

inline constexpr int kDefaultWaitSeconds = 300;

struct TAnswer {
  std::string caption_glob;
  std::string button;
  int line = 0;
  std::string wait_for;  // "" answers at once
  int wait_seconds = kDefaultWaitSeconds;
};

// Parses an answer script; raises Exception naming the source and line of a malformed line.
std::vector<TAnswer> ParseAnswers(std::string_view text, const std::string& source);
// Glob match without regard to case; `*` any run of characters, `?` one.
bool GlobMatch(std::string_view glob, std::string_view text);
// Whether an answer names the button with this caption: case ignored, the caption's "&"
// accelerator marks dropped (the answer may keep them).
bool SameButtonCaption(std::string_view caption, std::string_view answer);

struct TTranscriptLine {
  std::string keyword;             // label, panel, edit, button, text, waiting, pressed, ...
  std::string text;                // the quoted argument, or the number of `result`
  std::vector<std::string> flags;  // button: default, cancel, disabled
  bool Has(std::string_view flag) const;
};

struct TTranscriptEntry {
  std::string kind;     // form, message, failure or note
  std::string caption;  // the window's caption (failure: the message; note: the text)
  std::string mode;     // form: main, shown, modal; message: the icon
  std::vector<TTranscriptLine> lines;
  int result = 0;  // the modal result or button id that ended the window; 0: none

  // The texts shown (every line that is not a button or an outcome), in order.
  std::vector<std::string> Texts() const;
  std::vector<const TTranscriptLine*> Buttons() const;
  std::string Pressed() const;  // "" when no button was pressed
  bool Closed() const;          // closed without a button
};

// A string as the transcript quotes it.
std::string QuoteTranscript(std::string_view text);

// Parses a transcript; raises Exception on a malformed line.
std::vector<TTranscriptEntry> ParseTranscript(std::string_view text);

class THeadlessBackend : public TUiBackend {
 public:
  using FailureHandler = std::function<void(const std::string& message)>;

  // Takes the answer script and transcript file from VANTOREL_ANSWERS / VANTOREL_TRANSCRIPT.
  THeadlessBackend();
  ~THeadlessBackend() override;

  // Replaces the answers still unused.
  void SetAnswers(std::string_view script, const std::string& source = "answers");
  int UnusedAnswers() const;
  // "" writes no transcript file; the transcript is always kept in memory as well.
  void SetTranscriptFile(const std::string& path);
  const std::string& Transcript() const { return transcript_; }
  // Writes a line of the program's own: what it skipped or decided without a window.
  void Note(const std::string& text);
  void ClearTranscript() { transcript_.clear(); }
  // Called with the message of an answer-script failure; the default writes it to stderr and
  // ends the program with kAnswerScriptFailure. A handler that returns lets the window take
  // its default action.
  void SetFailureHandler(FailureHandler handler) { failure_ = std::move(handler); }
  // Forms shown and not hidden, in the order they were shown.
  const std::vector<TForm*>& ShownForms() const { return shown_; }
  int CurrentCursor() const { return cursor_; }

  const char* Name() const override { return "headless"; }
  bool IsHeadless() const override { return true; }
  void ShowForm(TForm& form) override;
  void HideForm(TForm& form) override;
  int ShowModal(TForm& form) override;
  void ControlChanged(TControl&) override {}
  void ControlDestroying(TControl& control) override;
  // A modeless window that shows something new since it was last written is written again
  // (a status window's next message, a progress window's next file).
  void Repaint(TControl& control) override;
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  void Run(TApplication& app) override;
  void ProcessMessages(TApplication& app) override;
  void Terminate() override {}
  void CursorChanged(int cursor) override { cursor_ = cursor; }
  // Without a screen: an average character width of five twelfths of the font's height, the
  // proportion of the dialogs' 8-point fonts.
  void MeasureText(const TFont& font, const std::string& text, int& width, int& height) override;

 private:
  const TAnswer* NextAnswerFor(const std::string& caption);
  void Write(const std::string& block);
  // Holds an answer with a wait back until its file exists: the window's block so far is
  // written at once and `block` is emptied. False when the wait ran out (already reported).
  bool WaitFor(const TAnswer& answer, std::string& block);
  void Fail(const std::string& message);
  std::string DescribeForm(TForm& form, const std::string& mode);
  // Presses the answered or the default button of a form, or closes it when it has none.
  void Answer(TForm& form, const std::string& mode);
  void Activate(TForm* form);

  std::vector<TAnswer> answers_;
  size_t next_answer_ = 0;
  std::string transcript_path_;
  std::string transcript_;
  FailureHandler failure_;
  std::vector<TForm*> shown_;
  std::vector<std::pair<TForm*, std::string>> written_;  // what each shown form showed last
  TForm* active_ = nullptr;
  int cursor_ = 0;
};

// The application's backend when it is headless, else nullptr.
THeadlessBackend* Backend();

}  // namespace vantorel::headless
