/* A library that exists only to carry a version resource for the archive tests. */
__declspec(dllexport) int vtver_variant(void) { return VTVER_VARIANT; }
