// The remote file list ("filelist.lst") that an install over the network downloads: its records
// are given to the install files of a project, whose overwrite decision and file dates then use
// them. The input is the list.
#include <memory>

#include "../archive/archive_test_util.h"
#include "archive/version_resource.h"
#include "framework/streaming.h"
#include "install/install.h"
#include "model/install_file.h"
#include "seeds.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantorel;
  fuzz::Setup();
  static const std::string work = fuzz::Scratch("work");
  static const std::string path = work + "\\filelist.lst", installed = work + "\\installed.txt";
  // The project lives as long as the process: its files are the ones the records name.
  static const TComponent* const project = [] {
    TReadOptions options;
    options.design_mode = true;
    test::WriteAll(installed, {'x'}, test::Stamp(2000, 1, 1, 12, 0, 0));
    return ReadForm(fuzz::kFileListForm, options).release();
  }();
  (void)project;
  fuzz::WriteInput(path, data, size);

  try {
    ApplyRemoteFileList(path);
  } catch (const Exception&) {
    // A short list is refused.
  }
  for (TCustomInstallFile* file : AllInstallFiles()) {
    uint32_t stamp;
    DateTimeToDosDateTime(file->FileDate(), stamp);
    TVersionResource::CompareVersions(file->Version(), "1.0");
    TVersionResource::IsFileNewer(file->Version(), installed, owVersionDate, file->FileDate());
  }
  return 0;
}
