#include "archive/self_extract.h"

#include <cstring>

#include "platform/files.h"

namespace vantorel {
namespace {

void Put32(std::string& bytes, size_t at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}

int32_t Get32(const uint8_t* bytes) {
  return static_cast<int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                              static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace

std::string EncodeSelfExtractTrailer(const SelfExtractTrailer& trailer) {
  std::string bytes(kSelfExtractTrailerSize, '\0');
  bytes[0] = static_cast<char>(sizeof kSelfExtractSignature - 1);
  std::memcpy(bytes.data() + 1, kSelfExtractSignature, sizeof kSelfExtractSignature - 1);
  Put32(bytes, 16, trailer.setup_first);
  Put32(bytes, 20, trailer.setup_last);
  Put32(bytes, 24, trailer.files_first);
  Put32(bytes, 28, trailer.files_last);
  return bytes;
}

bool TrailerFitsFile(const SelfExtractTrailer& t, int64_t file_size) {
  const int64_t end = file_size - static_cast<int64_t>(kSelfExtractTrailerSize);
  if (t.setup_first < 0 || t.setup_first > t.setup_last || t.setup_last >= end) return false;
  if (!t.HasFiles()) return true;
  return t.files_first > t.setup_last && t.files_first <= t.files_last && t.files_last < end;
}

TrailerProblem ReadSelfExtractTrailerOf(const std::string& path, SelfExtractTrailer& trailer) {
  trailer = {};
  platform::File file = platform::File::OpenRegular(path, platform::Access::Read,
                                                    platform::kShareRead | platform::kShareWrite);
  if (!file.IsOpen()) return TrailerProblem::CannotRead;
  const int64_t size = file.Size();
  if (size < static_cast<int64_t>(kSelfExtractTrailerSize)) return TrailerProblem::TooShort;
  uint8_t bytes[kSelfExtractTrailerSize];
  if (file.Seek(size - static_cast<int64_t>(kSelfExtractTrailerSize), platform::SeekOrigin::Begin) <
          0 ||
      file.Read(bytes, sizeof bytes) != static_cast<int64_t>(sizeof bytes))
    return TrailerProblem::CannotRead;
  if (bytes[0] != sizeof kSelfExtractSignature - 1 ||
      std::memcmp(bytes + 1, kSelfExtractSignature, sizeof kSelfExtractSignature - 1) != 0)
    return TrailerProblem::NoSignature;
  SelfExtractTrailer read{Get32(bytes + 16), Get32(bytes + 20), Get32(bytes + 24),
                          Get32(bytes + 28)};
  if (!TrailerFitsFile(read, size)) return TrailerProblem::OutOfBounds;
  trailer = read;
  return TrailerProblem::None;
}

}  // namespace vantorel
