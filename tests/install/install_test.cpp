#include "install/install.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "dialogs/grab_call.h"
#include "framework/application.h"
#include "framework/headless/headless.h"
#include "framework/streaming.h"
#include "model/exceptions.h"
#include "model/install_file.h"
#include "model/symbolic_paths.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

// The message boxes the headless backend has shown since the application was reinitialized.
std::vector<headless::TTranscriptEntry> MessageBoxes() {
  auto* ui = dynamic_cast<headless::THeadlessBackend*>(&Application().Ui());
  std::vector<headless::TTranscriptEntry> boxes;
  if (ui == nullptr) return boxes;
  for (auto& entry : headless::ParseTranscript(ui->Transcript()))
    if (entry.kind == "message") boxes.push_back(entry);
  return boxes;
}

std::string LastMessageText() {
  auto boxes = MessageBoxes();
  return boxes.empty() || boxes.back().Texts().empty() ? "" : boxes.back().Texts().front();
}

// A setup program stand-in: a file whose size and date identify it, as the real program's do.
std::string MakeProgramFile(size_t size) {
  std::string path = ChangeFileExt(GetTempFile(false), ".exe");
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::kShareNone,
                                             platform::Disposition::CreateAlways);
  std::string bytes(size, 'x');
  file.Write(bytes.data(), bytes.size());
  return path;
}

std::string Form(const std::string& install_body, const std::string& extra = "") {
  return "object Form1: TForm1\n"
         "  object Install1: TInstall\n"
         "    UseLoadingProgram = False\n" +
         install_body +
         "  end\n"
         "  object Recorder: TGrabCall\n"
         "    Container = Install1\n"
         "    OnCall = RecordCall\n"
         "  end\n" +
         extra + "end\n";
}

class InstallRun : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    program_ = MakeProgramFile(1000);
    SetupProgramPath() = program_;
    CommandLineParameters() = {"-d", "-sC:\\dist"};
    RegisterHandler<void(TInstallContainer*, int, TObject*)>(
        "RecordCall", [this](TInstallContainer*, int call, TObject*) {
          log_.push_back(std::to_string(call));
          if (call == ccBeforeInstallDialogs) record_during_run_ = InstallRecordKey();
        });
    for (const char* name : {"AfterInitialized", "BeforeReadArchiveInfo", "AfterReadArchiveInfo",
                             "BeforeNotifyGoodInstall", "AfterNotifyGoodInstall",
                             "BeforeNotifyBadInstall", "AfterNotifyBadInstall"}) {
      RegisterHandler<void(TObject*)>(name, [this, name](TObject*) { log_.push_back(name); });
    }
    RegisterHandler<void(TObject*)>("AbortNow", [](TObject*) { throw EAIUserAbort(); });
    RegisterHandler<void(TObject*)>("FailNow", [](TObject*) { throw IEInstall("Disk on fire"); });
    RegisterHandler<void(TInstallContainer*)>(
        "BeforeProcess", [this](TInstallContainer* c) { log_.push_back("process " + c->Name()); });
    RegisterHandler<void(TCustomInstall*, bool&)>(
        "BeforeShutdown", [this](TCustomInstall*, bool&) { log_.push_back("shutdown"); });
  }
  void TearDown() override {
    Application().Reinitialize();
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    platform::DeleteFile(program_);
    for (const std::string& p : extra_files_) platform::DeleteFile(p);
  }

  void Run(const std::string& form) {
    TReadOptions options;
    options.source_name = "test.vform";
    Application().CreateFormFromText(form, options);
    Application().Run();
  }
  TCustomInstall* Install() {
    return InstallComponent() ? dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer())
                              : nullptr;
  }

  std::string program_;
  std::vector<std::string> extra_files_;
  std::vector<std::string> log_;
  std::string record_during_run_;
};

