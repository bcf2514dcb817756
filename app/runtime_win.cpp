#include <ole2.h>
#include <windows.h>

#include <algorithm>
#include <cfenv>
#include <cstring>

#include "app/memory.h"
#include "app/runtime.h"
#include "app/sysfn.h"
#include "ui/form.h"

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

void InitializeRuntime(bool withWindows) {
  // Libraries loaded by name come from the system folder (and folders named on
  // purpose), never from the program's folder or the working directory, where
  // another download could have put a library of the same name. Windows versions
  // without the call still drop the working directory.
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  if (void* set = reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")))
    reinterpret_cast<SetDefaultDirectories>(set)(LOAD_LIBRARY_SEARCH_SYSTEM32 |
                                                 LOAD_LIBRARY_SEARCH_USER_DIRS);
  SetDllDirectoryA("");
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
  SetCurrentDirectoryA(WorkingFolderOf(g_app.executableDirectory).c_str());
  if (withWindows) CreateHiddenOwner(instance);
  g_app.mainThreadId = GetCurrentThreadId();
  FindConstantArea(instance);
  // The system-function table is fixed; its slots stay empty until the first call.
  for (SystemFunctionSlot& slot : g_app.systemFunctions) slot = {};
  if (withWindows && g_app.windows.empty()) PrepareWindowLayouts();
}

void RegisterCleanup(ExitCallback routine) {
  auto& list = g_app.exitCallbacks;
  if (std::find(list.begin(), list.end(), routine) == list.end()) list.push_back(routine);
}

static bool AnyWindowLoaded() {
  return std::any_of(g_app.windows.begin(), g_app.windows.end(),
                     [](const WindowEntry& w) { return w.loaded; });
}

namespace {

// Idle work for one turn of the idle phase; false when nothing asks for more.
struct IdleState {
  int count = 0;
  DWORD start = 0;
  std::vector<uint32_t> windowsDone;  // windows whose idle event asked for no more
};

bool RunIdleWork(IdleState& idle) {
  // Idle callbacks run while their window exists, the most recent first.
  auto& callbacks = g_app.idleCallbacks;
  for (size_t i = callbacks.size(); i-- > 0;) {
    if (!IsWindow(static_cast<HWND>(callbacks[i].hwnd))) {
      callbacks.erase(callbacks.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    callbacks[i].routine(callbacks[i].argument);
  }
  int count = idle.count++;
  if (count == 0) {
    idle.start = GetTickCount();
    idle.windowsDone.clear();
  }
  // Counts 0 and 1 are the framework's own idle work; this program has no menus to
  // update and nothing temporary to free.
  if (count < 2) return true;
  bool more = false;
  for (const WindowEntry& w : g_app.windows) {
    if (!w.loaded ||
        std::find(idle.windowsDone.begin(), idle.windowsDone.end(), w.id) != idle.windowsDone.end())
      continue;
    EventRecord record;
    record.window = w.id;
    record.control = kWindowSelfId;
    record.event = 7;
    record.argCount = 1;
    record.args[0] = static_cast<int32_t>(GetTickCount() - idle.start);
    if (RaiseEvent(record) && record.hasResult && record.result)
      more = true;
    else
      idle.windowsDone.push_back(w.id);
  }
  return more;
}

// Every message counts as the user's activity except repeated mouse moves at the
// same place, paints and the system timer.
bool IsUserActivity(const MSG& msg, MSG& lastMove) {
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    bool repeat =
        lastMove.message == msg.message && lastMove.pt.x == msg.pt.x && lastMove.pt.y == msg.pt.y;
    lastMove = msg;
    return !repeat;
  }
  return msg.message != WM_PAINT && msg.message != 0x0118;
}

}  // namespace

void RunMessageLoop() {
  g_app.loopRunning = true;
  if (!AnyWindowLoaded()) return;
  IdleState idle;
  bool idleAgain = true;
  MSG msg = {};
  MSG lastMove = {};
  for (;;) {
    while (idleAgain && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
      if (!RunIdleWork(idle)) idleAgain = false;
    do {
      if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
        g_app.lastMessageWParam = msg.wParam;
        return;
      }
      if (!PreTranslateMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (IsUserActivity(msg, lastMove)) {
        idle.count = 0;
        idleAgain = true;
      }
    } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  }
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
  // Only the layout records go; a window still open after a fault stays on screen
  // until the process ends.
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
  LoadStartWindow(kMainWindowId);
  RunMessageLoop();
  return 0;
}
