#include "apps/bench/projects.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace vantorel::bench {
namespace fs = std::filesystem;
namespace {

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

// The symbolic path objects every project carries.
constexpr const char* kPathObjects[] = {
    "psBDEDLL: TpsBDEDLL",
    "psCommonFiles: TpsCommonFiles",
    "psContainerArchiveFile: TpsContainerArchiveFile",
    "psContainerDestDir: TpsContainerDestDir",
    "psDesktopMenu: TpsDesktopMenu",
    "psInstallSource: TpsInstallSource",
    "psMainInstall: TpsMainInstall",
    "psProgramFiles: TpsProgramFiles",
    "psProgramMenu: TpsProgramMenu",
    "psStartMenu: TpsStartMenu",
    "psStartupMenu: TpsStartupMenu",
    "psSystem: TpsSystem",
    "psMainArchiveFile: TpsMainArchiveFile",
    "psWindow: TpsWindow",
};

}  // namespace

void WriteProjectForm(const Corpus& corpus, size_t count, const std::string& include_dir,
                      const std::string& folder, const fs::path& form) {
  std::ofstream out(form, std::ios::trunc);
  out << "object Form1: TForm1\n"
         "  Left = 192\n  Top = 107\n  Width = 640\n  Height = 480\n"
         "  Caption = 'Benchmark setup'\n  PixelsPerInch = 96\n  TextHeight = 13\n"
         "  object Install1: TInstall\n"
         "    DestDir = "
      << Quoted("\\" + folder)
      << "\n"
         "    DestDirType = psProgramFiles\n"
         "    GroupName = 'Main'\n"
         "    Information.CompanyName = 'Benchmark'\n"
         "    Information.ProductName = "
      << Quoted(folder)
      << "\n"
         "    Information.Version = '1.0'\n"
         "    UseLoadingProgram = True\n"
         "  end\n"
         "  object Files: TInstallFileGroup\n"
         "    Container = Install1\n"
         "    DestDirType = psContainerDestDir\n"
         "    ArchiveFileType = psContainerArchiveFile\n"
         "    GroupName = 'Files'\n"
         "  end\n";
  const std::string dir = Quoted(include_dir);
  count = std::min(count, corpus.files.size());
  for (size_t i = 0; i < count; ++i) {
    out << "  object File" << i
        << ": TInstallFile\n"
           "    Container = Files\n"
           "    DestDirType = psContainerDestDir\n"
           "    ArchiveFileType = psContainerArchiveFile\n"
           "    FileName = "
        << Quoted(corpus.files[i].name) << "\n    IncludeFromDir = " << dir
        << "\n    UniqueID = " << i << "\n  end\n";
  }
  for (const char* object : kPathObjects) out << "  object " << object << "\n  end\n";
  out << "end\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + form.string());
}

void WriteNsisScript(const Corpus& corpus, const std::string& folder, const fs::path& installer,
                     const fs::path& script) {
  std::ofstream out(script, std::ios::trunc);
  out << "Unicode true\n"
         "Target amd64-unicode\n"
         "SetCompressor zlib\n"
         "Name \""
      << folder << "\"\nOutFile \"" << fs::absolute(installer).string()
      << "\"\n"
         "InstallDir \"$PROGRAMFILES64\\"
      << folder
      << "\"\n"
         "RequestExecutionLevel admin\n"
         "Section\n"
         "  SetOutPath \"$INSTDIR\"\n";
  for (const CorpusFile& f : corpus.files) {
    out << "  File \"" << fs::absolute(corpus.Path(f)).string() << "\"\n";
  }
  out << "SectionEnd\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + script.string());
}

}  // namespace vantorel::bench
