// The uninstaller that TUninstallEXE carries: removes a product as its uninstall key records it.
// Command line and exit statuses are listed in shell/uninstall_main.h.
#include "shell/uninstall_main.h"

int main(int argc, char** argv) {
  return vantorel::RunUninstall(argc, argv);
}
