// Runtime services that ask the system: screen size, control focus and handles,
// mouse capture, and the titles and class names of any window.
#include <climits>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/application.h"
#include "base/fault.h"
#include "base/memory.h"
#include "base/messages.h"
#include "base/msgbox.h"
#include "base/services.h"
#include "base/utf.h"
#include "base/wide.h"

int GetScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int GetScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

static HWND ResolveControl(ControlRef ref) {
  WindowEntry* window = FindWindowEntry(ref.window);
  if (window && window->loaded) {
    for (const ControlEntry& control : window->controls) {
      if (control.id == ref.control && IsWindow(static_cast<HWND>(control.hwnd)))
        return static_cast<HWND>(control.hwnd);
    }
  }
  ReportFault("指定窗口或窗口组件不存在或尚未载入", kFaultDirect,
              {static_cast<int32_t>(ref.window), static_cast<int32_t>(ref.control)});
}

void SetControlFocus(ControlRef ref) { SetFocus(ResolveControl(ref)); }
HWND GetControlHandle(ControlRef ref) { return ResolveControl(ref); }

HWND CaptureMouse(HWND hwnd) { return SetCapture(hwnd); }
int ReleaseMouseCapture() { return ReleaseCapture(); }

Text GetControlText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return Text();
  std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
  wide.resize(static_cast<size_t>(GetWindowTextW(hwnd, wide.data(), n + 1)));
  return TextFromWide(wide);
}

bool ReadWindowTitle(HWND hwnd, DWORD ms, Text& title) {
  title = Text();
  if (!IsWindow(hwnd)) return true;
  // Another program's window may be busy or hung, or may report any length it likes:
  // ask within the time left and read no more than a bounded title, never cut inside
  // a surrogate pair.
  DWORD start = GetTickCount();
  auto left = [&] {
    DWORD spent = GetTickCount() - start;
    return spent < ms ? ms - spent : 1;
  };
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, left(), &length))
    return false;
  if (length == 0) return true;
  if (length > kMaxWindowTextLength) length = kMaxWindowTextLength;
  std::wstring wide(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(wide.data()),
                           SMTO_ABORTIFHUNG, left(), &copied))
    return false;
  wide.resize(std::wcslen(wide.c_str()));
  // A title longer than the bound comes back cut wherever the window cut it.
  wide.resize(Utf16CutPoint(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()),
      wide.size()));
  title = TextFromWide(wide);
  return true;
}

Text GetWindowTextOf(HWND hwnd) {
  Text title;
  if (!ReadWindowTitle(hwnd, 1000, title)) return Text();
  return title;
}

std::wstring GetStoredTitleWide(HWND hwnd) {
  // No length is asked for (that would ask the window): a buffer filled to the last
  // unit may have been cut, and is read again twice as large.
  std::wstring wide(512, L'\0');
  for (;;) {
    const int n = InternalGetWindowText(hwnd, wide.data(), static_cast<int>(wide.size()));
    if (n <= 0) return L"";
    if (static_cast<size_t>(n) + 1 < wide.size() || wide.size() > INT_MAX / 2) {
      wide.resize(static_cast<size_t>(n));
      return wide;
    }
    wide.assign(wide.size() * 2, L'\0');
  }
}

std::string GetStoredTitle(HWND hwnd) { return Narrow(GetStoredTitleWide(hwnd)); }

Text GetWindowClassName(HWND hwnd) {
  wchar_t name[kMaxClassNameLength + 1];
  int n = GetClassNameW(hwnd, name, kMaxClassNameLength + 1);
  const std::string utf8 = Narrow(std::wstring_view(name, n > 0 ? static_cast<size_t>(n) : 0));
  // Never null: a block holding "" when the query fails.
  auto* block = static_cast<char*>(AllocBlock(utf8.size() + 1));
  std::memcpy(block, utf8.c_str(), utf8.size() + 1);
  return Text(block);
}

// Widened before subtracting: a rectangle's edges can lie 2^31 apart.
static LONGLONG Area(const RECT& r) {
  return (static_cast<LONGLONG>(r.right) - r.left) * (static_cast<LONGLONG>(r.bottom) - r.top);
}

// More siblings than any window holds.
constexpr int kMaxSiblingSteps = 10000;

