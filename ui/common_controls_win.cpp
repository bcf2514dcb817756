// The common controls library, loaded by name on first use, and the few entries of
// it the window calls.
#include "ui/common_controls_win.h"

#include "base/messages.h"

namespace {

struct CommonControls {
  decltype(&InitCommonControlsEx) initialise = nullptr;
  decltype(&SetWindowSubclass) subclass = nullptr;
  decltype(&DefSubclassProc) defaultProc = nullptr;
  decltype(&LoadIconWithScaleDown) loadIcon = nullptr;
};

template <typename F>
F ExportOf(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The library stays loaded for the rest of the process, as the controls need it.
const CommonControls& Library() {
  static const CommonControls library = [] {
    CommonControls c;
    if (HMODULE module = LoadLibraryW(L"comctl32.dll")) {
      c.initialise = ExportOf<decltype(c.initialise)>(module, "InitCommonControlsEx");
      c.subclass = ExportOf<decltype(c.subclass)>(module, "SetWindowSubclass");
      c.defaultProc = ExportOf<decltype(c.defaultProc)>(module, "DefSubclassProc");
      c.loadIcon = ExportOf<decltype(c.loadIcon)>(module, "LoadIconWithScaleDown");
    }
    return c;
  }();
  return library;
}

}  // namespace

bool LoadCommonControls(DWORD classes) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, classes};
  return Library().initialise && Library().initialise(&icc);
}

bool SubclassControl(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  return Library().subclass && Library().subclass(hwnd, proc, id, data);
}

LRESULT DefaultSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Library().defaultProc) return DefWindowProcW(hwnd, message, wParam, lParam);
  return Library().defaultProc(hwnd, message, wParam, lParam);
}

HICON LoadIconScaledDown(HINSTANCE instance, const wchar_t* name, int cx, int cy) {
  HICON icon = nullptr;
  if (!Library().loadIcon || FAILED(Library().loadIcon(instance, name, cx, cy, &icon)))
    return nullptr;
  return icon;
}

namespace {

LRESULT CALLBACK GuardProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) noexcept {
  if (IsForeignClassMessage(message)) return 0;
  // An edit box's own context menu runs the system's menu loop for that box, sent from
  // the box's own thread; another program's would turn the screen on or off at will.
  if (message == WM_ENTERMENULOOP && !InSendMessage()) EnterSystemLoop();
  if (message == WM_EXITMENULOOP && !InSendMessage()) LeaveSystemLoop();
  return DefaultSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void GuardControl(HWND hwnd) { SubclassControl(hwnd, GuardProc, 4, 0); }
