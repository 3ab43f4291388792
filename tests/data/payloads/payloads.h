/* Names the test payloads and their tests share; plain C, for both sides. */
#ifndef VANTOREL_TESTS_PAYLOADS_H
#define VANTOREL_TESTS_PAYLOADS_H

/* The environment variable that names the folder of the built payloads (win64 tests only). */
#define VT_PAYLOADS_ENV "VANTOREL_PAYLOADS"

/* The class vtcom.dll registers: HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32. */
#define VTCOM_CLSID "{6D1A3C52-8E4B-4F27-9C31-5B0E7A2D4F18}"
#define VTCOM_CLSID_KEY "CLSID\\" VTCOM_CLSID
/* Set (to anything) in the environment of the loading process, it makes vtcom.dll's entry
   points fail with SELFREG_E_CLASS. */
#define VTCOM_FAIL_ENV "VTCOM_FAIL"

/* The key vtregexe.exe registers under HKEY_CLASSES_ROOT. */
#define VTREGEXE_KEY "VantorelTest.RegExe"
/* Started without arguments, vtregexe.exe writes its path to the file this variable names. */
#define VTREGEXE_MARKER_ENV "VANTOREL_REGEXE_MARKER"

#endif
