#include <ole2.h>
#include <windows.h>

#include <algorithm>
#include <cfenv>
#include <cstring>

#include "app/memory.h"
#include "app/runtime.h"
#include "app/sysfn.h"

static const char kOwnerClass[] = "QuiltmarkOwner";

static LRESULT CALLBACK OwnerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // A shutdown asked for on another thread runs here, on the main thread.
  if (message == kShutdownMessage) {
    ShutdownRuntime(static_cast<int>(wParam));
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

static void CreateHiddenOwner(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = OwnerWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kOwnerClass;
  RegisterClassExA(&wc);
  g_app.hiddenOwner = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, instance, nullptr);
}

// The constant area is the program's read-only data section: literal texts, the
// empty array and the embedded images all live there.
static void FindConstantArea(HINSTANCE instance) {
  auto base = reinterpret_cast<const unsigned char*>(instance);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::memcmp(section->Name, ".rdata", 7) == 0) {
      SetConstantArea(base + section->VirtualAddress, section->Misc.VirtualSize);
      if (IsConstantBlock(kEmptyArray)) return;
    }
  }
  // A linker that lays the data out otherwise still leaves the empty array constant.
  SetConstantArea(kEmptyArray, sizeof kEmptyArray);
}

void InitializeRuntime() {
  g_app.heap = GetProcessHeap();
  if (!g_app.oleInitialised) {
    OleInitialize(nullptr);
    g_app.oleInitialised = true;
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(instance, path, sizeof path);
  const char* slash = std::strrchr(path, '\\');
  if (slash) {
    g_app.executableDirectory.assign(path, static_cast<size_t>(slash - path));
    g_app.executableName = slash + 1;
  } else {
    g_app.executableDirectory.clear();
    g_app.executableName = path;
  }
  SetCurrentDirectoryA(g_app.executableDirectory.c_str());
  CreateHiddenOwner(instance);
  g_app.mainThreadId = GetCurrentThreadId();
  FindConstantArea(instance);
  // The system-function table is fixed; its slots stay empty until the first call.
  for (SystemFunctionSlot& slot : g_app.systemFunctions) slot = {};
}

void RegisterCleanup(ExitCallback routine) {
  auto& list = g_app.exitCallbacks;
  if (std::find(list.begin(), list.end(), routine) == list.end()) list.push_back(routine);
}

static bool AnyWindowLoaded() {
  return std::any_of(g_app.windows.begin(), g_app.windows.end(),
                     [](const WindowEntry& w) { return w.loaded; });
}

void RunMessageLoop() {
  g_app.loopRunning = true;
  if (!AnyWindowLoaded()) return;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  g_app.lastMessageWParam = msg.wParam;
}

void ShutdownRuntime(int exitCode) {
  if (g_app.mainThreadId && GetCurrentThreadId() != g_app.mainThreadId) {
    // A shutdown already under way ends the process by itself.
    bool underWay = g_app.ending;
    if (g_app.hiddenOwner)
      SendMessageA(static_cast<HWND>(g_app.hiddenOwner), kShutdownMessage,
                   static_cast<WPARAM>(exitCode), 0);
    if (!underWay) ExitProcess(static_cast<UINT>(exitCode));
    return;
  }
  if (g_app.ending) return;
  g_app.ending = true;
  g_app.idleCallbacks.clear();
  g_app.windows.clear();
  for (size_t i = 0; i < g_app.exitCallbacks.size(); ++i)
    g_app.exitCallbacks[i](static_cast<int>(i));
  g_app.exitCallbacks.clear();
  FreeSystemFunctions();
  if (g_app.hiddenOwner) {
    DestroyWindow(static_cast<HWND>(g_app.hiddenOwner));
    g_app.hiddenOwner = nullptr;
  }
  if (g_app.oleInitialised) {
    OleUninitialize();
    g_app.oleInitialised = false;
  }
}

// The program's own clean-up: it holds nothing that the runtime does not release.
static void ProgramCleanup(int) {}

int ProgramStart() {
  InitializeRuntime();
  std::fesetenv(FE_DFL_ENV);
  RegisterCleanup(ProgramCleanup);
  RunMessageLoop();
  return 0;
}
