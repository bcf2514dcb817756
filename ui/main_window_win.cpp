// The main window: its class and creation, the procedure that turns its messages
// into the controls' and its own events, and its loading as the start window.
#include <windows.h>

#include "base/application.h"
#include "base/fault.h"
#include "base/messages.h"
#include "base/phases.h"
#include "base/wide.h"
#include "ui/common_controls_win.h"
#include "ui/form.h"
#include "ui/window_dpi.h"

namespace {

const wchar_t kMainClass[] = L"QuiltmarkWindow";

void MirrorIntoRegistry(Form& form, WindowEntry& entry) {
  entry.hwnd = form.hwnd;
  entry.controls.clear();
  for (const ControlState& c : form.controls) entry.controls.push_back({c.layout->id, "", c.hwnd});
}

// ---- the window procedure ----------------------------------------------------------

void OnCommand(Form& form, HWND child, int code) {
  ControlState* c = ControlOfWindow(form, child);
  if (!c) return;
  switch (c->layout->kind) {
    case ControlKind::Button:
      if (code == BN_CLICKED) RaiseControlEvent(*c, kEventClicked);
      if (code == BN_SETFOCUS) RaiseControlEvent(*c, kEventGotFocus);
      if (code == BN_KILLFOCUS) RaiseControlEvent(*c, kEventLostFocus);
      break;
    case ControlKind::EditBox:
      if (code == EN_SETFOCUS) RaiseControlEvent(*c, kEventGotFocus);
      if (code == EN_KILLFOCUS) {
        NormaliseEdit(*c);
        RaiseControlEvent(*c, kEventLostFocus);
      }
      if (code == EN_CHANGE && !c->suppressChange) RaiseControlEvent(*c, kEventContentChanged);
      break;
    case ControlKind::ComboBox:
      // The choice is raised from a posted message, once the list has closed.
      if (code == CBN_SELENDOK) PostPrivateMessage(child, PrivateMessage::kItemChosen);
      if (code == CBN_SETFOCUS) RaiseControlEvent(*c, kEventGotFocus);
      if (code == CBN_KILLFOCUS) RaiseControlEvent(*c, kEventLostFocus);
      break;
    default: break;
  }
}

LRESULT OnControlColour(Form& form, HDC dc, HWND child) {
  ControlState* c = ControlOfWindow(form, child);
  if (!c) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  SetTextColor(dc, ResolveColour(c->textColour));
  SetBkColor(dc, ResolveColour(c->background));
  if (c->backgroundBrush) return reinterpret_cast<LRESULT>(c->backgroundBrush.get());
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// A combo box asks for its own colours and for those of its dropped list, which is a
// window of its own; the list takes the colours of its combo box.
HWND ListOwner(Form& form, HWND list) {
  if (ControlOfWindow(form, list)) return list;
  for (const ControlState& c : form.controls) {
    if (c.layout->kind != ControlKind::ComboBox) continue;
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(c.hwnd, &info) && info.hwndList == list) return c.hwnd;
  }
  return list;
}

void OnActivate(Form& form, bool active) {
  if (!active) {
    RaiseWindowEvent(form, kEventDeactivated);
    // With no control focused there is nothing to go back to: an older control
    // remembered from before would get the focus and run its handlers for nothing.
    HWND focus = GetFocus();
    form.lastFocus = focus && IsChild(form.hwnd, focus) ? focus : nullptr;
    return;
  }
  if (!form.activatedOnce) {
    form.activatedOnce = true;
    RaiseWindowEvent(form, kEventFirstActivated);
  }
  RaiseWindowEvent(form, kEventActivated);
  RaiseWindowEvent(form, kEventGotFocus);
  // A refusal puts the focus into its field itself once its box is answered.
  if (form.refusing) return;
  // Back to the control that had the focus, else to the first of the cycle.
  if (form.lastFocus && IsWindow(form.lastFocus) && IsChild(form.hwnd, form.lastFocus))
    SetFocus(form.lastFocus);
  else
    FocusFirstControl(form);
}

void OnFinalDestroy(HWND hwnd) {
  Form* form = FormOf(hwnd);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!form) return;
  if (WindowEntry* entry = FindWindowEntry(form->layout->id)) {
    entry->loaded = false;
    entry->hwnd = nullptr;
    for (ControlEntry& c : entry->controls) c.hwnd = nullptr;
  }
  delete form;  // its custom pointers, fonts and icons go with it
  if (!AnyWindowLoaded() && g_app.loopRunning) PostQuit(0);
}

