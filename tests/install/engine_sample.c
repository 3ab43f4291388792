/* A Windows program that is not the install program; with apps/setup/engine.rc linked in, it
   carries the install program's marker and nothing else of it. */
int main(void) {
  return 0;
}
