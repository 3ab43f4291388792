// The trailers at the end of a program file, as `vantorel list` and the install program read
// them: the self-extract trailer that says where setup.1 and files.1 begin (and the listing of
// the archive it points to), and the trailer of a project form attached to the install program.
// The input is the whole file.
#include <cstdio>

#include "archive/self_extract.h"
#include "archive_commands.h"
#include "framework/exception.h"
#include "install/attached_form.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantorel;
  fuzz::Setup();
  static const std::string path = fuzz::Scratch("work") + "\\setup.exe";
  // The listing itself is not under test; the fuzz tree is a Linux build.
  static std::FILE* const sink = std::fopen("/dev/null", "w");
  fuzz::WriteInput(path, data, size);
  const auto file_size = static_cast<int64_t>(size);

  cli::SelfExtractParts parts;
  if (cli::ReadSelfExtractParts(path, parts) &&
      (parts.setup_start >= file_size || parts.files_start >= file_size)) {
    fuzz::Finding("a part begins past the end of the file");
  }
  // The reader of the install program and the loader: a trailer it accepts lies inside the file.
  SelfExtractTrailer trailer;
  if (ReadSelfExtractTrailerOf(path, trailer) == TrailerProblem::None &&
      !TrailerFitsFile(trailer, file_size)) {
    fuzz::Finding("an accepted trailer names bytes outside the file or overlapping parts");
  }
  for (const auto& args :
       {std::vector<std::string>{path}, std::vector<std::string>{path, "--setup"}}) {
    const int code = cli::ListArchive(args, sink, sink);
    if (code != 0 && code != cli::kExitArchiveError) {
      fuzz::Finding("list ended with exit code " + std::to_string(code));
    }
  }

  try {
    if (auto form = ReadAppendedForm(path); form && form->size() > size) {
      fuzz::Finding("the attached form is larger than the file");
    }
  } catch (const Exception&) {
  }
  return 0;
}
