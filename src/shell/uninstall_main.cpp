#include "shell/uninstall_main.h"

#include <algorithm>

#include "framework/application.h"
#include "framework/headless/headless.h"
#include "platform/files.h"
#include "platform/temp_copy.h"
#include "routines/strings.h"
#include "shell/uninstall_exe.h"
#include "shell/uninstaller.h"

namespace vantorel {

namespace {

constexpr char kCaption[] = "Uninstall";
// The original ends as soon as it has the status; this is only a bound for a hung one.
constexpr uint32_t kOriginalEndTimeoutMs = 30000;

// Built by appending: GCC 12 warns falsely about "\"" + a string.
std::string Quoted(const std::string& s) {
  std::string quoted(1, '"');
  return quoted.append(s).append(1, '"');
}

// One line per item, at most a screenful.
std::string List(const std::vector<std::string>& items) {
  std::string text;
  size_t shown = 0;
  for (const std::string& item : items) {
    if (++shown > 15) {
      text += "\n... and " + std::to_string(items.size() - 15) + " more";
      break;
    }
    text += "\n" + item;
  }
  return text;
}

class Session {
 public:
  explicit Session(bool silent) : silent_(silent) {}

  void Error(const std::string& text) {
    if (!silent_) Application().MessageBox(text, kCaption, MB_OK | MB_ICONERROR);
  }
  void Inform(const std::string& text) {
    if (!silent_) Application().MessageBox(text, kCaption, MB_OK | MB_ICONINFORMATION);
  }
  bool Confirm(const std::string& text) {
    return silent_ || Application().MessageBox(text, kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }

 private:
  bool silent_;
};

void NoteInTranscript(const std::string& text) {
  if (headless::THeadlessBackend* backend = headless::Backend()) backend->Note(text);
}

}  // namespace

TUninstallCommandLine ParseUninstallCommandLine(const std::vector<std::string>& args) {
  TUninstallCommandLine line;
  size_t i = 0;
  for (; i < args.size() && SameText(args[i], kSilentSwitch); ++i) line.silent = true;
  for (; i < args.size(); ++i) {
    if (!line.product_name.empty()) line.product_name += ' ';
    line.product_name += args[i];
  }
  line.product_name = Trim(line.product_name);
  return line;
}

int RunUninstall(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && platform::IsHandOverArgument(args[0])) {
    std::string hand_over = args[0], original = args.size() > 1 ? args[1] : "";
    args.erase(args.begin(), args.begin() + std::min<size_t>(args.size(), 2));
    return Uninstall(args, hand_over, original);
  }
  const std::string program = platform::GetModuleFileName();
  std::string arguments = Quoted(program);
  for (const std::string& a : args) arguments.append(" ").append(Quoted(a));
  uint32_t status = 0;
  if (platform::RunTemporaryCopy(arguments, status)) return static_cast<int>(status);
  // No copy could run: the work is done from here, and this file goes at the next restart.
  return Uninstall(args, "", program);
}

int Uninstall(const std::vector<std::string>& args, const std::string& hand_over,
              const std::string& original) {
  TUninstallCommandLine line = ParseUninstallCommandLine(args);
  Session session(line.silent);
  Application().SetTitle(kCaption);
  if (line.product_name.empty()) {
    session.Error(
        "Which product is to be removed? Start uninstall.exe with the product's name:\n\n"
        "uninstall.exe [/S] <product name>\n\n"
        "The name is that of the product's key under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\"
        "Windows\\CurrentVersion\\Uninstall; /S removes it without asking.");
    return kUninstallFailed;
  }
  TUninstaller uninstaller(line.product_name);
  if (!uninstaller.Installed()) {
    session.Error(line.product_name +
                  " is not installed on this computer: there is no uninstall key "
                  "HKEY_LOCAL_MACHINE" +
                  uninstaller.Key() + ".");
    return kUninstallFailed;
  }
  const std::string name = uninstaller.DisplayName();
  if (!session.Confirm("Do you want to remove " + name +
                       " and all of its components from your computer?"))
    return kUninstallCancelled;

  uninstaller.OnSkipped = NoteInTranscript;
  TUninstallReport report = uninstaller.Run();
  if (!report.failures.empty()) {
    // uninstall.exe stays with the records of what remains, for another run.
    session.Error(name +
                  " could not be removed completely. These items remain:" + List(report.failures));
    return kUninstallFailed;
  }

  // Only the uninstaller's own program file goes with it; a renamed or borrowed program stays.
  const bool own_file = SameText(ExtractFileName(original), kUninstallProgram);
  const bool in_place = hand_over.empty();
  int status = report.restart_needed ? kRemovedAtRestart : kRemoved;
  if (in_place && own_file) {
    // Running from its own file, the program can only have it deleted at the next restart.
    TUninstallReport own;
    uninstaller.RemoveFile(original, own);
    if (own.restart_needed) status = kRemovedAtRestart;
  }
  std::string text = name + " was removed from your computer.";
  if (status == kRemovedAtRestart)
    text += " Some of its files were in use: they will be deleted when Windows restarts.";
  // A user without a transcript learns here what was left alone.
  if (!report.skipped.empty())
    text += "\n\nThese records were damaged and are skipped:" + List(report.skipped);
  session.Inform(text);
  if (!in_place && own_file &&
      platform::ReleaseOriginal(hand_over, static_cast<uint32_t>(status), kOriginalEndTimeoutMs)) {
    TUninstallReport own;
    uninstaller.RemoveFile(original, own);
  }
  return status;
}

}  // namespace vantorel
