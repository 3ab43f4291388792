// vantorel program FORM -o PROGRAM [--engine ENGINE]: an install program is the engine with the
// project form attached.
#include <cstdio>
#include <memory>

#include "apps/vantorel/commands.h"
#include "framework/streaming.h"
#include "install/attached_form.h"
#include "platform/files.h"
#include "routines/strings.h"

namespace vantorel {

namespace {

// The engine beside this program: the Windows one when it is there, else the native one.
std::string DefaultEngine() {
  std::string dir = AddBackslash(ExtractFileDir(platform::GetModuleFileName()));
  for (const char* name : {"vtsetup.exe", "vtsetup"})
    if (platform::FileExists(dir + name)) return dir + name;
  return dir + "vtsetup.exe";
}

}  // namespace

int ProgramCommand(const Args& args) {
  std::string form_path, output, engine;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "-o" || args[i] == "--engine") && i + 1 < args.size()) {
      (args[i] == "-o" ? output : engine) = args[i + 1];
      ++i;
    } else if (form_path.empty() && !args[i].empty() && args[i][0] != '-') {
      form_path = args[i];
    } else {
      std::fprintf(stderr, "vantorel: program: unexpected argument '%s'\n", args[i].c_str());
      return kExitUsage;
    }
  }
  if (form_path.empty() || output.empty()) {
    std::fprintf(stderr, "usage: vantorel program FORM -o PROGRAM [--engine ENGINE]\n");
    return kExitUsage;
  }
  if (engine.empty()) engine = DefaultEngine();

  std::string text;
  if (!ReadTextFile(form_path, text)) {
    std::fprintf(stderr, "%s: cannot read the file\n", form_path.c_str());
    return kExitFormErrors;
  }
  try {
    // The form must load before it is shipped; design mode needs no event handlers.
    TReadOptions options;
    options.source_name = form_path;
    options.design_mode = true;
    ReadForm(text, options).reset();
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return kExitFormErrors;
  }
  try {
    AttachForm(engine, text, output);
  } catch (const Exception& e) {
    std::fprintf(stderr, "vantorel: program: %s\n", e.Message().c_str());
    return kExitFailed;
  }
  std::printf("%s: %s with the form %s\n", output.c_str(), ExtractFileName(engine).c_str(),
              form_path.c_str());
  return kExitOk;
}

}  // namespace vantorel
