// The archive directory and the extraction of every entry, as `vantorel list` and `extract` and
// the install program meet an archive: the input is the archive file.
//
// Beyond what the sanitizers see, two findings: a file written outside the extraction folder,
// and an extraction that writes more than any archive of the input's size can hold (zlib inflates
// at most 1032 bytes per compressed byte, and entries of a sound archive do not share data).
#include <set>

#include "../archive/archive_test_util.h"
#include "archive/compress.h"
#include "routines/strings.h"
#include "support.h"

namespace {

constexpr int64_t kMostInflatedPerByte = 1032;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantorel;
  fuzz::Setup();
  // Named as the first volume of a set, so that a spanned directory finds its data in it.
  static const std::string work = fuzz::Scratch("work");
  static const std::string archive = work + "\\fuzz.1", out = work + "\\out";
  fuzz::WriteInput(archive, data, size);
  test::MakeDirs(out);

  const int64_t most = kMostInflatedPerByte * static_cast<int64_t>(size) + 4096;
  try {
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(archive);
    // Each entry once, as `vantorel extract` asks for them: a name is looked up up to its first
    // ";" without regard to case, so two names that differ beyond that reach the same entry.
    TStrings names;
    std::set<std::string> keys;
    TlzhFileStats stats;
    const int count = engine.FileCount();
    for (int i = 0; i < count; ++i) {
      engine.GetFileStats(i, stats);
      if (keys.insert(UpperCase(stats.FileName.substr(0, stats.FileName.find(';')))).second) {
        names.Add(stats.FileName);
      }
    }
    for (int id : {0, 1, 1999}) engine.IndexOfUniqueID(id);

    // Version and date both decide when a name comes twice: the second meets the first's file.
    engine.SetOverwrite(owVersionDate);
    engine.SetExtractDirectory(out);
    engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) {
      if (s.TotalBytesDone > most) {
        fuzz::Finding("an archive of " + std::to_string(size) + " bytes has extracted " +
                      std::to_string(s.TotalBytesDone) + " bytes, more than it can hold");
      }
    };
    engine.SetFilesToProcess(names);
    engine.Extract();
  } catch (const Exception&) {
    // The engine's own errors are the answer to a damaged archive.
  }

  if (const std::string listing = fuzz::Listing(work); listing != "fuzz.1 out") {
    fuzz::Finding("the extraction wrote beside its folder: " + listing);
  }
  test::RemoveTree(out);
  return 0;
}
