/* A stand-in for a program server, and a program to run after an install.
     vtregexe /REGSERVER    writes HKEY_CLASSES_ROOT\VantorelTest.RegExe, default value its path
     vtregexe /UNREGSERVER  removes that key (a missing key is fine)
     vtregexe FILE          writes its own path and a line break to FILE
     vtregexe               the same to the file VANTOREL_REGEXE_MARKER names; nothing without it
   Switches compare without regard to case and may begin with "-" as well. The path it writes
   tells a test which copy ran (the installed one, say).
   Exit codes: 0 done, 1 the registry refused, 2 the file could not be written, 3 an unknown
   switch. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "payloads.h"

static int WriteOwnPath(const char* file, const char* path) {
  FILE* f = fopen(file, "wb");
  if (!f) return 2;
  int ok = fprintf(f, "%s\r\n", path) > 0;
  return fclose(f) == 0 && ok ? 0 : 2;
}

static int Register(const char* path) {
  HKEY key;
  LONG rc;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, VTREGEXE_KEY, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) !=
      ERROR_SUCCESS)
    return 1;
  rc = RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE*)path, (DWORD)strlen(path) + 1);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

static int Unregister(void) {
  LONG rc = RegDeleteKeyA(HKEY_CLASSES_ROOT, VTREGEXE_KEY);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

int main(int argc, char** argv) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
  if (n == 0 || n >= sizeof path) return 2;
  if (argc < 2) {
    char marker[MAX_PATH];
    DWORD m = GetEnvironmentVariableA(VTREGEXE_MARKER_ENV, marker, sizeof marker);
    if (m == 0) return 0;
    if (m >= sizeof marker) return 2;
    return WriteOwnPath(marker, path);
  }
  if (argv[1][0] == '/' || argv[1][0] == '-') {
    if (lstrcmpiA(argv[1] + 1, "REGSERVER") == 0) return Register(path);
    if (lstrcmpiA(argv[1] + 1, "UNREGSERVER") == 0) return Unregister();
    return 3;
  }
  return WriteOwnPath(argv[1], path);
}
