/* A stand-in for a COM in-process server. It registers and unregisters one class the way real
   servers do (the class key, InprocServer32 naming the library's own path) and serves nothing.
   With VTCOM_FAIL_ENV set, both entry points fail as a server that refuses does. */
#include <windows.h>

#include "payloads.h"

#define SELFREG_E_CLASS ((HRESULT)0x80040201L)

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

static int Refuses(void) {
  return GetEnvironmentVariableA(VTCOM_FAIL_ENV, NULL, 0) > 0;
}

static LONG SetText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)lstrlenA(text) + 1);
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(self, path, sizeof path);
  HKEY key;
  LONG rc;
  if (Refuses() || n == 0 || n >= sizeof path) return SELFREG_E_CLASS;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, VTCOM_CLSID_KEY, 0, NULL, 0, KEY_WRITE, NULL, &key,
                      NULL) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  rc = SetText(key, NULL, "Vantorel test class");
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS ||
      RegCreateKeyExA(HKEY_CLASSES_ROOT, VTCOM_CLSID_KEY "\\InprocServer32", 0, NULL, 0, KEY_WRITE,
                      NULL, &key, NULL) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  rc = SetText(key, NULL, path);
  if (rc == ERROR_SUCCESS) rc = SetText(key, "ThreadingModel", "Apartment");
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

/* A class that is not registered is as good as unregistered. */
__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) {
  LONG rc;
  if (Refuses()) return SELFREG_E_CLASS;
  rc = RegDeleteKeyA(HKEY_CLASSES_ROOT, VTCOM_CLSID_KEY "\\InprocServer32");
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  rc = RegDeleteKeyA(HKEY_CLASSES_ROOT, VTCOM_CLSID_KEY);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
