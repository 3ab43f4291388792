#include "model/file_container.h"

#include "archive/compress.h"
#include "file_fixture.h"
#include "model/exceptions.h"
#include "model/parameters.h"
#include "model/symbolic_paths.h"

namespace vantorel::testing {
namespace {

// A group whose phase and totals a test may set, as a running phase would.
class ProbeGroup : public TInstallFileGroup {
 public:
  using TInstallFileGroup::TInstallFileGroup;
  void Enter(uint8_t phase, int32_t total, int32_t done) {
    SetPhase(phase);
    total_ = total;
    done_ = done;
  }
};

using ProgressTest = FileModelTest;

TEST_F(ProgressTest, ProgressReportsTable) {
  struct Case {
    int32_t total, done, bytes_done;
    bool file_done;
    int32_t file_size;
    int32_t expect_total_bytes, expect_percent, expect_done_after;
  } cases[] = {
      {1000, 0, 500, false, 0, 500, 50, 0},
      {1000, 0, 5, false, 0, 5, 0, 0},     // 0.5 % goes to the even 0
      {1000, 10, 5, false, 0, 15, 2, 10},  // 1.5 % goes to 2
      {1000, 20, 5, false, 0, 25, 2, 20},  // 2.5 % goes to 2
      {1000, 0, 1000, true, 1000, 1000, 100, 1000},
      {0, 0, 100, false, 0, 100, 0, 0},  // nothing to do: 0, not a failure
      {0, 0, 100, true, 100, 100, 0, 100},
  };
  auto* group = Make<ProbeGroup>("Group");
  auto* file = Make<TInstallFile>("File");
  file->SetContainer(group);
  Recorder(group);
  std::vector<int> seen;
  group->OnStatus = [&](TCustomInstallFile* f, int, int total) {
    EXPECT_EQ(f, file);
    seen.push_back(total);
  };
  for (const Case& c : cases) {
    group->Enter(2, c.total, c.done);
    TFileStatusParameter status;
    status.BytesDone = c.bytes_done;
    status.EngineStatus.FileDone = c.file_done;
    status.EngineStatus.FileSize = c.file_size;
    TParameterList list;
    list.Add(file);
    list.Add(&status);
    seen.clear();
    log_.clear();
    group->DoInformationEventControl(file, ieExtractProgress, &list);
    EXPECT_EQ(status.TotalBytesDone, c.expect_total_bytes);
    EXPECT_EQ(status.TotalPercentDone, c.expect_percent) << c.done << "+" << c.bytes_done;
    EXPECT_EQ(group->Done(), c.expect_done_after);
    EXPECT_EQ(seen, std::vector<int>{c.expect_percent});
    EXPECT_EQ(log_, std::vector<std::string>{"Group:-998"});
  }
}

TEST_F(ProgressTest, WholeFileStepsCountTheFileSize) {
  auto* group = Make<ProbeGroup>("Group");
  auto* file = Make<TInstallFile>("File");
  file->SetContainer(group);
  file->SetArchiveInformation(300, 0, "");
  int percent = -1;
  group->OnStatus = [&](TCustomInstallFile*, int file_percent, int total) {
    EXPECT_EQ(file_percent, 100);
    percent = total;
  };
  group->Enter(2, 1200, 0);
  group->DoInformationEventControl(file, ieSkipped, file);
  EXPECT_EQ(percent, 25);
  group->DoInformationEventControl(file, ieHandledWithoutCopy, file);
  EXPECT_EQ(percent, 50);
  EXPECT_EQ(group->Done(), 600);
}

TEST_F(ProgressTest, ReportsClimbOnlyWhileAPhaseRuns) {
  auto* top = Make<ProbeGroup>("Top");
  auto* sub = Make<ProbeGroup>("Sub");
  sub->SetContainer(top);
  auto* file = Make<TInstallFile>("File");
  file->SetContainer(sub);
  Recorder(top);
  Recorder(sub);
  top->Enter(2, 100, 0);
  TFileStatusParameter status;
  status.BytesDone = 10;
  status.EngineStatus.FileDone = true;
  status.EngineStatus.FileSize = 10;
  TParameterList list;
  list.Add(file);
  list.Add(&status);

  // The sub group is idle: nothing happens, not even the checks of the parameter.
  sub->DoInformationEventControl(file, ieExtractProgress, &list);
  sub->DoInformationEventControl(file, ieExtractProgress, nullptr);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(top->Done(), 0);

  // Running, the report is handled by both, each with its own totals.
  sub->Enter(2, 10, 0);
  sub->DoInformationEventControl(file, ieExtractProgress, &list);
  EXPECT_EQ(log_, (std::vector<std::string>{"Sub:-998", "Top:-998"}));
  EXPECT_EQ(sub->Done(), 10);
  EXPECT_EQ(top->Done(), 10);
  EXPECT_EQ(status.TotalPercentDone, 10);  // the last one to compute it was Top
}

TEST_F(ProgressTest, MalformedReportsAreRefused) {
  auto* group = Make<ProbeGroup>("Group");
  auto* file = Make<TInstallFile>("File");
  file->SetContainer(group);
  group->Enter(2, 100, 0);
  TFileStatusParameter status;
  TDiskParameter disk;
  TParameterList short_list;
  short_list.Add(file);
  TParameterList swapped;
  swapped.Add(&status);
  swapped.Add(file);
  TParameterList disk_list;
  disk_list.Add(file);
  disk_list.Add(&status);
  struct Case {
    int code;
    TObject* po;
    std::string message;
  } cases[] = {
      {ieExtractProgress, nullptr, "Group got a nil PO parameter"},
      {ieReplacing, &status, "DoInformationEventControl parameter is not TInstallFile"},
      {ieCopyProgress, file, "DoInformationEventControl--PO is not a TList object"},
      {ieCompressProgress, &short_list,
       "DoInformationEventControl--Not engouh parameters for status event"},
      {ieExtractProgress, &swapped, "DoInformationEventControl says bad first parameter"},
      {ieNewDisk, &swapped, "DoInformationEventControl says bad 1 parameter"},
      {ieNewDisk, &disk_list, "DoInformationEventControl says bad 2 parameter"},
      {ieDataReceived, &status,
       "The PO object passed to Group is not a TDownloadStatusParameter object"},
      {ieSkipped, &status, "DoInformationEventControl says bad first parameter"},
  };
  for (const Case& c : cases) {
    try {
      group->DoInformationEventControl(file, c.code, c.po);
      ADD_FAILURE() << "no error for " << c.code;
    } catch (const IEFileContainer& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST_F(ProgressTest, DiskRequestsAreAnsweredByTheGroup) {
  auto* group = Make<ProbeGroup>("Group");
  auto* file = Make<TInstallFile>("File");
  file->SetContainer(group);
  Recorder(group);
  group->OnNewDisk = [](TCustomInstallFile*, int disk, std::string& path) {
    path = "A:\\disk" + std::to_string(disk);
  };
  group->Enter(2, 0, 0);
  TDiskParameter disk;
  disk.NewDisk = 3;
  TParameterList list;
  list.Add(file);
  list.Add(&disk);
  group->DoInformationEventControl(file, ieNewDisk, &list);
  EXPECT_EQ(disk.Path, "A:\\disk3");
  EXPECT_EQ(file->Tag(), 1);
  EXPECT_EQ(log_, std::vector<std::string>{"Group:-993"});
}

using CompressTest = FileModelTest;

TEST_F(CompressTest, GroupArchiveHoldsEveryFileAndProjectValuesComeBack) {
  auto* group = Group("Group", "group.arc");
  auto* a = File(group, "A", "a.txt", "alpha");
  auto* b = File(group, "B", "b.txt", "bravo bravo");
  b->SetInclude(false);
  const TlzhCommand mode = a->AddToArchive();
  const auto* type = a->ArchiveFileType();
  group->Compress(TCompressOptions{coForceNetFilesLocal, coIncludeAll});

  TVtrlCompress reader(nullptr);
  reader.SetCompressedFile(root_ + "\\group.arc");
  ASSERT_EQ(reader.FileCount(), 2);
  EXPECT_GE(reader.IndexOfUniqueID(a->UniqueID()), 0);
  EXPECT_GE(reader.IndexOfUniqueID(b->UniqueID()), 0);
  for (TInstallFile* f : {a, b}) {
    EXPECT_EQ(f->AddToArchive(), mode);
    EXPECT_EQ(f->ArchiveFileType(), type);
    EXPECT_EQ(f->ArchiveFile(), "");
    EXPECT_EQ(f->CompressedMarker(), 2);
  }
  EXPECT_FALSE(b->Include());
  EXPECT_EQ(a->Size(), 5);
  EXPECT_EQ(group->TotalSize(true), 16);
  EXPECT_EQ(group->Phase(), 0);
}

TEST_F(CompressTest, ExcludedGroupOnlyAnnouncesItself) {
  auto* group = Group("Group", "group.arc");
  File(group, "A", "a.txt", "alpha");
  group->SetInclude(false);
  Recorder(group);
  int before = 0;
  group->OnBeforeProcess = [&](TInstallContainer*) { ++before; };
  group->Compress(TCompressOptions{coForceNetFilesLocal});
  EXPECT_EQ(before, 1);
  EXPECT_EQ(log_, std::vector<std::string>{"Group:-996"});
  EXPECT_FALSE(platform::FileExists(root_ + "\\group.arc"));
}

TEST_F(CompressTest, OptionsThatCannotBeMet) {
  auto* group = Group("Group", "group.arc");
  File(group, "A", "a.txt", "alpha");
  EXPECT_THROW(group->Compress(TCompressOptions{coForceNetFilesLocal, coForceFilesNet}),
               IEFileContainer);
  // Without a server for the net archives the build cannot say where they go.
  try {
    group->Compress({});
    ADD_FAILURE() << "no error";
  } catch (const IEFileRel_NoNetLocation& e) {
    EXPECT_EQ(std::string(e.what()), "Could not find a net install location for Group");
  }
  EXPECT_EQ(group->Phase(), 0);
}

// A specifier the project stored but that no longer accepts the file (its validation runs only
// outside loading); it still names an archive.
class RefusingSpecifier : public TCustomPathSpecifier {
 public:
  using TCustomPathSpecifier::TCustomPathSpecifier;
  std::string archive;
  void Validate(TInstallContainer*) override { throw IEPathSpecifier("refused"); }
  std::string Expand(TInstallContainer*) override { return archive; }
};

TEST_F(CompressTest, ProjectValuesComeBackWithoutValidationWhenACompressionFails) {
  StandardPathSpecifiers().EnsureStandardSpecifiers(form_.get(), true);
  auto* refusing = Make<RefusingSpecifier>("Refusing");
  refusing->archive = root_ + "\\refused.arc";
  struct Case {
    const char* name;
    TCustomPathSpecifier* type;
    TCompressOptions options;
    std::string error;  // "" when the compression succeeds
  } cases[] = {
      // No install component: the main archive cannot be expanded, and it cannot be validated
      // either when it is put back while that error is on its way out.
      {"main archive", StandardPathSpecifiers().FindByClass<TpsMainArchiveFile>(),
       TCompressOptions{coForceNetFilesLocal},
       "There is no TInstall component so the path specifier could not be expanded for A"},
      {"main archive, only add", StandardPathSpecifiers().FindByClass<TpsMainArchiveFile>(),
       TCompressOptions{coForceNetFilesLocal, coOnlyAdd},
       "Cannot either compress or decompress the following file because it's archive file "
       "property is blank. File is :a.txt"},
      // The compression succeeds; only putting the specifier back would fail its validation.
      {"refusing", refusing, TCompressOptions{coForceNetFilesLocal}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* group = Group("Group", "group.arc");
    auto* a = File(group, "A", "a.txt", "alpha");
    // As a project read from its form holds them: stored without validation.
    a->SetStateFlag(csLoading, true);
    a->SetArchiveFileType(c.type);
    a->SetArchiveFile("kept.arc");
    a->SetStateFlag(csLoading, false);
    a->SetAddToArchive(lzcOnlyAdd);
    a->SetInclude(false);

    if (c.error.empty()) {
      EXPECT_NO_THROW(group->Compress(c.options + TCompressOptions{coIncludeAll}));
      EXPECT_EQ(a->CompressedMarker(), 2);
    } else {
      try {
        group->Compress(c.options + TCompressOptions{coIncludeAll});
        ADD_FAILURE() << "no error";
      } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), c.error);
      }
    }
    EXPECT_EQ(a->ArchiveFileType(), c.type);
    EXPECT_EQ(a->ArchiveFile(), "kept.arc");
    EXPECT_EQ(a->AddToArchive(), lzcOnlyAdd);
    EXPECT_FALSE(a->Include());
    EXPECT_EQ(group->Phase(), 0);
    group->Free();
  }
}

TEST_F(CompressTest, CopyFilesCopiesUncompressed) {
  auto* group = Group("Group", "group.arc");
  File(group, "A", "a.txt", "alpha");
  auto* b = File(group, "B", "b.txt", "bravo");
  b->SetInclude(false);
  std::vector<std::string> events;
  group->OnStatus = [&](TCustomInstallFile* f, int, int) { events.push_back(f->Name()); };
  group->CopyFiles();
  EXPECT_EQ(Read(root_ + "\\dest\\a.txt"), "alpha");
  EXPECT_FALSE(platform::FileExists(root_ + "\\dest\\b.txt"));
  EXPECT_FALSE(events.empty());
  EXPECT_EQ(group->Phase(), 0);
}

TEST_F(CompressTest, LookupsAndHousekeeping) {
  auto* group = Group("Group", "group.arc");
  auto* a = File(group, "A", "a.txt", "alpha");
  File(group, "B", "b.txt", "bravo");
  EXPECT_EQ(group->FindFileBySource(root_ + "\\SRC\\A.TXT"), a);
  EXPECT_EQ(group->FindFileBySource(root_ + "\\src\\c.txt"), nullptr);
  platform::DeleteFile(root_ + "\\src\\b.txt");
  group->RemoveMissingFiles();
  ASSERT_EQ(group->InstallFileCount(), 1);
  EXPECT_EQ(group->InstallFiles(0), a);
  EXPECT_EQ(Make<TInstallFileGroup>("Loose")->GroupName(), "Unnamed File Group");
}

}  // namespace
}  // namespace vantorel::testing
