// The private messages, registered once by name, and the screen on what other
// programs post.
#define _CRT_RAND_S  // rand_s, the system's random numbers
#include <stdlib.h>

#include "base/application.h"
#include "base/messages.h"

UINT PrivateMessageId(PrivateMessage which) {
  static const struct Ids {
    UINT id[static_cast<int>(PrivateMessage::kCount)];
    Ids() {
      const wchar_t* const kNames[] = {L"Quiltmark.Shutdown", L"Quiltmark.Deferred",
                                       L"Quiltmark.Arrange", L"Quiltmark.ItemChosen",
                                       L"Quiltmark.StopWatch"};
      static_assert(sizeof kNames / sizeof kNames[0] == sizeof id / sizeof id[0]);
      for (int i = 0; i < static_cast<int>(PrivateMessage::kCount); ++i)
        id[i] = RegisterWindowMessageW(kNames[i]);
    }
  } ids;
  return ids.id[static_cast<int>(which)];
}

bool IsPrivateMessage(UINT message, PrivateMessage which) {
  const UINT id = PrivateMessageId(which);
  return id != 0 && message == id;
}

LPARAM PrivateMessageToken() {
  static const LPARAM token = [] {
    unsigned int high = 0, low = 0;
    // Where the system's generator fails, the time still makes it hard to guess.
    if (rand_s(&high) != 0 || rand_s(&low) != 0) {
      const uint64_t now = GetTickCount64();
      high ^= static_cast<unsigned int>(now >> 32) ^ GetCurrentProcessId();
      low ^= static_cast<unsigned int>(now) * 2654435761u;
    }
    const auto drawn = static_cast<LPARAM>((static_cast<uint64_t>(high) << 32) | low);
    return drawn != 0 ? drawn : 1;
  }();
  return token;
}

void PostPrivateMessage(HWND hwnd, PrivateMessage which) {
  if (UINT id = PrivateMessageId(which)) PostMessageW(hwnd, id, 0, PrivateMessageToken());
}

void PostQuit(int exitCode) {
  g_app.quitAsked = true;
  PostQuitMessage(exitCode);
}

namespace {

// EM_ and BM_ messages, then CB_, STM_ and LB_ ones.
bool IsControlMessage(UINT message) {
  return (message >= 0x00B0 && message < 0x0100) || (message >= 0x0140 && message < 0x0200);
}

// A window of Quiltmark's own making: under one of its own top-level windows (the main
// window with its controls, the hidden owner, a watch's window) or a message box. The
// system's windows on this thread (OLE's, the input method's) post themselves
// messages of their own.
// The last window asked about is remembered: a flood of posts to one window then
// costs no call to the system (under Wine, a round trip to its server) for each.
bool IsOwnWindow(HWND hwnd) {
  static HWND last = nullptr;
  static bool lastOwn = false;
  if (hwnd == last) return lastOwn;
  // By owner too: a combo box's dropped list is a window of its own, owned by the box.
  HWND root = hwnd ? GetAncestor(hwnd, GA_ROOTOWNER) : nullptr;
  lastOwn = root && (GetClassLongPtrW(root, GCLP_HMODULE) ==
                         reinterpret_cast<ULONG_PTR>(GetModuleHandleW(nullptr)) ||
                     IsDialogBox(root));
  last = hwnd;
  return lastOwn;
}

}  // namespace

bool IsForgedPost(const MSG& msg) {
  // Quiltmark posts its windows nothing with these numbers, whose meaning is the
  // window class's own: another program's parameters there may be pointers into it.
  if (msg.message >= WM_USER && msg.message < 0xC000) return IsOwnWindow(msg.hwnd);
  // Nor the numbers below WM_USER that edit boxes, buttons, combo and list boxes and
  // static controls give meanings of their own: many take a pointer, which the system
  // does not check in every post (a combo box's CB_GETCOMBOBOXINFO, say). A click
  // posted to a button, as automation does, is no pointer.
  if (IsControlMessage(msg.message) && msg.message != BM_CLICK) return IsOwnWindow(msg.hwnd);
  // The system's own WM_PAINT carries nothing: a device context posted with one is
  // another program's, and a control that draws on it (Wine's edit box) keeps a
  // broken measure of its text, on which a later click faults.
  if (msg.message == WM_PAINT) return msg.wParam != 0 || msg.lParam != 0;
  // A control asks its parent for its colours with a device context of its own, sent.
  if (msg.message >= WM_CTLCOLORMSGBOX && msg.message <= WM_CTLCOLORSTATIC) return true;
  // Quiltmark gives its controls their fonts and lets them draw by sending: a posted
  // font may be no font here, and a control told not to draw would stay blank.
  if (msg.message == WM_SETFONT || msg.message == WM_SETREDRAW) return IsOwnWindow(msg.hwnd);
  // The system sends these, never posts them: two with a pointer, three with a device
  // context to draw on, and the bounds of its own loops, which Quiltmark counts.
  switch (msg.message) {
    case WM_DPICHANGED:
    case kGetDpiScaledSize:
    case WM_ERASEBKGND:
    case WM_PRINT:
    case WM_PRINTCLIENT:
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE: return true;
    default: break;
  }
  if (msg.message == WM_QUIT) return !g_app.quitAsked;
  // Quiltmark's own posts carry its token. The request to end a watch comes from
  // another Quiltmark, sent, not posted.
  for (PrivateMessage own :
       {PrivateMessage::kDeferred, PrivateMessage::kArrange, PrivateMessage::kItemChosen})
    if (IsPrivateMessage(msg.message, own)) return msg.lParam != PrivateMessageToken();
  return false;
}

namespace {

HHOOK g_screen = nullptr;
int g_systemLoops = 0;

LRESULT CALLBACK ScreenPost(int code, WPARAM removing, LPARAM lParam) noexcept {
  if (code == HC_ACTION) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (IsForgedPost(*msg)) {
      msg->message = WM_NULL;
      msg->wParam = 0;
      msg->lParam = 0;
    }
  }
  return CallNextHookEx(nullptr, code, removing, lParam);
}

}  // namespace

void EnterSystemLoop() {
  if (g_systemLoops++ == 0 && GetCurrentThreadId() == g_app.mainThreadId)
    g_screen = SetWindowsHookExW(WH_GETMESSAGE, ScreenPost, nullptr, GetCurrentThreadId());
}

void LeaveSystemLoop() {
  if (g_systemLoops == 0 || --g_systemLoops > 0 || !g_screen) return;
  UnhookWindowsHookEx(g_screen);
  g_screen = nullptr;
}

SystemLoopScope::SystemLoopScope() { EnterSystemLoop(); }

SystemLoopScope::~SystemLoopScope() { LeaveSystemLoop(); }