// Each kind of loop counted once, so that an unpaired message (another program's)
// cannot leave the count off.
void InSystemLoop(bool& in, bool entering) {
  if (in == entering) return;
  in = entering;
  if (entering)
    EnterSystemLoop();
  else
    LeaveSystemLoop();
}

void RunDeferred(Form& form) {
  DeferredRoutine routine = form.deferred;
  form.deferred = nullptr;
  if (routine && !form.closing) routine(form.deferredArgument);
}

bool OnSetCursor(Form& form, HWND over) {
  // The control under the pointer, or the nearest control around it.
  for (HWND h = over; h && h != form.hwnd; h = GetParent(h)) {
    ControlState* c = ControlOfWindow(form, h);
    if (!c) continue;
    if (!c->pointer) return false;
    SetCursor(c->pointer.get());
    return true;
  }
  return false;
}

// Every event a message raises runs its handler inside this call. A fault there
// shows the fault report, which ends the process before this call returns; an
// allocation that fails ends in the same report. No exception leaves the procedure.
LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (IsForeignClassMessage(message)) return 0;
  Form* form = FormOf(hwnd);
  // Under a fault report the window only paints, in its controls' colours: no timer,
  // no posted request and no command of its own runs.
  const bool colours = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
  if (!form || (g_app.reportingFault && !colours)) {
    // Nor may another program close it then: the report stays until it is answered.
    if (form && message == WM_CLOSE) return 0;
    if (message == WM_NCDESTROY) OnFinalDestroy(hwnd);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  // Quiltmark only posts its own requests: one sent from another thread is not its.
  if (IsPrivateMessage(message, PrivateMessage::kDeferred)) {
    if (!InSendMessage()) RunDeferred(*form);
    return 0;
  }
  if (IsPrivateMessage(message, PrivateMessage::kArrange)) {
    if (InSendMessage()) return 0;
    ContinueArrangement(*form);
    if (form->watch) form->watch->Continue();
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      if (lParam) OnCommand(*form, reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnControlColour(*form, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORLISTBOX:
      return OnControlColour(*form, reinterpret_cast<HDC>(wParam),
                             ListOwner(*form, reinterpret_cast<HWND>(lParam)));
    case WM_ACTIVATE: OnActivate(*form, LOWORD(wParam) != WA_INACTIVE); return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && OnSetCursor(*form, reinterpret_cast<HWND>(wParam)))
        return TRUE;
      break;
    case WM_CLOSE:
      // Either may-be-closed event can refuse the close by returning false.
      if (RaiseWindowEvent(*form, kEventCloseQuery) || RaiseWindowEvent(*form, kEventUnloadQuery))
        return 0;
      // The controls lose the focus as the window goes; a field's check must not
      // show a box for a window that is already on its way out.
      form->closing = true;
      break;
    case WM_DESTROY:
      form->closing = false;
      RaiseWindowEvent(*form, kEventDestroying);
      form->closing = true;
      return 0;
    case WM_NCDESTROY: OnFinalDestroy(hwnd); return 0;
    case WM_TIMER:
      if (wParam == kWatchTimer) {
        if (form->watch) form->watch->Continue();
        return 0;
      }
      if (wParam != kArrangeTimer) break;
      ContinueArrangement(*form);
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA && form->watch) form->watch->WorkAreaChanged();
      break;
    case WM_DISPLAYCHANGE:
      if (form->watch) form->watch->WorkAreaChanged();
      break;
    // The system sends these from the window's own thread; another program's would
    // turn the screen on or off at will.
    case WM_ENTERMENULOOP:
      if (!InSendMessage()) InSystemLoop(form->inMenuLoop, true);
      break;
    case WM_EXITMENULOOP:
      if (!InSendMessage()) InSystemLoop(form->inMenuLoop, false);
      break;
    case WM_ENTERSIZEMOVE:
      if (!InSendMessage()) InSystemLoop(form->inSizeMove, true);
      break;
    case WM_EXITSIZEMOVE:
      if (!InSendMessage()) InSystemLoop(form->inSizeMove, false);
      break;
    case WM_DPICHANGED: OnDpiChanged(*form, wParam, lParam); return 0;
    case kGetDpiScaledSize: return OnGetDpiScaledSize(*form, wParam, lParam);
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kKeepCommand) {
        KeepArranging(*form, !form->keepArranging);
        return 0;
      }
      if ((wParam & 0xFFF0) != kUndoCommand) break;
      UndoArrangement(*form);
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

Form* CreateMainForm(const WindowLayout& layout) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // The visual-style versions of the standard controls come with the library, so it
  // is there before the first control is made.
  LoadCommonControls(ICC_STANDARD_CLASSES);
  MarkStartupPhase("common controls");
  RegisterPictureClass(instance);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kMainClass, &wc)) {
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    if (!RegisterClassExW(&wc)) return nullptr;
  }
  MarkStartupPhase("window classes");
  // Made for the primary monitor's DPI, where it opens. Where the system gives it
  // another one all the same, it is on another monitor: sized for that one there, about
  // the same centre, before anything is drawn.
  int dpi = PrimaryMonitorDpi();
  SIZE outer = OuterSizeFor(layout, dpi);
  WindowOrigin origin = CentredOnScreen(GetSystemMetrics(SM_CXSCREEN),
                                        GetSystemMetrics(SM_CYSCREEN), outer.cx, outer.cy);
  HWND hwnd = CreateWindowExW(0, kMainClass, Wide(layout.caption).c_str(), kMainStyle, origin.left,
                              origin.top, outer.cx, outer.cy, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  if (const int actual = WindowDpi(hwnd); actual != dpi) {
    RECT at;
    GetWindowRect(hwnd, &at);
    dpi = actual;
    outer = OuterSizeFor(layout, dpi);
    origin = {(at.left + at.right - outer.cx) / 2, (at.top + at.bottom - outer.cy) / 2};
    // Grown about its centre, it may reach past the monitor.
    const RECT kept =
        KeptOnMonitor({origin.left, origin.top, origin.left + outer.cx, origin.top + outer.cy});
    origin = {kept.left, kept.top};
  }
  RECT r;
  GetWindowRect(hwnd, &r);
  if (r.right - r.left != outer.cx || r.bottom - r.top != outer.cy || r.left != origin.left ||
      r.top != origin.top)
    SetWindowPos(hwnd, nullptr, origin.left, origin.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  MarkStartupPhase("main window");

  auto* form = new Form;
  form->layout = &layout;
  form->hwnd = hwnd;
  form->dpi = dpi;
  MakeFonts(*form);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  LoadWindowIcons(*form);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  MarkStartupPhase("fonts and icons");
  // 撤销排列 greyed until there is an arrangement to undo; 持续排列 unticked.
  HMENU systemMenu = GetSystemMenu(hwnd, FALSE);
  AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu, MF_STRING | MF_GRAYED, kUndoCommand, L"撤销排列");
  AppendMenuW(systemMenu, MF_STRING | MF_UNCHECKED, kKeepCommand, L"持续排列");
  MarkStartupPhase("system menu entry");

  if (!CreateControls(*form, instance)) {
    // The half-built window goes quietly: with its record detached first, neither
    // it nor its controls raise an event while they are destroyed.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    delete form;
    return nullptr;
  }
  MarkStartupPhase("controls");
  return form;
}

}  // namespace

