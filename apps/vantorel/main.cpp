#include <cstdio>

int main() {
  std::puts("vantorel");
  return 0;
}
