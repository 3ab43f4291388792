#pragma once
// One file's zlib stream, made the same way wherever it is made: inline by the engine or ahead
// of it on a worker thread. The same input, level and buffer sizes give the same bytes and the
// same progress points, which is what keeps a parallel build identical to a one-thread build.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "archive/archive_types.h"
#include "platform/files.h"

namespace vantorel {

// Output is handed on in buffers of this size; each full one is a progress point.
inline constexpr size_t kDeflateBuffer = 65536;

int ZlibLevel(TCompressionLevel level);

// What makes the stream. zlib's bytes are the archive format's own and what the install program
// writes with -b; libdeflate (where this program was built with it) makes a valid zlib stream,
// usually smaller and made faster, but other bytes. It takes whole files in memory, so a larger
// file than kLibdeflateLimit, or level 0, is still deflated by zlib.
enum class TDeflater { Zlib, Libdeflate };
inline constexpr int64_t kLibdeflateLimit = 4 << 20;
bool LibdeflateAvailable();

// A piece of the stream: every full output buffer (`full`), then what is left at the end
// (possibly nothing). `source_position` counts the input bytes read so far.
struct DeflateBlock {
  const uint8_t* data;
  size_t size;
  int64_t source_position;
  bool full;
};

// Deflates `source` from its position to its end at zlib `level`; `name` names the file in
// errors. A read error raises EVtrlCompress, a zlib error the base Exception.
void DeflateFile(platform::File& source, int level, const std::string& name,
                 const std::function<void(const DeflateBlock&)>& put,
                 TDeflater deflater = TDeflater::Zlib);

}  // namespace vantorel
