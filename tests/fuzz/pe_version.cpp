// The version resource of a PE file, as the builder reads it to stamp an archive entry and the
// overwrite rules read it to compare an installed file: our own PE reader, the queries over the
// block it finds, and the texts made of them. The input is the file.
#include "platform/pe_version.h"

#include "archive/version_resource.h"
#include "platform/files.h"
#include "platform/version.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantorel;
  fuzz::Setup();
  static const std::string work = fuzz::Scratch("work");
  static const std::string path = work + "\\fuzz.dll";
  fuzz::WriteInput(path, data, size);

  {
    platform::File file = platform::File::Open(path, platform::Access::Read, platform::kShareRead,
                                               platform::Disposition::OpenExisting);
    std::vector<uint8_t> block;
    if (platform::ReadPeVersionResource(file, block) && block.size() > size) {
      fuzz::Finding("the version block is larger than the file");
    }
  }

  // The component reads every text of the string table its language and character set name.
  // Made once and never destroyed: a component outliving the framework's statics is not at issue.
  static TVersionResource& reader = *new TVersionResource(nullptr);
  reader.SetFileName(path);
  const std::string version = reader.VersionInfo()->FileVersion();
  TVersionResource::CompareVersions(version, "1.2.0.0");
  TVersionResource::CompareVersions(reader.VersionInfo()->ProductVersion(), version);
  if (TVersionResource::FileVersionOf(path) != version) {
    fuzz::Finding("two reads of one file give two versions");
  }
  // The overwrite decision against this file as the installed one.
  TVersionResource::IsFileNewer("1.2.0.0", path, owVersionDate, 36526.5);
  return 0;
}
