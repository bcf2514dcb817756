// Raises one fault, or shuts down from another thread, as its first argument says.
// The tests run it as a child process and watch its box and exit code.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/arith.h"
#include "base/memory.h"
#include "app/runtime.h"
#include "base/services.h"
#include "base/sysfn.h"

static std::string g_log;         // where the shutdown mode writes what ran
char* volatile g_kept = nullptr;  // keeps allocations from being left out

static void Note(const std::string& line) {
  if (FILE* f = std::fopen(g_log.c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

static void FirstCleanup(int position) {
  Note("cleanup1 " + std::to_string(position) + " thread " +
       std::to_string(GetCurrentThreadId() == g_app.mainThreadId));
}
static void SecondCleanup(int position) { Note("cleanup2 " + std::to_string(position)); }

static DWORD WINAPI ShutdownFromWorker(void*) {
  ShutdownRuntime(7);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string mode = argv[1];
  // As in a run from the command line: the report goes to the error stream.
  const bool stream = mode.rfind("stream-", 0) == 0;
  if (stream) mode.erase(0, 7);
  if (argc > 2) g_log = argv[2];
  InitializeRuntime();
  if (stream) {
    g_app.commandLineRun = true;
    g_app.errorStream = GetStdHandle(STD_ERROR_HANDLE);
  }
  if (argc > 2 && mode != "shutdown") {
    // A fault ends in the shutdown: the clean-up routines run and the table's
    // libraries are freed (a slot holds the test library, which notes how it went).
    SetEnvironmentVariableA("QM_PROBE_LOG", g_log.c_str());
    RegisterCleanup(FirstCleanup);
    BindEntry({"qm_probe", "ProbeAdd"}, g_app.systemFunctions[kGetParent]);
  }
  // A window of the program's, which the report must keep from taking input.
  CreateWindowA("STATIC", "fault child window", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                nullptr, nullptr, nullptr);

  if (mode == "divide") IntegerDivide(7, 0);
  if (mode == "remainder") Remainder(7, {2, 0});
  if (mode == "index") ReadArrayElement(kEmptyArray, 1, 67174679, 2048);
  if (mode == "index-below") ReadArrayElement(kEmptyArray, 0, 67174688, 2485);
  // Nearly 2 GiB cannot be had in a 32-bit process; a 64-bit one needs far more.
  const size_t huge = sizeof(void*) == 4 ? 0x7FFFFFF0u : size_t{0x7FFFFFF0} << 32;
  if (mode == "alloc") AllocBlock(huge);
  // The C++ library's allocations end in the same report.
  if (mode == "new") g_kept = new char[huge];
  if (mode == "heap-exhausted") {
    // A heap that is really used up: the report cannot ask it for its own text.
    g_app.heap = HeapCreate(0, 0x10000, 0x10000);
    for (;;) g_kept = new char[1000];
  }
  if (mode == "bind-local") {
    // qm_twin.dll beside the program lacks the entry; the copy in alt\ has it.
    SetDllDirectoryA((g_app.executableDirectory + "\\alt").c_str());
    SystemFunctionSlot slot;
    BindEntry({"qm_twin", "TwinEntry"}, slot);
  }
  if (mode == "bind-missing") {
    SystemFunctionSlot slot;
    BindEntry({"qm_nowhere", "Nothing"}, slot);
  }
  if (mode == "bind-unnamed") {
    SystemFunctionSlot slot;
    BindEntry({"", "NoSuchExportAnywhere"}, slot);
  }
  if (mode == "stack") {
    SystemFunctionSlot slot;
    void* f = BindEntry({"qm_probe", "ProbeCdecl"}, slot);
    const uintptr_t args[] = {6, 7};
    CallBoundFunction(f, args, 2, {67174580, 434});
  }
  if (mode == "planted") {
    // The program's folder holds a user32.dll and an mpr.dll of a stranger's.
    g_app.executableDirectory += "\\planted";
    HWND w = CreateWindowA("STATIC", "planted", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                           nullptr);
    CallSystemFunction(kShowWindow, {}, w, SW_SHOWNORMAL);
    SystemFunctionSlot slot;
    BindEntry({"mpr.dll", "WNetGetUserA"}, slot);
    if (GetEnvironmentVariableA("QM_PLANTED_LOADED", nullptr, 0)) return 4;
    return IsWindowVisible(w) ? 0 : 5;
  }
  // The main window's entry (its controls known, none created) as each case needs it.
  WindowEntry& main = g_app.windows.front();
  if (mode == "not-loaded") GetControlHandle({0x52010001, 0x1601008e});
  if (mode == "control") {
    main.loaded = true;
    GetControlHandle({0x52010001, 0x16010003});  // no control of the window
  }
  if (mode == "control-gone") {
    main.loaded = true;
    HWND gone =
        CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    for (ControlEntry& c : main.controls)
      if (c.id == 0x1601008e) c.hwnd = gone;
    GetControlHandle({0x52010001, 0x1601008e});
  }
  if (mode == "no-window") SetControlFocus({0x52010002, 0});
  if (mode == "shutdown") {
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    Note(std::string("cwd ") + dir);
    RegisterCleanup(FirstCleanup);
    RegisterCleanup(SecondCleanup);
    RegisterCleanup(FirstCleanup);  // already there: not added twice
    SetEnvironmentVariableA("QM_PROBE_LOG", g_log.c_str());
    BindEntry({"qm_probe", "ProbeAdd"}, g_app.systemFunctions[kGetParent]);
    HANDLE worker = CreateThread(nullptr, 0, ShutdownFromWorker, nullptr, 0, nullptr);
    // The main thread keeps pumping so that the hand-over reaches it.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    CloseHandle(worker);
  }
  return 3;  // no fault was raised
}
