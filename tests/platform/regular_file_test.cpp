// Opening only what is a file on a disk, and the system's words for an error code.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/files.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::Scratch;
using testing::WriteText;

TEST(RegularFiles, OpenOnlyFilesOnADisk) {
  Scratch scratch;
  const std::string file = scratch.path() + "\\file.txt";
  ASSERT_TRUE(WriteText(file, "text"));
  File f = File::OpenRegular(file, Access::Read, kShareRead | kShareWrite);
  ASSERT_TRUE(f.IsOpen());
  char buffer[8];
  EXPECT_EQ(f.Read(buffer, sizeof buffer), 4);

  EXPECT_FALSE(File::OpenRegular(scratch.path() + "\\missing", Access::Read, kShareRead).IsOpen());
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_FALSE(File::OpenRegular(scratch.path(), Access::Read, kShareRead).IsOpen());
  EXPECT_EQ(LastError(), kErrorAccessDenied);
#ifdef _WIN32
  const char* devices[] = {"NUL", "CON"};
#else
  const char* devices[] = {"/dev/zero", "/dev/null"};
#endif
  for (const char* device : devices) {
    EXPECT_FALSE(File::OpenRegular(device, Access::Read, kShareRead | kShareWrite).IsOpen())
        << device;
  }
  EXPECT_FALSE(File::OpenRegular(devices[0], Access::Read, kShareRead | kShareWrite).IsOpen());
  EXPECT_EQ(LastError(), kErrorAccessDenied);
}

TEST(ErrorTexts, SayWhatTheCodeMeans) {
  for (uint32_t code : {kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied,
                        kErrorSharingViolation, kErrorDiskFull, kErrorFileExists}) {
    const std::string text = ErrorText(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code << ": " << text;
    EXPECT_NE(text.back(), '.') << code << ": " << text;
  }
  EXPECT_NE(ErrorText(kErrorFileNotFound), ErrorText(kErrorPathNotFound));
  EXPECT_EQ(ErrorText(0xDEAD0000u), "Unknown error");
#ifndef _WIN32
  // The posix backend speaks for the Windows codes it sets, in Windows' own words.
  EXPECT_EQ(ErrorText(kErrorPathNotFound), "The system cannot find the path specified");
  EXPECT_EQ(ErrorText(kErrorSharingViolation),
            "The process cannot access the file because it is being used by another process");
#endif
}

}  // namespace
}  // namespace vantorel::platform
