#include "seeds.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <stdexcept>

#include "../archive/archive_test_util.h"
#include "archive/compress.h"
#include "framework/object.h"
#include "framework/properties.h"
#include "framework/streaming.h"
#include "install/attached_form.h"
#include "platform/files.h"
#include "platform/pe_version.h"
#include "translate/builtin_texts.h"

namespace vantorel::fuzz {
namespace {

using test::ReadAll;
using test::WriteAll;

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

using test::Pack;

// Stored names are the source paths: they are made those of a build folder C:\Build, so that
// the seeds do not depend on where they were made. The records are found by their chain.
std::vector<uint8_t> WithBuildPaths(std::vector<uint8_t> archive, const std::string& made_in) {
  const int32_t count = test::I32At(archive, 0);
  size_t at = kArchivePrefixSize;
  for (int32_t i = 0; i < count; ++i) {
    const size_t name_at = at + header_field::kFileName;
    std::string name = test::ShortStringAt(archive, name_at);
    if (name.rfind(made_in, 0) != 0) throw std::runtime_error("unexpected stored name " + name);
    name = "C:\\Build" + name.substr(made_in.size());
    if (name.size() > kMaxStoredFileName) throw std::runtime_error("stored name too long: " + name);
    archive.at(name_at) = static_cast<uint8_t>(name.size());
    std::memcpy(archive.data() + name_at + 1, name.data(), name.size());
    at = static_cast<size_t>(test::I32At(archive, at + header_field::kNextHeader));
  }
  return archive;
}

// Small files, so that the fuzzer's inputs stay small and fast: text, noise, a long run, nothing,
// and a program with a version (its entry records the version, and extracting it over an
// existing copy compares versions).
std::vector<Seed> Archives(const SeedSources& s) {
  const std::string& d = s.scratch;
  test::MakeDirs(d + "\\src\\one");
  WriteAll(d + "\\src\\a.txt", Bytes("alpha beta gamma alpha beta gamma\r\n"),
           test::Stamp(2001, 2, 3, 4, 5, 6));
  WriteAll(d + "\\src\\b.bin", test::RandomBytes(300, 7), test::Stamp(1999, 12, 31, 23, 59, 58));
  WriteAll(d + "\\src\\one\\c.txt", std::vector<uint8_t>(2000, 'c'),
           test::Stamp(2020, 1, 1, 0, 0, 0));
  WriteAll(d + "\\src\\empty", {}, test::Stamp(1980, 1, 1, 0, 0, 0));
  WriteAll(d + "\\src\\lib.dll", ReadAll(s.dlls + "\\v120\\vtver.dll"),
           test::Stamp(2003, 4, 5, 6, 7, 8));

  Pack(d + "\\files.1", {d + "\\src\\a.txt", d + "\\src\\b.bin", d + "\\src\\one\\c.txt"}, 1);
  Pack(d + "\\empty.1", {d + "\\src\\empty"}, 0);
  Pack(d + "\\versioned.1", {d + "\\src\\lib.dll", d + "\\src\\a.txt"}, 1999);
  Pack(d + "\\none.1", {}, 0);
  // The first volume of a set: the same files, in the layout of a spanned archive.
  TVtrlCompress engine(nullptr);
  engine.SetCompressedFile(d + "\\files.1");
  engine.SpanToDisks(d, "volume.1");

  std::vector<Seed> seeds;
  for (const char* name : {"files.1", "empty.1", "versioned.1", "none.1", "volume.1"}) {
    seeds.push_back({name, WithBuildPaths(ReadAll(d + "\\" + name), d)});
  }
  return seeds;
}

void PutI32(std::vector<uint8_t>& bytes, size_t at, int64_t value) {
  test::PutI32(bytes, at, static_cast<int32_t>(value));
}

// Self-extracting files: a loader, setup.1 and files.1 behind it and the 56-byte trailer; and an
// install program with a form attached.
std::vector<Seed> Trailers(const SeedSources& s, const std::vector<Seed>& archives) {
  const std::vector<uint8_t> stub = Bytes("MZ a loader stands here" + std::string(40, '\0'));
  auto self_extracting = [&](bool with_files) {
    std::vector<uint8_t> exe = stub, trailer(56, 0);
    trailer[0] = 14;
    std::memcpy(trailer.data() + 1, "SELFEXTRACTING", 14);
    const std::vector<uint8_t>& setup = archives.at(1).bytes;  // empty.1
    const std::vector<uint8_t>& files = archives.at(0).bytes;  // files.1
    PutI32(trailer, 16, static_cast<int64_t>(exe.size()));
    exe.insert(exe.end(), setup.begin(), setup.end());
    PutI32(trailer, 20, static_cast<int64_t>(exe.size()) - 1);
    if (with_files) {
      PutI32(trailer, 24, static_cast<int64_t>(exe.size()));
      exe.insert(exe.end(), files.begin(), files.end());
      PutI32(trailer, 28, static_cast<int64_t>(exe.size()) - 1);
    }
    exe.insert(exe.end(), trailer.begin(), trailer.end());
    return exe;
  };
  const std::string stub_path = s.scratch + "\\stub.exe", attached = s.scratch + "\\attached.exe";
  WriteAll(stub_path, stub);
  AttachForm(stub_path, "object Form1: TForm1\n  Caption = 'Setup'\nend\n", attached);
  return {{"setup.exe", self_extracting(true)},
          {"setup-only.exe", self_extracting(false)},
          {"attached.exe", ReadAll(attached)}};
}

// The example projects, and one form per class that a project can hold, as the writer writes a
// new component of it: every class name and published property appears in some seed.
std::vector<Seed> Forms(const SeedSources& s) {
  std::vector<Seed> seeds;
  std::vector<platform::DirEntry> entries;
  platform::ListDirectory(s.examples, "*.vform", entries);
  for (const auto& e : entries) seeds.push_back({e.name, ReadAll(s.examples + "\\" + e.name)});
  if (seeds.empty()) throw std::runtime_error("no example projects in " + s.examples);

  TReadOptions options;
  options.design_mode = true;
  for (const TClass* c : RegisteredClasses()) {
    if (!c->CanCreate() || c->ClassName() == "TForm1") continue;
    const std::string text =
        "object Form1: TForm1\n  object Seed1: " + c->ClassName() + "\n  end\nend\n";
    try {
      auto root = ReadForm(text, options);
      seeds.push_back({"class-" + c->ClassName() + ".vform", Bytes(WriteForm(*root))});
    } catch (const Exception&) {
      // A class that cannot stand alone in a form (a page of the dialogs' own forms, say).
    }
  }
  // The value syntaxes the writer never uses: joined strings, character codes, a stray comment.
  seeds.push_back({"values.vform", Bytes("object Form1: TForm1\n"
                                         "  Caption = 'Set'#117'p'#13#10 + ' two'\n"
                                         "  object Install1: TInstall\n"
                                         "    Description.Strings = (\n"
                                         "      'one' + 'more'\n"
                                         "      '')\n"
                                         "  end\n"
                                         "end\n")});
  return seeds;
}

std::vector<Seed> PeFiles(const SeedSources& s) {
  std::vector<Seed> seeds;
  for (const char* variant : {"v120", "driver", "plain"}) {
    seeds.push_back(
        {std::string(variant) + ".dll", ReadAll(s.dlls + "\\" + variant + "\\vtver.dll")});
  }
  return seeds;
}

std::vector<Seed> VersionBlocks(const SeedSources& s) {
  std::vector<Seed> seeds;
  for (const char* variant : {"v120", "driver"}) {
    platform::File f =
        platform::File::Open(s.dlls + "\\" + variant + "\\vtver.dll", platform::Access::Read,
                             platform::kShareRead, platform::Disposition::OpenExisting);
    std::vector<uint8_t> block;
    if (!f.IsOpen() || !platform::ReadPeVersionResource(f, block)) {
      throw std::runtime_error(std::string("no version block in the test library ") + variant);
    }
    seeds.push_back({std::string(variant) + ".block", block});
  }
  return seeds;
}

std::vector<Seed> FileLists() {
  auto list = [](const std::vector<std::vector<uint8_t>>& records) {
    std::vector<uint8_t> bytes(4, 0);
    PutI32(bytes, 0, static_cast<int64_t>(records.size()));
    for (const auto& r : records) bytes.insert(bytes.end(), r.begin(), r.end());
    return bytes;
  };
  return {
      {"two.lst", list({FileListRecord(1234, 36526.5, "ReadMe", ""),
                        FileListRecord(77000, 44000.25, "PROGRAM", "1.2.3.4")})},
      {"unknown.lst", list({FileListRecord(5, 1.0, "Nobody", "9")})},
      {"empty.lst", list({})},
  };
}

// The language texts the programs carry, each as the file it is built from.
std::vector<Seed> LanguageTexts() {
  std::vector<Seed> seeds;
  for (int i = 0; i < kLanguageCount; ++i) {
    const TLanguageInfo& info = LanguageInfoAt(i);
    std::string text = BuiltInLanguageText(info.ident);
    seeds.push_back({info.file_name, std::vector<uint8_t>(text.begin(), text.end())});
  }
  return seeds;
}

}  // namespace

std::vector<uint8_t> FileListRecord(int32_t size, double date, const std::string& name,
                                    const std::string& version) {
  std::vector<uint8_t> r(72, 0);
  test::PutI32(r, 0, size);
  uint64_t bits;
  std::memcpy(&bits, &date, sizeof bits);
  for (int i = 0; i < 8; ++i) r[4 + i] = static_cast<uint8_t>(bits >> (8 * i));
  std::memcpy(r.data() + 12, name.data(), std::min<size_t>(name.size(), 40));
  std::memcpy(r.data() + 52, version.data(), std::min<size_t>(version.size(), 20));
  return r;
}

std::vector<std::string> FormDictionary() {
  std::set<std::string> words = {"object", "inherited", "inline",   "end", "True", "False",
                                 "nil",    " = ",       ".Strings", "(",   ")",    "[",
                                 "]",      "{",         "}",        "'",   "''",   "#13#10",
                                 " + ",    "\r\n",      ": ",       "<",   ">",    "item"};
  for (const TClass* c : RegisteredClasses()) {
    words.insert(c->ClassName());
    for (const TPropInfo* p : c->Properties()) {
      words.insert(p->name);
      if (p->enum_info != nullptr) {
        for (int i = 0; i < p->enum_info->Count(); ++i) words.insert(p->enum_info->Name(i));
      }
    }
  }
  return {words.begin(), words.end()};
}

std::string DictionaryText(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    text += '"';
    for (unsigned char c : word) {
      if (c == '"' || c == '\\' || c < 0x20 || c >= 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
        text += escaped;
      } else {
        text += static_cast<char>(c);
      }
    }
    text += "\"\n";
  }
  return text;
}

std::map<std::string, std::vector<Seed>> MakeSeeds(const SeedSources& sources) {
  std::map<std::string, std::vector<Seed>> seeds;
  seeds["archive"] = Archives(sources);
  seeds["trailer"] = Trailers(sources, seeds["archive"]);
  seeds["form"] = Forms(sources);
  seeds["pe_version"] = PeFiles(sources);
  seeds["version_block"] = VersionBlocks(sources);
  seeds["file_list"] = FileLists();
  seeds["language"] = LanguageTexts();
  return seeds;
}

}  // namespace vantorel::fuzz
