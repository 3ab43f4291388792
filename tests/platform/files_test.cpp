#include "platform/files.h"

#include <gtest/gtest.h>

#include "platform/dos_time.h"
#include "platform/errors.h"
#include "platform/reg_data.h"
#include "platform/system.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::ReadText;
using testing::Scratch;
using testing::WriteText;

const char* Name(Disposition d) {
  switch (d) {
    case Disposition::CreateNew:
      return "CreateNew";
    case Disposition::CreateAlways:
      return "CreateAlways";
    case Disposition::OpenExisting:
      return "OpenExisting";
    case Disposition::OpenAlways:
      return "OpenAlways";
    case Disposition::TruncateExisting:
      return "TruncateExisting";
  }
  return "?";
}

TEST(Files, OpenDispositions) {
  struct Case {
    Disposition disposition;
    bool exists;
    bool opens;
    uint32_t error;  // after a failure, and after CreateAlways/OpenAlways
    int64_t size;    // of the file once opened
  } cases[] = {
      {Disposition::CreateNew, false, true, 0, 0},
      {Disposition::CreateNew, true, false, kErrorFileExists, 0},
      {Disposition::CreateAlways, false, true, kErrorSuccess, 0},
      {Disposition::CreateAlways, true, true, kErrorAlreadyExists, 0},
      {Disposition::OpenExisting, false, false, kErrorFileNotFound, 0},
      {Disposition::OpenExisting, true, true, 0, 5},
      {Disposition::OpenAlways, false, true, kErrorSuccess, 0},
      {Disposition::OpenAlways, true, true, kErrorAlreadyExists, 5},
      {Disposition::TruncateExisting, false, false, kErrorFileNotFound, 0},
      {Disposition::TruncateExisting, true, true, 0, 0},
  };
  Scratch dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(Name(c.disposition)) + (c.exists ? " existing" : " missing"));
    std::string path = dir / "file.bin";
    DeleteFile(path);
    if (c.exists) {
      ASSERT_TRUE(WriteText(path, "12345"));
    }
    File f = File::Open(path, Access::ReadWrite, kShareNone, c.disposition);
    ASSERT_EQ(f.IsOpen(), c.opens);
    if (!c.opens) {
      EXPECT_EQ(LastError(), c.error);
      continue;
    }
    if (c.disposition == Disposition::CreateAlways || c.disposition == Disposition::OpenAlways) {
      EXPECT_EQ(LastError(), c.error);
    }
    EXPECT_EQ(f.Size(), c.size);
    EXPECT_TRUE(FileExists(path));
  }
}