const std::string kAllEvents =
    "    OnAfterInitialized = AfterInitialized\n"
    "    OnBeforeReadArchiveInfo = BeforeReadArchiveInfo\n"
    "    OnAfterReadArchiveInfo = AfterReadArchiveInfo\n"
    "    OnBeforeNotifyGoodInstall = BeforeNotifyGoodInstall\n"
    "    OnAfterNotifyGoodInstall = AfterNotifyGoodInstall\n"
    "    OnBeforeNotifyBadInstall = BeforeNotifyBadInstall\n"
    "    OnAfterNotifyBadInstall = AfterNotifyBadInstall\n"
    "    OnBeforeProcess = BeforeProcess\n"
    "    OnBeforeShutdown = BeforeShutdown\n";

TEST_F(InstallRun, GoodRunWalksTheSequenceInOrder) {
  Run(Form(kAllEvents));
  EXPECT_EQ(log_, (std::vector<std::string>{"BeforeReadArchiveInfo",
                                            "-984",
                                            "-974",
                                            "-973",
                                            "AfterReadArchiveInfo",
                                            "-983",
                                            "AfterInitialized",
                                            "-986",
                                            "-976",
                                            "-975",
                                            "-982",
                                            "-981",
                                            "-977",
                                            "-980",
                                            "process Install1",
                                            "-990",
                                            "-999",
                                            "-992",
                                            "-996",
                                            "-989",
                                            "BeforeNotifyGoodInstall",
                                            "-995",
                                            "-979",
                                            "AfterNotifyGoodInstall",
                                            "shutdown"}));
  EXPECT_EQ(record_during_run_, "\\SOFTWARE\\Vantorel\\Install\\Install0");
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Installed);
  EXPECT_TRUE(Application().Terminated());
  // The record is gone, and the keys above it that held nothing else.
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel"));
}

TEST_F(InstallRun, UserAbortEndsInTheFailureNoticeWithoutAnErrorBox) {
  Run(Form(kAllEvents + "    OnAfterInitialized = AbortNow\n"));
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Cancelled);
  std::vector<std::string> tail(log_.end() - 5, log_.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"BeforeNotifyBadInstall", "-994", "-978",
                                            "AfterNotifyBadInstall", "shutdown"}));
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel"));
  EXPECT_EQ(static_cast<int>(MessageBoxes().size()), 0);
}

TEST_F(InstallRun, ErrorEndsInTheFailureNoticeThenTheMessageAndKeepsTheRecord) {
  Run(Form(kAllEvents + "    OnAfterInitialized = FailNow\n"));
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Failed);
  EXPECT_EQ(static_cast<int>(MessageBoxes().size()), 1);
  EXPECT_EQ(LastMessageText(), "Disk on fire");
  EXPECT_TRUE(
      platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel\\Install\\Install0"));
  EXPECT_TRUE(Application().Terminated());
}

TEST_F(InstallRun, LoadingProgramWithoutSourceFails) {
  CommandLineParameters() = {};
  Run("object Form1: TForm1\n  object Install1: TInstall\n  end\nend\n");
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Failed);
  EXPECT_NE(LastMessageText().find("The path of the loading program was not passed correctly."),
            std::string::npos);
}

TEST_F(InstallRun, RunAutomaticFalseWaitsForTheHost) {
  Application().CreateFormFromText(Form(kAllEvents + "    RunAutomatic = False\n"));
  ASSERT_TRUE(log_.empty());
  Install()->RunInstallation();
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Installed);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "shutdown"), 0);
}

