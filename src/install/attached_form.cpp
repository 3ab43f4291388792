#include "install/attached_form.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/exception.h"
#include "framework/format.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/resources.h"

namespace vantorel {
namespace {

// "Access is denied (error 5)": the system's words for the last failure, and its code.
std::string LastErrorText() {
  const uint32_t code = platform::LastError();
  return Format("%s (error %u)", platform::ErrorText(code), code);
}

// Only a file on a disk: a device would read for ever and a FIFO would block.
platform::File OpenForReading(const std::string& path) {
  platform::File file = platform::File::OpenRegular(path, platform::Access::Read,
                                                    platform::kShareRead | platform::kShareWrite);
  if (!file.IsOpen()) throw Exception(Format("Cannot open %s: %s", path, LastErrorText()));
  return file;
}

// The length of the program part of `file` (its size without any appended form).
int64_t ProgramLength(platform::File& file, uint64_t* form_length) {
  int64_t size = file.Size();
  *form_length = 0;
  if (size < static_cast<int64_t>(kFormTrailerSize)) return size;
  uint8_t trailer[kFormTrailerSize];
  if (file.Seek(size - static_cast<int64_t>(kFormTrailerSize), platform::SeekOrigin::Begin) < 0 ||
      file.Read(trailer, sizeof trailer) != static_cast<int64_t>(sizeof trailer))
    return size;
  if (std::memcmp(trailer + 8, kFormTrailerMagic, 8) != 0) return size;
  uint64_t length = 0;
  for (int i = 7; i >= 0; --i) length = length << 8 | trailer[i];
  if (length > kMaxAttachedForm || length > static_cast<uint64_t>(size) - kFormTrailerSize)
    throw Exception("The form attached to the program is damaged: its trailer gives a length of " +
                    std::to_string(length) + " bytes");
  *form_length = length;
  return size - static_cast<int64_t>(kFormTrailerSize) - static_cast<int64_t>(length);
}

}  // namespace

std::optional<std::string> ReadAppendedForm(const std::string& program) {
  platform::File file = OpenForReading(program);
  uint64_t length = 0;
  int64_t start = ProgramLength(file, &length);
  if (start == file.Size()) return std::nullopt;
  std::string form(length, '\0');
  if (file.Seek(start, platform::SeekOrigin::Begin) < 0 ||
      file.Read(form.data(), form.size()) != static_cast<int64_t>(form.size()))
    throw Exception("Cannot read the form attached to " + program);
  return form;
}

std::optional<std::string> FindOwnForm() {
  std::vector<uint8_t> data;
  if (platform::LoadRcData("TFORM1", data)) return std::string(data.begin(), data.end());
  return ReadAppendedForm(platform::GetModuleFileName());
}

void AttachForm(const std::string& engine, const std::string& form, const std::string& output) {
  OpenForReading(engine);  // the copy below would take a device or a FIFO as it comes
  // Copying first keeps what the file system knows of the engine (on Linux: that it runs).
  if (!platform::CopyFile(engine, output, false))
    throw Exception(Format("Cannot copy %s to %s: %s", engine, output, LastErrorText()));
  platform::File out =
      platform::File::Open(output, platform::Access::ReadWrite, platform::kShareNone,
                           platform::Disposition::OpenExisting);
  if (!out.IsOpen()) throw Exception(Format("Cannot open %s: %s", output, LastErrorText()));
  uint64_t old_form = 0;
  int64_t program = ProgramLength(out, &old_form);
  uint8_t trailer[kFormTrailerSize];
  uint64_t length = form.size();
  for (int i = 0; i < 8; ++i) trailer[i] = static_cast<uint8_t>(length >> (8 * i));
  std::memcpy(trailer + 8, kFormTrailerMagic, 8);
  std::string tail = form + std::string(reinterpret_cast<const char*>(trailer), sizeof trailer);
  if (out.Seek(program, platform::SeekOrigin::Begin) != program || !out.Truncate() ||
      out.Write(tail.data(), tail.size()) != static_cast<int64_t>(tail.size()))
    throw Exception(Format("Cannot write %s: %s", output, LastErrorText()));
}

}  // namespace vantorel
