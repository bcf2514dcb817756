// A copy found only through the system's search: it has TwinEntry.
#include <windows.h>

extern "C" __declspec(dllexport) UINT WINAPI TwinEntry() { return 42; }