HWND GetWindowUnderCursor() {
  // No cursor position (a locked desktop, another desktop): no window.
  POINT p{};
  if (!GetCursorPos(&p)) return nullptr;
  HWND under = WindowFromPoint(p);
  if (!under) return nullptr;
  HWND best = under;
  RECT bestRect{};
  // Gone since WindowFromPoint: nothing is under the cursor any more.
  if (!GetWindowRect(best, &bestRect)) return nullptr;
  HWND parent = GetParent(under);
  if (!parent) return under;
  // Only siblings below the found window are looked at; the first of equal areas stays.
  // Windows re-ordered while the walk runs could keep it going for ever, so it takes
  // a bounded number of steps.
  int steps = kMaxSiblingSteps;
  for (HWND s = GetWindow(under, GW_HWNDNEXT); s && steps-- > 0; s = GetWindow(s, GW_HWNDNEXT)) {
    RECT r;
    if (!GetWindowRect(s, &r) || !PtInRect(&r, p)) continue;
    if (GetParent(s) != parent || !IsWindowVisible(s)) continue;
    if (Area(r) < Area(bestRect)) {
      best = s;
      bestRect = r;
    }
  }
  return best;
}

namespace {

// A task-modal box without an owner disables the thread's windows and gives them back
// only once it is destroyed. By then the system has looked for a window to activate in
// its place and, finding the program's own ones disabled, chosen another program's: the
// user's answer would leave the program behind that window, and a field given the focus
// after the box would be left again as that activation lands. So the windows a box
// disabled are enabled again as it starts to hide, and the one under it takes the
// activation back. Boxes can nest (a handler runs in the box's loop), each with its own;
// only the innermost gives its windows back (with those of the boxes under it already
// ended by another program), so that a box ended under one still up leaves the windows
// disabled until that one goes.
struct OpenBox {
  HWND box = nullptr;          // known once its dialog is initialised
  HWND active = nullptr;       // the thread's active window before it
  std::vector<HWND> disabled;  // the thread's windows that were enabled before it
};
std::vector<OpenBox> g_openBoxes;
HHOOK g_boxHook = nullptr;

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM list) {
  if (IsWindowEnabled(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && !g_openBoxes.empty()) {
    if (call->message == WM_INITDIALOG && !g_openBoxes.back().box && !GetParent(call->hwnd) &&
        IsDialogBox(call->hwnd)) {
      g_openBoxes.back().box = call->hwnd;
    } else if (call->message == WM_WINDOWPOSCHANGING && !InSendMessage() &&
               (reinterpret_cast<const WINDOWPOS*>(call->lParam)->flags & SWP_HIDEWINDOW)) {
      // Only as the box itself ends it: another program's message cannot lift the
      // box's hold on the windows while its loop still runs.
      if (g_openBoxes.back().box == call->hwnd) {
        const HWND active = g_openBoxes.back().active;
        // With it, the boxes under it that another program ended meanwhile.
        std::vector<HWND> giveBack;
        for (size_t i = g_openBoxes.size(); i-- > 0;) {
          OpenBox& open = g_openBoxes[i];
          if (i + 1 < g_openBoxes.size() && IsWindowVisible(open.box)) break;
          giveBack.insert(giveBack.end(), open.disabled.begin(), open.disabled.end());
          open.disabled.clear();
        }
        // Still this thread's: a window closed meanwhile may have given its number to
        // another program's. Enabling a window tells it, and nothing it does then may
        // change the list being walked.
        for (HWND w : giveBack)
          if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && !IsWindowEnabled(w))
            EnableWindow(w, TRUE);
        // The window that was active before the box takes the activation back, even
        // where the user went to another program and back to the box meanwhile (the
        // next window in the stacking order is then that program's).
        if (GetForegroundWindow() == call->hwnd && active &&
            GetWindowThreadProcessId(active, nullptr) == GetCurrentThreadId() &&
            IsWindowVisible(active) && IsWindowEnabled(active))
          SetForegroundWindow(active);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int ShowMessageBox(const Value& text, uint32_t flags, const char* title, BoxOwner owner) {
  Text body = MessageBoxText(text);
  HWND ownerWindow = owner.given ? static_cast<HWND>(owner.hwnd) : nullptr;
  const uint32_t style = MessageBoxStyle(flags);
  const bool givesBack =
      !ownerWindow && (style & MB_TASKMODAL) && GetCurrentThreadId() == g_app.mainThreadId;
  if (givesBack) {
    OpenBox open;
    open.active = GetActiveWindow();
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled,
                      reinterpret_cast<LPARAM>(&open.disabled));
    g_openBoxes.push_back(std::move(open));
    if (!g_boxHook)
      g_boxHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchBoxes, nullptr, GetCurrentThreadId());
  }
  SystemLoopScope box;
  int id = MessageBoxW(ownerWindow, Wide(body.c_str()).c_str(),
                       Wide(title ? title : "信息：").c_str(), style);
  if (givesBack) {
    g_openBoxes.pop_back();
    if (g_openBoxes.empty() && g_boxHook) {
      UnhookWindowsHookEx(g_boxHook);
      g_boxHook = nullptr;
    }
  }
  return MessageBoxResultNumber(id);
}
