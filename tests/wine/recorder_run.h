// What the end-to-end tests share: reading what the install program left, and running a project
// form attached to the recorder engine (recorder/recorder_setup.cpp) as a program of its own.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "install/attached_form.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vantorel::testing {

inline std::string Env(const char* name) {
  return platform::GetEnv(name).value_or("");
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(platform::NativePath(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Attaches `form` to the recorder engine as `program`, runs it with `arguments` and returns its
// exit status (99 when it could not be run to its end).
inline uint32_t RunWithRecorder(const std::string& form, const std::string& program,
                                const std::string& arguments) {
  std::string engine = Env("VANTOREL_BINARY_DIR") + "/tests/vtsetup_recorder";
#ifdef _WIN32
  engine += ".exe";
#endif
  AttachForm(engine, form, program);
  uint32_t exit_code = 99;
  std::string command(1, '"');  // appended piecewise: GCC 12 misreads "\"" + temporary
  command.append(platform::NativePath(program)).append("\" ").append(arguments);
  EXPECT_TRUE(platform::StartProgramAndWait(command, false, 60000, exit_code)) << command;
  return exit_code;
}

}  // namespace vantorel::testing
