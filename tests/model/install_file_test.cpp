#include "model/install_file.h"

#include <functional>
#include <utility>

#include "../platform/pending_renames.h"
#include "archive/compress.h"
#include "file_fixture.h"
#include "framework/streaming.h"
#include "model/exceptions.h"
#include "model/symbolic_paths.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "routines/registry_routines.h"

namespace vantorel::testing {
namespace {

constexpr uint32_t kStamp2017 = 0x4A8B6000;
constexpr uint32_t kStamp2025 = 0x5A8B6000;
constexpr uint32_t kStamp2033 = 0x6A8B6000;
constexpr char kSharedDLLs[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The install component as the files see it: a group that records what they ask of it.
class FakeInstall : public TInstallFileGroup, public IInstallComponent {
 public:
  using TInstallFileGroup::TInstallFileGroup;
  TFileContainer* AsContainer() override { return this; }
  const std::string& SourceDirectory() const override { return source_; }
  bool HasSwitch(char) const override { return false; }
  std::string SwitchArgument(char) const override { return ""; }
  std::string ProductName() const override { return "Model test"; }
  TDistributeType DistributeType() const override { return dtTraditional; }
  TCustomNetInstallLocation* NetLocation() const override { return nullptr; }
  bool Running() const override { return running; }
  void SetReboot(bool v) override { reboot = v; }
  bool QueryUserAbort() override { return true; }
  TPicture* DialogThemeBitmap() override { return &theme_; }
  TPicture theme_;
  void AddUnfinished(const std::string& subject, int code) override {
    unfinished.emplace_back(subject, code);
  }

  bool running = false;
  bool reboot = false;
  std::vector<std::pair<std::string, int>> unfinished;

 private:
  std::string source_;
};

class InstallFileTest : public FileModelTest {
 protected:
  void TearDown() override {
    SetInstallComponent(nullptr);
    FileModelTest::TearDown();
  }

  // Builds the archive of `group` from its sources.
  void Build(TInstallFileGroup* group) { group->Compress(TCompressOptions{coForceNetFilesLocal}); }

  uint32_t SharedCount(TCustomInstallFile* file) {
    platform::RegKey key =
        platform::RegKey::Open(platform::Root::LocalMachine, kSharedDLLs, false, false);
    uint32_t value = 0;
    if (key.IsOpen()) key.ReadDWord(file->DestPath(), value);
    return value;
  }
};

TEST_F(InstallFileTest, InstallsFromTheGroupArchiveWithDatesAndProgress) {
  auto* group = Group("Group", "group.arc");
  auto* a = File(group, "A", "a.txt", "alpha", kStamp2025);
  auto* b = File(group, "B", "b.txt", "bravo bravo", kStamp2017);
  b->SetDestName("renamed.txt");
  Build(group);
  Recorder(group);
  std::vector<std::string> after;
  for (TInstallFile* f : {a, b})
    f->OnAfterInstall = [&](TCustomInstallFile* file) { after.push_back(file->Name()); };
  int last_percent = -1;
  group->OnStatus = [&](TCustomInstallFile*, int, int total) { last_percent = total; };

  group->Process();

  EXPECT_EQ(Read(root_ + "\\dest\\a.txt"), "alpha");
  EXPECT_EQ(Read(root_ + "\\dest\\renamed.txt"), "bravo bravo");
  uint32_t stamp = 0;
  ASSERT_TRUE(platform::GetFileDosDateTime(root_ + "\\dest\\renamed.txt", stamp));
  EXPECT_EQ(stamp, kStamp2017);
  EXPECT_EQ(after, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(last_percent, 100);
  EXPECT_EQ(a->Size(), 5);  // read back from the archive
  EXPECT_EQ(a->State(), ifsNone);
  EXPECT_EQ(group->Phase(), 0);
  EXPECT_FALSE(group->WasAborted());
  EXPECT_NE(std::find(log_.begin(), log_.end(), "Group:-998"), log_.end());
}

// The archive keeps 100 characters of a source path, and the install finds the file by them.
TEST_F(InstallFileTest, SourcePathsTheArchiveCanHold) {
  const std::string base = root_ + "\\src\\";
  const std::string name = "x.txt";
  ASSERT_LT(base.size() + name.size() + 2, 100u) << "the scratch folder's path is too long";
  struct Case {
    size_t length;
    bool builds;
  } cases[] = {{100, true}, {101, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string folder = std::string(c.length - base.size() - name.size() - 1, 'd');
    ForceDirectories(base + folder);
    auto* group = Group("Group", "group.arc");
    auto* file = File(group, "F", folder + "\\" + name, "text");
    ASSERT_EQ(file->SourcePath().size(), c.length);
    if (c.builds) {
      Build(group);
      group->Process();
      EXPECT_EQ(Read(root_ + "\\dest\\" + name), "text");
    } else {
      try {
        Build(group);
        ADD_FAILURE() << "a path the archive cannot hold was compressed";
      } catch (const IECustomInstallFile& e) {
        EXPECT_NE(e.Message().find("F cannot be compressed: the path of its source file, " +
                                   file->SourcePath() + ", is longer than 100 characters"),
                  std::string::npos)
            << e.Message();
      }
    }
    group->Free();
  }
}

TEST_F(InstallFileTest, OverwriteRulesAndTheStepsThatRunEitherWay) {
  struct Case {
    TOverwriteType mode;
    uint32_t existing;  // 0: no file at the destination
    bool installs;
  } cases[] = {
      {owAlways, kStamp2033, true},
      {owNever, kStamp2017, false},
      {owNever, 0, true},
      {owDate, 0, true},
      {owDate, kStamp2017, true},
      {owDate, kStamp2033, false},
      {owDate, kStamp2025, false},
      // Neither file has a version resource: the versions are equal, and only a missing
      // destination (nothing to keep) or, with the date as tie-break, a newer archive installs.
      {owVersion, 0, true},
      {owVersion, kStamp2017, false},
      {owVersionDate, 0, true},
      {owVersionDate, kStamp2017, true},
      {owVersionDate, kStamp2033, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + "/" + std::to_string(c.existing));
    auto* group = Group("Group", "group.arc");
    auto* file = File(group, "F", "f.txt", "new", kStamp2025);
    file->SetOverwriteMode(c.mode);
    file->SetUpdateDLLCounter(true);
    file->SetRegisterAsHelp(true);
    Build(group);
    platform::DeleteFile(root_ + "\\dest\\f.txt");
    if (c.existing != 0) Write(root_ + "\\dest\\f.txt", "old", c.existing);
    uint32_t count = SharedCount(file);
    bool after = false;
    file->OnAfterInstall = [&](TCustomInstallFile*) { after = true; };

    group->Process();

    EXPECT_EQ(Read(root_ + "\\dest\\f.txt"), c.installs ? "new" : "old");
    EXPECT_EQ(file->ShouldInstall(), c.installs);
    EXPECT_EQ(file->TargetExisted(), c.existing != 0);
    EXPECT_TRUE(after);
    EXPECT_EQ(SharedCount(file), count + 1);
    EXPECT_EQ(ReadRegString(kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help", "F.TXT", ""),
              root_ + "\\dest");
    group->Free();
  }
}

TEST_F(InstallFileTest, FileInUseIsWrittenBesideItAndMovedAtRestart) {
  PendingRenames pending;
  FakeInstall install(nullptr);
  SetInstallComponent(&install);
  auto* group = Group("Group", "group.arc");
  auto* file = File(group, "Lib", "lib.dll", "new library");
  Build(group);
  Write(root_ + "\\dest\\lib.dll", "old library");
  // A read-only file cannot be deleted, as a file in use cannot.
  ASSERT_TRUE(platform::SetFileAttributes(root_ + "\\dest\\lib.dll", platform::kAttrReadOnly));

  struct Case {
    std::string expected_name;
  } cases[] = {{"lib.1"}, {"lib.2"}};
  for (const Case& c : cases) {
    install.unfinished.clear();
    install.reboot = false;
    group->Process();
    EXPECT_TRUE(file->ReplacedAtReboot());
    // Once written, the file goes by the name it has after the restart.
    EXPECT_EQ(file->DestName(), "lib.dll");
    EXPECT_EQ(Read(root_ + "\\dest\\" + c.expected_name), "new library");
    EXPECT_EQ(Read(root_ + "\\dest\\lib.dll"), "old library");
    EXPECT_TRUE(install.reboot);
    ASSERT_FALSE(install.unfinished.empty());
    EXPECT_EQ(install.unfinished.back(), (std::pair<std::string, int>{"Lib", 0}));
#ifdef _WIN32
    // The old file is still there at the restart: the move must be allowed to replace it.
    EXPECT_TRUE(pending.MovesOver(root_ + "\\dest\\" + c.expected_name, root_ + "\\dest\\lib.dll"));
#endif
    // Where the system cannot move at restart, a batch file does it on the next start.
    for (const auto& [subject, code] : install.unfinished) {
      if (code != 1) continue;
      std::string batch = Read(subject);
      EXPECT_NE(batch.find("erase "), std::string::npos);
      EXPECT_NE(batch.find("move "), std::string::npos);
      platform::DeleteFile(subject);
      // The batch file is started from RunOnce; no later start may run it.
      platform::RegKey run_once =
          platform::RegKey::Open(platform::Root::LocalMachine, kRunOnceKey, false, true);
      std::vector<std::string> names;
      run_once.ValueNames(names);
      bool registered = false;
      for (const std::string& name : names) {
        std::string command;
        if (run_once.ReadString(name, command) && command == subject) {
          registered = true;
          run_once.DeleteValue(name);
        }
      }
      EXPECT_TRUE(registered);
    }
  }
}

TEST_F(InstallFileTest, CancelDuringTheCopyIsTheUsersAbort) {
  auto* group = Group("Group", "group.arc");
  File(group, "A", "a.txt", "alpha");
  File(group, "Big", "big.bin", std::string(300000, 'x'));
  Build(group);
  // What the Cancel button of a progress window does: set the shared engine's flag.
  group->OnStatus = [](TCustomInstallFile* file, int, int) {
    if (file->Name() == "Big") SharedArchiveEngine().SetAbort(true);
  };
  EXPECT_THROW(group->Process(), EAIUserAbort);
  EXPECT_EQ(Read(root_ + "\\dest\\a.txt"), "alpha");
  EXPECT_FALSE(platform::FileExists(root_ + "\\dest\\big.bin")) << "no partial file is left";
  EXPECT_EQ(group->Phase(), 0);
  SharedArchiveEngine().SetAbort(false);
}

// A destination held open by another process without delete sharing, as a running program's
// library is: the Windows payload vthold.exe holds it until released.
TEST_F(InstallFileTest, DestinationHeldByAnotherProgram) {
  const std::string payloads = platform::GetEnv("VANTOREL_PAYLOADS").value_or("");
  if (payloads.empty())
    GTEST_SKIP() << "needs vthold.exe of the win64 tree; the posix backend has no other "
                    "programs that hold files";
  PendingRenames pending;
  FakeInstall install(nullptr);
  SetInstallComponent(&install);
  auto* group = Group("Group", "group.arc");
  File(group, "Lib", "lib.dll", "new library");
  Build(group);
  const std::string target = root_ + "\\dest\\lib.dll";
  Write(target, "old library");
  const std::string ready = root_ + "\\held.ready", release = root_ + "\\held.release";
  auto quoted = [](const std::string& s) { return "\"" + s + "\""; };
  ASSERT_TRUE(platform::StartProgram(quoted(payloads + "\\vthold.exe") + " " + quoted(target) +
                                         " " + quoted(ready) + " " + quoted(release) + " 30000",
                                     false));
  auto wait_until = [](const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) platform::SleepMs(50);
    return done();
  };
  ASSERT_TRUE(wait_until([&] { return platform::FileExists(ready); }));

  group->Process();

  EXPECT_EQ(Read(root_ + "\\dest\\lib.1"), "new library");
  EXPECT_TRUE(install.reboot);
  EXPECT_TRUE(pending.MovesOver(root_ + "\\dest\\lib.1", target));
  Write(release, "");
  EXPECT_TRUE(wait_until([&] { return !platform::FileExists(ready); }));
  EXPECT_EQ(Read(target), "old library");
}

TEST_F(InstallFileTest, FailedSelfRegistrationWaitsForTheEndOfTheRun) {
  FakeInstall install(nullptr);
  SetInstallComponent(&install);
  auto* group = Group("Group", "group.arc");
  auto* file = File(group, "Server", "server.dll", "not a library");
  file->SetStateFlag(csLoading, true);
  file->SetActiveX(true);
  file->SetStateFlag(csLoading, false);
  Build(group);

  EXPECT_THROW(group->Process(), IECustomInstallFile);  // before the run: the error is shown
  EXPECT_EQ(SelfRegistrationQueue().Count(), 0);
  install.running = true;
  group->Process();
  ASSERT_EQ(SelfRegistrationQueue().Count(), 1);
  EXPECT_EQ(SelfRegistrationQueue().Items(0), file);
  SelfRegistrationQueue().Clear();
}

using ConsistencyTest = FileModelTest;

TEST_F(ConsistencyTest, NamesAndTypesBringTheirSettings) {
  // The main install folder is the install component's.
  FakeInstall install(nullptr);
  SetInstallComponent(&install);
  auto* group = Group("Group", "group.arc");
  struct Case {
    std::string what;
    std::function<void(TInstallFile*)> change;
    bool active_x, help, dll_counter;
    TInstallFileType type;
    TOverwriteType mode;
    const TClass* dest_type;  // nullptr: the container's destination
    std::string dest_dir;
  } cases[] = {
      {"ocx", [](TInstallFile* f) { f->SetFileName("grid.ocx"); }, true, false, true,
       iftSystemWideDLL, owVersionDate, TClassOf<TpsSystem>(), ""},
      {"hlp", [](TInstallFile* f) { f->SetFileName("app.hlp"); }, false, true, false, iftNormal,
       owAlways, nullptr, ""},
      {"cnt", [](TInstallFile* f) { f->SetFileName("app.CNT"); }, false, true, false, iftNormal,
       owAlways, nullptr, ""},
      {"app dll", [](TInstallFile* f) { f->SetFileType(iftApplicationSpecificDLL); }, false, false,
       false, iftApplicationSpecificDLL, owVersionDate, TClassOf<TpsMainInstall>(), "\\System"},
      {"vendor dll", [](TInstallFile* f) { f->SetFileType(iftVendorSharedDLL); }, false, false,
       true, iftVendorSharedDLL, owVersionDate, TClassOf<TpsCommonFiles>(), "\\System"},
      {"dll to windows",
       [](TInstallFile* f) {
         f->SetFileName("x.dll");
         f->SetDestDirType(StandardPathSpecifiers().FindByClass<TpsWindow>());
       },
       false, false, false, iftNormal, owVersionDate, TClassOf<TpsWindow>(), ""},
      {"dll to system",
       [](TInstallFile* f) {
         f->SetFileName("x.dll");
         f->SetDestDirType(StandardPathSpecifiers().FindByClass<TpsSystem>());
       },
       false, false, true, iftSystemWideDLL, owVersionDate, TClassOf<TpsSystem>(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto* file = Make<TInstallFile>("F");
    file->SetContainer(group);
    file->SetIncludeFromDir(root_ + "\\src");
    file->SetFileName("plain.txt");
    c.change(file);
    EXPECT_EQ(file->ActiveX(), c.active_x);
    EXPECT_EQ(file->RegisterAsHelp(), c.help);
    EXPECT_EQ(file->UpdateDLLCounter(), c.dll_counter);
    EXPECT_EQ(file->FileType(), c.type);
    EXPECT_EQ(file->OverwriteMode(), c.mode);
    if (c.dest_type != nullptr) {
      ASSERT_NE(file->DestDirType(), nullptr);
      EXPECT_TRUE(file->DestDirType()->ClassType()->InheritsFrom(c.dest_type));
      EXPECT_EQ(file->DestDir(), c.dest_dir);
    }
    EXPECT_EQ(file->DestName(), file->FileName());
    file->Free();
  }
  SetInstallComponent(nullptr);
}

TEST_F(ConsistencyTest, ContainerMustHoldFilesOnce) {
  auto* group = Group("Group", "group.arc");
  File(group, "A", "a.txt", "alpha");
  auto* twin = Make<TInstallFile>("Twin");
  twin->SetIncludeFromDir(root_ + "\\SRC");
  twin->SetFileName("A.TXT");
  try {
    twin->SetContainer(group);
    ADD_FAILURE() << "no error";
  } catch (const IEfcDuplicateFile& e) {
    EXPECT_EQ(std::string(e.what()),
              "There is already a file with the name :" + root_ + "\\SRC\\A.TXT");
  }
  EXPECT_EQ(twin->Container(), nullptr);
  auto* other = Make<TGrabCall>("NotAGroup");
  try {
    twin->SetContainer(other);
    ADD_FAILURE() << "no error";
  } catch (const IECustomInstallFile& e) {
    EXPECT_EQ(std::string(e.what()),
              "The following TInstallFile component Twin requires the Container property to be a "
              "component descended from the TFileContainer component");
  }
}

TEST_F(ConsistencyTest, UniqueIDsAreNeverShared) {
  ResetUniqueIDs();
  std::vector<TInstallFile*> files;
  for (int i = 0; i < kMaxInstallFiles; ++i) {
    std::string name("F");
    name += std::to_string(i);
    files.push_back(Make<TInstallFile>(name));
    ASSERT_EQ(files.back()->UniqueID(), i);
  }
  // A 2001st file would have to share a number, and so an archive entry, with another. It is
  // refused once it can be named: by its component name, or by its source file when it has none.
  try {
    Make<TInstallFile>("TooMany");
    ADD_FAILURE() << "numbered";
  } catch (const IECustomInstallFile& e) {
    EXPECT_EQ(e.Message(),
              "TooMany cannot be numbered: a project holds at most 2000 install files");
  }
  auto* unnamed = new TInstallFile(form_.get());
  unnamed->SetIncludeFromDir("C:\\src");
  unnamed->SetFileName("late.txt");
  unnamed->SetArchiveFile("C:\\dist\\late.arc");
  try {
    unnamed->CompressFile();
    ADD_FAILURE() << "compressed";
  } catch (const IECustomInstallFile& e) {
    EXPECT_EQ(e.Message(),
              "The install file of C:\\src\\late.txt cannot be numbered: a project holds at most "
              "2000 install files");
  }
  // Freeing an unnumbered file frees no number of another.
  unnamed->Free();
  EXPECT_THROW(Make<TInstallFile>("StillTooMany"), IECustomInstallFile);
  // A freed number goes to the next file, or to one that was waiting for a number.
  auto* waiting = new TInstallFile(form_.get());
  files[9]->Free();
  waiting->SetName("Waiting");
  EXPECT_EQ(waiting->UniqueID(), 9);
  files[7]->Free();
  EXPECT_EQ(Make<TInstallFile>("Again")->UniqueID(), 7);
}

using UninstallRecordTest = FileModelTest;

TEST_F(UninstallRecordTest, EntriesGoToFilesThenToTheNextKeyThatCanTakeThem) {
  const std::string key = "\\Software\\VantorelModelTest\\Uninstall";
  DeleteRegKeyTree(kRootLocalMachine, key);
  auto* group = Group("Group", "group.arc");
  auto* a = File(group, "A", "a.txt", "alpha");
  auto* b = File(group, "B", "b.txt", "bravo");
  auto* ocx = File(group, "Ocx", "grid.ocx", "ocx");
  auto* exe = File(group, "Exe", "tool.exe", "exe");
  exe->SetStateFlag(csLoading, true);
  exe->SetActiveX(true);
  exe->SetStateFlag(csLoading, false);

  a->WriteUninstallInfo(key);
  WriteRegString(kRootLocalMachine, key + "\\Files", "Entries", "not a number");
  b->WriteUninstallInfo(key);
  ocx->WriteUninstallInfo(key);
  exe->WriteUninstallInfo(key);

  struct Row {
    std::string sub, name, value;
  } rows[] = {
      {"Files", "File1", a->DestPath()},
      {"Files1", "Entries", "1"},
      {"Files1", "File1", b->DestPath()},
      {"ActiveX", "Entries", "2"},
      {"ActiveX", "File1", ocx->DestPath() + ";0"},
      {"ActiveX", "File2", exe->DestPath() + ";1"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ReadRegString(kRootLocalMachine, key + "\\" + r.sub, r.name, "<none>"), r.value)
        << r.sub << "\\" << r.name;
  DeleteRegKeyTree(kRootLocalMachine, "\\Software\\VantorelModelTest");
}

TEST_F(UninstallRecordTest, ARunKeepsItsRecordKeyOpenAndWritesTheSameEntries) {
  const std::string key = "\\Software\\VantorelModelTest\\Uninstall";
  DeleteRegKeyTree(kRootLocalMachine, key);
  WriteRegString(kRootLocalMachine, key + "\\ActiveX", "Entries", "damaged");
  auto* group = Group("Group", "group.arc");
  auto* a = File(group, "A", "a.txt", "alpha");
  auto* b = File(group, "B", "b.txt", "bravo");
  auto* c = File(group, "C", "c.txt", "charlie");
  auto* ocx = File(group, "Ocx", "grid.ocx", "ocx");
  {
    TUninstallRecordCache records;
    a->WriteUninstallInfo(key);
    ocx->WriteUninstallInfo(key);  // between two entries of Files, into ActiveX1
    b->WriteUninstallInfo(key);
    // Gone from under the kept handle (an uninstall of the product meanwhile): made again.
    DeleteRegKeyTree(kRootLocalMachine, key + "\\Files");
    c->WriteUninstallInfo(key);
  }
  struct Row {
    std::string sub, name, value;
  } rows[] = {
      {"Files", "Entries", "1"},           {"Files", "File1", c->DestPath()},
      {"Files", "File2", "<none>"},        {"ActiveX", "Entries", "damaged"},
      {"ActiveX1", "Entries", "1"},        {"ActiveX1", "File1", ocx->DestPath() + ";0"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ReadRegString(kRootLocalMachine, key + "\\" + r.sub, r.name, "<none>"), r.value)
        << r.sub << "\\" << r.name;

  // Without a run the count is read again for every entry.
  WriteRegString(kRootLocalMachine, key + "\\Files", "Entries", "7");
  a->WriteUninstallInfo(key);
  EXPECT_EQ(ReadRegString(kRootLocalMachine, key + "\\Files", "File8", "<none>"), a->DestPath());
  DeleteRegKeyTree(kRootLocalMachine, "\\Software\\VantorelModelTest");
}

TEST_F(UninstallRecordTest, DamagedCountsSendTheRecordToTheNextKey) {
  const std::string key = "\\Software\\VantorelModelTest\\Uninstall";
  auto* group = Group("Group", "group.arc");
  auto* plain = File(group, "Plain", "a.txt", "alpha");
  auto* ocx = File(group, "Ocx", "grid.ocx", "ocx");
  struct Case {
    std::string count;  // what a damaged record holds as "Entries"
    bool next_damaged;  // the key after it is damaged too
  } cases[] = {
      {"not a number", false}, {"", false},     {"12abc", false}, {"-3", false},
      {"99999999999", false},  {"0x10", false}, {"x", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.count + "'");
    DeleteRegKeyTree(kRootLocalMachine, key);
    for (const char* sub : {"\\Files", "\\ActiveX"}) {
      WriteRegString(kRootLocalMachine, key + sub, "Entries", c.count);
      if (c.next_damaged) WriteRegString(kRootLocalMachine, key + sub + "1", "Entries", c.count);
    }
    EXPECT_NO_THROW(plain->WriteUninstallInfo(key));
    EXPECT_NO_THROW(ocx->WriteUninstallInfo(key));
    const std::string suffix = c.next_damaged ? "2" : "1";
    struct Row {
      std::string sub, name, value;
    } rows[] = {
        {"Files", "Entries", c.count},
        {"Files" + suffix, "Entries", "1"},
        {"Files" + suffix, "File1", plain->DestPath()},
        {"ActiveX", "Entries", c.count},
        {"ActiveX" + suffix, "Entries", "1"},
        {"ActiveX" + suffix, "File1", ocx->DestPath() + ";0"},
    };
    for (const Row& r : rows)
      EXPECT_EQ(ReadRegString(kRootLocalMachine, key + "\\" + r.sub, r.name, "<none>"), r.value)
          << r.sub << "\\" << r.name;
  }
  DeleteRegKeyTree(kRootLocalMachine, "\\Software\\VantorelModelTest");
}

}  // namespace
}  // namespace vantorel::testing

namespace vantorel::testing {
namespace {

using StreamingTest = FileModelTest;

TEST_F(StreamingTest, StoredFilesKeepTheirValuesAndNumbers) {
  ResetUniqueIDs();
  ReadFormInto(*form_,
               "object Form1: TForm\n"
               "  object Group: TInstallFileGroup\n"
               "  end\n"
               "  object Grid: TInstallFile\n"
               "    Container = Group\n"
               "    FileName = 'grid.ocx'\n"
               "    DestName = 'other.ocx'\n"
               "    UniqueID = 5\n"
               "  end\n"
               "  object Lib: TInstallFile\n"
               "    Container = Group\n"
               "    FileName = 'lib.dll'\n"
               "    FileType = iftSystemWideDLL\n"
               "    UpdateDLLCounter = True\n"
               "    UniqueID = 0\n"
               "  end\n"
               "end\n");
  auto* grid = static_cast<TInstallFile*>(form_->FindComponent("Grid"));
  ASSERT_NE(grid, nullptr);
  // While a project is read the setters only store: no rule changes what the project says.
  EXPECT_FALSE(grid->ActiveX());
  EXPECT_EQ(grid->DestName(), "other.ocx");
  EXPECT_EQ(grid->FileType(), iftNormal);
  EXPECT_EQ(grid->UniqueID(), 5);
  // The stored numbers are taken; new files get the lowest free one.
  EXPECT_EQ(Make<TInstallFile>("New")->UniqueID(), 1);

  std::string text = WriteForm(*form_);
  EXPECT_NE(text.find("UniqueID = 5"), std::string::npos);
  EXPECT_NE(text.find("UniqueID = 0"), std::string::npos) << "always written, even as 0";
  EXPECT_NE(text.find("FileType = iftSystemWideDLL"), std::string::npos);
  EXPECT_EQ(text.find("ActiveX"), std::string::npos) << "defaults are not written";
}

}  // namespace
}  // namespace vantorel::testing
