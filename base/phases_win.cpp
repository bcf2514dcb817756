// The start-up stamps: a fixed table in the program's data, so that taking one
// allocates nothing and needs no runtime.
#include <windows.h>

#include <cstdio>

#include "base/phases.h"

namespace {

struct Stamp {
  const char* name;
  int64_t count;
};

constexpr int kMaxStamps = 48;

struct Phases {
  bool on = false;
  bool finished = false;
  int used = 0;
  Stamp stamps[kMaxStamps];
  wchar_t path[MAX_PATH];
};

Phases g_phases;

}  // namespace

void BeginStartupPhases() {
  wchar_t named[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"QM_STARTUP_PHASES", named, MAX_PATH);
  // A relative name means the folder the program was started in: the start-up moves
  // the working folder to the program's own before the file is written.
  const DWORD full = n > 0 && n < MAX_PATH
                         ? GetFullPathNameW(named, MAX_PATH, g_phases.path, nullptr)
                         : 0;
  g_phases.on = full > 0 && full < MAX_PATH;
  MarkStartupPhase("entry");
}

void MarkStartupPhase(const char* name) {
  if (!g_phases.on || g_phases.finished || g_phases.used == kMaxStamps) return;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  g_phases.stamps[g_phases.used++] = {name, now.QuadPart};
}

void FinishStartupPhases(const char* lastPhase) {
  if (!g_phases.on || g_phases.finished) return;
  MarkStartupPhase(lastPhase);
  g_phases.finished = true;
  HANDLE file = CreateFileW(g_phases.path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  char line[160];
  int length = std::snprintf(line, sizeof line, "frequency\t%lld\n",
                             static_cast<long long>(frequency.QuadPart));
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  for (int i = 0; i < g_phases.used; ++i) {
    length = std::snprintf(line, sizeof line, "%s\t%lld\n", g_phases.stamps[i].name,
                           static_cast<long long>(g_phases.stamps[i].count));
    if (length > 0 && length < static_cast<int>(sizeof line))
      WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  }
  CloseHandle(file);
}