TEST(Files, OpenFailures) {
  Scratch dir;
  struct Case {
    std::string path;
    Access access;
    Disposition disposition;
    uint32_t error;
  } cases[] = {
      {dir / "missing\\file.txt", Access::Read, Disposition::OpenExisting, kErrorPathNotFound},
      {dir / "missing\\file.txt", Access::Write, Disposition::CreateNew, kErrorPathNotFound},
      {dir.path(), Access::Read, Disposition::OpenExisting, kErrorAccessDenied},
      {dir / "file.txt", Access::Read, Disposition::TruncateExisting, kErrorInvalidParameter},
  };
  ASSERT_TRUE(WriteText(dir / "file.txt", "text"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    File f = File::Open(c.path, c.access, kShareRead, c.disposition);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(LastError(), c.error);
  }
  EXPECT_EQ(ReadText(dir / "file.txt"), "text");
}

TEST(Files, ReadWriteSeekTruncate) {
  Scratch dir;
  File f = File::Open(dir / "data.bin", Access::ReadWrite, kShareNone, Disposition::CreateNew);
  ASSERT_TRUE(f.IsOpen());
  EXPECT_EQ(f.Write("hello world", 11), 11);
  EXPECT_EQ(f.Size(), 11);
  EXPECT_EQ(f.Seek(0, SeekOrigin::Begin), 0);
  char buffer[16] = {};
  EXPECT_EQ(f.Read(buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(f.Position(), 5);
  EXPECT_EQ(f.Seek(-5, SeekOrigin::End), 6);
  EXPECT_EQ(f.Read(buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(f.Read(buffer, sizeof buffer), 0) << "end of file";
  EXPECT_EQ(f.Seek(-1, SeekOrigin::Begin), -1);
  EXPECT_EQ(LastError(), kErrorNegativeSeek);
  EXPECT_EQ(f.Position(), 11) << "a failed seek leaves the position";

  EXPECT_EQ(f.Seek(5, SeekOrigin::Begin), 5);
  EXPECT_TRUE(f.Truncate());
  EXPECT_EQ(f.Size(), 5);
  EXPECT_EQ(f.Seek(3, SeekOrigin::Current), 8);
  EXPECT_EQ(f.Write("!", 1), 1);  // past the end: the gap reads as zeros
  EXPECT_EQ(f.Size(), 9);
  EXPECT_EQ(f.Seek(0, SeekOrigin::Begin), 0);
  EXPECT_EQ(f.Read(buffer, sizeof buffer), 9);
  EXPECT_EQ(std::string(buffer, 9), std::string("hello\0\0\0!", 9));
  EXPECT_TRUE(f.Flush());
  f.Close();
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(f.Read(buffer, 1), -1);
  EXPECT_EQ(LastError(), kErrorInvalidHandle);
}

TEST(Files, AccessIsEnforced) {
  Scratch dir;
  ASSERT_TRUE(WriteText(dir / "a.txt", "abc"));
  char buffer[4];
  File reader =
      File::Open(dir / "a.txt", Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting);
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(reader.Write("x", 1), -1);
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_FALSE(reader.Truncate());  // Windows says 5, Wine 87

  File writer =
      File::Open(dir / "a.txt", Access::Write, kShareRead | kShareWrite, Disposition::OpenExisting);
  ASSERT_TRUE(writer.IsOpen());
  EXPECT_EQ(writer.Read(buffer, 1), -1);
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_EQ(writer.Write("xy", 2), 2);
  EXPECT_EQ(reader.Read(buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 3), "xyc") << "a second opener sees the writes";
}

TEST(Files, ShareModes) {
  struct Case {
    Access first_access;
    unsigned first_share;
    Access second_access;
    unsigned second_share;
    bool second_opens;
  } cases[] = {
      {Access::Read, kShareRead, Access::Read, kShareRead, true},
      {Access::Read, kShareRead, Access::ReadWrite, kShareRead | kShareWrite, false},
      {Access::Read, kShareRead, Access::Read, kShareNone, false},
      {Access::Read, kShareRead | kShareWrite, Access::Write, kShareRead | kShareWrite, true},
      {Access::Write, kShareRead, Access::Read, kShareRead, false},
      {Access::Write, kShareRead, Access::Read, kShareRead | kShareWrite, true},
      {Access::Write, kShareWrite, Access::Write, kShareWrite, true},
      {Access::Write, kShareWrite, Access::Read, kShareRead | kShareWrite, false},
      {Access::ReadWrite, kShareNone, Access::Read, kShareRead | kShareWrite | kShareDelete, false},
  };
  Scratch dir;
  std::string path = dir / "shared.txt";
  ASSERT_TRUE(WriteText(path, "shared"));
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(row++));
    File first = File::Open(path, c.first_access, c.first_share, Disposition::OpenExisting);
    ASSERT_TRUE(first.IsOpen());
    File second = File::Open(path, c.second_access, c.second_share, Disposition::OpenExisting);
    EXPECT_EQ(second.IsOpen(), c.second_opens);
    if (!c.second_opens) {
      EXPECT_EQ(LastError(), kErrorSharingViolation);
      first.Close();
      second = File::Open(path, c.second_access, c.second_share, Disposition::OpenExisting);
      EXPECT_TRUE(second.IsOpen()) << "the file is free again once the first opener closed it";
    }
  }
  // A refused CreateAlways leaves the content alone.
  File holder = File::Open(path, Access::Read, kShareRead, Disposition::OpenExisting);
  File truncator = File::Open(path, Access::Write, kShareRead, Disposition::CreateAlways);
  EXPECT_FALSE(truncator.IsOpen());
  EXPECT_EQ(LastError(), kErrorSharingViolation);
  holder.Close();
  EXPECT_EQ(ReadText(path), "shared");
}

TEST(Files, DeleteAndRenameNeedDeleteSharing) {
  Scratch dir;
  std::string path = dir / "busy.txt";
  ASSERT_TRUE(WriteText(path, "busy"));
  {
    File holder =
        File::Open(path, Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting);
    ASSERT_TRUE(holder.IsOpen());
    EXPECT_FALSE(DeleteFile(path));
    EXPECT_EQ(LastError(), kErrorSharingViolation);
    EXPECT_FALSE(MoveFile(path, dir / "moved.txt"));
    EXPECT_EQ(LastError(), kErrorSharingViolation);
    ASSERT_TRUE(WriteText(dir / "other.txt", "other"));
    EXPECT_FALSE(MoveFileReplace(dir / "other.txt", path)) << "the target is in use";
    EXPECT_EQ(LastError(), kErrorAccessDenied);
    EXPECT_EQ(ReadText(path), "busy");
  }
  {
    File holder = File::Open(path, Access::Read, kShareRead, Disposition::OpenExisting);
    EXPECT_FALSE(CopyFile(dir / "other.txt", path, false)) << "the target refuses writers";
    EXPECT_EQ(LastError(), kErrorSharingViolation);
    EXPECT_EQ(ReadText(path), "busy");
  }
  {
    File holder =
        File::Open(path, Access::Read, kShareRead | kShareDelete, Disposition::OpenExisting);
    ASSERT_TRUE(holder.IsOpen());
    EXPECT_TRUE(DeleteFile(path));
  }
  EXPECT_FALSE(FileExists(path));
}

TEST(Files, AFileOpenedRenamableTakesANewNameThroughItsHandle) {
  Scratch dir;
  const std::string made = dir / "~made.tmp", target = dir / "target.txt";
  {
    File file = File::Open(made, Access::ReadWrite, kShareRead, Disposition::CreateNew,
                           kOpenRenamable);
    ASSERT_TRUE(file.IsOpen());
    ASSERT_EQ(file.Write("first", 5), 5);
    ASSERT_TRUE(file.Rename(target, false));
    EXPECT_FALSE(FileExists(made));
    // Still the same open file, now under its new name.
    EXPECT_EQ(file.Write("+", 1), 1);
  }
  EXPECT_EQ(ReadText(target), "first+");

  struct Case {
    const char* what;
    unsigned options;
    bool replace;
    bool renamed;
    uint32_t error;
  } cases[] = {
      {"a taken name without replace", kOpenRenamable, false, false, kErrorAlreadyExists},
      {"a taken name with replace", kOpenRenamable, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteText(target, "kept"));
    DeleteFile(made);
    File file =
        File::Open(made, Access::ReadWrite, kShareRead, Disposition::CreateNew, c.options);
    ASSERT_TRUE(file.IsOpen());
    ASSERT_EQ(file.Write("new", 3), 3);
    EXPECT_EQ(file.Rename(target, c.replace), c.renamed);
    file.Close();
    if (c.renamed) {
      EXPECT_EQ(ReadText(target), "new");
      EXPECT_FALSE(FileExists(made));
    } else {
      EXPECT_EQ(LastError(), c.error);
      EXPECT_EQ(ReadText(target), "kept");
      EXPECT_EQ(ReadText(made), "new");
    }
  }

  // The right to rename and a holder that does not share deleting exclude each other.
  DeleteFile(made);
  DeleteFile(dir / "second.txt");
  ASSERT_TRUE(WriteText(made, "held"));
  constexpr unsigned kAll = kShareRead | kShareWrite | kShareDelete;
  {
    File holder =
        File::Open(made, Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting);
    ASSERT_TRUE(holder.IsOpen());
    File renamable = File::Open(made, Access::ReadWrite, kAll, Disposition::OpenExisting,
                                kOpenRenamable);
    EXPECT_FALSE(renamable.IsOpen());
    EXPECT_EQ(LastError(), kErrorSharingViolation);
  }
  {
    File renamable = File::Open(made, Access::ReadWrite, kAll, Disposition::OpenExisting,
                                kOpenRenamable);
    ASSERT_TRUE(renamable.IsOpen());
    File refusing =
        File::Open(made, Access::Read, kShareRead | kShareWrite, Disposition::OpenExisting);
    EXPECT_FALSE(refusing.IsOpen());
    EXPECT_EQ(LastError(), kErrorSharingViolation);
    File sharing = File::Open(made, Access::Read, kAll, Disposition::OpenExisting);
    ASSERT_TRUE(sharing.IsOpen());
    EXPECT_TRUE(renamable.Rename(dir / "second.txt", false)) << "beside a holder that shares";
  }
  EXPECT_EQ(ReadText(dir / "second.txt"), "held");
}

TEST(Files, DeleteCopyMove) {
  Scratch dir;
  std::string a = dir / "a.txt", b = dir / "b.txt", c = dir / "c.txt";
  ASSERT_TRUE(WriteText(a, "first"));
  uint32_t stamp = 0;
  ASSERT_TRUE(PackDosDateTime({2003, 4, 5, 6, 7, 8}, stamp));
  ASSERT_TRUE(SetFileDosDateTime(a, stamp));

  EXPECT_TRUE(CopyFile(a, b, true));
  EXPECT_EQ(ReadText(b), "first");
  uint32_t copied = 0;
  EXPECT_TRUE(GetFileDosDateTime(b, copied));
  EXPECT_EQ(copied, stamp) << "a copy keeps the last-write time";

  ASSERT_TRUE(WriteText(c, "other"));
  EXPECT_FALSE(CopyFile(c, b, true));
  EXPECT_EQ(LastError(), kErrorFileExists);
  EXPECT_EQ(ReadText(b), "first");
  EXPECT_TRUE(CopyFile(c, b, false));
  EXPECT_EQ(ReadText(b), "other");
  EXPECT_FALSE(CopyFile(b, b, false)) << "onto itself";
  EXPECT_EQ(ReadText(b), "other");
  EXPECT_FALSE(CopyFile(dir / "none.txt", b, false));
  EXPECT_EQ(LastError(), kErrorFileNotFound);

  EXPECT_FALSE(MoveFile(a, b));
  EXPECT_EQ(LastError(), kErrorAlreadyExists);
  EXPECT_EQ(ReadText(b), "other");
  EXPECT_TRUE(MoveFileReplace(a, b));
  EXPECT_FALSE(FileExists(a));
  EXPECT_EQ(ReadText(b), "first");
  EXPECT_TRUE(MoveFile(b, a));
  EXPECT_EQ(ReadText(a), "first");
  EXPECT_FALSE(FileExists(b));

  ASSERT_TRUE(CreateDirectory(dir / "sub"));
  EXPECT_TRUE(MoveFile(dir / "sub", dir / "renamed"));
  EXPECT_EQ(GetFileAttributes(dir / "renamed") & kAttrDirectory, kAttrDirectory);

  struct Case {
    std::string path;
    uint32_t error;
  } deletes[] = {
      {dir / "none.txt", kErrorFileNotFound},
      {dir / "none\\x.txt", kErrorPathNotFound},
      {dir / "renamed", kErrorAccessDenied},
  };
  for (const Case& d : deletes) {
    SCOPED_TRACE(d.path);
    EXPECT_FALSE(DeleteFile(d.path));
    EXPECT_EQ(LastError(), d.error);
  }
  EXPECT_TRUE(DeleteFile(a));
  EXPECT_FALSE(FileExists(a));
}

TEST(Files, Directories) {
  Scratch dir;
  EXPECT_TRUE(CreateDirectory(dir / "d"));
  EXPECT_FALSE(CreateDirectory(dir / "d"));
  EXPECT_EQ(LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(CreateDirectory(dir / "x\\y"));
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  ASSERT_TRUE(WriteText(dir / "d\\f.txt", "f"));
  EXPECT_FALSE(RemoveDirectory(dir / "d"));
  EXPECT_EQ(LastError(), kErrorDirNotEmpty);
  EXPECT_TRUE(DeleteFile(dir / "d\\f.txt"));
  EXPECT_TRUE(RemoveDirectory(dir / "d"));
  EXPECT_FALSE(FileExists(dir / "d"));
  EXPECT_FALSE(RemoveDirectory(dir / "d"));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
}

// Wine keeps the read-only attribute in the host's permission bits, which root does not obey.
bool ReadOnlyIgnoredForWriters() {
#ifdef _WIN32
  return GetEnv("WINEUSERNAME") == "root";
#else
  return false;
#endif
}

TEST(Files, Attributes) {
  Scratch dir;
  std::string path = dir / "ro.txt";
  ASSERT_TRUE(WriteText(path, "keep"));
  uint32_t attributes = GetFileAttributes(path);
  ASSERT_NE(attributes, kInvalidAttributes);
  EXPECT_EQ(attributes & (kAttrDirectory | kAttrReadOnly), 0u);
  EXPECT_EQ(GetFileAttributes(dir.path()) & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(GetFileAttributes(dir / "none"), kInvalidAttributes);
  EXPECT_EQ(LastError(), kErrorFileNotFound);

  ASSERT_TRUE(SetFileAttributes(path, kAttrReadOnly));
  EXPECT_EQ(GetFileAttributes(path) & kAttrReadOnly, kAttrReadOnly);
  EXPECT_FALSE(DeleteFile(path));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_TRUE(File::Open(path, Access::Read, kShareRead, Disposition::OpenExisting).IsOpen());

  ASSERT_TRUE(SetFileAttributes(path, kAttrNormal));
  EXPECT_EQ(GetFileAttributes(path) & kAttrReadOnly, 0u);
  EXPECT_TRUE(DeleteFile(path));
}

TEST(Files, ReadOnlyRefusesWriters) {
  if (ReadOnlyIgnoredForWriters()) GTEST_SKIP() << "Wine running as root ignores read-only";
  Scratch dir;
  std::string path = dir / "ro.txt";
  ASSERT_TRUE(WriteText(path, "keep"));
  ASSERT_TRUE(WriteText(dir / "new.txt", "new"));
  ASSERT_TRUE(SetFileAttributes(path, kAttrReadOnly));
  EXPECT_FALSE(File::Open(path, Access::Write, kShareRead, Disposition::OpenExisting).IsOpen());
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_FALSE(File::Open(path, Access::Write, kShareRead, Disposition::CreateAlways).IsOpen());
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_FALSE(CopyFile(dir / "new.txt", path, false));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_FALSE(MoveFileReplace(dir / "new.txt", path));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_EQ(ReadText(path), "keep");
}

TEST(Files, DosDateTimeRoundTrip) {
  const DosFields stamps[] = {
      {1980, 1, 1, 0, 0, 0},      {1999, 12, 31, 23, 59, 58}, {2001, 2, 3, 4, 5, 6},
      {2024, 2, 29, 12, 0, 0},    {2024, 7, 15, 13, 30, 44},  {2024, 1, 15, 8, 15, 2},
      {2099, 12, 31, 23, 59, 58},
  };
  Scratch dir;
  std::string path = dir / "stamped.txt";
  ASSERT_TRUE(WriteText(path, "x"));
  for (const DosFields& fields : stamps) {
    uint32_t stamp = 0, got = 0;
    ASSERT_TRUE(PackDosDateTime(fields, stamp));
    SCOPED_TRACE(std::to_string(fields.year) + "-" + std::to_string(fields.month) + "-" +
                 std::to_string(fields.day) + " " + std::to_string(fields.hour));
    {
      File f = File::Open(path, Access::ReadWrite, kShareRead, Disposition::OpenExisting);
      ASSERT_TRUE(f.SetDosDateTime(stamp));
    }
    ASSERT_TRUE(GetFileDosDateTime(path, got));
    EXPECT_EQ(got, stamp);

    ASSERT_TRUE(SetFileDosDateTime(path, stamp));
    File f = File::Open(path, Access::Read, kShareRead, Disposition::OpenExisting);
    ASSERT_TRUE(f.GetDosDateTime(got));
    EXPECT_EQ(got, stamp);
    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListDirectory(dir.path(), "stamped.txt", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].dos_date_time, stamp);
  }
  uint32_t got = 0;
  EXPECT_FALSE(SetFileDosDateTime(path, 0x01A00000)) << "month 13";
  EXPECT_FALSE(GetFileDosDateTime(dir / "none", got));
}

TEST(Files, ListDirectoryPatterns) {
  Scratch dir;
  for (const char* name : {"alpha.txt", "Beta.TXT", "gamma.dat", "noext"})
    ASSERT_TRUE(WriteText(dir / name, name));
  ASSERT_TRUE(CreateDirectory(dir / "sub"));
  struct Case {
    std::string pattern;
    std::vector<std::string> names;
  } cases[] = {
      {"*", {"alpha.txt", "Beta.TXT", "gamma.dat", "noext", "sub"}},
      {"*.*", {"alpha.txt", "Beta.TXT", "gamma.dat", "noext", "sub"}},
      {"*.txt", {"alpha.txt", "Beta.TXT"}},
      {"?amma.*", {"gamma.dat"}},
      {"NOEXT", {"noext"}},
      {"*.none", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    std::vector<DirEntry> entries;
    ASSERT_TRUE(ListDirectory(dir.path(), c.pattern, entries));
    std::vector<std::string> names;
    for (const DirEntry& e : entries) names.push_back(e.name);
    EXPECT_EQ(testing::Sorted(names), c.names);
  }
  std::vector<DirEntry> entries;
  ASSERT_TRUE(ListDirectory(dir.path(), "*", entries));
  for (const DirEntry& e : entries) {
    SCOPED_TRACE(e.name);
    bool folder = e.name == "sub";
    EXPECT_EQ((e.attributes & kAttrDirectory) != 0, folder);
    EXPECT_EQ(e.size, folder ? 0u : e.name.size());
    EXPECT_NE(e.dos_date_time, 0u);
  }
  EXPECT_FALSE(ListDirectory(dir / "none", "*", entries));
  EXPECT_EQ(LastError(), kErrorPathNotFound);
}

TEST(Files, SizesAndDisk) {
  Scratch dir;
  ASSERT_TRUE(WriteText(dir / "five", "12345"));
  uint64_t size = 0;
  EXPECT_TRUE(GetFileSize(dir / "five", size));
  EXPECT_EQ(size, 5u);
  EXPECT_FALSE(GetFileSize(dir / "none", size));
  uint64_t free_bytes = 0, total_bytes = 0;
  ASSERT_TRUE(GetDiskFreeSpace(dir.path(), free_bytes, total_bytes));
  EXPECT_GT(total_bytes, 0u);
  EXPECT_LE(free_bytes, total_bytes);
}

TEST(Files, TempNames) {
  std::string temp = GetTempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_EQ(GetFileAttributes(temp) & kAttrDirectory, kAttrDirectory);

  Scratch dir;
  std::string first = GetTempFileName(dir.path(), "batch");
  std::string second = GetTempFileName(dir.path(), "batch");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  for (const std::string& name : {first, second}) {
    SCOPED_TRACE(name);
    std::string prefix = dir / "bat";
    EXPECT_TRUE(EqualNoCase(name.substr(0, prefix.size()), prefix));
    EXPECT_TRUE(EqualNoCase(name.substr(name.size() - 4), ".tmp"));
    uint64_t size = 1;
    EXPECT_TRUE(GetFileSize(name, size)) << "the name is reserved by an empty file";
    EXPECT_EQ(size, 0u);
  }
  EXPECT_EQ(GetTempFileName(dir / "none", "bat"), "");
}

// Identity tells the file from its names: the same file by another spelling or through an open
// handle, another file of the same content apart, and a missing file has none.
TEST(Files, IdentityFollowsTheFileNotTheName) {
  Scratch dir;
  ASSERT_TRUE(WriteText(dir / "a.txt", "same"));
  ASSERT_TRUE(WriteText(dir / "b.txt", "same"));
  ASSERT_TRUE(CreateDirectory(dir / "sub"));
  FileIdentity a, a_again, b, a_open, sub;
  ASSERT_TRUE(GetFileIdentity(dir / "a.txt", a)) << LastError();
  ASSERT_TRUE(GetFileIdentity(dir / "sub\\..\\a.txt", a_again)) << LastError();
  ASSERT_TRUE(GetFileIdentity(dir / "b.txt", b));
  ASSERT_TRUE(GetFileIdentity(dir / "sub", sub)) << "folders have one too";
  EXPECT_EQ(a, a_again);
  EXPECT_NE(a, b);
  EXPECT_NE(a, sub);

  File open = File::Open(dir / "a.txt", Access::Read, kShareRead, Disposition::OpenExisting);
  ASSERT_TRUE(open.GetIdentity(a_open)) << LastError();
  EXPECT_EQ(a_open, a);
  // A file held without any sharing still tells who it is.
  File held = File::Open(dir / "b.txt", Access::ReadWrite, kShareNone, Disposition::OpenExisting);
  ASSERT_TRUE(held.IsOpen());
  FileIdentity b_held;
  EXPECT_TRUE(GetFileIdentity(dir / "b.txt", b_held)) << LastError();
  EXPECT_EQ(b_held, b);

  // A file moved keeps its identity; the name it left has none.
  held.Close();
  ASSERT_TRUE(MoveFile(dir / "b.txt", dir / "c.txt"));
  FileIdentity c, none;
  ASSERT_TRUE(GetFileIdentity(dir / "c.txt", c));
  EXPECT_EQ(c, b);
  EXPECT_FALSE(GetFileIdentity(dir / "b.txt", none));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  File closed;
  EXPECT_FALSE(closed.GetIdentity(none));
}

TEST(Files, CurrentDirectory) {
  Scratch dir;
  std::string saved = GetCurrentDirectory();
  ASSERT_FALSE(saved.empty());
  ASSERT_TRUE(SetCurrentDirectory(dir.path()));
  EXPECT_TRUE(EqualNoCase(GetCurrentDirectory(), dir.path()));
  EXPECT_TRUE(WriteText("relative.txt", "rel"));
  EXPECT_EQ(ReadText(dir / "relative.txt"), "rel");
  EXPECT_FALSE(SetCurrentDirectory(dir / "none"));
  ASSERT_TRUE(SetCurrentDirectory(saved));
  EXPECT_TRUE(EqualNoCase(GetCurrentDirectory(), saved));
}

TEST(Files, SystemPaths) {
  Scratch dir;
  ASSERT_TRUE(WriteText(dir / "long file name.text", "x"));
  std::string short_name = GetShortPathName(dir / "long file name.text");
  EXPECT_FALSE(short_name.empty());
  EXPECT_EQ(ReadText(short_name), "x");
  EXPECT_EQ(GetShortPathName(dir / "none.txt"), "");

  std::string module = GetModuleFileName();
  EXPECT_NE(module.find("test_platform"), std::string::npos) << module;
  EXPECT_TRUE(FileExists(module));
#ifdef _WIN32
  EXPECT_TRUE(FileExists(GetWindowsDirectory()));
  EXPECT_TRUE(FileExists(GetSystemDirectory()));
  EXPECT_EQ(NativePath("C:\\x"), "C:\\x");
#endif
}

}  // namespace
}  // namespace vantorel::platform
