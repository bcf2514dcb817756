// Exports for the system-function binding tests.
#include <windows.h>

extern "C" __declspec(dllexport) UINT WINAPI ProbeAdd(UINT a, UINT b) { return a + b; }

// Declared with the wrong convention on purpose: it leaves its arguments on the stack.
extern "C" __declspec(dllexport) UINT __cdecl ProbeCdecl(UINT a, UINT b) { return a * b; }
