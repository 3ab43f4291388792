/* hello.exe of the example product: prints what its library says, so that a run after the
   install shows that program and library arrived together. Exit status 0 when the library was
   found beside the program, 1 when not. */
#include <stdio.h>
#include <windows.h>

int main(void) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\') --n;
  lstrcpyA(path + n, "shared.dll");
  HMODULE library = LoadLibraryA(path);
  if (library == NULL) {
    printf("hello: %s was not found\n", path);
    return 1;
  }
  typedef const char* (*Greeting)(void);
  Greeting greeting = (Greeting)(void*)GetProcAddress(library, "ExampleGreeting");
  printf("%s\n", greeting != NULL ? greeting() : "hello: the library has no greeting");
  FreeLibrary(library);
  return greeting != NULL ? 0 : 1;
}
