/* Holds a file open as a running program holds its own files: for tests of files in use.
     vthold FILE READY RELEASE [TIMEOUT_MS]
   Opens the existing FILE for reading, sharing reading only (others may neither write, delete
   nor rename it), then creates the file READY. It keeps FILE open until the file RELEASE
   appears or TIMEOUT_MS (default 30000) pass, then closes FILE and deletes READY. A test:
     1. StartProgram("<payloads>\vthold.exe \"FILE\" \"READY\" \"RELEASE\"", false);
     2. waits until READY exists: from now FILE is held, DeleteFile(FILE) fails with error 32;
     3. creates RELEASE and waits until READY is gone: FILE is free again.
   The timeout only ends the hold of a test that died on the way.
   Exit codes: 0 released, 1 bad arguments, 2 FILE could not be opened, 3 READY could not be
   made, 4 timed out. */
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  HANDLE file, ready;
  DWORD timeout = 30000, start;
  int code = 4;
  if (argc < 4 || argc > 5) return 1;
  if (argc == 5) timeout = strtoul(argv[4], NULL, 10);
  file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 2;
  ready = CreateFileA(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready == INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return 3;
  }
  CloseHandle(ready);
  for (start = GetTickCount(); GetTickCount() - start < timeout; Sleep(10)) {
    if (GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES) {
      code = 0;
      break;
    }
  }
  CloseHandle(file);
  DeleteFileA(argv[2]);
  return code;
}
