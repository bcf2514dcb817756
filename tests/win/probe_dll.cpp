// Exports for the system-function binding tests.
#include <windows.h>

// Writes to the file that QM_PROBE_LOG names how the library went: "probe freed" when
// FreeLibrary unloaded it, "probe at exit" when the process ended with it loaded.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* reserved) {
  char path[MAX_PATH];
  if (reason != DLL_PROCESS_DETACH || !GetEnvironmentVariableA("QM_PROBE_LOG", path, MAX_PATH))
    return TRUE;
  HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return TRUE;
  const char* line = reserved ? "probe at exit\n" : "probe freed\n";
  DWORD written = 0;
  WriteFile(f, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
  CloseHandle(f);
  return TRUE;
}

extern "C" __declspec(dllexport) UINT WINAPI ProbeAdd(UINT a, UINT b) { return a + b; }

// Declared with the wrong convention on purpose: it leaves its arguments on the stack.
extern "C" __declspec(dllexport) UINT __cdecl ProbeCdecl(UINT a, UINT b) { return a * b; }
