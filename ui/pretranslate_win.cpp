// Pre-translation: the window's own keys (Tab, Esc) and the events common to every
// control, raised before a message is dispatched, so a handler can consume it.
#include <windows.h>

#include "ui/form.h"
#include "ui/keys.h"

namespace {

int32_t KeyState() {
  return (GetKeyState(VK_CONTROL) < 0 ? 1 : 0) | (GetKeyState(VK_SHIFT) < 0 ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

// The window's own keys; true when the key was consumed.
bool HandleWindowKey(Form& form, const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  switch (msg.wParam) {
    case VK_TAB:
      if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
      if (msg.hwnd != form.hwnd) MoveFocus(form, GetKeyState(VK_SHIFT) < 0);
      return true;
    case 'Z': {
      // Ctrl+Z undoes the last arrangement, except in an edit box, which keeps its own.
      if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0)
        return false;
      wchar_t cls[16] = {};
      GetClassNameW(msg.hwnd, cls, 16);
      if (lstrcmpiW(cls, L"Edit") == 0) return false;
      return UndoArrangement(form);
    }
    case VK_ESCAPE: {
      // Esc during a drag from a picture box (the capture tool) calls the drag off;
      // otherwise it closes the window from every control, an open drop-down list
      // included.
      const ControlState* holder = ControlOfWindow(form, GetCapture());
      if (holder && holder->layout->kind == ControlKind::PictureBox) {
        ReleaseCapture();
        return true;
      }
      SendMessageW(form.hwnd, WM_CLOSE, 0, 0);
      return true;
    }
    default:
      // Enter: no default button and no enter-moves-focus here, so the key goes on
      // to the control.
      return false;
  }
}

struct CommonEvent {
  int event;
  int32_t args[3];
  uint32_t count;
};

bool CommonEventFor(const MSG& msg, CommonEvent& e) {
  auto x = static_cast<int32_t>(static_cast<int16_t>(LOWORD(msg.lParam)));
  auto y = static_cast<int32_t>(static_cast<int16_t>(HIWORD(msg.lParam)));
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      e = {kEventKeyDown, {EventKeyCode(static_cast<int32_t>(msg.wParam)), KeyState()}, 2};
      return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      e = {kEventKeyUp, {EventKeyCode(static_cast<int32_t>(msg.wParam)), KeyState()}, 2};
      return true;
    case WM_CHAR: e = {kEventChar, {static_cast<int32_t>(msg.wParam)}, 1}; return true;
    case WM_MOUSEMOVE: e = {kEventMouseMove, {x, y, KeyState()}, 3}; return true;
    case WM_LBUTTONDOWN: e = {kEventLeftDown, {x, y, KeyState()}, 3}; return true;
    case WM_LBUTTONUP: e = {kEventLeftUp, {x, y, KeyState()}, 3}; return true;
    case WM_LBUTTONDBLCLK: e = {kEventLeftDoubleClick, {x, y, KeyState()}, 3}; return true;
    case WM_RBUTTONDOWN: e = {kEventRightDown, {x, y, KeyState()}, 3}; return true;
    case WM_RBUTTONUP: e = {kEventRightUp, {x, y, KeyState()}, 3}; return true;
    case WM_MOUSEWHEEL:
      e = {kEventWheel, {WheelSteps(static_cast<int16_t>(HIWORD(msg.wParam))), KeyState()}, 2};
      return true;
    default: return false;
  }
}

// Raises the message's common event on its control; true when the message is consumed.
bool RaiseCommonEvent(Form& form, MSG& msg) {
  CommonEvent e;
  if (!CommonEventFor(msg, e)) return false;
  EventRecord record;
  record.window = form.layout->id;
  if (msg.hwnd == form.hwnd) {
    record.control = kWindowSelfId;
  } else {
    ControlState* c = ControlOfWindow(form, msg.hwnd);
    if (!c) return false;
    record.control = c->layout->id;
  }
  record.event = e.event;
  record.argCount = e.count;
  for (uint32_t i = 0; i < e.count; ++i) record.args[i] = e.args[i];
  if (!RaiseEvent(record) || !record.hasResult) return false;
  if (e.event != kEventChar) return record.result == 0;
  if (record.result == 0) return true;
  msg.wParam = static_cast<WPARAM>(record.result);
  return false;
}

}  // namespace

bool PreTranslateMessage(MSG& msg) {
  Form* form = LoadedForm();
  if (!form) return false;
  bool keyboard = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
  if (keyboard && msg.hwnd && !IsWindowEnabled(msg.hwnd)) return false;
  if (msg.message == WM_LBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN) {
    // A press first ends what another window is tracking: an open list, a menu.
    HWND tracking = GetCapture();
    if (tracking && tracking != msg.hwnd) SendMessageW(tracking, WM_CANCELMODE, 0, 0);
  }
  if (msg.hwnd != form->hwnd && !IsChild(form->hwnd, msg.hwnd)) return false;
  if (keyboard && HandleWindowKey(*form, msg)) return true;
  return RaiseCommonEvent(*form, msg);
}