void LoadStartWindow(uint32_t windowId) {
  WindowEntry* entry = FindWindowEntry(windowId);
  if (!entry) ReportFault("载入启动窗口失败", kFaultDirect, {static_cast<int32_t>(windowId), 0});
  if (entry->loaded && entry->hwnd) {
    HWND open = static_cast<HWND>(entry->hwnd);
    if (IsIconic(open))
      ShowWindow(open, SW_RESTORE);
    else
      SetActiveWindow(open);
    return;
  }
  Form* form = CreateMainForm(kMainWindow);
  if (!form) ReportFault("载入启动窗口失败", kFaultDirect, {static_cast<int32_t>(windowId), 0});
  MirrorIntoRegistry(*form, *entry);
  entry->loaded = true;
  // A handler may close the window, and its record goes with it; from here on the
  // system is asked about the handle, and the record is looked up afresh.
  const HWND hwnd = form->hwnd;
  form = nullptr;

  EventRecord created;
  created.window = windowId;
  created.control = kWindowSelfId;
  for (int event : {kEventCreated, kEventMoved, kEventResized}) {
    if (!IsWindow(hwnd)) return;
    created.event = event;
    RaiseEvent(created);
  }
  MarkStartupPhase("created, moved, resized events");
  if (!IsWindow(hwnd)) return;
  HWND before = GetFocus();
  ShowWindow(hwnd, SW_SHOW);
  MarkStartupPhase("ShowWindow");
  SetForegroundWindow(hwnd);
  MarkStartupPhase("SetForegroundWindow");
  HWND focus = GetFocus();
  Form* shown = LoadedForm(windowId);
  if (shown && focus && (focus == hwnd || IsChild(hwnd, focus))) {
    if (ControlState* c = ControlOfWindow(*shown, focus)) RaiseControlEvent(*c, kEventGotFocus);
  } else if (before && IsWindow(before)) {
    SetFocus(before);
  }
}
