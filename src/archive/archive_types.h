#pragma once
// Types shared by the archive directory, the archive engine and the install files.
#include <array>
#include <cstdint>
#include <string>

#include "framework/properties.h"

namespace vantorel {

// The rule for replacing a file that already exists at the destination.
VANTOREL_ENUM(TOverwriteType, owAlways, owNever, owVersion, owDate, owVersionDate);

// How Compress treats an existing archive: start it anew, or append to it.
VANTOREL_ENUM(TlzhCommand, lzcOverwrite, lzcOnlyAdd);

VANTOREL_ENUM(TCompressionLevel, colNone, colFastest, colDefault, colMax);

// One directory record exactly as stored: 172 bytes.
inline constexpr size_t kFileHeaderSize = 172;
using THeaderRecord = std::array<uint8_t, kFileHeaderSize>;

// The statistics handed to every progress event.
struct TlzhFileStats {
  uint8_t FilePercent = 0;
  int32_t FileBytesDone = 0;
  std::string FileName;
  int32_t CompressedSize = 0;
  uint8_t Ratio = 0;
  int32_t FileSize = 0;
  THeaderRecord Header{};
  bool FileDone = false;
  uint8_t TotalPercent = 0;
  int32_t TotalBytesDone = 0;
  int32_t TotalCompressedSize = 0;
  uint8_t TotalRatio = 0;
  int32_t TotalFileSize = 0;
};

// `part` as a percentage of `whole`, rounded halves to even; 0 when the division fails or the
// result does not fit a byte.
uint8_t Percent(double part, double whole);

// Sizes are 32-bit in the format; totals over many files stop at the largest value rather than
// wrap round to a negative count.
int32_t SaturatingAdd(int32_t a, int64_t b);

}  // namespace vantorel
