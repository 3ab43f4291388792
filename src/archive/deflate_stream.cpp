#include "archive/deflate_stream.h"

#include <zlib.h>

#include <vector>

#include "archive/compress.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {

int ZlibLevel(TCompressionLevel level) {
  switch (level) {
    case colNone:
      return 0;
    case colFastest:
      return 1;
    case colDefault:
      return Z_DEFAULT_COMPRESSION;
    case colMax:
      return 9;
  }
  return 9;
}

void DeflateFile(platform::File& source, int level, const std::string& name,
                 const std::function<void(const DeflateBlock&)>& put) {
  auto fail = [&](const z_stream& z, int result) {
    throw Exception(
        Format(compress_message::kZlibDeflate, name, z.msg != nullptr ? z.msg : zError(result)));
  };
  z_stream z{};
  if (const int result = deflateInit(&z, level); result != Z_OK) fail(z, result);
  struct Cleanup {
    z_stream& z;
    ~Cleanup() { deflateEnd(&z); }
  } cleanup{z};

  std::vector<uint8_t> in(kDeflateBuffer), out(kDeflateBuffer);
  int64_t position = 0;
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  bool finished = false;
  while (!finished) {
    const int64_t n = source.Read(in.data(), in.size());
    if (n < 0) throw EVtrlCompress(Format(compress_message::kCannotRead, name));
    position += n;
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(n);
    const int flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
    do {
      const int result = deflate(&z, flush);
      if (result < 0) fail(z, result);
      finished = result == Z_STREAM_END;
      if (z.avail_out == 0) {
        put({out.data(), out.size(), position, true});
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
      }
    } while (flush == Z_FINISH ? !finished : z.avail_in > 0);
  }
  put({out.data(), out.size() - z.avail_out, position, false});
}

}  // namespace vantorel
