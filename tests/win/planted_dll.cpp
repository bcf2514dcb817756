// Built under the name of a system library and put where a program's folder would
// be: a library that a download could plant beside the program. It leaves a mark
// when it is loaded and exports the entries the tests bind, so that a binding that
// took it is plain to see. No <windows.h>: its own declarations of those entries
// would clash with the system's.
extern "C" {
__declspec(dllimport) int __stdcall SetEnvironmentVariableA(const char* name, const char* value);

int __stdcall DllMain(void*, unsigned long reason, void*) {
  if (reason == 1) SetEnvironmentVariableA("QM_PLANTED_LOADED", "1");  // process attach
  return 1;
}

__declspec(dllexport) int __stdcall ShowWindow(void*, int) { return 0; }
__declspec(dllexport) unsigned long __stdcall WNetGetUserA(const char*, char*, unsigned long*) {
  return 1;
}
}
