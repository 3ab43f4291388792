/* shared.dll of the example product: a library with a version resource, as a product's own
   libraries have; the install compares versions before dates when it replaces it. */
#include <windows.h>

__declspec(dllexport) const char* ExampleGreeting(void) {
  return "Hello from the Files Example library, version 1.5.0.0";
}
