// The process's start: the library search order, the heap, OLE, the program's own
// folder, the hidden owner window and the constant area, set once before anything
// else of the program runs.
#include <ole2.h>
#include <windows.h>

#include <cstring>

#include "base/memory.h"
#include "base/messages.h"
#include "base/phases.h"
#include "base/process.h"
#include "base/shutdown.h"
#include "base/wide.h"

namespace {

const wchar_t kOwnerClass[] = L"QuiltmarkOwner";

LRESULT CALLBACK OwnerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  // A shutdown asked for on another thread runs here, on the main thread. A fault in
  // a clean-up routine ends the process from inside this call: no exception leaves it.
  // The same message from another program (this is a top-level window, which
  // broadcasts reach) is ignored.
  if (IsForeignClassMessage(message)) return 0;
  if (IsPrivateMessage(message, PrivateMessage::kShutdown) && TakesShutdownRequest(lParam)) {
    ShutdownRuntime(static_cast<int>(wParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CreateHiddenOwner(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = OwnerWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = kOwnerClass;
  RegisterClassExW(&wc);
  g_app.hiddenOwner = CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, instance, nullptr);
}

// The constant area is the program's read-only data section: literal texts, the
// empty array and the embedded images all live there.
void FindConstantArea(HINSTANCE instance) {
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

}  // namespace

void InitializeProcess(bool withOwner) {
  // Libraries loaded by name come from the system folder (and folders named on
  // purpose), never from the program's folder or the working directory, where
  // another download could have put a library of the same name. Windows versions
  // without the call still drop the working directory.
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  if (void* set = reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")))
    reinterpret_cast<SetDefaultDirectories>(set)(LOAD_LIBRARY_SEARCH_SYSTEM32 |
                                                 LOAD_LIBRARY_SEARCH_USER_DIRS);
  SetDllDirectoryW(L"");
  g_app.heap = GetProcessHeap();
  MarkStartupPhase("library search order, heap");
  if (!g_app.oleInitialised) {
    OleInitialize(nullptr);
    g_app.oleInitialised = true;
  }
  MarkStartupPhase("OleInitialize");
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // The program's path in any characters: a folder named in another script is no
  // reason to lose the way to it.
  std::wstring wide(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(instance, wide.data(), static_cast<DWORD>(wide.size()));
    if (n < wide.size()) {
      wide.resize(n);
      break;
    }
    wide.resize(wide.size() * 2);
  }
  const std::string path = Narrow(wide);
  const size_t slash = path.rfind('\\');
  if (slash != std::string::npos) {
    g_app.executableDirectory = path.substr(0, slash);
    g_app.executableName = path.substr(slash + 1);
  } else {
    g_app.executableDirectory.clear();
    g_app.executableName = path;
  }
  SetCurrentDirectoryW(Wide(WorkingFolderOf(g_app.executableDirectory)).c_str());
  MarkStartupPhase("program folder");
  if (withOwner) CreateHiddenOwner(instance);
  MarkStartupPhase("hidden owner window");
  g_app.mainThreadId = GetCurrentThreadId();
  FindConstantArea(instance);
  // The system-function table is fixed; its slots stay empty until the first call.
  for (SystemFunctionSlot& slot : g_app.systemFunctions) slot = {};
  MarkStartupPhase("constant area, function table");
}
