// vantorel: the builder front end. Each subcommand is one entry of the table below.
#include <cstdio>
#include <string>

#include "apps/vantorel/commands.h"
#include "archive_commands.h"
#include "framework/application.h"

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
int Program(const Args& args);
int Build(const Args& args) {
  return BuildCommand(args, stdout, stderr);
}
int List(const Args& args) {
  return cli::ListArchive(args, stdout, stderr);
}
int Extract(const Args& args) {
  return cli::ExtractArchive(args, stdout, stderr);
}

const Command kCommands[] = {
    {"check", "check FORM", "read a project form and print its component tree", Check},
    {"program", "program FORM -o PROGRAM", "attach a project form to the install program", Program},
    {"build", "build FORM -o DIR", "build the distribution of a project (--self-extracting)",
     Build},
    {"list", "list ARCHIVE", "list the files of an archive (--offset N, --setup)", List},
    {"extract", "extract ARCHIVE -C DIR",
     "extract its files, or the NAMES given (--offset N, --setup, --overwrite RULE)", Extract},
    {"help", "help", "show this help", Help},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: vantorel COMMAND [ARGUMENTS]\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-26s %s\n", c.usage, c.summary);
  std::fprintf(out,
               "\nexit codes:\n"
               "  0  success\n"
               "  1  the form has errors (printed as FILE:LINE: message), or has no TInstall\n"
               "  2  usage error\n"
               "  3  the command failed: a file could not be read or written, the engine is not\n"
               "     the install program, an archive cannot be read, or a file of it cannot be\n"
               "     extracted, or a build failed (the engine's message says why)\n"
               "\nprogram options:\n"
               "  --engine ENGINE  the install program to attach the form to (default: the\n"
               "                   vtsetup.exe beside this program); -o must name another file\n"
               "\nbuild options:\n"
               "  -o DIR             the distribution folder (created)\n"
               "  --self-extracting  join setup.exe, setup.1 and files.1 into one setup.exe\n"
               "  --library DIR      where VantorelLoadProgram.exe is taken from (default: beside\n"
               "                     this program, else the win64 build tree's apps folder)\n"
               "  --engine ENGINE    the install program the form is attached to (as program)\n"
               "  --program PROGRAM  an install program that already carries the form, packed\n"
               "                     as it is (its name and date kept)\n"
               "  --jobs N           deflate on N threads (default: one per core); the\n"
               "                     distribution is the same for every N\n"
               "  --deflate WHICH    zlib: the bytes the install program's own build (-b)\n"
               "                     makes; libdeflate (the default where this program has\n"
               "                     it): faster and smaller, other bytes\n");
}

int Help(const Args&) {
  PrintUsage(stdout);
  return kExitOk;
}

int Check(const Args& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "vantorel: check needs one form file\n\n");
    PrintUsage(stderr);
    return kExitUsage;
  }
  return CheckCommand(args, stdout, stderr);
}

int Program(const Args& args) {
  return ProgramCommand(args, stdout, stderr);
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
