/* A library that carries nothing but its version, for the overwrite rules. Loaded, it also
   tells which build it is: 100, 150 or 200. */
__declspec(dllexport) int vtver_version(void) {
  return VTVER_VERSION;
}