TEST_F(InstallRun, CommandLineErrorsFailTheLoad) {
  struct Case {
    std::vector<std::string> parameters;
    std::string message;
  } cases[] = {
      {{"-d"},
       "You forgot to pass in the build directory. In Run | Parameters, follow this format: -d "
       "\"-sC:\\My Build\""},
      {{"-d", "-s  "}, "You forgot to pass in the build directory."},
      {{"x"},
       "Invalid parameter <x>. Valid command line parameters are: -b (Build), -d "
       "(Debug), -f (Transfer to floppies), -e (Called by self-extractor), -r (After "
       "reboot)"},
      {{"-sC:\\d", "-"}, "Invalid parameter <->."},
      {{"-q"}, "Invalid parameter <-q>."},
  };
  for (const Case& c : cases) {
    Application().Reinitialize();
    CommandLineParameters() = c.parameters;
    try {
      Application().CreateFormFromText(Form(""));
      FAIL() << c.message;
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(InstallComponent(), nullptr);
  }
}

TEST_F(InstallRun, SwitchesAndTheirArguments) {
  CommandLineParameters() = {"-S\"C:\\My Build\"", "-d", "-c", "-sC:\\Later", "-eSetup.exe"};
  Application().CreateFormFromText(Form("    RunAutomatic = False\n"));
  TCustomInstall* install = Install();
  EXPECT_TRUE(install->HasSwitch('d'));
  EXPECT_TRUE(install->HasSwitch('C'));
  EXPECT_FALSE(install->HasSwitch('r'));
  EXPECT_EQ(install->SwitchArgument('s'), "C:\\Later");  // the later one wins
  EXPECT_EQ(install->SourceDirectory(), "C:\\Later");
  EXPECT_EQ(install->SwitchArgument('e'), "Setup.exe");
  EXPECT_EQ(install->RunOnceCommand(), "\"" + program_ + "\" -r \"-eSetup.exe\" \"-s\" -c");
}

// The command RunOnce holds to finish the install after the restart.
TEST_F(InstallRun, RestartCommand) {
  const std::string program_dir = RemoveBackslash(ExtractFileDir(program_));
  struct Case {
    std::vector<std::string> parameters;
    bool loading_program;
    std::string arguments;  // after the quoted program path
  } cases[] = {
      {{"-sC:\\Dist", "-c"}, true, " -r \"-sC:\\Dist\" -c"},
      {{"-sC:\\Dist\\"}, true, " -r \"-sC:\\Dist\""},
      // With -d first, the second parameter is the -s path: the restart still starts there.
      {{"-d", "-sC:\\My Build"}, true, " -r \"-sC:\\My Build\""},
      {{"-sC:\\Dist"}, false, " -r \"-s" + program_dir + "\""},
      {{"-eC:\\Down\\Setup.exe", "-sC:\\Down"}, true, " -r \"-eSetup.exe\" \"-sC:\\Down\""},
      {{"-sC:\\Dist", "-c"}, false, " -r \"-s" + program_dir + "\" -c"},
      {{"-eC:\\My Downloads\\My Setup.exe", "-sC:\\My Downloads", "-c"},
       true,
       " -r \"-eMy Setup.exe\" \"-sC:\\My Downloads\" -c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    Application().Reinitialize();
    CommandLineParameters() = c.parameters;
    Application().CreateFormFromText(
        Form(std::string("    RunAutomatic = False\n") +
             (c.loading_program ? "    UseLoadingProgram = True\n" : "")));
    EXPECT_EQ(Install()->RunOnceCommand(), "\"" + program_ + "\"" + c.arguments);
  }
}

TEST_F(InstallRun, InstallTypeOfTheRun) {
  struct Case {
    std::string types;
    TInstallType run_as;
  } cases[] = {
      {"[itFull, itCompact]", itCompact}, {"[itCustom]", itCustom},
      {"[itAlways]", itAlways},           {"[]", itAlways},
      {"[itFull, itDefault]", itDefault},
  };
  for (const Case& c : cases) {
    Application().Reinitialize();
    Application().CreateFormFromText(
        Form("    RunAutomatic = False\n    InstallTypes = " + c.types + "\n",
             "  object Group: TInstallFileGroup\n    Container = Install1\n  end\n"));
    EXPECT_EQ(Install()->CurrentInstallType(), c.run_as) << c.types;
    EXPECT_EQ(Install()->FileContainers(0)->CurrentInstallType(), c.run_as) << c.types;
  }
}

TEST_F(InstallRun, OnlyOneInstallComponent) {
  try {
    Application().CreateFormFromText(Form("", "  object Install2: TInstall\n  end\n"));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("The TInstall component does not currently support "
                                         "the use of 2 TInstall components in the same project"),
              std::string::npos)
        << e.what();
  }
}

TEST_F(InstallRun, RecordsAreFoundByContentAndNumbered) {
  Application().CreateFormFromText(Form("    RunAutomatic = False\n"));
  TCustomInstall* install = Install();
  std::string first = install->FindInstallRecord(true);
  EXPECT_EQ(first, "\\SOFTWARE\\Vantorel\\Install\\Install0");
  EXPECT_EQ(install->FindInstallRecord(true), first);  // the same file finds it again

  // A copy elsewhere with the same size and date is the same setup file.
  std::string moved = ChangeFileExt(program_, ".moved.exe");
  extra_files_.push_back(moved);
  ASSERT_TRUE(platform::CopyFile(program_, moved, false));
  uint32_t stamp = 0;
  ASSERT_TRUE(platform::GetFileDosDateTime(program_, stamp));
  ASSERT_TRUE(platform::SetFileDosDateTime(moved, stamp));
  SetupProgramPath() = moved;
  EXPECT_EQ(install->FindInstallRecord(false), first);
  EXPECT_EQ(ReadRegString(kRootLocalMachine, first, "Path", ""), moved);

  // Another size is another setup file.
  std::string other = MakeProgramFile(2000);
  extra_files_.push_back(other);
  SetupProgramPath() = other;
  EXPECT_EQ(install->FindInstallRecord(false), "");
  std::string second = install->FindInstallRecord(true);
  EXPECT_EQ(second, "\\SOFTWARE\\Vantorel\\Install\\Install1");
  platform::RegKey record =
      platform::RegKey::Open(platform::Root::LocalMachine, second, false, false);
  EXPECT_EQ(record.GetValueType("Path"), platform::ValueType::String);
  EXPECT_EQ(record.GetValueType("CreationDate"), platform::ValueType::Binary);
  EXPECT_EQ(record.GetValueType("LastRunDate"), platform::ValueType::Binary);
  EXPECT_EQ(record.GetValueType("Size"), platform::ValueType::DWord);
  uint32_t size = 0;
  EXPECT_TRUE(record.ReadDWord("Size", size));
  EXPECT_EQ(size, 2000u);
  record.Close();

  // When the first ends, the next new setup file takes Install0 again.
  InstallRecordKey() = first;
  install->RemoveInstallRecord();
  std::string third_program = MakeProgramFile(3000);
  extra_files_.push_back(third_program);
  SetupProgramPath() = third_program;
  EXPECT_EQ(install->FindInstallRecord(true), first);

  // A record without "Size" is never matched nor reused.
  platform::RegKey broken =
      platform::RegKey::Open(platform::Root::LocalMachine, first, false, true);
  ASSERT_TRUE(broken.DeleteValue("Size"));
  broken.Close();
  EXPECT_EQ(install->FindInstallRecord(true), "\\SOFTWARE\\Vantorel\\Install\\Install2");
}

TEST_F(InstallRun, UnfinishedListNeedsARecord) {
  Application().CreateFormFromText(Form("    RunAutomatic = False\n"));
  TCustomInstall* install = Install();
  InstallRecordKey().clear();
  TStringList list;
  const std::string message =
      "The TInstall could not either write or read unfinished business from the registry";
  for (auto op : std::initializer_list<std::function<void()>>{
           [&] { install->ClearUnfinished(); }, [&] { install->AddUnfinished("x", 0); },
           [&] { install->ReadUnfinished(list); }}) {
    try {
      op();
      FAIL();
    } catch (const IEInstall& e) {
      EXPECT_EQ(e.Message(), message);
    }
  }
  InstallRecordKey() = install->FindInstallRecord(true);
  install->AddUnfinished("BDEFile3", 0);
  install->AddUnfinished("C:\\t\\bat1.bat", 1);
  install->AddUnfinished("BDEFile3", 0);  // the same subject replaces its entry
  install->ReadUnfinished(list);
  std::vector<std::string> lines(list.begin(), list.end());
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{"BDEFile3;0", "C:\\t\\bat1.bat;1"}));
  EXPECT_EQ(install->UnfinishedCount(), 3);
  install->ClearUnfinished();
  install->ReadUnfinished(list);
  EXPECT_EQ(list.Count(), 0);
}

