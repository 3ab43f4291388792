#pragma once
// Self-registration of COM servers: a library's DllRegisterServer / DllUnregisterServer entry
// points. (A program server registers through its "/REGSERVER" switch: StartProgramAndWait.)
#include <cstdint>
#include <string>

namespace vantorel::platform {

enum class SelfRegResult {
  Ok,            // the entry point ran and returned success
  LoadFailed,    // the library could not be loaded; LastError() tells why
  NoEntryPoint,  // it has no such entry point; LastError() tells why
  CallFailed,    // the entry point returned a failure code, in `hresult`
};

struct SelfRegOutcome {
  SelfRegResult result = SelfRegResult::LoadFailed;
  int32_t hresult = 0;  // what the entry point returned (Ok and CallFailed); S_FALSE counts as Ok
};

// Loads `path`, calls DllRegisterServer (DllUnregisterServer with `unregister`) with OLE
// initialised on this thread for the call, and frees the library again. A relative `path` is
// searched for as the system searches libraries, so callers pass full paths; the servers that
// load further libraries of their own folder expect the current directory to be that folder,
// which is the caller's to set. LastError() after LoadFailed and NoEntryPoint is the error of
// the failed step, kept across the clean-up. The posix backend cannot load Windows libraries:
// always LoadFailed with kErrorModNotFound.
SelfRegOutcome RegisterServerDll(const std::string& path, bool unregister);

}  // namespace vantorel::platform
