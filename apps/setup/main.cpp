// The install program: the generic engine. A project's install program is this file with the
// project form attached (vantorel program); exit statuses are listed in install/setup_main.h.
#include "install/setup_main.h"

int main(int argc, char** argv) {
  return vantorel::RunSetup(argc, argv);
}