TEST(RemoteFileList, RecordsSetTheFilesAndShortListsFail) {
  auto record = [](int32_t size, double date, const std::string& name, const std::string& version) {
    std::string r(72, '\0');
    for (int i = 0; i < 4; ++i) r[i] = static_cast<char>(size >> (8 * i));
    uint64_t bits;
    std::memcpy(&bits, &date, 8);
    for (int i = 0; i < 8; ++i) r[4 + i] = static_cast<char>(bits >> (8 * i));
    std::copy(name.begin(), name.end(), r.begin() + 12);
    std::copy(version.begin(), version.end(), r.begin() + 52);
    return r;
  };
  auto write = [](const std::string& bytes) {
    std::string path = GetTempFile(true);
    platform::File f = platform::File::Open(path, platform::Access::Write, platform::kShareNone,
                                            platform::Disposition::CreateAlways);
    f.Write(bytes.data(), bytes.size());
    return path;
  };
  TForm form(nullptr);
  auto* file = new TInstallFile(&form);
  file->SetName("ReadMe");
  std::string count2 = std::string("\x02\0\0\0", 4);
  std::string good = write(count2 + record(1234, 36526.5, "other", "") +
                           record(77, 44000.25, "README", "1.2.3.4"));
  ApplyRemoteFileList(good);
  EXPECT_EQ(file->Size(), 77);
  EXPECT_EQ(file->FileDate(), 44000.25);
  EXPECT_EQ(file->Version(), "1.2.3.4");

  std::string short_list = write(count2 + record(1, 1, "x", ""));
  std::string no_count = write("\x01\0");
  for (const std::string& path : {short_list, no_count}) {
    try {
      ApplyRemoteFileList(path);
      FAIL() << path;
    } catch (const IEInstall& e) {
      EXPECT_EQ(e.Message(), "Cannot read the remote list of files: " + path);
    }
  }
  for (const std::string& path : {good, short_list, no_count}) platform::DeleteFile(path);
}

