// Attaching a form to an engine: failures say what the system said, and only a file is an engine.
#include "install/attached_form.h"

#include <gtest/gtest.h>

#include "framework/exception.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace vantorel {
namespace {

std::string AttachMessage(const std::string& engine, const std::string& output) {
  try {
    AttachForm(engine, "object Form1: TForm1\nend\n", output);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

TEST(AttachedForm, FailuresGiveTheSystemsText) {
  const std::string out = platform::GetTempPath() + "vt_attach_out.exe";
  const std::string missing = platform::GetTempPath() + "vt_no_such_engine.exe";
  EXPECT_EQ(AttachMessage(missing, out), "Cannot open " + missing + ": " +
                                             platform::ErrorText(platform::kErrorFileNotFound) +
                                             " (error 2)");
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/zero";  // a copy of it would never end
#endif
  EXPECT_EQ(AttachMessage(device, out), "Cannot open " + device + ": " +
                                            platform::ErrorText(platform::kErrorAccessDenied) +
                                            " (error 5)");
  EXPECT_FALSE(platform::FileExists(out));
}

}  // namespace
}  // namespace vantorel
