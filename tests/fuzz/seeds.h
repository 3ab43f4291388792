#pragma once
// The seed inputs of the harnesses: valid archives, self-extracting files, forms, PE files with
// version resources, version blocks, remote file lists and language texts, each made by the code
// that makes them for real (the archive engine, the form writer, the step that attaches a form, the
// build that carries the language texts) or, for PE files, the test libraries that the build
// compiles.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vantorel::fuzz {

// Every harness, by the name its program and folders carry.
inline const char* const kHarnesses[] = {"archive",       "trailer",   "form",    "pe_version",
                                         "version_block", "file_list", "language"};

struct Seed {
  std::string name;
  std::vector<uint8_t> bytes;
};

struct SeedSources {
  std::string scratch;   // an empty folder to build them in
  std::string dlls;      // the test libraries: <dlls>\<variant>\vtver.dll
  std::string examples;  // the example projects (*.vform)
};

// The seeds of every harness of kHarnesses, by harness name. Raises on a failure to make one.
std::map<std::string, std::vector<Seed>> MakeSeeds(const SeedSources& sources);

// The words of the form format for the form harness's dictionary: its keywords and punctuation,
// and the name of every class, published property and enumeration value registered.
std::vector<std::string> FormDictionary();

// A dictionary file of libFuzzer: one quoted word a line.
std::string DictionaryText(const std::vector<std::string>& words);

// The install files the remote file list harness gives its records to, by component name.
inline constexpr const char* kFileListForm = R"(object Form1: TForm1
  object Install1: TInstall
  end
  object Group1: TInstallFileGroup
    Container = Install1
  end
  object ReadMe: TInstallFile
    Container = Group1
    FileName = 'readme.txt'
  end
  object Program: TInstallFile
    Container = Group1
    FileName = 'program.exe'
  end
end
)";

// One record of a remote file list: size, date (a TDateTime's 8 bytes), name (40), version (20).
std::vector<uint8_t> FileListRecord(int32_t size, double date, const std::string& name,
                                    const std::string& version);

}  // namespace vantorel::fuzz