TEST(Presetup, AddPresetupFileChecksNamesWhenAsked) {
  Application().Reinitialize();
  CommandLineParameters() = {"-d", "-sC:\\dist"};
  Application().CreateFormFromText(
      "object Form1: TForm1\n  object Install1: TInstall\n    RunAutomatic = False\n"
      "    PresetupFiles.Strings = (\n      'C:\\a\\IDAPI.DLL'\n      '  ')\n  end\nend\n");
  auto* install = dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer());
  EXPECT_EQ(install->PresetupFiles()->Count(), 1);  // blank lines are dropped on assignment
  install->AddPresetupFile("D:\\other\\idapi.dll", true);
  EXPECT_EQ(install->PresetupFiles()->Count(), 1);
  install->AddPresetupFile("D:\\other\\idapi.dll", false);
  install->AddPresetupFile("D:\\other\\x.dll", true);
  EXPECT_EQ(install->PresetupFiles()->Count(), 3);
  Application().Reinitialize();
}

}  // namespace
}  // namespace vantorel

namespace vantorel {
namespace {

TEST_F(InstallRun, SpecifiersThatNeedTheInstallComponent) {
  struct Case {
    std::vector<std::string> parameters;
    std::string main_archive;  // "" when the expansion must fail
  } cases[] = {
      {{"-d", "-sC:\\dist"}, "C:\\dist\\files.1"},
      {{"-d", "-sC:\\dist\\", "-e  Setup.exe "}, "C:\\dist\\Setup.exe"},
      {{"-d", "-sC:\\dist", "-e "}, ""},
  };
  for (const Case& c : cases) {
    Application().Reinitialize();
    CommandLineParameters() = c.parameters;
    Application().CreateFormFromText(
        Form("    RunAutomatic = False\n    DestDir = '\\App'\n",
             "  object Group: TInstallFileGroup\n    Container = Install1\n  end\n"));
    TCustomInstall* install = Install();
    auto* main_archive = StandardPathSpecifiers().FindByClass<TpsMainArchiveFile>();
    if (c.main_archive.empty()) {
      try {
        main_archive->Expand(install);
        FAIL();
      } catch (const IEInstall& e) {
        EXPECT_EQ(e.Message(),
                  "You forgot to pass in the name of the self-extracting executable. Usage "
                  "example: \"-eSetup.exe\"");
      }
      continue;
    }
    EXPECT_EQ(main_archive->Expand(install), c.main_archive);
    auto* source = StandardPathSpecifiers().FindByClass<TpsInstallSource>();
    EXPECT_EQ(source->Expand(install), RemoveBackslash(install->SourceDirectory()));
    auto* main_install = StandardPathSpecifiers().FindByClass<TpsMainInstall>();
    EXPECT_EQ(main_install->Expand(install->FileContainers(0)), ProgramFilesDirectory() + "\\App");
    try {
      main_install->Validate(install);
      FAIL();
    } catch (const IEPathSpecifier& e) {
      EXPECT_EQ(e.Message(),
                "Cannot use the ddMainInstallDir path specifier for a TInstall component");
    }
  }
}

TEST_F(InstallRun, ProjectRootedInADataModule) {
  std::unique_ptr<TComponent> root(
      ReadForm("object DataModule1: TDataModule\n"
               "  object Install1: TInstall\n"
               "    UseLoadingProgram = False\n"
               "    RunAutomatic = False\n"
               "    DestDir = '\\App'\n"
               "  end\n"
               "  object Group: TInstallFileGroup\n"
               "    Container = Install1\n"
               "    DestDir = '\\Data'\n"
               "    DestDirType = psMainInstall\n"
               "  end\n"
               "end\n"));
  TCustomInstall* install = Install();
  ASSERT_NE(install, nullptr);
  EXPECT_EQ(install->Owner(), root.get());
  // The first container on the module brought the standard specifiers, owned by the module.
  for (const char* name : {"psMainInstall", "psMainArchiveFile", "psProgramFiles", "psWindow"}) {
    auto* specifier = dynamic_cast<TStandardPathSpecifier*>(root->FindComponent(name));
    ASSERT_NE(specifier, nullptr) << name;
    EXPECT_EQ(specifier->StandardName(), name);
  }
  EXPECT_EQ(install->GetFullDestDir(), ProgramFilesDirectory() + "\\App");
  EXPECT_EQ(install->GetFullArchiveFile(), "C:\\dist\\files.1");
  auto* group = dynamic_cast<TInstallFileGroup*>(root->FindComponent("Group"));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetFullDestDir(), ProgramFilesDirectory() + "\\App\\Data");
  // Setters validate outside loading, against the install component of the module.
  group->SetDestDirType(StandardPathSpecifiers().FindByClass<TpsMainInstall>());
  EXPECT_THROW(install->SetDestDirType(StandardPathSpecifiers().FindByClass<TpsMainInstall>()),
               IEPathSpecifier);
  root.reset();
  EXPECT_EQ(InstallComponent(), nullptr);

  // Any other owner is still refused.
  TComponent plain(nullptr);
  for (TComponent* owner : {&plain, static_cast<TComponent*>(nullptr)}) {
    try {
      TInstall refused(owner);
      ADD_FAILURE() << "accepted";
    } catch (const IEInstall& e) {
      EXPECT_EQ(e.Message(),
                "The Owner of the TInstall component must either be a class of type TCustomForm "
                "(Delphi 3) or TForm (Delphi 2.0,C++Builder 1.0)");
    }
  }
  EXPECT_EQ(plain.ComponentCount(), 0);
}

}  // namespace
}  // namespace vantorel
