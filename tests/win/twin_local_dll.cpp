// The copy in the program's folder: it lacks TwinEntry.
#include <windows.h>

extern "C" __declspec(dllexport) UINT WINAPI TwinOther() { return 1; }
