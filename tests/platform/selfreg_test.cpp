// Self-registration of servers: libraries through their entry points, programs through their
// "/REGSERVER" switch. On Windows the payloads vtcom.dll and vtregexe.exe register for real.
#include "platform/selfreg.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/reg_data.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::EnvGuard;
using testing::Payload;
using testing::Quoted;
using testing::ReadText;
using testing::Scratch;
using testing::WriteText;

#ifdef _WIN32

constexpr int32_t kSelfRegErrorClass = static_cast<int32_t>(0x80040201);

// Removes a key under HKEY_CLASSES_ROOT before and after a test.
class ClassesKey {
 public:
  explicit ClassesKey(std::string path) : path_(std::move(path)) {
    DeleteKeyTree(Root::ClassesRoot, path_);
  }
  ~ClassesKey() { DeleteKeyTree(Root::ClassesRoot, path_); }
  ClassesKey(const ClassesKey&) = delete;
  ClassesKey& operator=(const ClassesKey&) = delete;

  bool Exists() const { return KeyExists(Root::ClassesRoot, path_); }
  std::string Read(const std::string& sub, const std::string& name) const {
    RegKey key =
        RegKey::Open(Root::ClassesRoot, sub.empty() ? path_ : path_ + "\\" + sub, false, false);
    std::string value;
    return key.ReadString(name, value) ? value : "(missing)";
  }

 private:
  std::string path_;
};

TEST(SelfReg, LibraryRegistersAndUnregisters) {
  ClassesKey clsid(VTCOM_CLSID_KEY);
  const std::string dll = Payload("vtcom.dll");
  ASSERT_TRUE(FileExists(dll)) << dll;

  SelfRegOutcome outcome = RegisterServerDll(dll, false);
  EXPECT_EQ(outcome.result, SelfRegResult::Ok);
  EXPECT_EQ(outcome.hresult, 0);
  EXPECT_TRUE(EqualNoCase(clsid.Read("InprocServer32", ""), dll))
      << clsid.Read("InprocServer32", "") << " is not " << dll;
  EXPECT_EQ(clsid.Read("InprocServer32", "ThreadingModel"), "Apartment");

  outcome = RegisterServerDll(dll, true);
  EXPECT_EQ(outcome.result, SelfRegResult::Ok);
  EXPECT_FALSE(clsid.Exists());
  EXPECT_EQ(RegisterServerDll(dll, true).result, SelfRegResult::Ok) << "unregistered twice";
}

TEST(SelfReg, FailuresTellTheStep) {
  Scratch dir;
  ClassesKey clsid(VTCOM_CLSID_KEY);
  std::string text = dir / "notalib.dll";
  ASSERT_TRUE(WriteText(text, "not a library"));

  EXPECT_EQ(RegisterServerDll(dir / "missing.dll", false).result, SelfRegResult::LoadFailed);
  EXPECT_EQ(LastError(), kErrorModNotFound) << "kept across the clean-up";
  EXPECT_EQ(RegisterServerDll(text, false).result, SelfRegResult::LoadFailed);
  EXPECT_NE(LastError(), kErrorSuccess);

  EXPECT_EQ(RegisterServerDll(Payload("vtver15\\vtver.dll"), false).result,
            SelfRegResult::NoEntryPoint);
  EXPECT_EQ(LastError(), kErrorProcNotFound);
  EXPECT_EQ(RegisterServerDll(Payload("vtver15\\vtver.dll"), true).result,
            SelfRegResult::NoEntryPoint);

  EnvGuard env;
  env.Set(VTCOM_FAIL_ENV, "1");
  SelfRegOutcome outcome = RegisterServerDll(Payload("vtcom.dll"), false);
  EXPECT_EQ(outcome.result, SelfRegResult::CallFailed);
  EXPECT_EQ(outcome.hresult, kSelfRegErrorClass);
  EXPECT_FALSE(clsid.Exists());
  EXPECT_EQ(RegisterServerDll(Payload("vtcom.dll"), true).result, SelfRegResult::CallFailed);
}

TEST(SelfReg, ProgramRegistersThroughItsSwitches) {
  ClassesKey progid(VTREGEXE_KEY);
  const std::string exe = Payload("vtregexe.exe");
  ASSERT_TRUE(FileExists(exe)) << exe;
  uint32_t code = 99;

  ASSERT_TRUE(StartProgramAndWait(Quoted(exe) + " /REGSERVER", false, 20000, code)) << LastError();
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(EqualNoCase(progid.Read("", ""), exe)) << progid.Read("", "");

  ASSERT_TRUE(StartProgramAndWait(Quoted(exe) + " -unregserver", false, 20000, code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(progid.Exists());

  ASSERT_TRUE(StartProgramAndWait(Quoted(exe) + " /NOSUCHSWITCH", false, 20000, code));
  EXPECT_EQ(code, 3u);
  EXPECT_FALSE(progid.Exists());
}

// Run after an install it is started by its path alone; the marker shows which copy ran.
TEST(SelfReg, ProgramLeavesAMarkerWhenRun) {
  Scratch dir;
  const std::string exe = Payload("vtregexe.exe");
  std::string named = dir / "named.txt", from_env = dir / "from env.txt";
  uint32_t code = 99;
  ASSERT_TRUE(StartProgramAndWait(Quoted(exe) + " " + Quoted(named), false, 20000, code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(EqualNoCase(ReadText(named), exe + "\r\n")) << ReadText(named);

  ASSERT_TRUE(StartProgramAndWait(Quoted(exe), false, 20000, code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(FileExists(from_env)) << "no marker named";
  EnvGuard env;
  env.Set(VTREGEXE_MARKER_ENV, from_env);
  ASSERT_TRUE(StartProgramAndWait(Quoted(exe), false, 20000, code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(EqualNoCase(ReadText(from_env), exe + "\r\n")) << ReadText(from_env);
  ASSERT_TRUE(
      StartProgramAndWait(Quoted(exe) + " " + Quoted(dir / "no\\folder.txt"), false, 20000, code));
  EXPECT_EQ(code, 2u);
}

// The three builds of vtver.dll share one name; each folder must hold its own build.
TEST(Payloads, VersionedLibraryInEachFolder) {
  using VersionFunction = int (*)();
  for (int version : {10, 15, 20}) {
    std::string path = Payload("vtver" + std::to_string(version) + "\\vtver.dll");
    Library library = Library::Load(path);
    ASSERT_TRUE(library.IsLoaded()) << path << " error " << LastError();
    void* symbol = library.Symbol("vtver_version");
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(reinterpret_cast<VersionFunction>(symbol)(), version * 10) << path;
  }
}

#else

TEST(SelfReg, NotAvailableOnThisHost) {
  Scratch dir;
  std::string file = dir / "server.dll";
  ASSERT_TRUE(WriteText(file, "not loadable here"));
  for (bool unregister : {false, true}) {
    SetLastError(kErrorSuccess);
    SelfRegOutcome outcome = RegisterServerDll(file, unregister);
    EXPECT_EQ(outcome.result, SelfRegResult::LoadFailed);
    EXPECT_EQ(LastError(), kErrorModNotFound);
  }
}

#endif

}  // namespace
}  // namespace vantorel::platform
