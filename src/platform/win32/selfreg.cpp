#include "platform/selfreg.h"

#include "platform/system.h"
#include "platform/win32/windows_api.h"
// ole2.h builds on windows.h.
#include <ole2.h>

namespace vantorel::platform {
namespace {

// OLE stays initialised for the length of one registration. OleInitialize counts: S_FALSE
// (already initialised on this thread) is balanced by its uninitialise as well; a failure
// (a thread set up for another apartment model) is not.
class OleScope {
 public:
  OleScope() : initialised_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleScope() {
    if (initialised_) ::OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;

 private:
  bool initialised_;
};

}  // namespace

SelfRegOutcome RegisterServerDll(const std::string& path, bool unregister) {
  using Entry = HRESULT(STDAPICALLTYPE*)();
  SelfRegOutcome outcome;
  DWORD error = ERROR_SUCCESS;
  {
    OleScope ole;
    Library library = Library::Load(path);
    if (!library.IsLoaded()) {
      error = ::GetLastError();
      outcome.result = SelfRegResult::LoadFailed;
    } else if (void* symbol =
                   library.Symbol(unregister ? "DllUnregisterServer" : "DllRegisterServer")) {
      outcome.hresult = reinterpret_cast<Entry>(symbol)();
      outcome.result = SUCCEEDED(outcome.hresult) ? SelfRegResult::Ok : SelfRegResult::CallFailed;
    } else {
      error = ::GetLastError();
      outcome.result = SelfRegResult::NoEntryPoint;
    }
  }
  ::SetLastError(error);
  return outcome;
}

}  // namespace vantorel::platform
