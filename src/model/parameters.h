#pragma once
// The parameter objects that travel with component calls. The sender owns and frees them; the
// receivers only read them (a change-disk answer writes Path back).
#include <cstdint>
#include <string>

#include "archive/archive_types.h"
#include "framework/classes.h"
#include "framework/object.h"

namespace vantorel {

class TFileStatusParameter : public TObject {
 public:
  int32_t BytesDone = 0;
  int32_t FilePercentDone = 0;
  std::string FileName;
  TlzhFileStats EngineStatus;
  int32_t TotalBytesDone = 0;
  int32_t TotalPercentDone = 0;
};

class TDownloadStatusParameter : public TObject {
 public:
  int32_t Bytes = 0;
  std::string FileName;
  int32_t FileSize = 0;
  int32_t TotalBytes = 0;
  int32_t PercentDone = 0;
};

class TDiskParameter : public TObject {
 public:
  int32_t NewDisk = 0;
  std::string Path;
};

class TMessageParameter : public TObject {
 public:
  std::string MessageText;
};

// The list of two (the install file and its parameter) that progress and disk reports carry.
class TParameterList : public TList {};

// A percentage as the progress reports compute it: to the nearest integer, halves to even,
// 0 when the division fails.
int32_t PercentOf(double part, double whole);

}  // namespace vantorel
