#include "archive/deflate_stream.h"

#include <zlib.h>

#include <memory>
#include <vector>

#if VANTOREL_HAS_LIBDEFLATE
#include <libdeflate.h>
#endif

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

bool LibdeflateAvailable() {
  return VANTOREL_HAS_LIBDEFLATE != 0;
}

namespace {

#if VANTOREL_HAS_LIBDEFLATE
// zlib's levels, except its best: libdeflate goes on past it (to 12), and the most compression
// asks for more than zlib can give. 10 gives about 1% less than 9 for a third more time; 11 and
// 12 give another 0.2% for up to twice the time of 9.
int LibdeflateLevel(int zlib_level) {
  if (zlib_level < 0) return 6;
  return zlib_level == 9 ? 10 : zlib_level;
}

// One compressor per thread and level: making one costs more than deflating a small file.
libdeflate_compressor* Compressor(int level) {
  struct Free {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
  };
  thread_local std::unique_ptr<libdeflate_compressor, Free> compressor;
  thread_local int compressor_level = -1;
  if (!compressor || compressor_level != level) {
    compressor.reset(libdeflate_alloc_compressor(level));
    compressor_level = level;
  }
  return compressor.get();
}

// The whole file at once; false when it is not for libdeflate (too large, or grown meanwhile).
bool DeflateWhole(platform::File& source, int level, const std::string& name,
                  const std::function<void(const DeflateBlock&)>& put) {
  const int64_t position = source.Position();
  const int64_t size = source.Size();
  if (level == 0 || position < 0 || size < position || size - position > kLibdeflateLimit)
    return false;
  const size_t length = static_cast<size_t>(size - position);
  std::vector<uint8_t> in(length + 1);
  const int64_t n = source.Read(in.data(), in.size());
  if (n < 0) throw EVtrlCompress(Format(compress_message::kCannotRead, name));
  if (static_cast<size_t>(n) != length) {  // changed under us: read it as zlib would
    source.Seek(position, platform::SeekOrigin::Begin);
    return false;
  }
  libdeflate_compressor* compressor = Compressor(LibdeflateLevel(level));
  if (compressor == nullptr)
    throw Exception(Format(compress_message::kZlibDeflate, name, "out of memory"));
  std::vector<uint8_t> out(libdeflate_zlib_compress_bound(compressor, length));
  const size_t made =
      libdeflate_zlib_compress(compressor, in.data(), length, out.data(), out.size());
  if (made == 0)
    throw Exception(Format(compress_message::kZlibDeflate, name, "no room for the stream"));
  // Handed on in the buffers zlib would fill, each a progress point at the share of the source
  // it stands for.
  for (size_t at = 0; at + kDeflateBuffer <= made; at += kDeflateBuffer) {
    const int64_t read = static_cast<int64_t>(static_cast<double>(length) *
                                              static_cast<double>(at + kDeflateBuffer) / made);
    put({out.data() + at, kDeflateBuffer, read, true});
  }
  const size_t rest = made % kDeflateBuffer;
  put({out.data() + made - rest, rest, static_cast<int64_t>(length), false});
  return true;
}
#endif

}  // namespace

void DeflateFile(platform::File& source, int level, const std::string& name,
                 const std::function<void(const DeflateBlock&)>& put, TDeflater deflater) {
#if VANTOREL_HAS_LIBDEFLATE
  if (deflater == TDeflater::Libdeflate && DeflateWhole(source, level, name, put)) return;
#else
  (void)deflater;
#endif
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
