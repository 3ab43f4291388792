// vantorel: the builder front end. Each subcommand is one entry of the table below.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "apps/vantorel/commands.h"
#include "archive_commands.h"
#include "framework/application.h"
#include "framework/streaming.h"
#include "platform/files.h"

namespace vantorel {
namespace {

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(const Args& args);
};

int Help(const Args& args);
int Check(const Args& args);
int List(const Args& args) {
  return cli::ListArchive(args, stdout, stderr);
}
int Extract(const Args& args) {
  return cli::ExtractArchive(args, stdout, stderr);
}

const Command kCommands[] = {
    {"check", "check FORM", "read a project form and print its component tree", Check},
    {"program", "program FORM -o PROGRAM", "attach a project form to the install program",
     ProgramCommand},
    {"list", "list ARCHIVE", "list the files of an archive (--offset N, --setup)", List},
    {"extract", "extract ARCHIVE -C DIR",
     "extract its files, or the NAMES given (--offset N, --setup, --overwrite RULE)", Extract},
    {"help", "help", "show this help", Help},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: vantorel COMMAND [ARGUMENTS]\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-26s %s\n", c.usage, c.summary);
  std::fprintf(
      out,
      "\nexit codes:\n"
      "  0  success\n"
      "  1  the form has errors (printed as FILE:LINE: message)\n"
      "  2  usage error\n"
      "  3  the command failed: a file could not be read or written, an archive\n"
      "     cannot be read, or a file of it cannot be extracted\n"
      "\nprogram options:\n"
      "  --engine ENGINE  the install program to attach the form to (default: vtsetup.exe,\n"
      "                   else vtsetup, beside this program)\n");
}

int Help(const Args&) {
  PrintUsage(stdout);
  return kExitOk;
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& text) {
  // Only a file on a disk: /dev/zero would be read until memory ran out, a FIFO would block.
  platform::File in = platform::File::OpenRegular(path, platform::Access::Read,
                                                  platform::kShareRead | platform::kShareWrite);
  const int64_t size = in.IsOpen() ? in.Size() : -1;
  if (size < 0) return false;
  text.resize(static_cast<size_t>(size));
  const int64_t n = in.Read(text.data(), text.size());
  if (n < 0) return false;
  text.resize(static_cast<size_t>(n));
  return true;
}

namespace {

struct SetProperty {
  std::string name;
  std::string value;
};

// The component a component is nested in when printed: its parent when that belongs to the form.
TComponent* PrintParent(TComponent& root, TComponent& c) {
  TComponent* parent = c.GetParentComponent();
  if (parent == nullptr || parent == &c) return &root;
  if (parent != &root && parent->Owner() != &root) return &root;
  return parent;
}

void PrintTree(TComponent& root, TComponent& c, int level,
               const std::map<TComponent*, std::vector<SetProperty>>& props) {
  std::string indent(static_cast<size_t>(level) * 2, ' ');
  std::printf("%s%s: %s\n", indent.c_str(), c.Name().empty() ? "(unnamed)" : c.Name().c_str(),
              c.ClassName().c_str());
  if (auto it = props.find(&c); it != props.end())
    for (const auto& p : it->second)
      std::printf("%s  %s = %s\n", indent.c_str(), p.name.c_str(), p.value.c_str());
  if (level > kMaxFormNesting) return;
  for (int i = 0; i < root.ComponentCount(); ++i) {
    TComponent* child = root.Components(i);
    if (child != &c && PrintParent(root, *child) == &c) PrintTree(root, *child, level + 1, props);
  }
}

int Check(const Args& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "vantorel: check needs one form file\n\n");
    PrintUsage(stderr);
    return kExitUsage;
  }
  const std::string& path = args[0];
  std::string text;
  if (!ReadTextFile(path, text)) {
    std::fprintf(stderr, "%s: cannot read the file\n", path.c_str());
    return kExitFormErrors;
  }
  std::map<TComponent*, std::vector<SetProperty>> props;
  TReadOptions options;
  options.source_name = path;
  options.design_mode = true;
  options.on_property = [&](TComponent& c, const std::string& name, const std::string& value, int) {
    props[&c].push_back({name, value});
  };
  try {
    std::unique_ptr<TComponent> root = ReadForm(text, options);
    PrintTree(*root, *root, 0, props);
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return kExitFormErrors;
  }
  return kExitOk;
}

int Main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  std::string command = args[0];
  if (command == "--help" || command == "-h") return Help({});
  for (const Command& c : kCommands)
    if (command == c.name) return c.run(Args(args.begin() + 1, args.end()));
  std::fprintf(stderr, "vantorel: unknown command '%s'\n\n", command.c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) {
  return vantorel::Main(argc, argv);
}
