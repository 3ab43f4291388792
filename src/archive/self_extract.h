#pragma once
// The 56-byte trailer of a self-extracting setup file: the loader program, "setup.1" and
// "files.1" (if any) joined in that order, and at the end where each archive lies.
#include <cstdint>
#include <string>

namespace vantorel {

inline constexpr size_t kSelfExtractTrailerSize = 56;
inline constexpr char kSelfExtractSignature[] = "SELFEXTRACTING";

struct SelfExtractTrailer {
  // Positions of the first and last byte of each archive, counted from the file's first byte.
  // A self-extracting file without "files.1" has zeros for it.
  int32_t setup_first = 0;
  int32_t setup_last = 0;
  int32_t files_first = 0;
  int32_t files_last = 0;
  bool HasFiles() const { return files_first != 0 || files_last != 0; }
};

// The trailer's bytes: the signature as a length byte and 14 characters, a zero, the four
// positions little-endian and zeros up to 56 bytes.
std::string EncodeSelfExtractTrailer(const SelfExtractTrailer& trailer);

// Why the last bytes of a file are no trailer of it.
enum class TrailerProblem { None, CannotRead, TooShort, NoSignature, OutOfBounds };

// Reads the trailer at the end of `path`. The positions must lie inside the file before the
// trailer, in order and without overlap: a cut or damaged file must never send a reader past its
// end or into the wrong archive.
TrailerProblem ReadSelfExtractTrailerOf(const std::string& path, SelfExtractTrailer& trailer);
// The same check of a trailer's fields against the size of the file that ends in it.
bool TrailerFitsFile(const SelfExtractTrailer& trailer, int64_t file_size);

}  // namespace vantorel
